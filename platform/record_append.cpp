#include "platform/drill_error.h"
#include "platform/file_access.h"
#include "platform/posix_file.h"
#include "platform/record_calls.h"
#include "platform/record_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>

namespace file_access {
namespace {

using record_calls::Handle;
using record_calls::Mode;
using record_journal::Kind;

const QByteArray journalName = ".record-journal";
const QByteArray setAsideName = ".record-journal.damaged";
const QByteArray takeBackName = ".record-journal.take-back";
// Far beyond any record's journal; a larger file is not read into memory.
constexpr qint64 journalLimit = qint64(512) << 20;

// The checksums of journals that this run gave up on (their record was
// reported as not recorded) but could not clear from the disk: the next
// append of this run takes their bytes back instead of completing them.
QSet<QByteArray>& abandonedJournals()
{
    static QSet<QByteArray> checksums;
    return checksums;
}

QString reasonFor(int error)
{
    if (error == ELOOP)
        return QStringLiteral("it is a symbolic link, which the program does not write through");
    return posix_file::reason(error);
}

QString shown(const QString& folder, const QByteArray& name)
{
    return QDir::toNativeSeparators(folder + u'/' + QFile::decodeName(name));
}

QByteArray nameOf(const QString& path)
{
    return QFile::encodeName(QFileInfo(path).fileName());
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
    return QStringLiteral("An earlier run of the program was stopped while it wrote a record. The record has been "
                          "completed in the files that still ended where it stopped. These files have changed since "
                          "and were left as they are: %1. Look at the end of each to see whether that record is whole.")
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

// Empties the journal, then removes it: whatever becomes of its name after
// a power cut, it holds no record any more. 0 or the errno.
int clearJournal(const Handle& dir)
{
    if (const int error = emptyJournal(dir))
        return error;
    // Emptied, it may stay where it cannot be removed.
    record_calls::removeAt(dir, journalName);
    return 0;
}

// Removes a journal whose record is in every file; one that cannot be
// removed is emptied instead. 0 or the errno of the removal.
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

// Settles one file of a leftover journal; returns false when the file has
// changed since and is left as it is.
bool settleFile(const Handle& dir, const QString& folder, Kind kind, const record_journal::Entry& entry,
                qint64 journalTime)
{
    const QByteArray name = QFile::encodeName(entry.name);
    const QString path = QDir(folder).filePath(entry.name);
    Handle file;
    int error = record_calls::openAt(dir, name, Mode::ExistingRecord, &file);
    if (error == ENOENT)
        return false;
    if (error != 0)
        failUnfinished(path, kind, "opened", error);
    record_calls::Info info;
    if ((error = record_calls::inspect(file, name, &info)) != 0)
        failUnfinished(path, kind, "read", error);
    if (!info.plain)
        return false;
    // File systems keep times coarsely (FAT to two seconds), and of two
    // files written in turn the second may even show the earlier time: only
    // a change well after the journal was written counts.
    constexpr qint64 sameMomentSeconds = 2;
    const bool newer = info.modified > journalTime + sameMomentSeconds;
    const record_journal::FileNow now{info.size, newer, [&file, &name](qint64 offset, qint64 length) {
                                          record_journal::FileNow::Read read;
                                          read.error = record_calls::read(file, name, offset, length, &read.bytes);
                                          return read;
                                      }};
    const record_journal::Settlement settlement = record_journal::settle(kind, entry, now);
    switch (settlement.step) {
    case record_journal::Step::LeaveAlone:
        return false;
    case record_journal::Step::Unreadable:
        failUnfinished(path, kind, "read", settlement.error);
    case record_journal::Step::CutBack:
        if ((error = record_calls::truncate(file, name, entry.sizeBefore)) != 0)
            failUnfinished(path, kind, "cut back", error);
        break;
    case record_journal::Step::AppendRest:
        if ((error = record_calls::writeAll(file, name, entry.bytes.mid(settlement.from))) != 0) {
            // Only the bytes just appended are taken back, if any were; should
            // that fail, the journal still describes them.
            record_calls::Info after;
            if (record_calls::inspect(file, name, &after) == 0 && after.size > info.size)
                record_calls::truncate(file, name, info.size);
            failUnfinished(path, kind, "written", error);
        }
        break;
    case record_journal::Step::Nothing:
        break;
    }
    // Synced even when nothing was done: the run that wrote the file may have
    // been stopped before its sync.
    if ((error = record_calls::sync(file, name)) != 0)
        failUnfinished(path, kind, "written", error);
    return true;
}

// Completes, or takes back, the record that a journal in the folder
// describes, then removes the journal. Returns the messages for the
// student; throws when the journal must be kept.
QStringList settleLeftover(const Handle& dir, const QString& folder)
{
    Handle journal;
    int error = record_calls::openAt(dir, journalName, Mode::ReadJournal, &journal);
    if (error == ENOENT)
        return {};
    if (error == ELOOP)
        return {setJournalAside(dir, folder, QStringLiteral("is a symbolic link"))};
    if (error != 0)
        failJournal(folder, "read", error);
    record_calls::Info info;
    if ((error = record_calls::inspect(journal, journalName, &info)) != 0)
        failJournal(folder, "read", error);
    if (!info.plain)
        return {setJournalAside(dir, folder, QStringLiteral("is not a plain file"))};
    if (info.size == 0) {
        // Cleared, but not removable: it holds nothing.
        return {};
    }
    if (info.size > journalLimit)
        return {setJournalAside(dir, folder, QStringLiteral("is far too large to be a record's journal"))};
    QByteArray text;
    if ((error = record_calls::read(journal, journalName, 0, info.size, &text)) != 0)
        failJournal(folder, "read", error);

    const record_journal::Decoded decoded = record_journal::decode(text);
    using Verdict = record_journal::Decoded::Verdict;
    if (decoded.verdict == Verdict::Torn) {
        if (const int retireError = retireJournal(dir))
            failJournal(folder, "removed", retireError, QStringLiteral(" It was cut short before any file was written."));
        return {};
    }
    if (decoded.verdict == Verdict::Damaged)
        return {setJournalAside(dir, folder, QStringLiteral("is damaged"))};
    if (decoded.verdict == Verdict::Impossible)
        return {setJournalAside(dir, folder, QStringLiteral("does not describe a record that this program writes"))};

    const Kind kind = abandonedJournals().contains(decoded.checksum) ? Kind::TakeBack : decoded.journal.kind;
    QStringList leftAlone;
    for (const record_journal::Entry& entry : decoded.journal.entries) {
        if (!settleFile(dir, folder, kind, entry, info.modified))
            leftAlone.append(QDir(folder).filePath(entry.name));
    }
    if (const int retireError = retireJournal(dir))
        failJournal(folder, "removed", retireError, QStringLiteral(" The record it describes is settled in every file."));
    abandonedJournals().remove(decoded.checksum);
    leftAlone.removeDuplicates();
    if (leftAlone.isEmpty())
        return {};
    return {leftAloneNotice(kind, leftAlone)};
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

// The program's earlier versions kept one journal per file, which only ever
// told where a torn record began. They are removed without touching their
// files; one that cannot be removed does no harm, as nothing reads it.
void dropOldJournals(const Handle& dir, const std::vector<RecordPart>& parts)
{
    for (const RecordPart& part : parts) {
        const QByteArray name = '.' + nameOf(part.path) + ".pending";
        record_calls::Info info;
        if (record_calls::inspectAt(dir, name, &info) == 0)
            record_calls::removeAt(dir, name);
    }
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

record_journal::Journal journalOf(const std::vector<OpenFile>& files, Kind kind)
{
    record_journal::Journal journal{kind, {}};
    for (const OpenFile& file : files)
        journal.entries.append({QFile::decodeName(file.name), file.sizeBefore, file.tailChecksum, file.part->bytes});
    return journal;
}

// Writes a journal under `name` and syncs it; 0 or the errno.
int putJournal(const Handle& dir, const QByteArray& name, const QByteArray& text)
{
    Handle journal;
    int error = record_calls::openAt(dir, name, Mode::NewJournal, &journal);
    if (error == 0)
        error = record_calls::writeAll(journal, name, text);
    if (error == 0)
        error = record_calls::sync(journal, name);
    return error;
}

// Puts a journal to take back in the place of the record's journal, in one
// rename, so that one or the other is on the disk whatever happens. Once
// renamed, the journal to take back is the one in place: a failed sync of
// the folder leaves open only which of the two a power cut keeps, and either
// leaves the files agreeing.
bool replaceWithTakeBack(const Handle& dir, const QByteArray& text)
{
    int error = putJournal(dir, takeBackName, text);
    if (error == 0)
        error = record_calls::renameAt(dir, takeBackName, journalName);
    if (error != 0) {
        record_calls::removeAt(dir, takeBackName);
        return false;
    }
    syncFolder(dir);
    return true;
}

// What a failed record leaves to say about its journal, for the message.
QString abandonJournal(const Handle& dir, const QByteArray& text)
{
    const int error = clearJournal(dir);
    if (error == 0)
        return {};
    abandonedJournals().insert(record_journal::checksumOf(text));
    return QStringLiteral(" Its journal could not be cleared either (%1): if the program is closed before the record "
                          "is written, its next start may write the record from the journal.")
        .arg(reasonFor(error));
}

// False when the folder lets no file be created, so that no journal can be
// kept; the record is then written without one. Any other failure fails the
// record before a record file is touched.
bool writeJournal(const Handle& dir, const QString& folder, const QByteArray& text)
{
    // A journal given up on earlier with the same bytes is replaced by this
    // one, which is to be completed.
    abandonedJournals().remove(record_journal::checksumOf(text));
    int error = putJournal(dir, journalName, text);
    if (error == EACCES || error == EPERM) {
        record_calls::Info info;
        if (record_calls::inspectAt(dir, journalName, &info) == ENOENT)
            return false;
    }
    if (error == 0)
        error = syncFolder(dir);
    if (error != 0)
        failJournal(folder, "written", error, abandonJournal(dir, text));
    return true;
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

// A write or a sync of file `failed` went wrong: the files written so far
// are cut back, and what could not be cut back is left to the journal to
// take back before the next record.
[[noreturn]] void failRecord(const Handle& dir, const std::vector<OpenFile>& files, std::size_t failed, int error,
                             const QByteArray* journal)
{
    QStringList notTakenBack;
    for (std::size_t j = 0; j <= failed; ++j) {
        const QString reason = cutBack(files[j]);
        if (!reason.isEmpty())
            notTakenBack.append(QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(files[j].part->path), reason));
    }
    const QString& path = files[failed].part->path;
    if (notTakenBack.isEmpty())
        failWrite(path, reasonFor(error), journal ? abandonJournal(dir, *journal) : QString());

    const QString what = notTakenBack.join(QStringLiteral(", "));
    if (!journal) {
        throw DrillError(QStringLiteral("The record file %1 could not be written: %2. Part of the record reached %3 "
                                        "and could not be taken back out of it.")
                             .arg(QDir::toNativeSeparators(path), reasonFor(error), what));
    }
    const QByteArray takeBack = record_journal::encode(journalOf(files, Kind::TakeBack));
    if (replaceWithTakeBack(dir, takeBack)) {
        failWrite(path, reasonFor(error),
                  QStringLiteral(" The part of it in %1 could not be taken back out yet, and will be before the next "
                                 "record is written.")
                      .arg(what));
    }
    abandonedJournals().insert(record_journal::checksumOf(*journal));
    throw DrillError(QStringLiteral("The record file %1 could not be written: %2. Part of the record reached %3 and "
                                    "could not be taken back out of it, nor could its journal be changed: one more "
                                    "press takes that part back first and then writes the record once. If the "
                                    "program is closed first, its next start completes the record in every file "
                                    "instead.")
                         .arg(QDir::toNativeSeparators(path), reasonFor(error), what));
}

// Returns a message for the student when the record was written but its
// journal could not be removed.
QStringList writeFiles(const Handle& dir, const QString& folder, const std::vector<OpenFile>& files)
{
    const QByteArray text = record_journal::encode(journalOf(files, Kind::Complete));
    const bool journalled = writeJournal(dir, folder, text);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QByteArray& bytes = files[i].part->bytes;
        int error = record_calls::writeAll(files[i].handle, files[i].name, bytes);
        if (error == 0)
            error = record_calls::sync(files[i].handle, files[i].name);
        if (error != 0)
            failRecord(dir, files, i, error, journalled ? &text : nullptr);
    }
    if (!journalled)
        return {};
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
