#pragma once

#include "records/line_writer.h"

#include <QLatin1String>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// The records that the program appends to the master, send and notes files,
// line by line, as bytes ready for one write per file.
namespace record_lines {

// The fixed texts of the record lines, named once for the writer here and
// the reader beside it.
inline constexpr QLatin1String openingRule("......!!!!!!!!...................................");
inline constexpr QLatin1String closingRule(".................................................");
inline constexpr QLatin1String assignmentLabel("assignment #");
inline constexpr QLatin1String questionNumberLabel("`questionNumber");
inline constexpr QLatin1String responseMarker("RESPONSE -->  ");
inline constexpr QLatin1String confidenceLabel("confidence assessment:  ");
inline constexpr QLatin1String selfCritiqueLabel("self critique assessment: ");
inline constexpr QLatin1String notesLabel("NOTES -------> ");
// The blank item that opens both stamp lines; the print zones then put the
// time at column 57.
inline constexpr int stampIndent = 36;

void timeLine(LineWriter& file, const QString& time);
void dateAndTimeLine(LineWriter& file, const QString& date, const QString& time);
void questionNumberLine(LineWriter& file, double questionValue);

// The value of the question-number line: the assignment's leading number
// times 10000.
double questionValue(const QString& assignmentNumber);

// The clock, read afresh for every line and every file.
struct Clock {
    std::function<QString()> date;
    std::function<QString()> time;
};

struct Opening {
    QByteArray codeLine;
    QString assignmentNumber;
    QString headerLine;
    QString courseName;
    int codeNumber = 0;
};
QByteArray openingRecord(const Opening& record, const QString& date);

// A response's time lines are read at the press, the master file's first,
// before any rating dialog.
struct Response {
    QString masterTime;
    QString sendTime;
    QString currentLine;
    QString response;
    QString assignmentNumber;
    std::optional<QString> ratingLine;
    int codeNumber = 0;
};
struct ResponseFiles {
    QByteArray master;
    QByteArray send;
};
ResponseFiles responseRecord(const Response& record);

struct Notes {
    QString currentLine;
    QString notesLine;
    int codeNumber = 0;
};
struct NotesFiles {
    QByteArray master;
    QByteArray send;
    QByteArray notes;
};
NotesFiles notesRecord(const Notes& record, const Clock& clock);

QString confidenceLine(const QString& rating);
QString selfCritiqueLine(const QString& rating);
QString notesLine(const QString& answerText);

}  // namespace record_lines
