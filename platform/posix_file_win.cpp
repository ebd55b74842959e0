#include "platform/posix_file.h"

#include "platform/posix_file_system.h"
#include "platform/windows_calls.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace posix_file {

namespace {

using windows_calls::lastErrno;

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int fill(HANDLE handle, PathInfo* info)
{
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        *info = PathInfo();
        info->mode = S_IFCHR;
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION status;
    if (!GetFileInformationByHandle(handle, &status))
        return lastErrno();
    info->mode = (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? S_IFDIR : S_IFREG;
    info->size = (qint64(status.nFileSizeHigh) << 32) | status.nFileSizeLow;
    info->device = status.dwVolumeSerialNumber;
    info->inode = (quint64(status.nFileIndexHigh) << 32) | status.nFileIndexLow;
    return 0;
}

// Opens files and folders alike (folders need backup semantics), so that a
// folder in a file's place is told as a folder.
int openExisting(const QByteArray& nativePath, DWORD access, HANDLE* handle)
{
    std::wstring wide;
    if (const int error = windows_calls::widePath(pathFromNative(nativePath), &wide))
        return error;
    *handle = CreateFileW(wide.c_str(), access, shareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return *handle == INVALID_HANDLE_VALUE ? lastErrno() : 0;
}

}  // namespace

QString reason(int error)
{
    switch (error) {
    case EBUSY:
        return QStringLiteral("it is in use by another program (close the file there, then try again)");
    case EROFS:
        return QStringLiteral("the disk is write-protected");
    case ENXIO:
        return QStringLiteral("the drive is not ready (is the USB stick or disk still there?)");
    case EINVAL:
        return QStringLiteral("the path holds a name that Windows keeps for a device (such as CON or NUL), or a "
                              "character that Windows does not allow in names");
    case ENAMETOOLONG:
        return QStringLiteral("the path is longer than Windows allows");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISCHR(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

QByteArray nativePath(const QString& path)
{
    return path.toUtf8();
}

QString pathFromNative(const QByteArray& nativePath)
{
    return QString::fromUtf8(nativePath);
}

int pathInfo(const QByteArray& nativePath, PathInfo* info)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (const int error = openExisting(nativePath, 0, &handle))
        return error;
    const int error = fill(handle, info);
    CloseHandle(handle);
    return error;
}

int listFolder(const QByteArray& nativePath, std::vector<QByteArray>* names)
{
    names->clear();
    std::wstring pattern;
    if (const int error = windows_calls::widePath(pathFromNative(nativePath) + QStringLiteral("\\*"), &pattern))
        return error;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : lastErrno();
    do {
        const QByteArray name = QString::fromWCharArray(found.cFileName).toUtf8();
        if (name != "." && name != "..")
            names->push_back(name);
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? 0 : windows_calls::errnoOf(error);
}

QByteArray absolutePath(const QByteArray& nativePath)
{
    const QString path = QDir::fromNativeSeparators(pathFromNative(nativePath));
    return QDir::cleanPath(QDir::current().absoluteFilePath(path)).toUtf8();
}

int makeFolder(const QString& path)
{
    std::wstring wide;
    if (const int error = windows_calls::widePath(path, &wide))
        return error;
    return CreateDirectoryW(wide.c_str(), nullptr) ? 0 : lastErrno();
}

int writeNewFile(const QString& path, const QByteArray& bytes)
{
    std::wstring wide;
    if (const int error = windows_calls::widePath(path, &wide))
        return error;
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastErrno();
    const Descriptor fd(windows_calls::descriptorOf(handle, _O_WRONLY));
    if (!fd.isOpen())
        return EMFILE;
    int error = writeAll(fd.get(), bytes.constData(), bytes.size());
    if (error == 0 && !FlushFileBuffers(handle))
        error = lastErrno();
    if (error != 0)
        DeleteFileW(wide.c_str());
    return error;
}

int readAt(int fd, qint64 offset, qint64 length, QByteArray* bytes)
{
    return windows_calls::readAt(windows_calls::handleOf(fd), offset, length, bytes);
}

namespace system_calls {

int openToRead(const QByteArray& nativePath, int* fd)
{
    *fd = -1;
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (const int error = openExisting(nativePath, GENERIC_READ, &handle))
        return error;
    *fd = windows_calls::descriptorOf(handle, _O_RDONLY);
    return *fd >= 0 ? 0 : EMFILE;
}

int infoOf(int fd, PathInfo* info)
{
    return fill(windows_calls::handleOf(fd), info);
}

}  // namespace system_calls

}  // namespace posix_file
