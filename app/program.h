#pragma once

class Platform;
namespace command_line {
struct Options;
}

// What main() does: the options first; help, version and --check-bank with
// no window at all; otherwise the application, the bank, the start-up
// dialogs and the window. Returns the exit status.
int runProgram(int& argc, char** argv, Platform& platform);

// What a program started without a console (a Windows shortcut) shows of
// help, version and --check-bank: the text that it would have printed, in a
// message box, an error box when the status is not 0. The course text is
// too long for one: --export-bank needs a file to go to. Needs the
// application. Returns the exit status.
int showInDialogs(const command_line::Options& options, Platform& platform);
