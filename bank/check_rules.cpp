#include "bank/check_rules.h"

#include <QStringList>

namespace check_rules {

namespace {

// Characters that an editor or a keyboard gives in place of the back-quote.
bool isQuoteLike(QChar c)
{
    return c == u'\'' || c == u'\u2018' || c == u'\u2019' || c == u'\u00b4';
}

// "q", "a" or "routine" at the start of the text, in any case: what a
// marker's back-quote is followed by. Empty if none, and for a quoted word
// ('quasi-static', 'a'): a marker's letter is followed by the item's first
// word, which begins with a capital or is "query".
QString markerWord(QStringView text)
{
    if (text.startsWith(u"routine", Qt::CaseInsensitive))
        return text.left(7).toString();
    if (text.isEmpty() || (text[0].toLower() != u'q' && text[0].toLower() != u'a'))
        return {};
    const QStringView next = text.mid(1);
    if (next.isEmpty() || next.startsWith(u"uery") || !(next[0].isLower() || isQuoteLike(next[0])))
        return text.left(1).toString();
    return {};
}

QString meantMarker(const QString& word)
{
    return word.size() == 1 ? QStringLiteral("`") + word.toLower() : QStringLiteral("`routine");
}

}  // namespace

QString markerSlip(const QString& item)
{
    if (item.startsWith(QStringLiteral("`Q")) || item.startsWith(QStringLiteral("`A"))) {
        return QStringLiteral("this item begins with \"%1\", which is no marker, so the student sees it as text: the "
                              "%2 marker is \"%3\", with a lower-case letter")
            .arg(item.left(2), item[1] == u'Q' ? QStringLiteral("question") : QStringLiteral("answer"),
                 item.left(2).toLower());
    }
    if (!item.isEmpty() && isQuoteLike(item[0])) {
        const QString word = markerWord(QStringView(item).mid(1));
        if (!word.isEmpty()) {
            return QStringLiteral("this item begins with \"%1\", which is no marker, so the student sees it as text: "
                                  "a marker begins with the back-quote, \"%2\"")
                .arg(item.left(1 + word.size()), meantMarker(word));
        }
    }
    qsizetype blanks = 0;
    while (blanks < item.size() && (item[blanks] == u' ' || item[blanks] == u'\t'))
        ++blanks;
    if (blanks > 0 && blanks < item.size() && item[blanks] == u'`') {
        const QString word = markerWord(QStringView(item).mid(blanks + 1));
        if (!word.isEmpty()) {
            return QStringLiteral("this item begins with %1 before \"`%2\": a marker counts only at the very start "
                                  "of an item, so the student sees it as text")
                .arg(item.left(blanks).contains(u'\t') ? QStringLiteral("white space") : QStringLiteral("blanks"),
                     word);
        }
    }
    return {};
}

QString unpointedHeaderNumber(const QString& item)
{
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (item.size() < 3 || !digit(item[0]) || !digit(item[1]) || !digit(item[2]))
        return {};
    const QString number = item.left(3);
    const QStringView rest = QStringView(item).mid(3);
    if (rest.isEmpty() || rest.startsWith(u"\r\n"))
        return number;
    if (QStringView(u":-,;)\u2013\u2014").contains(rest[0]))
        return number;
    if (rest[0] != u' ' && rest[0] != u'\t')
        return {};
    const QStringView word = rest.trimmed();
    // A header's free text names the assignment; a number in a sentence is
    // followed by its unit or a lower-case word.
    if (word.isEmpty() || word.startsWith(u'`') ||
        word.startsWith(u"query", Qt::CaseInsensitive) || word[0].isUpper())
        return number;
    return {};
}

bool isPictureName(const QString& name)
{
    static const QStringList endings = {QStringLiteral(".png"), QStringLiteral(".jpg"), QStringLiteral(".jpeg"),
                                        QStringLiteral(".svg")};
    for (const QString& ending : endings) {
        if (name.size() > ending.size() && name.endsWith(ending))
            return true;
    }
    return false;
}

bool isBesideTheBank(const QString& name)
{
    return !name.contains(u'/') && !name.contains(u'\\') && !name.startsWith(u'.');
}

}  // namespace check_rules
