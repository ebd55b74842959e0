#pragma once

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <variant>

// One item of a record line: encoded text, raw bytes, or a number.
struct LineItem {
    LineItem(const QString& text) : value(text) {}
    LineItem(const char* text) : value(QString::fromUtf8(text)) {}
    LineItem(const QByteArray& raw) : value(raw) {}
    LineItem(double number) : value(number) {}

    std::variant<QString, QByteArray, double> value;
};

// Builds the bytes of one record file's lines. Between two items of a line
// the writer moves on to the next print zone: zones are 14 columns wide and
// start at columns 1, 15, 29, 43, 57 and so on. A line break inside a text
// item starts the column count again.
class LineWriter {
public:
    enum class Ending { CrLf, LeaveOpen };

    void line(std::initializer_list<LineItem> items, Ending ending = Ending::CrLf);

    const QByteArray& bytes() const { return bytes_; }
    // Column at which the next character goes, counted from 1.
    qsizetype column() const { return column_; }

    // The first zone start strictly after `column`.
    static qsizetype nextZone(qsizetype column);
    // A number item: a blank (or the minus sign), the digits, a blank.
    static QByteArray numberItem(double value);

private:
    void put(const QByteArray& part);

    QByteArray bytes_;
    qsizetype column_ = 1;
};
