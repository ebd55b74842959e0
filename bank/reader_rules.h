#pragma once

#include <QString>

// How the reader and the stepping read the bank's items.
namespace reader_rules {

enum class Marker { None, Question, Answer };

// Removes a leading question ("`q") or answer ("`a") marker; at most one.
Marker stripMarker(QString& item);

// First eight characters, lowered, are the routine marker "`routine".
bool isRoutineLine(const QString& item);

// The routine name of a routine line: from its tenth character on, blanks
// and hyphens removed, lowered.
QString routineName(const QString& item);

// Copies every character but the blank and the hyphen.
QString remSpaces(const QString& text);

// Each "{}" pair, found left to right without overlap, becomes CR LF.
QString expandLineBreaks(const QString& text);

}  // namespace reader_rules
