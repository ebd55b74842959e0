#pragma once

#include "report/class_records.h"

#include <QString>

#include <optional>
#include <vector>

// One student's records, whichever of the student's files hold them. The
// master file holds every record again that the send files and the notes
// file hold, so a record found in several files is one record.
namespace student_records {

struct Copy {
    std::size_t file = 0;  // among the student's files
    const record_reader::Entry* entry = nullptr;
};

struct Record {
    const record_reader::Entry* entry = nullptr;  // the copy shown: a whole one if any is
    QString assignment;                          // the one that an opening before a copy names
    std::vector<Copy> copies;                    // at most one per file: the master's first
    std::optional<qint64> stamp;
};

// Records of a send or notes file that the master file lacks, a run of
// them at a time: a sign of a file copied from elsewhere or edited.
struct Missing {
    std::size_t file = 0;
    qsizetype firstLine = 0;
    qsizetype lastLine = 0;  // the first line of the last of them
    int count = 0;
};

struct Merged {
    std::vector<Record> records;  // in the order of the student's runs
    std::optional<std::size_t> master;
    std::vector<Missing> missing;  // file by file, in line order
};

// The copies of one record may carry times this far apart: each file's time
// line is read from the clock on its own.
inline constexpr qint64 copySeconds = 2;

bool isMasterFile(const QString& name);
bool isNotesFile(const QString& name);

// `files` are the student's, in the order of their names.
Merged merge(const std::vector<const class_records::StudentFile*>& files);

}  // namespace student_records
