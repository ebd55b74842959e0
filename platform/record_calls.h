#pragma once

#include <QByteArray>

#include <sys/types.h>

// The system calls by which records reach their files, each relative to
// the open data folder. Every one of them first asks the fault hook, so
// that tests can fail any call on any file, or stop the program at it.
namespace record_calls {

enum class Call { Open, Read, Write, Sync, Truncate, Remove, Rename, Lock };

// Returns 0 to let the call run, or the errno with which it fails instead.
// `name` is the file's name in the data folder ("" for the folder itself).
using FaultHook = int (*)(Call call, const QByteArray& name);
void setFaultHook(FaultHook hook);

// Each returns 0 or the errno of the failure.
int openAt(int folder, const QByteArray& name, int flags, int* fd);
int read(int fd, const QByteArray& name, qint64 offset, qint64 length, QByteArray* bytes);
int writeAll(int fd, const QByteArray& name, const QByteArray& bytes);
// A device or a pipe, which cannot be synced, counts as synced.
int sync(int fd, const QByteArray& name);
int truncate(int fd, const QByteArray& name, qint64 size);
int removeAt(int folder, const QByteArray& name);
int renameAt(int folder, const QByteArray& from, const QByteArray& to);
int lock(int fd, const QByteArray& name);

}  // namespace record_calls
