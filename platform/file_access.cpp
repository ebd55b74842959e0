#include "platform/file_access.h"

#include "platform/drill_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_access {
namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void failWrite(const QString& path, int error)
{
    throw DrillError(DrillError::FileNotWritable,
                     QStringLiteral("The record file %1 could not be written: %2.")
                         .arg(QDir::toNativeSeparators(path), systemReason(error)));
}

[[noreturn]] void failRead(const QString& path, const QString& reason)
{
    throw DrillError(DrillError::FileNotReadable,
                     QStringLiteral("The record file %1 could not be read: %2.")
                         .arg(QDir::toNativeSeparators(path), reason));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Writes everything from the current end, returning the errno of a failure.
int writeAll(int fd, const char* data, qsizetype size)
{
    qsizetype written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size_t(size - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        written += n;
    }
    return 0;
}

// A record being appended is announced in a small journal beside its file:
// the file's size before the record and the record's length. Should the
// program be killed or the power fail in the middle of the write, the next
// append finds the journal and cuts the torn record off again, so the file
// only ever holds whole records; a record that did reach the file whole is
// kept. The lock keeps two copies of the program from mixing this up.
QByteArray journalName(const QString& path)
{
    const QFileInfo info(path);
    return QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".pending"));
}

void cutBackTo(int fd, off_t size)
{
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > size && ::ftruncate(fd, size) == 0)
        ::fsync(fd);
}

void recoverTornRecord(int fd, const QByteArray& journal)
{
    Descriptor pending(::open(journal.constData(), O_RDONLY | O_CLOEXEC));
    if (pending.get() < 0)
        return;
    char text[64] = {};
    const ssize_t n = ::read(pending.get(), text, sizeof text - 1);
    const QList<QByteArray> fields = QByteArray(text, n > 0 ? int(n) : 0).simplified().split(' ');
    bool startOk = false;
    bool lengthOk = false;
    const qlonglong start = fields.value(0).toLongLong(&startOk);
    const qlonglong length = fields.value(1).toLongLong(&lengthOk);
    struct stat info {};
    const bool whole = ::fstat(fd, &info) == 0 && lengthOk && info.st_size == start + length;
    if (startOk && start >= 0 && !whole)
        cutBackTo(fd, off_t(start));
    ::unlink(journal.constData());
}

// Returns false when no journal can be kept (a folder that only lets the
// file itself be written); the record is then written all the same.
bool writeJournal(const QByteArray& journal, off_t start, qsizetype length)
{
    Descriptor pending(::open(journal.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (pending.get() < 0)
        return false;
    const QByteArray text = QByteArray::number(qlonglong(start)) + ' ' + QByteArray::number(qlonglong(length)) + '\n';
    return writeAll(pending.get(), text.constData(), text.size()) == 0 && ::fsync(pending.get()) == 0;
}

}  // namespace

void appendBytes(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a named pipe in the file's place fails at once
    // instead of waiting for a reader.
    Descriptor file(::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600));
    if (file.get() < 0)
        failWrite(path, errno);
    while (::flock(file.get(), LOCK_EX) != 0 && errno == EINTR) {
    }

    const QByteArray journal = journalName(path);
    recoverTornRecord(file.get(), journal);
    if (bytes.isEmpty())
        return;

    struct stat info {};
    const off_t start = ::fstat(file.get(), &info) == 0 ? info.st_size : 0;
    const bool journalled = writeJournal(journal, start, bytes.size());

    int error = writeAll(file.get(), bytes.constData(), bytes.size());
    if (error == 0 && ::fsync(file.get()) != 0 && errno != EINVAL)
        error = errno;
    if (error != 0) {
        cutBackTo(file.get(), start);
        if (journalled)
            ::unlink(journal.constData());
        failWrite(path, error);
    }
    if (journalled)
        ::unlink(journal.constData());
}

QByteArray readBytes(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        if (errno == ENOENT)
            return {};
        failRead(path, systemReason(errno));
    }
    // Only a plain file has an end to read up to: a device or a pipe in its
    // place would be read forever.
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        failRead(path, systemReason(errno));
    if (!S_ISREG(info.st_mode))
        failRead(path, QStringLiteral("it is not a plain file"));
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failRead(path, systemReason(errno));
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

bool makeFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString folder = absolute; !QFileInfo::exists(folder);) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    for (const QString& folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(absolute).isDir();
}

}  // namespace file_access
