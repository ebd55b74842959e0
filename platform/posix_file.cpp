#include "platform/posix_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace posix_file {

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

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

int writeAll(int fd, const char* data, qsizetype size)
{
    qsizetype written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size_t(size - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        written += n;
    }
    return 0;
}

int writeNewFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
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

PlainFile readPlainFile(const QString& path, qint64 limit)
{
    return readPlainFile(QFile::encodeName(path), limit);
}

PlainFile readPlainFile(const QByteArray& nativePath, qint64 limit)
{
    PlainFile file;
    const auto fail = [&file](PlainFile::Failure failure) {
        file.failure = failure;
        file.bytes.clear();
        return std::move(file);
    };
    const auto failWithReason = [&](int error) {
        file.error = error;
        return fail(PlainFile::Failure::System);
    };

    const Descriptor fd(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0)
        return failWithReason(errno);
    file.mode = info.st_mode;
    file.size = info.st_size;
    if (!S_ISREG(info.st_mode))
        return fail(PlainFile::Failure::NotPlain);
    if (file.size > limit)
        return fail(PlainFile::Failure::TooLarge);

    // Room for one byte more than the file's size, to see at once whether it
    // grew; it may, and is read to its end all the same, within the limit.
    QByteArray& bytes = file.bytes;
    qsizetype got = 0;
    for (;;) {
        if (got > limit) {
            file.size = got;
            return fail(PlainFile::Failure::TooLarge);
        }
        if (got == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(limit + 1, std::max<qint64>(file.size + 1, 2 * qint64(got)))));
        const ssize_t n = ::read(fd.get(), bytes.data() + got, std::size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failWithReason(errno);
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    file.size = got;
    return file;
}

}  // namespace posix_file
