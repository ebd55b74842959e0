#pragma once

#include <QStringList>
#include <QTextStream>

// The report program from its arguments to its exit status.
namespace report_run {

enum Status { Written = 0, Failed = 1, UsageError = 2 };

// `arguments` includes the program name first, as QCoreApplication gives
// them. The summary goes to `out`; problems and errors go to `err`.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace report_run
