#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The journal that lets a record reach every one of its files or none.
// Before any record file is touched it is written and synced in the files'
// folder: for each file its identity, its size before the record and the
// bytes it is to receive. A journal that a stopped run left behind is
// completed by the next append, file by file, without removing or
// overwriting a byte of any file.
namespace record_journal {

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Identity&) const = default;
};

struct Entry {
    QString name;  // the file's path, relative to the journal's folder
    Identity identity;
    qint64 sizeBefore = 0;
    QByteArray bytes;
};

QByteArray encode(const QList<Entry>& entries);
// The entries, or nothing for a journal that is torn or damaged: such a
// journal was never synced whole, so no record file was touched after it.
std::optional<QList<Entry>> decode(const QByteArray& journal);

// The file that stands at an entry's path when its journal is completed.
struct FileNow {
    Identity identity;
    qint64 size = 0;
    // The file's bytes from `offset` on, `length` of them.
    std::function<QByteArray(qint64 offset, qint64 length)> read;
};

enum class Step {
    AppendRest,  // the file ends with a beginning of the record: add the rest
    Nothing,     // the file ends with the whole record
    LeaveAlone,  // another file, or one that was shortened or written since
};
struct Completion {
    Step step = Step::LeaveAlone;
    qint64 from = 0;  // for AppendRest, where in the entry's bytes the rest begins
};

Completion complete(const Entry& entry, const FileNow& file);

}  // namespace record_journal
