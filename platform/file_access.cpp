#include "platform/file_access.h"

#include "platform/drill_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_access {
namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void failWrite(const QString& path, int error)
{
    throw DrillError(DrillError::FileNotWritable,
                     QStringLiteral("The record file %1 could not be written: %2.")
                         .arg(QDir::toNativeSeparators(path), systemReason(error)));
}

[[noreturn]] void failRead(const QString& path, int error)
{
    throw DrillError(DrillError::FileNotReadable,
                     QStringLiteral("The record file %1 could not be read: %2.")
                         .arg(QDir::toNativeSeparators(path), systemReason(error)));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Writes everything from the current end, returning the errno of a failure.
int writeAll(int fd, const char* data, qsizetype size, qsizetype* written)
{
    *written = 0;
    while (*written < size) {
        const ssize_t n = ::write(fd, data + *written, size_t(size - *written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        *written += n;
    }
    return 0;
}

}  // namespace

void appendBytes(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor file(::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (file.get() < 0)
        failWrite(path, errno);

    qsizetype written = 0;
    const int error = writeAll(file.get(), bytes.constData(), bytes.size(), &written);
    if (error != 0) {
        if (written > 0) {
            const off_t end = ::lseek(file.get(), 0, SEEK_END);
            if (end >= written && ::ftruncate(file.get(), end - written) != 0) {
                // The torn tail stays; the error below still reports the failure.
            }
        }
        failWrite(path, error);
    }
    if (::fsync(file.get()) != 0 && errno != EINVAL)
        failWrite(path, errno);
}

QByteArray readBytes(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT)
            return {};
        failRead(path, errno);
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failRead(path, errno);
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

bool makeFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString folder = absolute; !QFileInfo::exists(folder);) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    for (const QString& folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(absolute).isDir();
}

}  // namespace file_access
