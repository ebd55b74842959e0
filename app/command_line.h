#pragma once

#include "bank/bank_pictures.h"

#include <QString>
#include <QStringList>

#include <optional>

class Platform;
class QTextStream;

// The options of physics-drill, parsed once, before any window exists:
//   physics-drill [--bank PATH | PATH]    run on a bank in place of the built-in one
//   physics-drill --check-bank PATH       check a bank; no window, no dialog, no file written
//   physics-drill --export-bank [FILE]    write the built-in course text as a bank
//   physics-drill --help | --version
namespace command_line {

struct Options {
    enum class Action { Run, CheckBank, ExportBank, Help, Version, UsageError };
    Action action = Action::Run;
    QString bankPath;  // Run: empty for the built-in bank; ExportBank: empty for standard output
    QString error;  // UsageError: what is wrong
};

// `arguments` as main() receives them, the program's name first.
Options parse(const QStringList& arguments);

// The --help text; needs the application object.
QString helpText();
QString versionText();

// Everything that needs no window: help, version, a usage error and
// --check-bank. Prints to `out` (and usage errors to `err`); returns the
// exit status.
int runWithoutWindow(const Options& options, QTextStream& out, QTextStream& err);

// --check-bank: each problem as FILE:LINE:, then the summary. 0 when the
// bank can be used, 1 when it cannot.
int checkBank(const QString& path, QTextStream& out);

// --export-bank: the built-in course text into a new file, or to `out`
// when `path` is empty. 0 when written, 1 when not (with the reason on `err`).
int exportBank(const QString& path, QTextStream& out, QTextStream& err);

// The bank that --bank names, read and checked with its pictures. One that
// cannot be used is reported in one message box, and nothing is returned.
std::optional<bank_pictures::LoadedBank> openBank(const QString& path, Platform& platform);

}  // namespace command_line
