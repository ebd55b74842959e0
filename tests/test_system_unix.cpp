#include "test_system.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>

#include <sys/stat.h>
#include <unistd.h>

namespace test_system {

bool isRoot()
{
    return ::geteuid() == 0;
}

bool replaceFile(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool namesAreBytes()
{
    return true;
}

bool writeFileByBytes(const QByteArray& nativePath, const QByteArray& bytes)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    QDir().mkpath(QFile::decodeName(nativePath.left(slash)));
    ::mkdir(nativePath.left(slash).constData(), 0700);
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const bool whole = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == ssize_t(bytes.size());
    return ::close(fd) == 0 && whole;
}

QString endlessDevice()
{
    return QStringLiteral("/dev/zero");
}

bool makeNamedPipe(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeSymbolicLink(const QString& target, const QString& link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

bool makeUnreadable(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), 0) == 0;
}

void makeReadableAgain(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0700);
}

bool hasModes()
{
    return true;
}

int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

int redirectStandardError(std::FILE* file)
{
    const int saved = ::dup(STDERR_FILENO);
    if (saved >= 0 && ::dup2(fileno(file), STDERR_FILENO) < 0) {
        ::close(saved);
        return -1;
    }
    return saved;
}

void restoreStandardError(int saved)
{
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
}

bool makeReadOnly(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), 0400) == 0;
}

bool makeWritable(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeFolderUnwritable(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), 0500) == 0;
}

void makeFolderWritable(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0700);
}

namespace {

// Also ignores SIGXFSZ, so that a write past the limit fails with EFBIG
// instead of ending the process.
class FileSizeLimit : public Hold {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = rlim_t(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() override
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

}  // namespace

std::unique_ptr<Hold> limitFileSize(qint64 bytes)
{
    return std::make_unique<FileSizeLimit>(bytes);
}

void capMemory(QProcess& child)
{
    child.setChildProcessModifier([] {
        const rlimit cap{rlim_t(1) << 30, rlim_t(1) << 30};
        ::setrlimit(RLIMIT_AS, &cap);
    });
}

void killThisProcess()
{
    ::raise(SIGKILL);
    ::_exit(137);
}

std::unique_ptr<Hold> holdWithoutSharing(const QString&)
{
    return nullptr;
}

}  // namespace test_system
