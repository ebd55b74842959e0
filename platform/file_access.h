#pragma once

#include "platform/platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The real file operations behind the platform layer; the test double uses
// them too, on files in a temporary folder.
namespace file_access {

// Appends a record to every one of its files or to none. Under a lock on
// the files' folder, so that two copies of the program take turns record by
// record: all files are opened (missing ones created, owner-only) before any
// is written; a journal naming each file and the bytes it is to receive is
// synced; each file gets its bytes in one write and is synced; the journal
// is removed. If a write or a sync fails, the files already written are cut
// back by the bytes just written, and DrillError names the file and the
// system's reason. A journal left by an earlier run is completed first;
// returns the files that it named but that have changed since, which are
// left as they are.
QStringList appendRecord(const std::vector<RecordPart>& parts);

// The message that names the files an earlier run's journal left alone.
QString leftAloneNotice(const QStringList& paths);

// For crash tests: called before every sync of a record file or a journal
// and before a journal is removed, the points at which a crash matters.
using CrashPointHook = void (*)();
void setCrashPointHook(CrashPointHook hook);

// The whole file, or empty when it does not exist. Any other failure
// (a folder, device or pipe in its place, no permission) throws DrillError.
QByteArray readBytes(const QString& path);

// Creates the folder and any missing parents, new ones owner-only (0700);
// folders that exist keep their modes. Returns false on failure.
bool makeFolder(const QString& path);

}  // namespace file_access
