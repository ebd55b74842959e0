#include "report/inputs.h"

#include "platform/posix_file.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <utility>

namespace inputs {
namespace {

bool isRecordFileName(const QString& name)
{
    return name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

// A path as the system spells it, for messages and names: each part that is
// not valid UTF-8 is taken as Latin-1, as older systems and zip files name
// files.
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

QByteArray absoluteNative(const QByteArray& path)
{
    return posix_file::absolutePath(path);
}

// Bytes kept one for one in a QString, to tell names apart exactly.
QString keyOf(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

std::optional<posix_file::PathInfo> statOf(const QByteArray& path, int& error)
{
    posix_file::PathInfo info;
    if ((error = posix_file::pathInfo(path, &info)) != 0)
        return std::nullopt;
    return info;
}

// An argument as a path whose parts are joined by "/" on every system.
QByteArray argumentPath(const QString& argument)
{
    return posix_file::nativePath(QDir::fromNativeSeparators(argument));
}

const QRegularExpression& siteFolder()
{
    static const QRegularExpression pattern(QStringLiteral("^(.+)_([0-9]+)_assignsubmission_file_$"));
    return pattern;
}

const QRegularExpression& siteFile()
{
    static const QRegularExpression pattern(QStringLiteral("^(.+)_([0-9]+)_assignsubmission_file_(.+)$"));
    return pattern;
}

// A file on the way to being a student's: where it is, below the folder
// that all arguments share, in the system's bytes and as shown.
struct Candidate {
    File file;
    QStringList keyParts;    // the absolute path, a part a folder
    QStringList shownParts;  // the same, as shown
};

// Walks the arguments; folders and files seen once each, so a link back up
// the tree or a file named twice is read only once.
class Walker {
public:
    void argument(const QString& path);
    std::vector<Candidate> candidates;
    std::vector<std::pair<Unread, QString>> unread;  // with the absolute path
    std::vector<Warning> warnings;

private:
    void folder(const QByteArray& top);
    void file(const QByteArray& path, const QByteArray& absolute, const posix_file::PathInfo& info);
    void archive(const QByteArray& path);
    void fail(const QByteArray& path, const QString& reason)
    {
        const QString shown = shownPath(path);
        unread.push_back({{shown, QString(), reason}, shownPath(absoluteNative(path))});
    }

    std::set<std::pair<quint64, quint64>> seenFolders_;
    std::set<std::pair<quint64, quint64>> seenFiles_;
};

bool isArchive(const QByteArray& path)
{
    if (shownPath(path).endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        return true;
    const posix_file::PlainFile start = posix_file::readPlainFile(path, 4);
    return start.failure == posix_file::PlainFile::Failure::TooLarge || start.failure == posix_file::PlainFile::Failure::None
        ? class_archive::looksLikeArchive(start.bytes)
        : false;
}

void Walker::argument(const QString& argument)
{
    const QByteArray path = argumentPath(argument);
    int error = 0;
    const auto info = statOf(path, error);
    if (!info)
        fail(path, posix_file::reason(error));
    else if (info->isFolder())
        folder(path);
    else if (info->isPlainFile() && isArchive(path))
        archive(path);
    else
        file(path, absoluteNative(path), *info);
}

void Walker::file(const QByteArray& path, const QByteArray& absolute, const posix_file::PathInfo& info)
{
    if (!seenFiles_.insert({info.device, info.inode}).second)
        return;
    Candidate candidate;
    candidate.file.path = shownPath(path);
    candidate.file.nativePath = path;
    candidate.keyParts = keyOf(absolute).split(u'/', Qt::SkipEmptyParts);
    candidate.shownParts = shownPath(absolute).split(u'/', Qt::SkipEmptyParts);
    candidates.push_back(std::move(candidate));
}

void Walker::archive(const QByteArray& path)
{
    class_archive::Opened opened = class_archive::open(path);
    const QString shown = shownPath(path);
    if (!opened.archive) {
        fail(path, opened.failure);
        return;
    }
    const QByteArray absolute = absoluteNative(path);
    for (const auto& refused : opened.refused)
        warnings.push_back({shown + u'/' + refused.name, QString(), QStringLiteral("left out: %1").arg(refused.reason)});
    for (const auto& entry : opened.files) {
        if (!isRecordFileName(entry.name))
            continue;
        Candidate candidate;
        candidate.file.path = shown + u'/' + entry.name;
        candidate.file.nativePath = path;
        candidate.file.archive = opened.archive;
        candidate.file.entry = entry;
        candidate.keyParts = keyOf(absolute).split(u'/', Qt::SkipEmptyParts) + keyOf(entry.name.toUtf8()).split(u'/');
        candidate.shownParts = shownPath(absolute).split(u'/', Qt::SkipEmptyParts) + entry.name.split(u'/');
        candidates.push_back(std::move(candidate));
    }
}

// Each folder's absolute path is made once, at the top, and carried down
// beside the path as given: for a class of thousands of files, making it
// anew for each file took a good part of the walk.
void Walker::folder(const QByteArray& top)
{
    std::vector<std::pair<QByteArray, QByteArray>> pending{{top, absoluteNative(top)}};
    while (!pending.empty()) {
        const auto [path, absolute] = pending.back();
        pending.pop_back();
        int error = 0;
        const auto info = statOf(path, error);
        if (!info) {
            fail(path, posix_file::reason(error));
            continue;
        }
        if (!seenFolders_.insert({info->device, info->inode}).second)
            continue;
        std::vector<QByteArray> names;
        if (const int listError = posix_file::listFolder(path, &names)) {
            fail(path, posix_file::reason(listError));
            continue;
        }
        for (const QByteArray& name : names) {
            const QByteArray entryPath = joinPath(path, name);
            const bool recordFile = isRecordFileName(shownPath(name));
            const auto entryInfo = statOf(entryPath, error);
            if (entryInfo && entryInfo->isFolder())
                pending.push_back({entryPath, joinPath(absolute, name)});
            else if (entryInfo && recordFile)
                file(entryPath, joinPath(absolute, name), *entryInfo);
            else if (!entryInfo && recordFile)
                fail(entryPath, posix_file::reason(error));
        }
    }
}

// The folders below the shared one that hold record files: how many each
// holds itself, and which of its sub-folders lead to more.
struct Tree {
    QHash<QString, int> direct;
    QHash<QString, QSet<QString>> children;

    // A folder of several students: no record file of its own, and record
    // files down more than one of its sub-folders.
    bool gathersStudents(const QString& folder) const
    {
        return direct.value(folder) == 0 && children.value(folder).size() >= 2;
    }
};

QString joined(const QStringList& parts, qsizetype count)
{
    return parts.first(count).join(u'/');
}

// Assigns each candidate its student, by the rules of the layouts above.
class Students {
public:
    Students(std::vector<Candidate>& candidates, qsizetype rootDepth, const QString& rootShown)
        : candidates_(candidates), rootDepth_(rootDepth), rootShown_(rootShown)
    {
        for (const Candidate& c : candidates_) {
            const QStringList below = c.keyParts.mid(rootDepth_);
            const qsizetype folders = below.size() - 1;
            tree_.direct[joined(below, folders)] += 1;
            for (qsizetype depth = 0; depth < folders; ++depth)
                tree_.children[joined(below, depth)].insert(below[depth]);
            const RecordName record = recordName(c.shownParts.last());
            if (record.kind != Kind::Other) {
                Prefixes& prefixes = prefixes_[joined(below, folders)];
                if (record.prefix.isEmpty())
                    prefixes.unprefixed = true;
                else
                    prefixes.names.insert(record.prefix);
            }
        }
    }

    void assign(Candidate& c) const;

private:
    struct Prefixes {
        QSet<QString> names;
        bool unprefixed = false;
    };

    // In a flat folder of several students' files, each file's prefix
    // names its student.
    bool prefixNamesStudent(const QString& folder) const
    {
        const Prefixes prefixes = prefixes_.value(folder);
        return prefixes.names.size() >= 2 || (folder.isEmpty() && !prefixes.unprefixed && !prefixes.names.isEmpty());
    }

    std::vector<Candidate>& candidates_;
    qsizetype rootDepth_;
    QString rootShown_;
    Tree tree_;
    QHash<QString, Prefixes> prefixes_;
};

void Students::assign(Candidate& c) const
{
    File& file = c.file;
    const QStringList below = c.keyParts.mid(rootDepth_);
    const QStringList shownBelow = c.shownParts.mid(rootDepth_);
    const qsizetype folders = below.size() - 1;
    const QString fileName = shownBelow.last();
    file.name = shownBelow.join(u'/');

    if (const auto site = siteFile().match(fileName); site.hasMatch()) {
        file.student = site.captured(1);
        file.studentId = site.captured(2);
        file.studentKey = QStringLiteral("site:") + below.last().section(QLatin1String("_assignsubmission_file_"), 0, 0);
        file.label = site.captured(3);
        return;
    }
    for (qsizetype depth = 0; depth < folders; ++depth) {
        if (const auto site = siteFolder().match(shownBelow[depth]); site.hasMatch()) {
            file.student = site.captured(1);
            file.studentId = site.captured(2);
            file.studentKey = QStringLiteral("site:") + below[depth].chopped(int(QLatin1String("_assignsubmission_file_").size()));
            file.label = shownBelow.mid(depth + 1).join(u'/');
            return;
        }
    }
    const RecordName record = recordName(fileName);
    if (!record.prefix.isEmpty() && prefixNamesStudent(joined(below, folders))) {
        file.student = record.prefix;
        file.studentKey = QStringLiteral("prefix:") + keyOf(below.last().toLatin1().isValidUtf8() ? record.prefix.toUtf8() : record.prefix.toLatin1());
        file.label = fileName.mid(record.prefix.size() + 1);
        return;
    }
    qsizetype depth = 1;
    while (depth < folders && tree_.gathersStudents(joined(below, depth)))
        ++depth;
    depth = std::min(depth, folders);
    file.studentKey = QStringLiteral("folder:") + joined(below, depth);
    file.student = depth == 0 ? rootShown_ : joined(shownBelow, depth);
    file.label = shownBelow.mid(depth).join(u'/');
}

// Names such as "ada/" below a folder that every student shares say nothing.
void dropSharedFolders(std::vector<File>& files)
{
    QStringList names;
    for (const File& file : files) {
        if (file.studentKey.startsWith(QLatin1String("folder:")))
            names.append(file.student);
    }
    if (names.isEmpty())
        return;
    qsizetype shared = 0;
    while (true) {
        const QString first = names.front().section(u'/', 0, qsizetype(shared));
        const bool everyDeeper = std::all_of(names.begin(), names.end(), [&](const QString& name) {
            return name.count(u'/') > shared && name.section(u'/', 0, qsizetype(shared)) == first;
        });
        if (!everyDeeper)
            break;
        ++shared;
    }
    if (shared == 0)
        return;
    for (File& file : files) {
        if (file.studentKey.startsWith(QLatin1String("folder:")))
            file.student = file.student.section(u'/', qsizetype(shared));
    }
}

QString kindWords(Kind kind, const QString& day)
{
    switch (kind) {
    case Kind::Master:
        return QStringLiteral("two master files");
    case Kind::Notes:
        return QStringLiteral("two notes files");
    case Kind::Send:
        return QStringLiteral("two send files of %1").arg(day);
    case Kind::Other:
        break;
    }
    return QString();
}

// Two master files, two notes files or two send files of one day cannot be
// one student's: each file then counts as a student of its own, and a
// warning names the folder and the files.
void splitConflicts(std::vector<File>& files, std::vector<Warning>& warnings)
{
    std::map<QString, std::vector<std::size_t>> byStudent;
    for (std::size_t f = 0; f < files.size(); ++f)
        byStudent[files[f].studentKey].push_back(f);
    for (const auto& [key, members] : byStudent) {
        std::map<std::pair<int, QString>, QStringList> same;
        for (const std::size_t f : members) {
            if (files[f].kind != Kind::Other)
                same[{int(files[f].kind), recordName(files[f].label.section(u'/', -1)).day}].append(files[f].label);
        }
        QStringList clashes;
        for (const auto& [kind, labels] : same) {
            if (labels.size() > 1)
                clashes.append(kindWords(Kind(kind.first), kind.second) + QStringLiteral(" (") + labels.join(QStringLiteral(", ")) + u')');
        }
        if (clashes.isEmpty())
            continue;
        const File& first = files[members.front()];
        const QString folder = first.path.endsWith(u'/' + first.label) ? first.path.chopped(first.label.size() + 1)
                                                                        : QFileInfo(first.path).path();
        warnings.push_back({folder, first.student,
                            QStringLiteral("the files of %1 cannot be one student's: %2; each is counted as a student of its own")
                                .arg(first.student, clashes.join(QStringLiteral("; ")))});
        for (const std::size_t f : members) {
            files[f].studentKey += u'\x1f' + files[f].label;
            files[f].student += u'/' + files[f].label;
        }
    }
}

QString describedName(const File& file)
{
    const QString bytes = file.studentKey.mid(file.studentKey.indexOf(u':') + 1);
    if (!bytes.toLatin1().isValidUtf8())
        return file.student + QStringLiteral(" (named in Latin-1)");
    if (file.student != file.student.normalized(QString::NormalizationForm_C))
        return file.student + QStringLiteral(" (named with decomposed accents)");
    return file.student;
}

// Students whose names would look the same on the page keep apart: the
// second is shown as "name (2)", and a warning says why.
void tellApartLookAlikes(std::vector<File>& files, std::vector<Warning>& warnings)
{
    std::map<QString, std::set<QString>> keysByLook;
    std::map<QString, const File*> fileOfKey;
    for (const File& file : files) {
        keysByLook[file.student.normalized(QString::NormalizationForm_C)].insert(file.studentKey);
        fileOfKey.emplace(file.studentKey, &file);
    }
    QHash<QString, QString> renamed;
    for (const auto& [look, keys] : keysByLook) {
        if (keys.size() < 2)
            continue;
        QStringList described;
        int n = 0;
        for (const QString& key : keys) {
            described.append(describedName(*fileOfKey[key]));
            if (n++ > 0)
                renamed.insert(key, QStringLiteral("%1 (%2)").arg(fileOfKey[key]->student).arg(n));
        }
        const File& first = *fileOfKey[*keys.begin()];
        warnings.push_back({first.path, first.student,
                            QStringLiteral("%1 students' names look the same: %2; they are kept apart, the second shown as %3")
                                .arg(keys.size())
                                .arg(described.join(QStringLiteral(", ")), renamed.value(*std::next(keys.begin())))});
    }
    for (File& file : files) {
        if (const auto found = renamed.constFind(file.studentKey); found != renamed.constEnd())
            file.student = *found;
    }
}

QString relativeName(const QString& common, const QString& absolutePath)
{
    return QDir(common).relativeFilePath(absolutePath);
}

}  // namespace

RecordName recordName(const QString& fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(.*?)[ _-])?(masterfile|notes_|send_([0-9]{4}))(?: ?\\([0-9]+\\))?\\.txt$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(fileName);
    if (!match.hasMatch())
        return {};
    const QString own = match.captured(2).toLower();
    const Kind kind = own == QLatin1String("masterfile") ? Kind::Master : own == QLatin1String("notes_") ? Kind::Notes : Kind::Send;
    return {kind, match.captured(3), match.captured(1)};
}

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
    Walker walker;
    QStringList roots;
    for (const QString& argument : arguments) {
        const QByteArray path = argumentPath(argument);
        const QByteArray absolute = absoluteNative(path);
        posix_file::PathInfo info;
        const bool folderOrArchive = posix_file::pathInfo(path, &info) == 0 && (info.isFolder() || (info.isPlainFile() && isArchive(path)));
        roots.append(keyOf(folderOrArchive ? absolute : absolute.left(std::max<qsizetype>(1, absolute.lastIndexOf('/')))));
        walker.argument(argument);
    }
    const QString root = commonFolder(roots);
    const QStringList rootParts = root.split(u'/', Qt::SkipEmptyParts);
    const QString rootShown = shownPath(root.toLatin1());
    const QString rootOwn = rootParts.isEmpty() ? QStringLiteral("/") : shownPath(rootParts.last().toLatin1());

    Students students(walker.candidates, rootParts.size(), rootOwn);
    Found found;
    for (Candidate& candidate : walker.candidates) {
        students.assign(candidate);
        candidate.file.kind = recordName(candidate.file.label.section(u'/', -1)).kind;
        found.files.push_back(std::move(candidate.file));
    }
    found.warnings = std::move(walker.warnings);
    dropSharedFolders(found.files);
    splitConflicts(found.files, found.warnings);
    tellApartLookAlikes(found.files, found.warnings);
    for (auto& [unread, path] : walker.unread) {
        unread.name = relativeName(rootShown, path);
        found.unread.push_back(std::move(unread));
    }
    const auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
    std::stable_sort(found.files.begin(), found.files.end(), byName);
    std::stable_sort(found.unread.begin(), found.unread.end(), byName);
    std::stable_sort(found.warnings.begin(), found.warnings.end(), [](const Warning& a, const Warning& b) { return a.path < b.path; });
    return found;
}

Contents read(const File& file)
{
    if (file.archive) {
        class_archive::Contents contents = class_archive::read(*file.archive, file.entry);
        return {std::move(contents.bytes), std::move(contents.failure)};
    }
    using Failure = posix_file::PlainFile::Failure;
    posix_file::PlainFile plain = posix_file::readPlainFile(file.nativePath);
    if (plain.failure == Failure::None)
        return {std::move(plain.bytes), std::nullopt};
    return {{}, plain.failure == Failure::System ? posix_file::reason(plain.error) : QStringLiteral("not a plain file")};
}

}  // namespace inputs
