#include "platform/posix_file.h"

#include "platform/posix_file_system.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace posix_file {

namespace {

void fill(const struct stat& status, PathInfo* info)
{
    info->mode = status.st_mode;
    info->size = qint64(status.st_size);
    info->device = quint64(status.st_dev);
    info->inode = quint64(status.st_ino);
}

}  // namespace

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

QString pathFromNative(const QByteArray& nativePath)
{
    return QFile::decodeName(nativePath);
}

int pathInfo(const QByteArray& nativePath, PathInfo* info)
{
    struct stat status {};
    if (::stat(nativePath.constData(), &status) != 0)
        return errno;
    fill(status, info);
    return 0;
}

int listFolder(const QByteArray& nativePath, std::vector<QByteArray>* names)
{
    names->clear();
    DIR* dir = ::opendir(nativePath.constData());
    if (dir == nullptr)
        return errno;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names->push_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    return error;
}

QByteArray absolutePath(const QByteArray& nativePath)
{
    const QByteArray full = nativePath.startsWith('/') ? nativePath : QFile::encodeName(QDir::currentPath()) + '/' + nativePath;
    QByteArrayList parts;
    for (const QByteArray& part : full.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else {
            parts.append(part);
        }
    }
    return '/' + parts.join('/');
}

int makeFolder(const QString& path)
{
    return ::mkdir(nativePath(path).constData(), 0700) == 0 ? 0 : errno;
}

int writeNewFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = nativePath(path);
    Descriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd.isOpen())
        return errno;
    int error = writeAll(fd.get(), bytes.constData(), bytes.size());
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(name.constData());
    return error;
}

int readAt(int fd, qint64 offset, qint64 length, QByteArray* bytes)
{
    bytes->resize(length);
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, bytes->data() + got, size_t(length - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes->clear();
            return errno;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes->truncate(got);
    return 0;
}

namespace system_calls {

int openToRead(const QByteArray& nativePath, int* fd)
{
    *fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return *fd >= 0 ? 0 : errno;
}

int infoOf(int fd, PathInfo* info)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return errno;
    fill(status, info);
    return 0;
}

}  // namespace system_calls

}  // namespace posix_file
