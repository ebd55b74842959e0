#include "platform/host_system.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include <windows.h>
#include <shellapi.h>

namespace host_system {

namespace {

bool leadsSomewhere(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

QString defaultDataFolder()
{
    return QStringLiteral("c:\\korvelan");
}

QStringList arguments(int, char**)
{
    QStringList list;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; words && i < count; ++i)
        list.append(QString::fromWCharArray(words[i]));
    LocalFree(words);
    return list;
}

TextOutput prepareTextOutput()
{
    const bool hasOutput = leadsSomewhere(STD_OUTPUT_HANDLE);
    // A program with a window has no console of its own: it borrows the one
    // of the command prompt that started it, if any.
    bool attached = false;
    if (!hasOutput && AttachConsole(ATTACH_PARENT_PROCESS)) {
        attached = std::freopen("CONOUT$", "w", stdout) != nullptr;
        if (!leadsSomewhere(STD_ERROR_HANDLE))
            std::freopen("CONOUT$", "w", stderr);
    }
    if (!hasOutput && !attached)
        return TextOutput::Dialog;
    SetConsoleOutputCP(CP_UTF8);
    // The same bytes as on Linux: a line ends in LF, also in a redirected
    // --export-bank.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return TextOutput::Streams;
}

}  // namespace host_system
