#pragma once

#include "records/record_reader.h"
#include "report/inputs.h"

#include <QString>

#include <optional>
#include <vector>

// The record files of a whole class, read as they are, file by file.
namespace class_records {

struct StudentFile {
    QString name;     // relative to the folder that all arguments share
    QString path;     // as reached from the argument, for messages
    QString student;  // the student's name as the page shows it
    record_reader::Records records;
    QString label;  // the file among the student's
    inputs::Kind kind = inputs::Kind::Other;
    QString studentKey;  // tells students apart byte for byte; empty: the name does
    QString studentId;

    bool holdsRecords() const { return !records.openings.empty() || !records.entries.empty(); }
};

struct ClassRecords {
    std::vector<StudentFile> files;  // read, in the order of their names
    std::vector<inputs::Unread> unread;
    std::vector<inputs::Warning> warnings;
};

// Reads one file found; its bytes are held only while it is read. Nothing,
// with the reason in `failure`, when it cannot be read.
std::optional<StudentFile> readFile(const inputs::File& file, QString& failure);

// A record's date and time in seconds from a fixed day; the time alone when
// the date is missing or no date; nothing when the time is no time.
std::optional<qint64> stampSeconds(const QString& date, const QString& time);

// Gaps shorter than this count as time on task.
inline constexpr qint64 taskGapSeconds = 30 * 60;

// The sum of the gaps between successive stamps that are shorter than
// taskGapSeconds; a stamp earlier than the one before adds nothing.
qint64 timeOnTask(const std::vector<qint64>& stamps);

}  // namespace class_records
