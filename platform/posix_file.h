#pragma once

#include <QByteArray>
#include <QString>

// Small pieces shared by the file operations of the platform layer.
namespace posix_file {

// Owns an open file descriptor and closes it.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

// The system's reason for an errno value, as a sentence fragment.
QString reason(int error);

// Writes all the bytes (at the end, for a file opened to append); returns 0
// or the errno of the failure.
int writeAll(int fd, const char* data, qsizetype size);

// Up to `length` bytes from `offset`; fewer when the file ends or a read fails.
QByteArray readAt(int fd, qint64 offset, qint64 length);

}  // namespace posix_file
