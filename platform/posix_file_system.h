#pragma once

#include "platform/posix_file.h"

// The calls behind posix_file that each system makes its own way.
namespace posix_file::system_calls {

// Opens a file to read, without blocking on a named pipe; 0 or the errno.
int openToRead(const QByteArray& nativePath, int* fd);
// The kind and size of an open file; 0 or the errno.
int infoOf(int fd, PathInfo* info);

}  // namespace posix_file::system_calls
