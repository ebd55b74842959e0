#pragma once

#include "report/class_model.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The spreadsheet: RFC 4180 CSV in UTF-8, one row per record of a student,
// however many of the student's files hold it.
namespace csv_table {

inline constexpr char header[] = "student,files,assignment,date,time,kind,item,text,rating";

// One field, quoted when it holds a comma, a quote or a line break, with
// its quotes doubled. A NUL, which ends a text in many a spreadsheet
// program, is written as its visible picture.
QByteArray field(const QString& text);

// The header row, then student by student every record in run order.
// Returns false when the device refused a write.
bool write(const class_model::ClassModel& model, QIODevice& out);

}  // namespace csv_table
