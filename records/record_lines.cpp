#include "records/record_lines.h"

#include "bank/opening_rules.h"
#include "platform/text_rules.h"

namespace record_lines {

using opening_rules::code;
using Ending = LineWriter::Ending;

void timeLine(LineWriter& file, const QString& time)
{
    file.line({QString(stampIndent, u' '), QString(), time});
}

void dateAndTimeLine(LineWriter& file, const QString& date, const QString& time)
{
    file.line({QString(stampIndent, u' '), date, time});
}

void questionNumberLine(LineWriter& file, double questionValue)
{
    file.line({QStringLiteral("\r\n\r\n") + questionNumberLabel, questionValue});
}

double questionValue(const QString& assignmentNumber)
{
    return text_rules::leadingNumber(assignmentNumber) * 10000.0;
}

QString confidenceLine(const QString& rating)
{
    return confidenceLabel + rating;
}

QString selfCritiqueLine(const QString& rating)
{
    return selfCritiqueLabel + rating;
}

QString notesLine(const QString& answerText)
{
    return notesLabel + answerText;
}

QByteArray openingRecord(const Opening& record, const QString& date)
{
    LineWriter file;
    file.line({record.codeLine});
    file.line({code(assignmentLabel + record.assignmentNumber, record.codeNumber)});
    file.line({code(record.headerLine, record.codeNumber)});
    file.line({record.courseName});
    file.line({date});
    return file.bytes();
}

ResponseFiles responseRecord(const Response& record)
{
    LineWriter master;
    LineWriter send;
    const auto both = [&](const QString& text) {
        master.line({text});
        send.line({text});
    };
    both(openingRule);
    timeLine(master, record.masterTime);
    timeLine(send, record.sendTime);
    questionNumberLine(master, questionValue(record.assignmentNumber));
    both(code(record.currentLine, record.codeNumber));
    both(openingRule);
    both(responseMarker);
    both(code(record.response, record.codeNumber));
    if (record.ratingLine)
        both(*record.ratingLine);
    both(closingRule);
    return {master.bytes(), send.bytes()};
}

NotesFiles notesRecord(const Notes& record, const Clock& clock)
{
    std::array<LineWriter, 3> files;  // master, send, notes
    const auto all = [&](const QString& text) {
        for (LineWriter& file : files)
            file.line({text});
    };
    all(openingRule);
    for (LineWriter& file : files)
        timeLine(file, clock.time());
    for (LineWriter& file : files) {
        const QString date = clock.date();
        dateAndTimeLine(file, date, clock.time());
    }
    all(code(record.currentLine, record.codeNumber));
    all(openingRule);
    all(code(record.notesLine, record.codeNumber));
    files[0].line({QString(closingRule)});
    files[1].line({QString(closingRule)}, Ending::LeaveOpen);
    files[2].line({QString(closingRule)}, Ending::LeaveOpen);
    return {files[0].bytes(), files[1].bytes(), files[2].bytes()};
}

}  // namespace record_lines
