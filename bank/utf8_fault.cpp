#include "bank/utf8_fault.h"

#include "platform/record_encoding.h"

#include <QStringList>

namespace utf8_fault {

namespace {

constexpr qsizetype MaxBytesNamed = 4;

bool inRange(QByteArrayView bytes, qsizetype at, unsigned low, unsigned high)
{
    return at < bytes.size() && quint8(bytes[at]) >= low && quint8(bytes[at]) <= high;
}

// The length of the UTF-8 character at `at`, 0 when none begins there: the
// well-formed sequences of the Unicode standard, so no overlong form, no
// surrogate and nothing past U+10FFFF.
qsizetype characterLength(QByteArrayView bytes, qsizetype at)
{
    const unsigned lead = quint8(bytes[at]);
    const auto tail = [&](qsizetype from, qsizetype count) {
        for (qsizetype i = from; i < count; ++i) {
            if (!inRange(bytes, at + i, 0x80, 0xbf))
                return false;
        }
        return true;
    };
    if (lead <= 0x7f)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf)
        return tail(1, 2) ? 2 : 0;
    if (lead >= 0xe0 && lead <= 0xef) {
        const unsigned low = lead == 0xe0 ? 0xa0 : 0x80;
        const unsigned high = lead == 0xed ? 0x9f : 0xbf;
        return inRange(bytes, at + 1, low, high) && tail(2, 3) ? 3 : 0;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        const unsigned low = lead == 0xf0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xf4 ? 0x8f : 0xbf;
        return inRange(bytes, at + 1, low, high) && tail(2, 4) ? 4 : 0;
    }
    return 0;
}

bool isContinuation(char byte)
{
    return (quint8(byte) & 0xc0) == 0x80;
}

}  // namespace

Fault firstIn(QByteArrayView line)
{
    // A byte-order mark at the start of the file is not shown by editors.
    const qsizetype start = line.startsWith("\xef\xbb\xbf") ? 3 : 0;
    int column = 1;
    qsizetype at = start;
    while (at < line.size()) {
        const qsizetype length = characterLength(line, at);
        if (length == 0)
            break;
        at += length;
        ++column;
    }
    if (at == line.size())
        return {};
    // The byte and the continuation bytes after it: a character cut short,
    // or one of a form that UTF-8 does not allow.
    qsizetype end = at + 1;
    while (end < line.size() && end - at < MaxBytesNamed && isContinuation(line[end]))
        ++end;
    return {column, line.sliced(at, end - at).toByteArray()};
}

QString describe(const Fault& fault)
{
    QStringList hex;
    for (const char byte : fault.bytes)
        hex.append(QString::number(quint8(byte), 16).toUpper().rightJustified(2, u'0'));
    QString text = QStringLiteral("the %1 %2 at column %3")
                       .arg(fault.bytes.size() == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"), hex.join(u' '))
                       .arg(fault.column);
    if (fault.bytes.size() == 1) {
        // A single byte is most often a character saved in Windows-1252.
        const QString character = record_encoding::decode(fault.bytes);
        if (character[0].isPrint())
            text += QStringLiteral(" (\"%1\" in Windows-1252)").arg(character);
    }
    return text;
}

}  // namespace utf8_fault
