#include "bank/reader_rules.h"

namespace reader_rules {

Marker stripMarker(QString& item)
{
    if (item.startsWith(QStringLiteral("`q"))) {
        item.remove(0, 2);
        return Marker::Question;
    }
    if (item.startsWith(QStringLiteral("`a"))) {
        item.remove(0, 2);
        return Marker::Answer;
    }
    return Marker::None;
}

bool isRoutineLine(const QString& item)
{
    return item.left(8).toLower() == QStringLiteral("`routine");
}

QString routineName(const QString& item)
{
    return remSpaces(item.mid(9)).toLower();
}

QString remSpaces(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' && c != u'-')
            kept.append(c);
    }
    return kept;
}

QString expandLineBreaks(const QString& text)
{
    QString expanded;
    expanded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'{' && i + 1 < text.size() && text[i + 1] == u'}') {
            expanded.append(QStringLiteral("\r\n"));
            ++i;
        } else {
            expanded.append(text[i]);
        }
    }
    return expanded;
}

}  // namespace reader_rules
