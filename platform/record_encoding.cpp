#include "platform/record_encoding.h"

#include <QHash>
#include <QStringView>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace record_encoding {
namespace {

constexpr const char* codePage = "windows-1252";

// The byte for one code point, or an empty array when the code page has none.
// Results are cached: the converter is slow per call and typed text repeats.
QByteArray encodeCodePoint(char32_t codePoint)
{
    static QHash<char32_t, QByteArray> cache;
    const auto found = cache.constFind(codePoint);
    if (found != cache.constEnd())
        return *found;
    QStringEncoder encoder(codePage);
    const QString one = QString::fromUcs4(&codePoint, 1);
    QByteArray bytes = encoder(one);
    if (encoder.hasError() || bytes.size() != 1)
        bytes.clear();
    cache.insert(codePoint, bytes);
    return bytes;
}

// The character of every byte, taken from Qt's decoder once: each of the 256
// bytes stands for one character.
const std::array<char16_t, 256>& byteCharacters()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> characters{};
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        QStringDecoder decoder(codePage);
        const QString decoded = decoder(bytes);
        Q_ASSERT(decoded.size() == 256);
        for (int b = 0; b < 256 && b < decoded.size(); ++b)
            characters[b] = decoded[b].unicode();
        return characters;
    }();
    return table;
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
        const QByteArray byte = encodeCodePoint(codePoint);
        if (byte.isEmpty())
            out.append("&#" + QByteArray::number(quint32(codePoint)) + ';');
        else
            out.append(byte);
    }
    return out;
}

QString decode(QByteArrayView bytes)
{
    const auto& characters = byteCharacters();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(characters[quint8(byte)]);
    return text;
}

bool holds(char32_t codePoint)
{
    // From the byte table rather than the encoder's cache, so that readers
    // on several threads may ask.
    if (codePoint < 0x80)
        return true;
    const auto& characters = byteCharacters();
    return std::find(characters.begin(), characters.end(), codePoint) != characters.end();
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
