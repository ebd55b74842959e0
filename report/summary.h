#pragma once

#include "report/class_model.h"

#include <QString>
#include <QStringList>

// What the program prints when it writes no page and no spreadsheet.
namespace summary {

// A few lines: the files and students read, then per assignment its
// students, responses, notes and time on task, then what holds no record or
// could not be read.
QString text(const class_model::ClassModel& model);

// One line per problem, as compilers name places: "FILE:LINE: message", or
// "FILE: message" for a whole file.
QStringList problemLines(const class_model::ClassModel& model);

}  // namespace summary
