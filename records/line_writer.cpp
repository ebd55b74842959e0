#include "records/line_writer.h"

#include "platform/record_encoding.h"
#include "platform/text_rules.h"

#include <cmath>

namespace {
constexpr qsizetype zoneWidth = 14;
}

qsizetype LineWriter::nextZone(qsizetype column)
{
    return ((column - 1) / zoneWidth + 1) * zoneWidth + 1;
}

QByteArray LineWriter::numberItem(double value)
{
    const QByteArray digits = text_rules::numberText(std::fabs(value)).toLatin1();
    return (value < 0 ? QByteArray("-") : QByteArray(" ")) + digits + ' ';
}

void LineWriter::line(std::initializer_list<LineItem> items, Ending ending)
{
    bool first = true;
    for (const LineItem& item : items) {
        if (!first)
            put(QByteArray(nextZone(column_) - column_, ' '));
        first = false;
        if (const auto* text = std::get_if<QString>(&item.value))
            put(record_encoding::encode(*text));
        else if (const auto* raw = std::get_if<QByteArray>(&item.value))
            put(*raw);
        else
            put(numberItem(std::get<double>(item.value)));
    }
    if (ending == Ending::CrLf)
        put(QByteArrayLiteral("\r\n"));
}

void LineWriter::put(const QByteArray& part)
{
    bytes_.append(part);
    const qsizetype lastBreak = part.lastIndexOf('\n');
    if (lastBreak >= 0)
        column_ = part.size() - lastBreak;
    else
        column_ += part.size();
}
