#pragma once

class Platform;

// What main() does: the options first; help, version and --check-bank with
// no window at all; otherwise the application, the bank, the start-up
// dialogs and the window. Returns the exit status.
int runProgram(int& argc, char** argv, Platform& platform);
