#include "platform/file_access.h"

#include "platform/drill_error.h"
#include "platform/posix_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_access {
namespace {

[[noreturn]] void failRead(const QString& path, const QString& reason)
{
    throw DrillError(QStringLiteral("The record file %1 could not be read: %2.")
                         .arg(QDir::toNativeSeparators(path), reason));
}

}  // namespace

QByteArray readBytes(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const posix_file::Descriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen()) {
        if (errno == ENOENT)
            return {};
        failRead(path, posix_file::reason(errno));
    }
    // Only a plain file has an end to read up to: a device or a pipe in its
    // place would be read forever.
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        failRead(path, posix_file::reason(errno));
    if (!S_ISREG(info.st_mode))
        failRead(path, QStringLiteral("it is not a plain file"));
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failRead(path, posix_file::reason(errno));
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
