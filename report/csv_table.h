#pragma once

#include "report/class_records.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The spreadsheet: RFC 4180 CSV in UTF-8, one row per response or note.
namespace csv_table {

inline constexpr char header[] = "file,assignment,date,time,kind,item,text,rating";

// One field, quoted when it holds a comma, a quote or a line break, with
// its quotes doubled.
QByteArray field(const QString& text);

// The header row, then every file's responses and notes in file order.
// Returns false when the device refused a write.
bool write(const class_records::ClassRecords& records, QIODevice& out);

}  // namespace csv_table
