#include "test_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <io.h>
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
    // Windows keeps a read-only file from every user; wine run by root
    // does not. Asked of a file of our own once.
    static const bool writesReadOnly = [] {
        QTemporaryDir dir;
        const std::wstring path = wide(dir.filePath(QStringLiteral("read-only")));
        HANDLE made = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
        if (made == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(made);
        HANDLE again = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool opened = again != INVALID_HANDLE_VALUE;
        if (opened)
            CloseHandle(again);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return opened;
    }();
    return writesReadOnly;
}

bool replaceFile(const QString& from, const QString& to)
{
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
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
    if (!CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(),
                             folder | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        return false;
    // Some systems (wine among them) answer yes and make nothing.
    const DWORD attributes = GetFileAttributesW(wide(link).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
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

int redirectStandardError(std::FILE* file)
{
    const int saved = _dup(_fileno(stderr));
    if (saved >= 0 && _dup2(_fileno(file), _fileno(stderr)) < 0) {
        _close(saved);
        return -1;
    }
    return saved;
}

void restoreStandardError(int saved)
{
    _dup2(saved, _fileno(stderr));
    _close(saved);
}

bool makeReadOnly(const QString& path)
{
    return SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

bool makeWritable(const QString& path)
{
    return SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool makeFolderUnwritable(const QString&)
{
    return false;
}

void makeFolderWritable(const QString&) {}

std::unique_ptr<Hold> limitFileSize(qint64)
{
    return nullptr;
}

void capMemory(QProcess&) {}

void killThisProcess()
{
    // An exit status that Windows and Qt take for a crash (a break by Ctrl+C).
    TerminateProcess(GetCurrentProcess(), 0xC000013AU);
    std::abort();
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
