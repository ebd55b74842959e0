#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// A zip archive given as the class, read as the folder it holds. This is the
// one place that knows the zip library; the rest of the report sees entries
// by their names and reads one at a time into memory.
namespace class_archive {

// The most that one entry may hold once unpacked: far more than any record
// file, far less than an archive built to fill the memory.
inline constexpr qint64 entryLimit = 256LL * 1024 * 1024;

struct Entry {
    QString name;  // "ada/send_1207.txt": folders joined with '/', never leaving the archive
    qint64 index = 0;
    qint64 size = 0;  // as the archive declares it
};

// An entry left out, with why.
struct Refused {
    QString name;
    QString reason;
};

class Archive;

struct Opened {
    std::shared_ptr<Archive> archive;  // null when it cannot be read as an archive
    QString failure;                   // why not, in words
    std::vector<Entry> files;          // plain files, in the archive's order
    std::vector<Refused> refused;
};

// Opens the archive at this path as the system spells it and lists its files.
Opened open(const QByteArray& nativePath);

struct Contents {
    QByteArray bytes;
    std::optional<QString> failure;
};

// One entry's bytes, never more than `limit` of them. Entries may be read
// from several threads: they take turns.
Contents read(Archive& archive, const Entry& entry, qint64 limit = entryLimit);

// The entry's name as a relative path inside the archive, or nothing for a
// name that would leave it (an absolute name, a drive letter, a ".." step).
// Backslashes count as separators, as some archivers on Windows write them.
std::optional<QString> confinedName(const QString& name);

// Whether these bytes begin as a zip archive does.
bool looksLikeArchive(const QByteArray& start);

}  // namespace class_archive
