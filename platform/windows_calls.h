#pragma once

#include <QByteArray>
#include <QString>

#include <string>

#include <windows.h>

// What the Windows side of the file layer shares: error codes as errno
// values, so that the callers above it are one for both systems, and paths
// as the wide-character calls take them.
namespace windows_calls {

// The errno value that stands for a Windows error code. A file that another
// program holds open without sharing gives EBUSY.
int errnoOf(DWORD error);
// errnoOf(GetLastError()).
int lastErrno();

// The path for CreateFileW and its kin: native separators, and the \\?\ form
// when it is too long for the classic calls. EINVAL when a part of it is a
// name that Windows keeps for a device (CON, NUL, COM1, ...).
int widePath(const QString& path, std::wstring* wide);

// A C library descriptor that owns the handle; -1 (and the handle closed)
// when none can be had.
int descriptorOf(HANDLE handle, int flags);
// The handle behind a descriptor.
HANDLE handleOf(int fd);

// Reads up to `length` bytes from `offset` without moving the file's
// position, in pieces of at most 1 GiB; fewer at the end of the file.
// Returns 0 or an errno value (and `bytes` empty).
int readAt(HANDLE handle, qint64 offset, qint64 length, QByteArray* bytes);

}  // namespace windows_calls
