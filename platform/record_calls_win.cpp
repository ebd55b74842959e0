#include "platform/record_calls_system.h"

#include "platform/windows_calls.h"
#include "platform/windows_names.h"

#include <algorithm>
#include <cerrno>
#include <string>

// A handle here is one of these: the system's handle and, for a folder, the
// path that its files are named from, since Windows' calls take no folder
// handle to open a name relative to.
namespace record_calls::system {
namespace {

using windows_calls::lastErrno;

struct Opened {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring folderPath;  // a folder's own path; empty for a file
    bool mayFlush = true;     // opened for writing, which flushing needs
};

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

const Opened& openedOf(Native native)
{
    return *reinterpret_cast<const Opened*>(native);
}

HANDLE handleOf(Native native)
{
    return openedOf(native).handle;
}

Native adopt(Opened opened)
{
    return reinterpret_cast<Native>(new Opened(std::move(opened)));
}

// A name of the folder as the wide calls take it. Only a plain name reaches
// the system: no separator, drive, stream or device name leads elsewhere.
int pathIn(Native folder, const QByteArray& name, std::wstring* path)
{
    const QString plain = QString::fromUtf8(name);
    if (!windows_names::isPlainName(plain))
        return EINVAL;
    *path = openedOf(folder).folderPath + L'\\' + plain.toStdWString();
    return 0;
}

Info infoOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow)
{
    const bool plain = !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
    return {plain, (qint64(sizeHigh) << 32) | sizeLow};
}

struct Access {
    DWORD rights;
    DWORD disposition;
};

Access accessOf(Mode mode)
{
    switch (mode) {
    case Mode::Record:
        return {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS};
    case Mode::ExistingRecord:
        return {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING};
    case Mode::ReadJournal:
        // Writing too, so that what is read can be flushed (Windows flushes
        // only handles open for writing).
        return {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING};
    case Mode::NewJournal:
        return {GENERIC_WRITE, OPEN_ALWAYS};
    case Mode::ExistingJournal:
        return {GENERIC_WRITE, OPEN_EXISTING};
    }
    return {GENERIC_READ, OPEN_EXISTING};
}

// The link itself is opened, never what it leads to, and refused after.
HANDLE create(const std::wstring& path, DWORD rights, DWORD disposition)
{
    return CreateFileW(path.c_str(), rights, shareAll, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Why a name could not be opened: a folder or a link in its place is said
// as on Linux.
int openFailure(const std::wstring& path, Mode mode)
{
    const int error = lastErrno();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return error;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ELOOP;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && mode != Mode::ReadJournal)
        return EISDIR;
    return error;
}

}  // namespace

void close(Native handle)
{
    const auto* opened = reinterpret_cast<const Opened*>(handle);
    CloseHandle(opened->handle);
    delete opened;
}

int openFolder(const QString& path, Native* folder)
{
    std::wstring wide;
    if (const int error = windows_calls::widePath(path, &wide))
        return error;
    HANDLE handle = CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY, shareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastErrno();
    BY_HANDLE_FILE_INFORMATION status;
    if (!GetFileInformationByHandle(handle, &status) || !(status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        return ENOTDIR;
    }
    while (wide.size() > 3 && (wide.back() == L'\\' || wide.back() == L'/'))
        wide.pop_back();
    *folder = adopt({handle, wide, false});
    return 0;
}

int openAt(Native folder, const QByteArray& name, Mode mode, Native* file)
{
    std::wstring path;
    if (const int error = pathIn(folder, name, &path))
        return error;
    const Access access = accessOf(mode);
    bool mayFlush = true;
    HANDLE handle = create(path, access.rights, access.disposition);
    if (handle == INVALID_HANDLE_VALUE && mode == Mode::ReadJournal && GetLastError() == ERROR_ACCESS_DENIED) {
        // A journal made read-only is still read, though then not flushed.
        handle = create(path, GENERIC_READ, OPEN_EXISTING);
        mayFlush = false;
    }
    if (handle == INVALID_HANDLE_VALUE)
        return openFailure(path, mode);
    const Native opened = adopt({handle, {}, mayFlush});
    BY_HANDLE_FILE_INFORMATION status;
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    if (disk && GetFileInformationByHandle(handle, &status)) {
        if (status.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            close(opened);
            return ELOOP;
        }
    }
    if (mode == Mode::NewJournal && !SetEndOfFile(handle)) {
        const int error = lastErrno();
        close(opened);
        return error;
    }
    *file = opened;
    return 0;
}

int inspect(Native file, Info* info)
{
    const HANDLE handle = handleOf(file);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        *info = Info();
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION status;
    if (!GetFileInformationByHandle(handle, &status))
        return lastErrno();
    *info = infoOf(status.dwFileAttributes, status.nFileSizeHigh, status.nFileSizeLow);
    return 0;
}

int inspectAt(Native folder, const QByteArray& name, Info* info)
{
    std::wstring path;
    if (const int error = pathIn(folder, name, &path))
        return error;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return lastErrno();
    *info = infoOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow);
    return 0;
}

int read(Native file, qint64 offset, qint64 length, QByteArray* bytes)
{
    return windows_calls::readAt(handleOf(file), offset, length, bytes);
}

int writeAll(Native file, const QByteArray& bytes)
{
    const HANDLE handle = handleOf(file);
    qsizetype written = 0;
    while (written < bytes.size()) {
        // Both offsets all ones: at the end of the file as it stands then.
        OVERLAPPED atEnd{};
        atEnd.Offset = 0xffffffffu;
        atEnd.OffsetHigh = 0xffffffffu;
        DWORD n = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(bytes.size() - written, qsizetype(1) << 30));
        if (!WriteFile(handle, bytes.constData() + written, chunk, &n, &atEnd))
            return lastErrno();
        if (n == 0)
            return ENOSPC;
        written += n;
    }
    return 0;
}

int sync(Native fileOrFolder)
{
    const Opened& opened = openedOf(fileOrFolder);
    // A folder's entries are kept by the file system's own journal, and the
    // journal's rename is written through; pipes and devices hold nothing.
    if (!opened.mayFlush || GetFileType(opened.handle) != FILE_TYPE_DISK)
        return 0;
    return FlushFileBuffers(opened.handle) ? 0 : lastErrno();
}

int truncate(Native file, qint64 size)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    return SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end) ? 0 : lastErrno();
}

int removeAt(Native folder, const QByteArray& name)
{
    std::wstring path;
    if (const int error = pathIn(folder, name, &path))
        return error;
    return DeleteFileW(path.c_str()) ? 0 : lastErrno();
}

int renameAt(Native folder, const QByteArray& from, const QByteArray& to)
{
    std::wstring fromPath;
    std::wstring toPath;
    if (const int error = pathIn(folder, from, &fromPath))
        return error;
    if (const int error = pathIn(folder, to, &toPath))
        return error;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return MoveFileExW(fromPath.c_str(), toPath.c_str(), flags) ? 0 : lastErrno();
}

int lock(Native fileOrFolder)
{
    // Windows locks no folder: the caller locks the master file instead, as
    // on network folders elsewhere.
    if (!openedOf(fileOrFolder).folderPath.empty())
        return EBADF;
    // One byte far past any end the file will reach, so that the lock, which
    // Windows enforces on reads and writes, never stands in their way.
    OVERLAPPED at{};
    at.Offset = 0xfffffffeu;
    at.OffsetHigh = 0x7fffffffu;
    return LockFileEx(handleOf(fileOrFolder), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) ? 0 : lastErrno();
}

}  // namespace record_calls::system
