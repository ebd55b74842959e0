#include "platform/record_calls_system.h"

#include "platform/posix_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace record_calls::system {
namespace {

int errorOf(int result)
{
    return result == 0 ? 0 : errno;
}

int fdOf(Native handle)
{
    return int(handle);
}

int flagsOf(Mode mode)
{
    // Non-blocking, so that a named pipe in a file's place fails at once
    // instead of waiting for a reader.
    constexpr int always = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    switch (mode) {
    case Mode::Record:
        return always | O_RDWR | O_APPEND | O_CREAT;
    case Mode::ExistingRecord:
        return always | O_RDWR | O_APPEND;
    case Mode::ReadJournal:
        return always | O_RDONLY;
    case Mode::NewJournal:
        return always | O_WRONLY | O_CREAT | O_TRUNC | O_APPEND;
    case Mode::ExistingJournal:
        return always | O_WRONLY;
    }
    return always | O_RDONLY;
}

Info infoOf(const struct stat& status)
{
    return {S_ISREG(status.st_mode), qint64(status.st_size)};
}

int opened(int fd, Native* handle)
{
    if (fd < 0)
        return errno;
    *handle = fd;
    return 0;
}

}  // namespace

void close(Native handle)
{
    ::close(fdOf(handle));
}

int openFolder(const QString& path, Native* folder)
{
    return opened(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), folder);
}

int openAt(Native folder, const QByteArray& name, Mode mode, Native* file)
{
    return opened(::openat(fdOf(folder), name.constData(), flagsOf(mode), 0600), file);
}

int inspect(Native file, Info* info)
{
    struct stat status {};
    if (::fstat(fdOf(file), &status) != 0)
        return errno;
    *info = infoOf(status);
    return 0;
}

int inspectAt(Native folder, const QByteArray& name, Info* info)
{
    struct stat status {};
    if (::fstatat(fdOf(folder), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    *info = infoOf(status);
    return 0;
}

int read(Native file, qint64 offset, qint64 length, QByteArray* bytes)
{
    return posix_file::readAt(fdOf(file), offset, length, bytes);
}

int writeAll(Native file, const QByteArray& bytes)
{
    return posix_file::writeAll(fdOf(file), bytes.constData(), bytes.size());
}

int sync(Native fileOrFolder)
{
    if (::fsync(fdOf(fileOrFolder)) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

int truncate(Native file, qint64 size)
{
    return errorOf(::ftruncate(fdOf(file), off_t(size)));
}

int removeAt(Native folder, const QByteArray& name)
{
    return errorOf(::unlinkat(fdOf(folder), name.constData(), 0));
}

int renameAt(Native folder, const QByteArray& from, const QByteArray& to)
{
    return errorOf(::renameat(fdOf(folder), from.constData(), fdOf(folder), to.constData()));
}

int lock(Native fileOrFolder)
{
    // A wait that signals break off again and again gives up in the end,
    // rather than leave the window without an answer.
    constexpr int interruptionsAllowed = 100;
    for (int interruptions = 0; ::flock(fdOf(fileOrFolder), LOCK_EX) != 0; ++interruptions) {
        if (errno != EINTR || interruptions == interruptionsAllowed)
            return errno;
    }
    return 0;
}

}  // namespace record_calls::system
