#pragma once

#include <QByteArray>
#include <QString>

// The real file operations behind the platform layer; the test double uses
// them too, on files in a temporary folder.
namespace file_access {

// One append write of the whole record, then fsync, under a lock and with a
// journal that lets the next append cut off a record torn by a kill or a
// power failure. New files are created readable by their owner only. On
// failure the bytes this call managed to write are cut off again, so the
// file keeps exactly what it held before, and DrillError names the file and
// the system's reason.
void appendBytes(const QString& path, const QByteArray& bytes);

// The whole file, or empty when it does not exist. Any other failure
// (a folder, device or pipe in its place, no permission) throws DrillError.
QByteArray readBytes(const QString& path);

// Creates the folder and any missing parents, new ones owner-only (0700);
// folders that exist keep their modes. Returns false on failure.
bool makeFolder(const QString& path);

}  // namespace file_access
