#include "platform/record_calls.h"

#include "platform/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
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

}  // namespace

void setFaultHook(FaultHook hook)
{
    faultHook = hook;
}

int openAt(int folder, const QByteArray& name, int flags, int* fd)
{
    *fd = -1;
    if (const int error = injected(Call::Open, name))
        return error;
    *fd = ::openat(folder, name.constData(), flags | O_CLOEXEC, 0600);
    return *fd >= 0 ? 0 : errno;
}

int read(int fd, const QByteArray& name, qint64 offset, qint64 length, QByteArray* bytes)
{
    bytes->clear();
    if (const int error = injected(Call::Read, name))
        return error;
    return posix_file::readAt(fd, offset, length, bytes);
}

int writeAll(int fd, const QByteArray& name, const QByteArray& bytes)
{
    if (const int error = injected(Call::Write, name))
        return error;
    return posix_file::writeAll(fd, bytes.constData(), bytes.size());
}

int sync(int fd, const QByteArray& name)
{
    if (const int error = injected(Call::Sync, name))
        return error;
    if (::fsync(fd) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

int truncate(int fd, const QByteArray& name, qint64 size)
{
    if (const int error = injected(Call::Truncate, name))
        return error;
    return errorOf(::ftruncate(fd, off_t(size)));
}

int removeAt(int folder, const QByteArray& name)
{
    if (const int error = injected(Call::Remove, name))
        return error;
    return errorOf(::unlinkat(folder, name.constData(), 0));
}

int renameAt(int folder, const QByteArray& from, const QByteArray& to)
{
    if (const int error = injected(Call::Rename, from))
        return error;
    return errorOf(::renameat(folder, from.constData(), folder, to.constData()));
}

int lock(int fd, const QByteArray& name)
{
    if (const int error = injected(Call::Lock, name))
        return error;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

}  // namespace record_calls
