#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Where a line of a bank file stops being UTF-8, in the terms an editor
// shows: the column and the bytes there.
namespace utf8_fault {

struct Fault {
    int column = 0;  // counted in characters from 1; 0 when the line is UTF-8
    QByteArray bytes;  // the byte there and the continuation bytes after it, at most four
};

Fault firstIn(QByteArrayView line);

// "the byte E9 at column 4 ("é" in Windows-1252)"
QString describe(const Fault& fault);

}  // namespace utf8_fault
