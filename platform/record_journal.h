#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The journal that lets a record reach every one of its files or none.
// Before any record file is touched it is written and synced in the files'
// folder: for each file its size before the record, a checksum of the bytes
// just before the record, and the bytes it is to receive. After it come
// marks, each synced before the program acts on it: one for each file once
// the record is whole there, and one when the record is to be taken back
// out of its files instead of completed. A journal that a stopped run left
// behind is settled by the next append from these alone and the files'
// bytes, never from the files' times, which copies and clocks do not keep.
//
// Files are recognised by their content, never by device and inode numbers,
// which change when a stick is mounted again.
//
// Every decision about a journal and its files is made here, the same for
// every system; the caller only reads, writes and cuts back what it is told.
namespace record_journal {

enum class Kind {
    Complete,  // append to each file what it still lacks of the record
    TakeBack,  // cut each file back to where the record began
};

// A file's part of a record, as the journal is written.
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

// The lines appended to the journal whose checksum is given: the record
// is whole, and synced, in the file of entry `entry`; the record is to be
// taken back.
QByteArray reachedMark(const QByteArray& checksum, qsizetype entry);
QByteArray takeBackMark(const QByteArray& checksum);

// Reads up to `length` bytes from `offset` into `bytes` (fewer where the
// file ends); returns 0 or the errno of a failed read.
using ReadAt = std::function<int(qint64 offset, qint64 length, QByteArray* bytes)>;

// Journals and files are read and compared in pieces of this size at
// most, so that the memory taken does not grow with them.
constexpr qint64 pieceSize = qint64(1) << 20;

// A file's part of a record, as a journal on the disk describes it: its
// bytes stay in the journal, at `offset`.
struct Part {
    QString name;
    qint64 sizeBefore = 0;
    QByteArray tailChecksum;
    qint64 offset = 0;
    qint64 length = 0;
    bool reached = false;  // marked as holding the whole record once
};

struct Decoded {
    enum class Verdict {
        Whole,
        // Shorter than its own heading says, and unsealed: cut short while it
        // was written, so that no record file was touched after it.
        Torn,
        Damaged,     // sealed, or as long as it says, but its checksum fails
        Impossible,  // sealed, but not a journal that the program writes
        Unreadable,  // a read failed: `error` says why
    };
    Verdict verdict = Verdict::Damaged;
    Kind kind = Kind::Complete;  // TakeBack also when marked so
    QList<Part> parts;
    int error = 0;
};
// A journal of `size` bytes, read piece by piece.
Decoded decode(qint64 size, const ReadAt& read);
Decoded decode(const QByteArray& journal);

// A name that a journal may hold: a file in the journal's own folder.
bool isPlainName(const QString& name);

// The file that stands at a part's name when its journal is settled.
struct FileNow {
    qint64 size = 0;
    ReadAt read;
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
    qint64 from = 0;  // for AppendRest, where in the part's bytes the rest begins
    int error = 0;    // for Unreadable
};

// `journal` reads the journal that holds the part's bytes.
Settlement settle(Kind kind, const Part& part, const FileNow& file, const ReadAt& journal);

}  // namespace record_journal
