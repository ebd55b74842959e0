#include "platform/record_encoding.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(codePage);
    return decoder(bytes);
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
