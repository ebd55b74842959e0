#include "platform/windows_calls.h"

#include "platform/windows_names.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace windows_calls {

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_UNIT:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NO_MEDIA_IN_DRIVE:
        return ENXIO;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return EOPNOTSUPP;
    case ERROR_NOT_LOCKED:
        return ENOLCK;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_OPERATION_ABORTED:
        return EINTR;
    default:
        return EIO;
    }
}

int lastErrno()
{
    return errnoOf(GetLastError());
}

int widePath(const QString& path, std::wstring* wide)
{
    if (windows_names::hasDeviceName(path))
        return EINVAL;
    QString native = QDir::toNativeSeparators(path);
    // The classic calls stop short of MAX_PATH; beyond it the \\?\ form,
    // which takes a whole, clean path, reaches as far as the file system does.
    if (native.size() >= MAX_PATH - 12) {
        native = QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
        native = native.startsWith(QStringLiteral("\\\\")) ? QStringLiteral("\\\\?\\UNC\\") + native.mid(2)
                                                             : QStringLiteral("\\\\?\\") + native;
    }
    *wide = native.toStdWString();
    return 0;
}

int descriptorOf(HANDLE handle, int flags)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

int readAt(HANDLE handle, qint64 offset, qint64 length, QByteArray* bytes)
{
    bytes->resize(length);
    qint64 got = 0;
    while (got < length) {
        OVERLAPPED at{};
        at.Offset = DWORD(quint64(offset + got) & 0xffffffffu);
        at.OffsetHigh = DWORD(quint64(offset + got) >> 32);
        DWORD n = 0;
        const DWORD chunk = DWORD(std::min<qint64>(length - got, qint64(1) << 30));
        if (!ReadFile(handle, bytes->data() + got, chunk, &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            bytes->clear();
            return lastErrno();
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes->truncate(got);
    return 0;
}

}  // namespace windows_calls
