#include "test_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <windows.h>

namespace test_system {

namespace {

class WindowsHold : public Hold {
public:
    explicit WindowsHold(HANDLE handle) : handle_(handle) {}
    ~WindowsHold() override { CloseHandle(handle_); }

private:
    HANDLE handle_;
};

std::wstring wide(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

}  // namespace

bool isRoot()
{
    return false;
}

bool namesAreBytes()
{
    return false;
}

bool writeFileByBytes(const QByteArray& nativePath, const QByteArray& bytes)
{
    if (!nativePath.isValidUtf8())
        return false;
    const QString path = QString::fromUtf8(nativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString endlessDevice()
{
    return QString();
}

bool makeNamedPipe(const QString&)
{
    return false;
}

bool makeSymbolicLink(const QString& target, const QString& link)
{
    const DWORD folder = QFileInfo(target).isDir() ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    return CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(),
                               folder | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
}

bool makeUnreadable(const QString&)
{
    return false;
}

void makeReadableAgain(const QString&) {}

bool hasModes()
{
    return false;
}

int modeOf(const QString&)
{
    return -1;
}

std::unique_ptr<Hold> holdWithoutSharing(const QString& path)
{
    HANDLE handle = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<WindowsHold>(handle);
}

}  // namespace test_system
