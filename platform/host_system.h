#pragma once

#include <QString>
#include <QStringList>

// What differs between the systems the programs run on, beyond files: the
// default data folder, the command line's text, and where the text that the
// command-line options print goes.
namespace host_system {

// c:\korvelan on Windows; elsewhere the folder korvelan in the home folder.
QString defaultDataFolder();

// The command line as the user typed it, names in any script included.
QStringList arguments(int argc, char** argv);

// Where a program without a window prints its text.
enum class TextOutput {
    Streams,     // standard output and error: a terminal, a pipe or a file
    Dialog,      // none of those: a message box (a Windows program started from a shortcut)
};

// Connects standard output and error to the console that started the
// program, if they lead nowhere yet and there is one; says which way text
// goes. Console text is UTF-8.
TextOutput prepareTextOutput();

}  // namespace host_system
