#include "platform/file_access.h"

#include "platform/drill_error.h"
#include "platform/posix_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

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
    using Failure = posix_file::PlainFile::Failure;
    posix_file::PlainFile file = posix_file::readPlainFile(path);
    if (file.failure == Failure::None)
        return std::move(file.bytes);
    if (file.failure == Failure::System && file.error == ENOENT)
        return {};
    failRead(path, file.failure == Failure::System ? posix_file::reason(file.error)
                                                   : QStringLiteral("it is not a plain file"));
}

bool makeFolder(const QString& path)
{
    return !path.isEmpty() && posix_file::makeFolders(path) == 0;
}

}  // namespace file_access
