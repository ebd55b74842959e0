#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <sys/types.h>
#include <vector>

// Small pieces shared by the file operations of the platform layer, the
// bank reader and the report program. The descriptors are the C library's
// on every system; what differs between systems (opening, positioned reads,
// syncing, listing folders, the wording of errors) is in one file per system.
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

// What a file that is not a plain file is, as "a folder" or "a named pipe".
QString kindOf(mode_t mode);

// A path as the system's byte-oriented calls take it: the bytes of the file
// system's own names where names are bytes, UTF-8 where they are UTF-16.
QByteArray nativePath(const QString& path);
QString pathFromNative(const QByteArray& nativePath);

// What a path names, following symbolic links. The device and inode numbers
// tell whether two paths name the same folder.
struct PathInfo {
    mode_t mode = 0;
    qint64 size = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool isFolder() const;
    bool isPlainFile() const;
};
// 0, or the errno of the failure (ENOENT: nothing by that name).
int pathInfo(const QByteArray& nativePath, PathInfo* info);

// The names in a folder, "." and ".." left out, in the order the system
// lists them; 0 or the errno of the failure.
int listFolder(const QByteArray& nativePath, std::vector<QByteArray>* names);

// Writes all the bytes (at the end, for a file opened to append); returns 0
// or the errno of the failure.
int writeAll(int fd, const char* data, qsizetype size);

// Creates one folder, owner-only where the system has modes; 0 or the errno
// of the failure (EEXIST: something of that name exists).
int makeFolder(const QString& path);

// Creates the folder and the folders above it that are missing, each as
// makeFolder() does; 0, or the errno of the first failure with `failed` set
// to the folder that could not be made (ENOTDIR: a file in the way).
int makeFolders(const QString& path, QString* failed = nullptr);

// An absolute path without "." and ".." steps, in the system's bytes, so
// that a name that is not valid UTF-8 keeps every byte. Parts are joined by
// "/", after the drive or share where the system has them ("C:/class").
QByteArray absolutePath(const QByteArray& nativePath);

// Creates the file, which must not exist yet, with these bytes; returns 0 or
// the errno of the failure (EEXIST: a file of that name exists). A file
// that could not be written whole is removed again.
int writeNewFile(const QString& path, const QByteArray& bytes);

// Reads up to `length` bytes from `offset` into `bytes` (fewer where the
// file ends); returns 0 or the errno of a failed read.
int readAt(int fd, qint64 offset, qint64 length, QByteArray* bytes);

// A whole file as readPlainFile() found it.
struct PlainFile {
    enum class Failure {
        None,
        System,    // `error` holds the errno (ENOENT: there is no such file)
        NotPlain,  // a folder, a device, a pipe or a socket: `mode` says which
        TooLarge,  // more than the limit: `size` is what was seen of it
    };
    Failure failure = Failure::None;
    int error = 0;
    mode_t mode = 0;
    qint64 size = 0;
    QByteArray bytes;  // empty unless the read succeeded
};

// Reads a plain file to its end, however it grows while it is read, but
// never more than `limit` bytes. It is opened without blocking and refused
// unread when it is not a plain file, so that a named pipe or a device in a
// file's place can neither hang the reader nor be read forever.
PlainFile readPlainFile(const QString& path, qint64 limit = std::numeric_limits<qint64>::max() - 1);
// The same for a path as the system spells it, which need not be valid
// UTF-8 and so need not survive the way through a QString.
PlainFile readPlainFile(const QByteArray& nativePath, qint64 limit = std::numeric_limits<qint64>::max() - 1);

}  // namespace posix_file
