#include "test_system.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>

#include <sys/stat.h>
#include <unistd.h>

namespace test_system {

bool isRoot()
{
    return ::geteuid() == 0;
}

bool namesAreBytes()
{
    return true;
}

bool writeFileByBytes(const QByteArray& nativePath, const QByteArray& bytes)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    QDir().mkpath(QFile::decodeName(nativePath.left(slash)));
    ::mkdir(nativePath.left(slash).constData(), 0700);
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const bool whole = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == ssize_t(bytes.size());
    return ::close(fd) == 0 && whole;
}

QString endlessDevice()
{
    return QStringLiteral("/dev/zero");
}

bool makeNamedPipe(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeSymbolicLink(const QString& target, const QString& link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

bool makeUnreadable(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), 0) == 0;
}

void makeReadableAgain(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0700);
}

bool hasModes()
{
    return true;
}

int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

std::unique_ptr<Hold> holdWithoutSharing(const QString&)
{
    return nullptr;
}

}  // namespace test_system
