#pragma once

#include "records/record_reader.h"
#include "report/student_records.h"

#include <QString>

// How the page and the summary put numbers, times and kinds into words.
namespace wording {

// "3 responses", "1 note": a count and its noun, singular for one.
QString count(qsizetype n, const QString& singular, const QString& plural);

// Time on task: "0 min", "52 min", "1 h 05 min" (whole minutes, rounded down).
QString duration(qint64 seconds);

// "12-07-2026 14:05:09"; the time alone when there is no date.
QString stamp(const student_records::Record& record);

// "Assignment 011", or "No assignment opening" for records before any.
QString assignmentTitle(const QString& number);

QString ratingKind(record_reader::RatingKind kind);  // "confidence", "self critique" or "rating"

}  // namespace wording
