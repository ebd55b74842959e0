#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The journal that lets a record reach every one of its files or none.
// Before any record file is touched it is written and synced in the files'
// folder: for each file its size before the record, a checksum of the bytes
// just before the record, and the bytes it is to receive. A journal that a
// stopped run left behind is completed by the next append, file by file,
// without removing or overwriting a byte of any file.
//
// A record that failed and could not be cut back out of every file is
// rewritten as a journal to take back: its bytes are then taken back out of
// the files that still end with them before the next record is written.
//
// Files are recognised by their content, never by device and inode numbers,
// which change when a stick is mounted again.
namespace record_journal {

enum class Kind {
    Complete,  // append to each file what it still lacks of the record
    TakeBack,  // cut each file back to where the record began
};

struct Entry {
    QString name;  // a plain file name in the journal's folder
    qint64 sizeBefore = 0;
    QByteArray tailChecksum;  // of the bytes before the record (see tailStart)
    QByteArray bytes;
};

struct Journal {
    Kind kind = Kind::Complete;
    QList<Entry> entries;
};

// The bytes before a record that identify its file: up to 4096 of them.
qint64 tailStart(qint64 sizeBefore);
QByteArray tailChecksum(QByteArrayView tail);

QByteArray encode(const Journal& journal);
// The checksum that encode() put at the end of a journal.
QByteArray checksumOf(const QByteArray& encoded);

struct Decoded {
    enum class Verdict {
        Whole,
        // Shorter than its own heading says, and unsealed: cut short while it
        // was written, so that no record file was touched after it.
        Torn,
        Damaged,     // sealed, or as long as it says, but its checksum fails
        Impossible,  // sealed, but not a journal that the program writes
    };
    Verdict verdict = Verdict::Damaged;
    Journal journal;
    QByteArray checksum;  // the journal's own, for a whole journal
};
Decoded decode(const QByteArray& journal);

// A name that a journal may hold: a file in the journal's own folder.
bool isPlainName(const QString& name);

// The file that stands at an entry's name when its journal is settled.
struct FileNow {
    qint64 size = 0;
    // Written after the journal was: a file of exactly its old size was then
    // cut back by hand, not left before the record's write began.
    bool modifiedSinceJournal = false;
    // `length` bytes from `offset`, or the errno of a failed read.
    struct Read {
        QByteArray bytes;
        int error = 0;
    };
    std::function<Read(qint64 offset, qint64 length)> read;
};

enum class Step {
    AppendRest,  // the file ends with a beginning of the record: add the rest
    CutBack,     // the file ends with a beginning of a record to take back
    Nothing,     // the file already is as the journal wants it
    LeaveAlone,  // another file, or one that was shortened or written since
    Unreadable,  // the bytes that decide could not be read: `error` says why
};
struct Settlement {
    Step step = Step::LeaveAlone;
    qint64 from = 0;  // for AppendRest, where in the entry's bytes the rest begins
    int error = 0;    // for Unreadable
};

Settlement settle(Kind kind, const Entry& entry, const FileNow& file);

}  // namespace record_journal
