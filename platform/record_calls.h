#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <utility>

// The system calls by which records reach their files, each relative to
// the open data folder. Every one of them first asks the fault hook, so
// that tests can fail any call on any file, or stop the program at it.
// Nothing in these signatures belongs to one system: each system has a
// file of its own behind them, and the record layer above stays one.
namespace record_calls {

enum class Call { Open, Inspect, Read, Write, Sync, Truncate, Remove, Rename, Lock };

// Returns 0 to let the call run, or the errno with which it fails instead.
// `name` is the file's name in the data folder ("" for the folder itself).
using FaultHook = int (*)(Call call, const QByteArray& name);
void setFaultHook(FaultHook hook);

// An open folder or file; closed when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(std::intptr_t native) : native_(native) {}
    ~Handle();
    Handle(Handle&& other) noexcept : native_(std::exchange(other.native_, invalid)) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool isOpen() const { return native_ != invalid; }
    std::intptr_t native() const { return native_; }

private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t native_ = invalid;
};

// How a file of the data folder is opened. In every mode a symbolic link in
// the name's place is refused (ELOOP), a folder there fails with EISDIR when
// it is to be written, and a named pipe or a device fails or opens at once
// instead of waiting for the other end.
enum class Mode {
    Record,           // read and append; made, owner-only, when missing
    ExistingRecord,   // read and append; ENOENT when missing
    ReadJournal,      // read, and sync what was read
    NewJournal,       // write at its end; made when missing, emptied when not
    ExistingJournal,  // write; ENOENT when missing
};

// What stands at a name, or behind a handle.
struct Info {
    bool plain = false;  // a plain file: not a folder, a link, a pipe or a device
    qint64 size = 0;
};

// Each returns 0 or the errno of the failure.
int openFolder(const QString& path, Handle* folder);
int openAt(const Handle& folder, const QByteArray& name, Mode mode, Handle* file);
int inspect(const Handle& file, const QByteArray& name, Info* info);
// Does not follow a symbolic link at the name; ENOENT when nothing is there.
int inspectAt(const Handle& folder, const QByteArray& name, Info* info);
// Up to `length` bytes from `offset` (fewer where the file ends), into
// `bytes`, whose memory is used again where it is large enough.
int read(const Handle& file, const QByteArray& name, qint64 offset, qint64 length, QByteArray* bytes);
// At the end, for a file open to append.
int writeAll(const Handle& file, const QByteArray& name, const QByteArray& bytes);
// A device or a pipe, which cannot be synced, counts as synced.
int sync(const Handle& fileOrFolder, const QByteArray& name);
int truncate(const Handle& file, const QByteArray& name, qint64 size);
int removeAt(const Handle& folder, const QByteArray& name);
int renameAt(const Handle& folder, const QByteArray& from, const QByteArray& to);
// Waits for another copy of the program to let go of its lock, but not
// through signals without end (EINTR).
int lock(const Handle& fileOrFolder, const QByteArray& name);

}  // namespace record_calls
