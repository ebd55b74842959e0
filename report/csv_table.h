#pragma once

#include "report/class_model.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The spreadsheets: RFC 4180 CSV in UTF-8. The records, one row per record
// of a student however many of the student's files hold it; and the
// gradebook, one row per student.
namespace csv_table {

// Columns are only ever added at the end, so that the columns of earlier
// versions keep their places.
inline constexpr char header[] = "student,files,assignment,date,time,kind,item,text,rating,item number,rating kind";

// One field, quoted when it holds a comma, a quote or a line break, with
// its quotes doubled. A NUL, which ends a text in many a spreadsheet
// program, is written as its visible picture.
QByteArray field(const QString& text);

// The header row, then student by student every record in time order.
// Returns false when the device refused a write.
bool write(const class_model::ClassModel& model, QIODevice& out);

// The gradebook: the student's name and the ID that a course site's
// download gives, then per assignment the share of its items that the
// student answered, in percent. Returns false when the device refused a
// write.
bool writeGradebook(const class_model::ClassModel& model, QIODevice& out);

// "80", "66.7": a share in percent as the gradebook writes it.
QString percent(int part, int whole);

}  // namespace csv_table
