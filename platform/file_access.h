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
// synced; each file gets its bytes in one write and is synced, and then
// marked in the journal; the journal is removed. If a write or a sync fails,
// the journal is marked to take the record back, the files already written
// are cut back by the bytes just written (or, when that fails too, their
// bytes are left to the journal to take back before the next record), and
// DrillError names the file and the system's reason. When the journal cannot
// be marked, no file is cut back and the record stands, to be completed from
// the journal: it counts as recorded, and a message says so. A journal left
// by an earlier run or another copy is settled first; one that cannot be
// settled now is kept and fails the record. Returns the messages for the
// student: about that journal (files that have changed since it was written
// and were left as they are, or a journal set aside), or about a record that
// stands. (record_calls::setFaultHook lets tests fail any of the system calls
// made here.)
QStringList appendRecord(const std::vector<RecordPart>& parts);

// The whole file, or empty when it does not exist. Any other failure
// (a folder, device or pipe in its place, no permission) throws DrillError.
QByteArray readBytes(const QString& path);

// Creates the folder and any missing parents, new ones owner-only (0700);
// folders that exist keep their modes. Returns false on failure.
bool makeFolder(const QString& path);

}  // namespace file_access
