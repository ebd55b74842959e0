#include "platform/record_calls.h"

#include "platform/posix_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace record_calls {
namespace {

FaultHook faultHook = nullptr;

int injected(Call call, const QByteArray& name)
{
    return faultHook ? faultHook(call, name) : 0;
}

int errorOf(int result)
{
    return result == 0 ? 0 : errno;
}

int fdOf(const Handle& handle)
{
    return int(handle.native());
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

}  // namespace

Handle::~Handle()
{
    if (isOpen())
        ::close(fdOf(*this));
}

Handle& Handle::operator=(Handle&& other) noexcept
{
    if (this != &other) {
        if (isOpen())
            ::close(fdOf(*this));
        native_ = std::exchange(other.native_, invalid);
    }
    return *this;
}

void setFaultHook(FaultHook hook)
{
    faultHook = hook;
}

int openFolder(const QString& path, Handle* folder)
{
    *folder = Handle();
    if (const int error = injected(Call::Open, QByteArray()))
        return error;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    *folder = Handle(fd);
    return 0;
}

int openAt(const Handle& folder, const QByteArray& name, Mode mode, Handle* file)
{
    *file = Handle();
    if (const int error = injected(Call::Open, name))
        return error;
    const int fd = ::openat(fdOf(folder), name.constData(), flagsOf(mode), 0600);
    if (fd < 0)
        return errno;
    *file = Handle(fd);
    return 0;
}

int inspect(const Handle& file, const QByteArray& name, Info* info)
{
    if (const int error = injected(Call::Inspect, name))
        return error;
    struct stat status {};
    if (::fstat(fdOf(file), &status) != 0)
        return errno;
    *info = infoOf(status);
    return 0;
}

int inspectAt(const Handle& folder, const QByteArray& name, Info* info)
{
    if (const int error = injected(Call::Inspect, name))
        return error;
    struct stat status {};
    if (::fstatat(fdOf(folder), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    *info = infoOf(status);
    return 0;
}

int read(const Handle& file, const QByteArray& name, qint64 offset, qint64 length, QByteArray* bytes)
{
    bytes->truncate(0);
    if (const int error = injected(Call::Read, name))
        return error;
    return posix_file::readAt(fdOf(file), offset, length, bytes);
}

int writeAll(const Handle& file, const QByteArray& name, const QByteArray& bytes)
{
    if (const int error = injected(Call::Write, name))
        return error;
    return posix_file::writeAll(fdOf(file), bytes.constData(), bytes.size());
}

int sync(const Handle& fileOrFolder, const QByteArray& name)
{
    if (const int error = injected(Call::Sync, name))
        return error;
    if (::fsync(fdOf(fileOrFolder)) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

int truncate(const Handle& file, const QByteArray& name, qint64 size)
{
    if (const int error = injected(Call::Truncate, name))
        return error;
    return errorOf(::ftruncate(fdOf(file), off_t(size)));
}

int removeAt(const Handle& folder, const QByteArray& name)
{
    if (const int error = injected(Call::Remove, name))
        return error;
    return errorOf(::unlinkat(fdOf(folder), name.constData(), 0));
}

int renameAt(const Handle& folder, const QByteArray& from, const QByteArray& to)
{
    if (const int error = injected(Call::Rename, from))
        return error;
    return errorOf(::renameat(fdOf(folder), from.constData(), fdOf(folder), to.constData()));
}

int lock(const Handle& fileOrFolder, const QByteArray& name)
{
    if (const int error = injected(Call::Lock, name))
        return error;
    // A wait that signals break off again and again gives up in the end,
    // rather than leave the window without an answer.
    constexpr int interruptionsAllowed = 100;
    for (int interruptions = 0; ::flock(fdOf(fileOrFolder), LOCK_EX) != 0; ++interruptions) {
        if (errno != EINTR || interruptions == interruptionsAllowed)
            return errno;
    }
    return 0;
}

}  // namespace record_calls
