#include "platform/drill_error.h"
#include "platform/file_access.h"
#include "platform/posix_file.h"
#include "platform/record_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_access {
namespace {

using posix_file::Descriptor;

CrashPointHook crashPointHook = nullptr;

void crashPoint()
{
    if (crashPointHook)
        crashPointHook();
}

// Returns 0 or the errno of the failure; a device or a pipe, which cannot
// be synced, counts as synced.
int sync(int fd)
{
    crashPoint();
    if (::fsync(fd) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

QByteArray nameOf(const QString& path)
{
    return QFile::encodeName(path);
}

[[noreturn]] void failWrite(const QString& path, int error, bool takenBack = true)
{
    const QString failure = QStringLiteral("The record file %1 could not be written: %2.")
                                .arg(QDir::toNativeSeparators(path), posix_file::reason(error));
    throw DrillError(failure + (takenBack ? QStringLiteral(" Nothing was recorded.")
                                          : QStringLiteral(" Part of the record could not be taken back out of the "
                                                           "files written before it.")));
}

record_journal::Identity identityOf(const struct stat& info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

QString journalPath(const QString& folder)
{
    return folder + QStringLiteral("/.record-journal");
}

// Cuts a file back to `size`, but only when it has grown by no more than the
// `length` bytes just written to it: never into bytes that were there before.
bool cutBack(int fd, off_t size, qint64 length)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if (!S_ISREG(now.st_mode) || now.st_size == size)
        return true;
    return now.st_size > size && now.st_size <= size + length && ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0;
}

// Completes one file of a leftover journal; false when it leaves the file
// alone.
bool completeFile(const QString& path, const record_journal::Entry& entry)
{
    const Descriptor fd(::open(nameOf(path).constData(), O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const record_journal::FileNow now{identityOf(info), qint64(info.st_size), [&fd](qint64 offset, qint64 length) {
                                          return posix_file::readAt(fd.get(), offset, length);
                                      }};
    const record_journal::Completion completion = record_journal::complete(entry, now);
    if (completion.step == record_journal::Step::LeaveAlone)
        return false;
    // A file that already holds the whole record is synced all the same: the
    // run that wrote it may have been stopped before its sync.
    const QByteArray rest = entry.bytes.mid(completion.from);
    int error = posix_file::writeAll(fd.get(), rest.constData(), rest.size());
    if (error == 0)
        error = sync(fd.get());
    if (error != 0)
        failWrite(path, error, cutBack(fd.get(), info.st_size, rest.size()));
    return true;
}

// Completes the record that a stopped run left in its journal, if any, and
// removes the journal. Returns the files left alone.
QStringList completeLeftover(const QString& folder)
{
    const QByteArray journal = nameOf(journalPath(folder));
    const Descriptor fd(::open(journal.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    QStringList leftAlone;
    if (const auto entries = record_journal::decode(posix_file::readAt(fd.get(), 0, info.st_size))) {
        const QDir dir(folder);
        for (const record_journal::Entry& entry : *entries) {
            const QString path = QDir::cleanPath(dir.filePath(entry.name));
            if (!completeFile(path, entry))
                leftAlone.append(path);
        }
    }
    crashPoint();
    ::unlink(journal.constData());
    leftAlone.removeDuplicates();
    return leftAlone;
}

// The program's earlier versions kept one journal per file, which only ever
// told where a torn record began. They are removed without touching their
// files, so that no later run cuts a file by them.
void dropOldJournals(const std::vector<RecordPart>& parts)
{
    for (const RecordPart& part : parts) {
        const QFileInfo info(part.path);
        ::unlink(nameOf(info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".pending")).constData());
    }
}

// One file of the record being written, and how it stood before.
struct OpenFile {
    const RecordPart* part = nullptr;
    Descriptor fd;
    struct stat before {};
};

std::vector<OpenFile> openAll(const std::vector<RecordPart>& parts)
{
    std::vector<OpenFile> files;
    files.reserve(parts.size());
    for (const RecordPart& part : parts) {
        // Non-blocking, so that a named pipe in the file's place fails at
        // once instead of waiting for a reader.
        OpenFile file{&part, Descriptor(::open(nameOf(part.path).constData(),
                                               O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600)),
                      {}};
        if (!file.fd.isOpen() || ::fstat(file.fd.get(), &file.before) != 0)
            failWrite(part.path, errno);
        files.push_back(std::move(file));
    }
    return files;
}

// False when no journal can be kept (a folder that lets only its files be
// written); the record is then written without one.
bool writeJournal(int folderFd, const QString& folder, const std::vector<OpenFile>& files)
{
    const QDir dir(QFileInfo(folder).absoluteFilePath());
    QList<record_journal::Entry> entries;
    for (const OpenFile& file : files) {
        entries.append({dir.relativeFilePath(QFileInfo(file.part->path).absoluteFilePath()), identityOf(file.before),
                        qint64(file.before.st_size), file.part->bytes});
    }
    const QByteArray text = record_journal::encode(entries);
    const QByteArray name = nameOf(journalPath(folder));
    const Descriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.isOpen())
        return false;
    if (posix_file::writeAll(fd.get(), text.constData(), text.size()) != 0 || sync(fd.get()) != 0) {
        ::unlink(name.constData());
        return false;
    }
    // The journal's name, and those of record files just made, on the disk too.
    sync(folderFd);
    return true;
}

void writeFiles(int folderFd, const QString& folder, const std::vector<OpenFile>& files)
{
    const bool journalled = writeJournal(folderFd, folder, files);
    const QByteArray journal = nameOf(journalPath(folder));
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QByteArray& bytes = files[i].part->bytes;
        int error = posix_file::writeAll(files[i].fd.get(), bytes.constData(), bytes.size());
        if (error == 0)
            error = sync(files[i].fd.get());
        if (error != 0) {
            bool takenBack = true;
            for (std::size_t j = 0; j <= i; ++j)
                takenBack = cutBack(files[j].fd.get(), files[j].before.st_size, files[j].part->bytes.size()) && takenBack;
            // A journal whose files are all back where they were has nothing
            // left to do; otherwise it completes the record at the next append.
            if (journalled && takenBack)
                ::unlink(journal.constData());
            failWrite(files[i].part->path, error, takenBack);
        }
    }
    if (journalled) {
        crashPoint();
        ::unlink(journal.constData());
    }
}

}  // namespace

QStringList appendRecord(const std::vector<RecordPart>& parts)
{
    if (parts.empty())
        return {};
    const QString& first = parts.front().path;
    const QString folder = QFileInfo(first).path();
    const Descriptor folderFd(::open(nameOf(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.isOpen())
        failWrite(first, errno);
    // Held until the folder is closed on return. Where the file system has
    // no locks, a single copy of the program still writes whole records.
    while (::flock(folderFd.get(), LOCK_EX) != 0 && errno == EINTR) {
    }

    const QStringList leftAlone = completeLeftover(folder);
    try {
        dropOldJournals(parts);
        writeFiles(folderFd.get(), folder, openAll(parts));
    } catch (const DrillError& error) {
        if (leftAlone.isEmpty())
            throw;
        throw DrillError(error.text() + QStringLiteral("\n\n") + leftAloneNotice(leftAlone));
    }
    return leftAlone;
}

QString leftAloneNotice(const QStringList& paths)
{
    QStringList shown;
    for (const QString& path : paths)
        shown.append(QDir::toNativeSeparators(path));
    return QStringLiteral("An earlier run of the program was stopped while it wrote a record. The record has been "
                          "completed in the files that still ended where it stopped. These files have changed since "
                          "and were left as they are: %1. Look at the end of each to see whether that record is whole.")
        .arg(shown.join(QStringLiteral(", ")));
}

void setCrashPointHook(CrashPointHook hook)
{
    crashPointHook = hook;
}

}  // namespace file_access
