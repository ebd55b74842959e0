#pragma once

#include "report/class_records.h"

#include <QString>

#include <optional>
#include <vector>

// One student's records, whichever of the student's files hold them. The
// master file holds every record again that the send files and the notes
// file hold, so a record found in several files is one record. Records are
// gathered run by run (a run is one start of the drill program: its opening
// and what follows up to the next), and each run is dated from all that
// its copies hold, so every copy of a record gets the same date.
namespace student_records {

struct Copy {
    std::size_t file = 0;  // among the student's files
    const record_reader::Entry* entry = nullptr;
};

struct Record {
    const record_reader::Entry* entry = nullptr;  // the copy shown: a whole one if any is
    QString assignment;                          // of its run, else as a copy says
    std::vector<Copy> copies;                    // at most one per file: the master's first
    int run = -1;                                // among Merged::runs; -1 when no opening is known
    QString date;                                // a note's own; else the run's, the next day after midnight
    std::optional<qint64> stamp;                 // date and time; the time alone without a date
};

// One start of the program: its opening, as its files hold it.
struct Run {
    QString assignment;
    QString date;  // the opening's
    QString header;
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
    std::vector<Record> records;  // in time order
    std::vector<Run> runs;        // in the order first met
    std::optional<std::size_t> master;
    std::vector<Missing> missing;  // file by file, in line order
    int notInMaster = 0;           // records that no master file holds, each counted once
};

// The copies of one record may carry times this far apart: each file's time
// line is read from the clock on its own.
inline constexpr qint64 copySeconds = 2;

// A time that goes back by more than this, the hour that a change of the
// clock takes, is the next day.
inline constexpr int clockChangeSeconds = 3600;

// `files` are the student's, in the order of their names.
Merged merge(const std::vector<const class_records::StudentFile*>& files);

// The day after a mm-dd-yyyy date; the date as it is when it is no date.
QString nextDay(const QString& date);

}  // namespace student_records
