#include "platform/posix_file.h"

#include "platform/posix_file_system.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace posix_file {

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool PathInfo::isFolder() const
{
    return S_ISDIR(mode);
}

bool PathInfo::isPlainFile() const
{
    return S_ISREG(mode);
}

int writeAll(int fd, const char* data, qsizetype size)
{
    qsizetype written = 0;
    while (written < size) {
        // One call writes at most what an unsigned int holds on every system.
        const auto chunk = unsigned(std::min<qsizetype>(size - written, qsizetype(1) << 30));
        const auto n = ::write(fd, data + written, chunk);
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

int makeFolders(const QString& path, QString* failed)
{
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
        const int error = makeFolder(folder);
        if (error != 0 && error != EEXIST) {
            if (failed)
                *failed = folder;
            return error;
        }
    }
    if (QFileInfo(absolute).isDir())
        return 0;
    if (failed)
        *failed = absolute;
    return ENOTDIR;
}

PlainFile readPlainFile(const QString& path, qint64 limit)
{
    return readPlainFile(nativePath(path), limit);
}

PlainFile readPlainFile(const QByteArray& nativePath, qint64 limit)
{
    PlainFile file;
    const auto fail = [&file](PlainFile::Failure failure) {
        file.failure = failure;
        file.bytes.clear();
        return std::move(file);
    };
    const auto failWithReason = [&](int error) {
        file.error = error;
        return fail(PlainFile::Failure::System);
    };

    int fd = -1;
    if (const int error = system_calls::openToRead(nativePath, &fd))
        return failWithReason(error);
    const Descriptor descriptor(fd);
    PathInfo info;
    if (const int error = system_calls::infoOf(fd, &info))
        return failWithReason(error);
    file.mode = info.mode;
    file.size = info.size;
    if (!info.isPlainFile())
        return fail(PlainFile::Failure::NotPlain);
    if (file.size > limit)
        return fail(PlainFile::Failure::TooLarge);

    // Room for one byte more than the file's size, to see at once whether it
    // grew; it may, and is read to its end all the same, within the limit.
    QByteArray& bytes = file.bytes;
    qsizetype got = 0;
    for (;;) {
        if (got > limit) {
            file.size = got;
            return fail(PlainFile::Failure::TooLarge);
        }
        if (got == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(limit + 1, std::max<qint64>(file.size + 1, 2 * qint64(got)))));
        const auto chunk = unsigned(std::min<qsizetype>(bytes.size() - got, qsizetype(1) << 30));
        const auto n = ::read(fd, bytes.data() + got, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failWithReason(errno);
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    file.size = got;
    return file;
}

}  // namespace posix_file
