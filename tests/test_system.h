#pragma once

#include <QProcess>
#include <QString>

#include <cstdio>
#include <memory>

// What the tests do to files beyond what the programs do, each the way its
// system does it; where a system has no such thing, the call says so and the
// row that needs it is skipped with the reason.
namespace test_system {

// Something done to the system until the object goes.
class Hold {
public:
    virtual ~Hold() = default;
};

// Root reads and writes whatever the modes say, so rows about modes skip;
// on Windows, a user who may write a read-only file (wine run by root).
bool isRoot();

// Whether file names are bytes, any bytes (Linux), rather than Unicode text
// (Windows), so that a test can make a name that is not UTF-8.
bool namesAreBytes();

// Moves a file onto another, replacing it, as a restore from a copy does.
bool replaceFile(const QString& from, const QString& to);

// Writes a file at a path given in the system's bytes (posix_file's
// nativePath), making its folder; false where no such name can be made.
bool writeFileByBytes(const QByteArray& nativePath, const QByteArray& bytes);

// A device that reads without end, given where a file is expected; empty
// where devices have no path in the file system.
QString endlessDevice();

// A named pipe at `path`; false where folders hold none (Windows).
bool makeNamedPipe(const QString& path);

// A symbolic link at `link` to `target`; false where none can be made.
bool makeSymbolicLink(const QString& target, const QString& link);

// Takes every permission from a file or folder; false where reading cannot
// be forbidden this way (Windows, where only writing can).
bool makeUnreadable(const QString& path);
// Gives the owner every permission back.
void makeReadableAgain(const QString& path);

// Whether files have permission bits (0600, 0700, ...); Windows keeps access
// lists instead.
bool hasModes();
// The permission bits of a file or folder; -1 when it cannot be looked at.
int modeOf(const QString& path);

// Makes a file read-only, and writable again, as its owner would.
bool makeReadOnly(const QString& path);
bool makeWritable(const QString& path);

// Takes the right to make files away from the folder's owner, and gives it
// back; false where a folder cannot be so restricted (Windows' read-only
// flag on a folder does not stop new files).
bool makeFolderUnwritable(const QString& path);
void makeFolderWritable(const QString& path);

// A limit on the size a file of this process may grow to, lifted when the
// object goes; null where the system has no such limit.
std::unique_ptr<Hold> limitFileSize(qint64 bytes);

// Lets the child process have no more than 1 GiB of memory, where the
// system can cap it, so that a read without end fails instead of taking the
// machine's memory.
void capMemory(QProcess& child);

// Ends this process at once, as a kill or a power cut would: the exit the
// parent sees is a crash.
[[noreturn]] void killThisProcess();

// Sends standard error into `file` until restoreStandardError() is given
// what this returns (-1 when it could not).
int redirectStandardError(std::FILE* file);
void restoreStandardError(int saved);

// The file held open without sharing, as a spreadsheet holds the file it
// shows, until the object goes; null where files are always shared (Linux).
std::unique_ptr<Hold> holdWithoutSharing(const QString& path);

}  // namespace test_system
