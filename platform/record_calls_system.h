#pragma once

#include "platform/record_calls.h"

// The calls behind record_calls as each system makes them, after the fault
// hook has let them through; a handle is the system's own number for it.
namespace record_calls::system {

using Native = std::intptr_t;

void close(Native handle);
int openFolder(const QString& path, Native* folder);
int openAt(Native folder, const QByteArray& name, Mode mode, Native* file);
int inspect(Native file, Info* info);
int inspectAt(Native folder, const QByteArray& name, Info* info);
int read(Native file, qint64 offset, qint64 length, QByteArray* bytes);
int writeAll(Native file, const QByteArray& bytes);
int sync(Native fileOrFolder);
int truncate(Native file, qint64 size);
int removeAt(Native folder, const QByteArray& name);
int renameAt(Native folder, const QByteArray& from, const QByteArray& to);
int lock(Native fileOrFolder);

}  // namespace record_calls::system
