#include "platform/drill_error.h"
#include "platform/file_access.h"
#include "platform/posix_file.h"
#include "platform/record_calls.h"
#include "platform/record_journal.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace file_access {
namespace {

using record_calls::Handle;
using record_calls::Mode;
using record_journal::Kind;

const QByteArray journalName = ".record-journal";
const QByteArray setAsideName = ".record-journal.damaged";
// Far beyond any record's journal; a larger file is set aside unread.
constexpr qint64 journalLimit = qint64(512) << 20;

QString reasonFor(int error)
{
    if (error == ELOOP)
        return QStringLiteral("it is a symbolic link, which the program does not write through");
    return posix_file::reason(error);
}

QString shown(const QString& folder, const QByteArray& name)
{
    return QDir::toNativeSeparators(folder + u'/' + posix_file::pathFromNative(name));
}

QByteArray nameOf(const QString& path)
{
    return posix_file::nativePath(QFileInfo(path).fileName());
}

[[noreturn]] void failWrite(const QString& path, const QString& reason, const QString& more = QString())
{
    throw DrillError(QStringLiteral("The record file %1 could not be written: %2. Nothing was recorded.%3")
                         .arg(QDir::toNativeSeparators(path), reason, more));
}

// A file of a leftover journal that cannot be settled now: the journal is
// kept, and nothing else is written until it can be.
[[noreturn]] void failUnfinished(const QString& path, Kind kind, const char* action, int error)
{
    throw DrillError(QStringLiteral("The record file %1 could not be %2: %3. An unfinished record must be %4 it before "
                                    "any other record is written. Nothing was recorded.")
                         .arg(QDir::toNativeSeparators(path), QLatin1String(action), reasonFor(error),
                              kind == Kind::Complete ? QStringLiteral("completed in") : QStringLiteral("taken back out of")));
}

[[noreturn]] void failJournal(const QString& folder, const char* action, int error, const QString& more = QString())
{
    throw DrillError(QStringLiteral("The record journal %1 could not be %2: %3. Nothing was recorded.%4")
                         .arg(shown(folder, journalName), QLatin1String(action), reasonFor(error), more));
}

QString leftAloneNotice(Kind kind, const QStringList& paths)
{
    QStringList shownPaths;
    for (const QString& path : paths)
        shownPaths.append(QDir::toNativeSeparators(path));
    const QString files = shownPaths.join(QStringLiteral(", "));
    if (kind == Kind::TakeBack) {
        return QStringLiteral("A record that could not be written whole has been taken back out of the files that "
                              "still ended with it. These files have changed since and were left as they are: %1. "
                              "Look at the end of each: part of that record may still be there.")
            .arg(files);
    }
    return QStringLiteral("A record that was left unfinished (a run of the program was stopped while it wrote it, or "
                          "a file failed) has been completed in the files that still ended where it stopped. These "
                          "files have changed since and were left as they are: %1. Look at the end of each to see "
                          "whether that record is whole.")
        .arg(files);
}

// The journal's name is on the disk before any record file is written,
// and one set aside stays set aside.
int syncFolder(const Handle& dir)
{
    return record_calls::sync(dir, QByteArray());
}

// Empties the journal and syncs it: an empty journal is never applied.
// 0 or the errno.
int emptyJournal(const Handle& dir)
{
    Handle journal;
    int error = record_calls::openAt(dir, journalName, Mode::ExistingJournal, &journal);
    if (error == ENOENT)
        return 0;
    if (error == 0)
        error = record_calls::truncate(journal, journalName, 0);
    if (error == 0)
        error = record_calls::sync(journal, journalName);
    return error;
}

// Removes a journal whose record is settled in every file; one that cannot
// be removed is emptied instead. 0 or the errno of the removal.
int retireJournal(const Handle& dir)
{
    const int error = record_calls::removeAt(dir, journalName);
    if (error == 0 || error == ENOENT)
        return 0;
    return emptyJournal(dir) == 0 ? 0 : error;
}

// Renames a journal that cannot be used, so that nothing is lost with it,
// and returns the message that names it.
QString setJournalAside(const Handle& dir, const QString& folder, const QString& what)
{
    QByteArray aside = setAsideName;
    record_calls::Info info;
    for (int n = 2; record_calls::inspectAt(dir, aside, &info) == 0; ++n)
        aside = setAsideName + '-' + QByteArray::number(n);
    int error = record_calls::renameAt(dir, journalName, aside);
    if (error == 0)
        error = syncFolder(dir);
    if (error != 0)
        failJournal(folder, "set aside", error, QStringLiteral(" It %1, and stays until it can be renamed.").arg(what));
    return QStringLiteral("The record journal that an earlier run left in %1 %2, so the program cannot tell whether "
                          "a record was left unfinished. It has been set aside as %3. Look at the end of each record "
                          "file there: if the last record is whole in each file and the same in the master file and "
                          "the send file, nothing is lost and %3 may be deleted.")
        .arg(QDir::toNativeSeparators(folder), what, shown(folder, aside));
}

// A file that a leftover journal names, open before any of them is changed.
struct PartFile {
    Handle handle;  // closed for a file that was removed since
    record_calls::Info info;
};

// Opens every file of a leftover journal. Returns what is wrong with the
// journal when one of its names holds a folder, a link or anything else
// but a plain file: it cannot be applied then.
std::optional<QString> openParts(const Handle& dir, const QString& folder, Kind kind,
                                 const QList<record_journal::Part>& parts, std::vector<PartFile>* files)
{
    for (const record_journal::Part& part : parts) {
        const QByteArray name = posix_file::nativePath(part.name);
        const QString path = QDir::toNativeSeparators(QDir(folder).filePath(part.name));
        PartFile file;
        int error = record_calls::openAt(dir, name, Mode::ExistingRecord, &file.handle);
        if (error == ELOOP)
            return QStringLiteral("names %1, which is a symbolic link").arg(path);
        if (error == EISDIR)
            return QStringLiteral("names %1, which is a folder").arg(path);
        if (error != 0 && error != ENOENT)
            failUnfinished(path, kind, "opened", error);
        if (error == 0 && (error = record_calls::inspect(file.handle, name, &file.info)) != 0)
            failUnfinished(path, kind, "read", error);
        if (file.handle.isOpen() && !file.info.plain)
            return QStringLiteral("names %1, which is not a plain file").arg(path);
        files->push_back(std::move(file));
    }
    return std::nullopt;
}

// Appends a part's bytes from `from` on, read from its journal piece by
// piece; 0 or the errno.
int appendRest(const PartFile& file, const QByteArray& name, const record_journal::Part& part, qint64 from,
               const record_journal::ReadAt& readJournal)
{
    QByteArray piece;
    for (qint64 at = from; at < part.length; at += record_journal::pieceSize) {
        const qint64 length = std::min(record_journal::pieceSize, part.length - at);
        if (const int error = readJournal(part.offset + at, length, &piece))
            return error;
        // Under the lock, only a hand can have shortened the journal.
        if (piece.size() != length)
            return EIO;
        if (const int error = record_calls::writeAll(file.handle, name, piece))
            return error;
    }
    return 0;
}

// Settles one file of a leftover journal; returns false when the file has
// changed since and is left as it is.
bool settlePart(const QString& folder, Kind kind, const record_journal::Part& part, const PartFile& file,
                const record_journal::ReadAt& readJournal)
{
    if (!file.handle.isOpen())
        return false;
    const QByteArray name = posix_file::nativePath(part.name);
    const QString path = QDir(folder).filePath(part.name);
    const record_journal::FileNow now{file.info.size, [&file, &name](qint64 offset, qint64 length, QByteArray* bytes) {
                                          return record_calls::read(file.handle, name, offset, length, bytes);
                                      }};
    const record_journal::Settlement settlement = record_journal::settle(kind, part, now, readJournal);
    int error = 0;
    switch (settlement.step) {
    case record_journal::Step::LeaveAlone:
        return false;
    case record_journal::Step::Unreadable:
        failUnfinished(path, kind, "read", settlement.error);
    case record_journal::Step::CutBack:
        if ((error = record_calls::truncate(file.handle, name, part.sizeBefore)) != 0)
            failUnfinished(path, kind, "cut back", error);
        break;
    case record_journal::Step::AppendRest:
        if ((error = appendRest(file, name, part, settlement.from, readJournal)) != 0) {
            // Only the bytes just appended are taken back, if any were; should
            // that fail, the journal still describes them.
            record_calls::Info after;
            if (record_calls::inspect(file.handle, name, &after) == 0 && after.size > file.info.size)
                record_calls::truncate(file.handle, name, file.info.size);
            failUnfinished(path, kind, "written", error);
        }
        break;
    case record_journal::Step::Nothing:
        break;
    }
    // Synced even when nothing was done: the run that wrote the file may have
    // been stopped before its sync.
    if ((error = record_calls::sync(file.handle, name)) != 0)
        failUnfinished(path, kind, "written", error);
    return true;
}

// Completes, or takes back, the record that a journal in the folder
// describes, then removes the journal. Returns the messages for the
// student; throws when the journal must be kept.
QStringList settleLeftover(const Handle& dir, const QString& folder)
{
    Handle journal;
    // Closed before it is renamed or removed, which some systems refuse
    // for an open file.
    const auto setAside = [&](const QString& what) {
        journal = Handle();
        return QStringList{setJournalAside(dir, folder, what)};
    };
    int error = record_calls::openAt(dir, journalName, Mode::ReadJournal, &journal);
    if (error == ENOENT)
        return {};
    if (error == ELOOP)
        return setAside(QStringLiteral("is a symbolic link"));
    if (error != 0)
        failJournal(folder, "read", error);
    record_calls::Info info;
    if ((error = record_calls::inspect(journal, journalName, &info)) != 0)
        failJournal(folder, "read", error);
    if (!info.plain)
        return setAside(QStringLiteral("is not a plain file"));
    if (info.size == 0) {
        // Cleared, but not removable: it holds nothing.
        return {};
    }
    if (info.size > journalLimit)
        return setAside(QStringLiteral("is far too large to be a record's journal"));

    const record_journal::ReadAt readJournal = [&journal](qint64 offset, qint64 length, QByteArray* bytes) {
        return record_calls::read(journal, journalName, offset, length, bytes);
    };
    const record_journal::Decoded decoded = record_journal::decode(info.size, readJournal);
    using Verdict = record_journal::Decoded::Verdict;
    switch (decoded.verdict) {
    case Verdict::Whole:
        break;
    case Verdict::Unreadable:
        failJournal(folder, "read", decoded.error);
    case Verdict::Torn:
        journal = Handle();
        if (const int retireError = retireJournal(dir))
            failJournal(folder, "removed", retireError, QStringLiteral(" It was cut short before any file was written."));
        return {};
    case Verdict::Damaged:
        return setAside(QStringLiteral("is damaged"));
    case Verdict::Impossible:
        return setAside(QStringLiteral("does not describe a record that this program writes"));
    }
    // What the journal says is on the disk before any file is changed by it,
    // even when the run that wrote its last mark could not sync it.
    if ((error = record_calls::sync(journal, journalName)) != 0)
        failJournal(folder, "synced", error);

    std::vector<PartFile> files;
    if (const std::optional<QString> what = openParts(dir, folder, decoded.kind, decoded.parts, &files))
        return setAside(*what);
    QStringList leftAlone;
    for (qsizetype i = 0; i < decoded.parts.size(); ++i) {
        if (!settlePart(folder, decoded.kind, decoded.parts[i], files[std::size_t(i)], readJournal))
            leftAlone.append(QDir(folder).filePath(decoded.parts[i].name));
    }
    journal = Handle();
    if (const int retireError = retireJournal(dir))
        failJournal(folder, "removed", retireError, QStringLiteral(" The record it describes is settled in every file."));
    leftAlone.removeDuplicates();
    if (leftAlone.isEmpty())
        return {};
    return {leftAloneNotice(decoded.kind, leftAlone)};
}

// On file systems that lock only files open for writing (network folders),
// the folder cannot be locked: the master file, which every record writes
// first, is locked instead. Where there are no locks at all, a single copy
// of the program still writes whole records.
Handle lockRecords(const Handle& dir, const QString& folder, const QString& firstPath)
{
    int error = record_calls::lock(dir, QByteArray());
    Handle locked;
    if (error == EBADF) {
        error = record_calls::openAt(dir, nameOf(firstPath), Mode::Record, &locked);
        if (error != 0)
            failWrite(firstPath, reasonFor(error));
        error = record_calls::lock(locked, nameOf(firstPath));
    }
    if (error != 0 && error != ENOLCK && error != EOPNOTSUPP) {
        throw DrillError(QStringLiteral("The record files in %1 could not be locked against another copy of the "
                                        "program: %2. Nothing was recorded.")
                             .arg(QDir::toNativeSeparators(folder), reasonFor(error)));
    }
    return locked;
}

void dropIfThere(const Handle& dir, const QByteArray& name)
{
    record_calls::Info info;
    if (record_calls::inspectAt(dir, name, &info) == 0)
        record_calls::removeAt(dir, name);
}

// The program's earlier versions kept one journal per file, which only ever
// told where a torn record began, and wrote a journal to take back beside
// the journal before renaming it into place, which a kill could leave there
// without its ever having been in force. They are removed without touching
// any file; one that cannot be removed does no harm, as nothing reads it.
void dropOldJournals(const Handle& dir, const std::vector<RecordPart>& parts)
{
    for (const RecordPart& part : parts)
        dropIfThere(dir, '.' + nameOf(part.path) + ".pending");
    dropIfThere(dir, journalName + ".take-back");
}

// One file of the record being written, and how it stood before.
struct OpenFile {
    const RecordPart* part = nullptr;
    QByteArray name;
    Handle handle;
    qint64 sizeBefore = 0;
    QByteArray tailChecksum;
};

std::vector<OpenFile> openAll(const Handle& dir, const std::vector<RecordPart>& parts)
{
    std::vector<OpenFile> files;
    files.reserve(parts.size());
    for (const RecordPart& part : parts) {
        OpenFile file{&part, nameOf(part.path), Handle(), 0, {}};
        int error = record_calls::openAt(dir, file.name, Mode::Record, &file.handle);
        if (error != 0)
            failWrite(part.path, reasonFor(error));
        record_calls::Info info;
        if ((error = record_calls::inspect(file.handle, file.name, &info)) != 0)
            failWrite(part.path, reasonFor(error));
        if (!info.plain)
            failWrite(part.path, QStringLiteral("it is not a plain file"));
        file.sizeBefore = info.size;
        const qint64 start = record_journal::tailStart(file.sizeBefore);
        QByteArray tail;
        if ((error = record_calls::read(file.handle, file.name, start, file.sizeBefore - start, &tail)) != 0)
            failWrite(part.path, reasonFor(error));
        file.tailChecksum = record_journal::tailChecksum(tail);
        files.push_back(std::move(file));
    }
    return files;
}

QByteArray journalOf(const std::vector<OpenFile>& files)
{
    record_journal::Journal journal{Kind::Complete, {}};
    for (const OpenFile& file : files)
        journal.entries.append({posix_file::pathFromNative(file.name), file.sizeBefore, file.tailChecksum, file.part->bytes});
    return record_journal::encode(journal);
}

// The journal of the record being written, held open for its marks.
struct OpenJournal {
    Handle handle;
    QByteArray checksum;
    qint64 end = 0;  // all of it that is synced, marks included
    // False once a mark could be neither synced nor cut off again: nothing
    // more is added after it. `markError` then says why.
    bool takesMarks = true;
    int markError = 0;
};

struct Marked {
    enum class Outcome {
        Yes,
        No,       // the journal says what it said before
        Unknown,  // the mark may or may not be on the disk
    };
    Outcome outcome = Outcome::No;
    int error = 0;
};

// Appends a mark and syncs it. One that fails is cut off again, and the
// journal synced, so that it says what it said before.
Marked mark(OpenJournal& journal, const QByteArray& line)
{
    if (!journal.takesMarks)
        return {Marked::Outcome::No, journal.markError};
    int error = record_calls::writeAll(journal.handle, journalName, line);
    if (error == 0)
        error = record_calls::sync(journal.handle, journalName);
    if (error == 0) {
        journal.end += line.size();
        return {Marked::Outcome::Yes, 0};
    }
    if (record_calls::truncate(journal.handle, journalName, journal.end) == 0
        && record_calls::sync(journal.handle, journalName) == 0)
        return {Marked::Outcome::No, error};
    journal.takesMarks = false;
    journal.markError = error;
    return {Marked::Outcome::Unknown, error};
}

// A record given up before any record file was touched: its journal is
// emptied, synced and removed. Returns what is left to say about it.
QString giveUpJournal(const Handle& dir)
{
    Handle journal;
    int error = record_calls::openAt(dir, journalName, Mode::ExistingJournal, &journal);
    if (error == ENOENT)
        return {};
    const bool emptied = error == 0 && (error = record_calls::truncate(journal, journalName, 0)) == 0;
    if (emptied)
        error = record_calls::sync(journal, journalName);
    const bool emptiedForCertain = emptied && error == 0;
    journal = Handle();
    // Emptied, it may stay where it cannot be removed.
    const int removeError = record_calls::removeAt(dir, journalName);
    if (emptiedForCertain || (removeError == 0 && syncFolder(dir) == 0))
        return {};
    if (emptied || removeError == 0) {
        return QStringLiteral(" It could not be cleared for certain either (%1): should the computer stop before the "
                              "next record is written, its next start may still write this record from it.")
            .arg(reasonFor(error));
    }
    return QStringLiteral(" It could not be cleared either (%1), and may still complete this record before the next "
                          "one is written: look at the end of the record files before you press again.")
        .arg(reasonFor(error));
}

// Writes the record's journal and syncs it and its name. No journal when
// the folder lets no file be made, so that none can be kept: the record is
// then written without one. Any other failure fails the record before a
// record file is touched.
std::optional<OpenJournal> writeJournal(const Handle& dir, const QString& folder, const QByteArray& text)
{
    OpenJournal journal{Handle(), record_journal::checksumOf(text), text.size(), true, 0};
    int error = record_calls::openAt(dir, journalName, Mode::NewJournal, &journal.handle);
    if (error == EACCES || error == EPERM) {
        record_calls::Info info;
        if (record_calls::inspectAt(dir, journalName, &info) == ENOENT)
            return std::nullopt;
    }
    if (error == 0)
        error = record_calls::writeAll(journal.handle, journalName, text);
    if (error == 0)
        error = record_calls::sync(journal.handle, journalName);
    if (error == 0)
        error = syncFolder(dir);
    if (error != 0) {
        journal.handle = Handle();
        failJournal(folder, "written", error, giveUpJournal(dir));
    }
    return journal;
}

// Cuts a file back to where the record began, but only when it has grown by
// no more than the record's bytes: never into bytes that were there before.
// An empty text, or the reason it could not be done.
QString cutBack(const OpenFile& file)
{
    record_calls::Info now;
    int error = record_calls::inspect(file.handle, file.name, &now);
    if (error != 0)
        return reasonFor(error);
    if (now.size == file.sizeBefore)
        return {};
    if (now.size < file.sizeBefore || now.size > file.sizeBefore + file.part->bytes.size())
        return QStringLiteral("it changed while the record was written");
    error = record_calls::truncate(file.handle, file.name, file.sizeBefore);
    if (error == 0)
        error = record_calls::sync(file.handle, file.name);
    return error == 0 ? QString() : reasonFor(error);
}

// A write or a sync of file `failed` went wrong. With a journal, the record
// is first marked in it to be taken back, and only then are the files
// written so far cut back; what cannot be cut back is left to the journal.
// When the journal takes no mark, no file is cut back: the record stands as
// the journal holds it, to be completed, and the message returned says so.
QStringList failRecord(const Handle& dir, const std::vector<OpenFile>& files, std::size_t failed, int error,
                       OpenJournal* journal)
{
    const QString path = QDir::toNativeSeparators(files[failed].part->path);
    if (journal) {
        const Marked marked = mark(*journal, record_journal::takeBackMark(journal->checksum));
        if (marked.outcome == Marked::Outcome::No) {
            return {QStringLiteral("The record file %1 could not be written: %2. Its journal could not be changed to "
                                   "take the record back out of its files either (%3), so every record file is left "
                                   "as it is and the record stands: it will be completed in every file before the "
                                   "next record is written, or at the next start. It is recorded; there is no need "
                                   "to press again.")
                        .arg(path, reasonFor(error), reasonFor(marked.error))};
        }
        if (marked.outcome == Marked::Outcome::Unknown) {
            throw DrillError(QStringLiteral("The record file %1 could not be written: %2. Its journal was marked to "
                                            "take the record back out of its files, but the mark could be neither "
                                            "synced nor taken out again (%3), so every record file is left as it "
                                            "is: before the next record is written, the record is taken back or "
                                            "completed, whichever the journal on the disk then says. Look at the end "
                                            "of the record files before you press again.")
                                 .arg(path, reasonFor(error), reasonFor(marked.error)));
        }
    }
    QStringList notTakenBack;
    for (std::size_t j = 0; j <= failed; ++j) {
        const QString reason = cutBack(files[j]);
        if (!reason.isEmpty())
            notTakenBack.append(QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(files[j].part->path), reason));
    }
    if (notTakenBack.isEmpty()) {
        if (journal) {
            // Marked to take back, it harms nothing where it cannot be removed.
            journal->handle = Handle();
            retireJournal(dir);
        }
        failWrite(path, reasonFor(error));
    }
    const QString what = notTakenBack.join(QStringLiteral(", "));
    if (!journal) {
        throw DrillError(QStringLiteral("The record file %1 could not be written: %2. Part of the record reached %3 "
                                        "and could not be taken back out of it.")
                             .arg(path, reasonFor(error), what));
    }
    failWrite(path, reasonFor(error),
              QStringLiteral(" The part of it in %1 could not be taken back out yet, and will be before the next "
                             "record is written.")
                  .arg(what));
}

// Returns a message for the student when the record stands to be completed,
// or was written but its journal could not be removed.
QStringList writeFiles(const Handle& dir, const QString& folder, const std::vector<OpenFile>& files)
{
    std::optional<OpenJournal> journal = writeJournal(dir, folder, journalOf(files));
    for (std::size_t i = 0; i < files.size(); ++i) {
        int error = record_calls::writeAll(files[i].handle, files[i].name, files[i].part->bytes);
        if (error == 0)
            error = record_calls::sync(files[i].handle, files[i].name);
        if (error != 0)
            return failRecord(dir, files, i, error, journal ? &*journal : nullptr);
        // Once marked, a file that is later cut back by hand stays so. A mark
        // that fails takes nothing from the record.
        if (journal)
            mark(*journal, record_journal::reachedMark(journal->checksum, qsizetype(i)));
    }
    if (!journal)
        return {};
    journal->handle = Handle();
    if (const int error = retireJournal(dir)) {
        return {QStringLiteral("The record was written to every file, but the record journal %1 could not be "
                               "removed: %2. No further record can be written until it can be.")
                    .arg(shown(folder, journalName), reasonFor(error))};
    }
    return {};
}

}  // namespace

QStringList appendRecord(const std::vector<RecordPart>& parts)
{
    if (parts.empty())
        return {};
    const QString& first = parts.front().path;
    const QString folder = QFileInfo(first).path();
    for (const RecordPart& part : parts) {
        if (QFileInfo(part.path).path() != folder)
            failWrite(part.path, QStringLiteral("it is not in the same folder as %1").arg(first));
    }
    Handle dir;
    if (const int error = record_calls::openFolder(folder, &dir))
        failWrite(first, reasonFor(error));
    // Held until the handles are closed on return.
    const Handle locked = lockRecords(dir, folder, first);

    QStringList notices = settleLeftover(dir, folder);
    try {
        dropOldJournals(dir, parts);
        notices += writeFiles(dir, folder, openAll(dir, parts));
    } catch (const DrillError& error) {
        if (notices.isEmpty())
            throw;
        throw DrillError(error.text() + QStringLiteral("\n\n") + notices.join(QStringLiteral("\n\n")));
    }
    return notices;
}

}  // namespace file_access
