#pragma once

#include "records/record_reader.h"
#include "report/inputs.h"

#include <QString>

#include <optional>
#include <vector>

// The records of a whole class, one file per student, and the views of them
// that the page, the spreadsheet and the summary share.
namespace class_records {

struct StudentFile {
    QString name;
    QString path;
    record_reader::Records records;

    bool holdsRecords() const { return !records.openings.empty() || !records.entries.empty(); }
};

struct ClassRecords {
    std::vector<StudentFile> files;  // read, in the order of their names
    std::vector<inputs::Unread> unread;
    qsizetype responses = 0;
    qsizetype notes = 0;
};

// Reads every file found, several at once; a file's bytes are held only
// while it is read.
ClassRecords read(const inputs::Found& found);

// A record's date and time in seconds from a fixed day; the time alone when
// the date is missing or no date; nothing when the time is no time.
std::optional<qint64> stampSeconds(const QString& date, const QString& time);

// Gaps shorter than this count as time on task.
inline constexpr qint64 taskGapSeconds = 30 * 60;

// The sum of the gaps between successive stamps that are shorter than
// taskGapSeconds. A run that goes on past midnight keeps the date it started
// with, so a stamp that seems to go back by almost a day went on.
qint64 timeOnTask(const std::vector<qint64>& stamps);

// One student's work on one assignment.
struct OverviewRow {
    const StudentFile* file = nullptr;
    QString assignment;
    int responses = 0;
    int notes = 0;
    const record_reader::Entry* first = nullptr;
    const record_reader::Entry* last = nullptr;
    qint64 secondsOnTask = 0;
};
// Per file in order, its assignments in the order they first appear.
std::vector<OverviewRow> overview(const ClassRecords& records);

struct Answer {
    const StudentFile* file = nullptr;
    const record_reader::Entry* entry = nullptr;
};
struct Item {
    QString text;
    std::vector<Answer> answers;  // responses and notes, file by file
};
struct Assignment {
    QString number;  // empty for records before any opening
    QString header;
    std::vector<Item> items;  // in the order they first appear
};
// In the order of their numbers; records of no assignment last.
std::vector<Assignment> byAssignment(const ClassRecords& records);

struct RatingCount {
    QString rating;  // trimmed
    int count = 0;
};
struct Spread {
    record_reader::RatingKind kind = record_reader::RatingKind::None;  // None when mixed or none
    std::vector<RatingCount> counts;  // numbers in order, then other texts
    int unrated = 0;                  // responses without a rating line
    int responses = 0;
};
Spread spread(const Item& item);

// Everything that could not be read, or only in part: whole files and
// folders (line 0), lines that belong to no record, records cut short.
struct Problem {
    QString name;
    QString path;
    qsizetype line = 0;
    QString message;
    QString excerpt;
};
// File by file in the order of their names, each in line order.
std::vector<Problem> problems(const ClassRecords& records);

}  // namespace class_records
