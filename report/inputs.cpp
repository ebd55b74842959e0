#include "report/inputs.h"

#include "platform/posix_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace inputs {
namespace {

bool isRecordFileName(const QString& name)
{
    return name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// A path as the system spells it, for messages and names: each part that is
// not valid UTF-8 is taken as Latin-1, as older systems and zip files name
// files, so that two names that differ stay apart.
QString shownPath(const QByteArray& path)
{
    if (path.isValidUtf8())
        return QString::fromUtf8(path);
    QStringList parts;
    for (const QByteArray& part : path.split('/'))
        parts.append(part.isValidUtf8() ? QString::fromUtf8(part) : QString::fromLatin1(part));
    return parts.join(u'/');
}

QByteArray joinPath(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

std::optional<struct stat> statOf(const QByteArray& path, int& error)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        error = errno;
        return std::nullopt;
    }
    return info;
}

// Walks the arguments; folders and files seen once each, so a link back up
// the tree or a file named twice is read only once.
// Paths are kept as the system spells them: a name that is not valid UTF-8
// would not survive the way through a QString and back.
class Walker {
public:
    void argument(const QString& path);
    std::vector<std::pair<File, QString>> files;  // with the absolute path
    std::vector<std::pair<Unread, QString>> unread;

private:
    void folder(const QByteArray& top);
    void file(const QByteArray& path, const struct stat& info);
    void fail(const QByteArray& path, int error)
    {
        const QString shown = shownPath(path);
        unread.push_back({{shown, QString(), posix_file::reason(error)}, absolute(shown)});
    }

    std::set<std::pair<dev_t, ino_t>> seenFolders_;
    std::set<std::pair<dev_t, ino_t>> seenFiles_;
};

void Walker::argument(const QString& argument)
{
    const QByteArray path = QFile::encodeName(argument);
    int error = 0;
    const auto info = statOf(path, error);
    if (!info)
        fail(path, error);
    else if (S_ISDIR(info->st_mode))
        folder(path);
    else
        file(path, *info);
}

void Walker::file(const QByteArray& path, const struct stat& info)
{
    if (seenFiles_.insert({info.st_dev, info.st_ino}).second) {
        const QString shown = shownPath(path);
        files.push_back({{shown, path, QString(), QString()}, absolute(shown)});
    }
}

void Walker::folder(const QByteArray& top)
{
    std::vector<QByteArray> pending{top};
    while (!pending.empty()) {
        const QByteArray path = pending.back();
        pending.pop_back();
        int error = 0;
        const auto info = statOf(path, error);
        if (!info) {
            fail(path, error);
            continue;
        }
        if (!seenFolders_.insert({info->st_dev, info->st_ino}).second)
            continue;
        DIR* dir = ::opendir(path.constData());
        if (!dir) {
            fail(path, errno);
            continue;
        }
        std::vector<QByteArray> names;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
        for (const QByteArray& name : names) {
            const QByteArray entryPath = joinPath(path, name);
            const bool recordFile = isRecordFileName(shownPath(name));
            const auto entryInfo = statOf(entryPath, error);
            if (entryInfo && S_ISDIR(entryInfo->st_mode))
                pending.push_back(entryPath);
            else if (entryInfo && recordFile)
                file(entryPath, *entryInfo);
            else if (!entryInfo && recordFile)
                fail(entryPath, error);
        }
    }
}

QString relativeName(const QString& common, const QString& absolutePath)
{
    return QDir(common).relativeFilePath(absolutePath);
}

}  // namespace

QString studentName(const QString& common, const QString& folder)
{
    if (folder == common) {
        const QString own = QFileInfo(common).fileName();
        return own.isEmpty() ? common : own;
    }
    return relativeName(common, folder);
}

QString commonFolder(const QStringList& folders)
{
    if (folders.isEmpty())
        return QStringLiteral("/");
    QStringList common = folders.front().split(u'/');
    for (const QString& folder : folders) {
        const QStringList parts = folder.split(u'/');
        qsizetype shared = 0;
        while (shared < common.size() && shared < parts.size() && common[shared] == parts[shared])
            ++shared;
        common = common.first(shared);
    }
    const QString joined = common.join(u'/');
    return joined.isEmpty() ? QStringLiteral("/") : joined;
}

Found find(const QStringList& arguments)
{
    QStringList folders;
    for (const QString& argument : arguments) {
        const QFileInfo info(argument);
        folders.append(info.isDir() ? absolute(argument) : absolute(info.absolutePath()));
    }
    const QString common = commonFolder(folders);

    Walker walker;
    for (const QString& argument : arguments)
        walker.argument(argument);
    Found found;
    for (auto& [file, path] : walker.files) {
        file.name = relativeName(common, path);
        file.student = studentName(common, QFileInfo(path).path());
        found.files.push_back(std::move(file));
    }
    for (auto& [unread, path] : walker.unread) {
        unread.name = relativeName(common, path);
        found.unread.push_back(std::move(unread));
    }
    const auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
    std::stable_sort(found.files.begin(), found.files.end(), byName);
    std::stable_sort(found.unread.begin(), found.unread.end(), byName);
    return found;
}

Contents read(const QByteArray& nativePath)
{
    using Failure = posix_file::PlainFile::Failure;
    posix_file::PlainFile file = posix_file::readPlainFile(nativePath);
    if (file.failure == Failure::None)
        return {std::move(file.bytes), std::nullopt};
    return {{}, file.failure == Failure::System ? posix_file::reason(file.error) : QStringLiteral("not a plain file")};
}

}  // namespace inputs
