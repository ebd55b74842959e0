#include "platform/record_encoding.h"

#include <QStringView>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace record_encoding {
namespace {

// The characters of the bytes 80 to 9F; every other byte stands for the code
// point of its own value. The five bytes that the code page leaves unused
// stand for the control characters of their values, so that every byte
// decodes and encodes back. Written out rather than asked of the toolkit,
// whose named code pages depend on how it was built.
constexpr std::array<char16_t, 32> upperControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t characterOf(quint8 byte)
{
    return byte >= 0x80 && byte < 0xA0 ? upperControls[byte - 0x80] : char16_t(byte);
}

// The byte for one code point, or nothing when the code page has none.
std::optional<char> byteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return char(codePoint);
    const auto found = std::find(upperControls.begin(), upperControls.end(), codePoint);
    if (found == upperControls.end())
        return std::nullopt;
    return char(0x80 + (found - upperControls.begin()));
}

// The reference that starts at `from` ("&#"), or nothing when it is not one
// that encode() would write.
std::optional<std::pair<char32_t, qsizetype>> referenceAt(QStringView text, qsizetype from)
{
    constexpr qsizetype maxDigits = 7;  // 1114111, the last code point
    qsizetype end = from + 2;
    while (end < text.size() && end - from - 2 < maxDigits && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    const qsizetype digits = end - from - 2;
    if (digits == 0 || end >= text.size() || text[end] != u';' || text[from + 2] == u'0')
        return std::nullopt;
    const char32_t codePoint = text.mid(from + 2, digits).toUInt();
    const bool scalar = codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
    if (!scalar || holds(codePoint))
        return std::nullopt;
    return std::pair{codePoint, end + 1 - from};
}

}  // namespace

QByteArray encode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(c, text[++i]);
        if (const auto byte = byteOf(codePoint))
            out.append(*byte);
        else
            out.append("&#" + QByteArray::number(quint32(codePoint)) + ';');
    }
    return out;
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(characterOf(quint8(byte)));
    return text;
}

bool holds(char32_t codePoint)
{
    return byteOf(codePoint).has_value();
}

QString restoreReferences(const QString& text)
{
    // Most texts hold no "&" at all; looking for one character is fastest.
    if (!text.contains(u'&'))
        return text;
    qsizetype from = text.indexOf(QLatin1String("&#"));
    if (from < 0)
        return text;
    QString restored;
    restored.reserve(text.size());
    qsizetype copied = 0;
    for (; from >= 0; from = text.indexOf(QLatin1String("&#"), from)) {
        const auto reference = referenceAt(text, from);
        if (!reference) {
            from += 2;
            continue;
        }
        restored.append(QStringView(text).mid(copied, from - copied));
        // Built by hand: a UTF-32 decoder would take U+FEFF for a byte-order
        // mark and drop it.
        const char32_t codePoint = reference->first;
        if (QChar::requiresSurrogates(codePoint)) {
            restored.append(QChar(QChar::highSurrogate(codePoint)));
            restored.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            restored.append(QChar(char16_t(codePoint)));
        }
        from += reference->second;
        copied = from;
    }
    restored.append(QStringView(text).mid(copied));
    return restored;
}

QString decodeTyped(QByteArrayView bytes)
{
    return restoreReferences(decode(bytes));
}

void forEachLine(const QString& text, const std::function<void(QStringView)>& visit)
{
    const QStringView all(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] != u'\r')
            continue;
        visit(all.mid(start, i - start));
        if (i + 1 < all.size() && all[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < all.size())
        visit(all.mid(start));
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    forEachLine(text, [&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

}  // namespace record_encoding
