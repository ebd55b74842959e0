#include "bank/check_rules.h"

#include <QStringList>

#include <algorithm>

namespace check_rules {

namespace {

// Characters that an editor or a keyboard gives in place of the back-quote.
bool isQuoteLike(QChar c)
{
    return c == u'\'' || c == u'"' || c == u'\u2018' || c == u'\u2019' || c == u'\u201c' || c == u'\u201d' ||
           c == u'\u201e' || c == u'\u00b4' || c == u'\u2032' || c == u'\u2035' || c == u'\u02cb' || c == u'\uff40';
}

// Characters that take no room on the screen: an editor shows nothing.
bool isInvisible(QChar c)
{
    return c == u'\u200b' || c == u'\u200c' || c == u'\u200d' || c == u'\u2060' || c == u'\ufeff';
}

// The white space that a line begins with, blanks and no-break spaces and
// invisible characters included; line breaks too when `lineBreaks` is set.
qsizetype leadingSpace(QStringView text, bool lineBreaks)
{
    qsizetype count = 0;
    while (count < text.size() && (text[count].isSpace() || isInvisible(text[count])) &&
           (lineBreaks || (text[count] != u'\r' && text[count] != u'\n')))
        ++count;
    return count;
}

struct SpaceName {
    QString name;  // "blanks", "a no-break space (U+00A0)"
    QString pronoun;  // "them", "it"
};

QString codePoint(QChar c)
{
    return QStringLiteral("U+%1").arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
}

SpaceName spaceName(QStringView space)
{
    const QString it = QStringLiteral("it");
    if (space.contains(u'\n'))
        return {QStringLiteral("an empty line"), it};
    const auto other = std::find_if(space.begin(), space.end(), [](QChar c) { return c != u' ' && c != u'\t'; });
    if (other == space.end() && !space.contains(u'\t'))
        return space.size() == 1 ? SpaceName{QStringLiteral("a blank"), it}
                                 : SpaceName{QStringLiteral("blanks"), QStringLiteral("them")};
    if (other == space.end())
        return {QStringLiteral("white space"), it};
    if (*other == u'\u00a0' || *other == u'\u202f' || *other == u'\u2007')
        return {QStringLiteral("a no-break space (%1)").arg(codePoint(*other)), it};
    if (other->isSpace())
        return {QStringLiteral("a space character (%1)").arg(codePoint(*other)), it};
    return {QStringLiteral("an invisible character (%1)").arg(codePoint(*other)), it};
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

// The article "a" or "A" after a quote opens a quoted sentence.
bool isArticle(QStringView text)
{
    return text.size() >= 2 && text[0].toLower() == u'a' && (text[1] == u' ' || text[1] == u'\t');
}

// What follows the point of a line that reads like a header: nothing, or
// after white space the text that names an assignment, as a header's does,
// not a unit or a sentence going on.
bool headerTextFollows(QStringView rest)
{
    rest = firstLine(rest);
    if (rest.isEmpty())
        return true;
    if (rest[0] != u' ' && rest[0] != u'\t')
        return false;
    const QStringView word = rest.trimmed();
    return word.isEmpty() || word.startsWith(u'`') || word.startsWith(u"query", Qt::CaseInsensitive) || word[0].isUpper();
}

qsizetype digitsAt(QStringView text, qsizetype from)
{
    qsizetype end = from;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    return end - from;
}

}  // namespace

QStringView firstLine(QStringView text)
{
    const qsizetype end = text.indexOf(u'\r');
    return end < 0 ? text : text.left(end);
}

QString markerSlip(const QString& item)
{
    if (item.startsWith(QStringLiteral("`Q")) || item.startsWith(QStringLiteral("`A"))) {
        return QStringLiteral("this item begins with \"%1\", which is no marker, so the student sees it as text: the "
                              "%2 marker is \"%3\", with a lower-case letter")
            .arg(item.left(2), item[1] == u'Q' ? QStringLiteral("question") : QStringLiteral("answer"),
                 item.left(2).toLower());
    }
    if (item.startsWith(u'`')) {
        const qsizetype space = leadingSpace(QStringView(item).mid(1), false);
        const QString word = space > 0 ? markerWord(QStringView(item).mid(1 + space)) : QString();
        if (!word.isEmpty()) {
            return QStringLiteral("this item begins with \"%1\", which is no marker, so the student sees it as text: "
                                  "write \"%2\", without %3 after the back-quote")
                .arg(item.left(1 + space + word.size()), meantMarker(word), spaceName(QStringView(item).mid(1, space)).name);
        }
    }
    if (!item.isEmpty() && isQuoteLike(item[0])) {
        const QStringView rest = QStringView(item).mid(1);
        const QString word = markerWord(rest);
        if (!word.isEmpty() && !isArticle(rest)) {
            return QStringLiteral("this item begins with \"%1\", which is no marker, so the student sees it as text: "
                                  "a marker begins with the back-quote, \"%2\"")
                .arg(item.left(1 + word.size()), meantMarker(word));
        }
    }
    const qsizetype space = leadingSpace(item, true);
    if (space > 0 && space < item.size() && item[space] == u'`') {
        const QString word = markerWord(QStringView(item).mid(space + 1));
        if (!word.isEmpty()) {
            const SpaceName name = spaceName(QStringView(item).left(space));
            return QStringLiteral("this item begins with %1 before \"`%2\": a marker counts only at the very start "
                                  "of an item, so the student sees it as text; delete %3")
                .arg(name.name, word, name.pronoun);
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

std::optional<HeaderLookAlike> headerLookAlike(const QString& item)
{
    const QStringView text(item);
    const auto pointedNumber = [&](qsizetype from, qsizetype minDigits, qsizetype maxDigits) -> QString {
        const qsizetype digits = digitsAt(text, from);
        const qsizetype point = from + digits;
        if (digits < minDigits || digits > maxDigits || point >= text.size() || text[point] != u'.' ||
            !headerTextFollows(text.mid(point + 1)))
            return {};
        return text.sliced(from, digits).toString().rightJustified(3, u'0');
    };
    const auto found = [&](HeaderLookAlike::Kind kind, const QString& number, qsizetype from) {
        return HeaderLookAlike{kind, number, text.sliced(from, text.indexOf(u'.', from) + 1 - from).toString(), {}};
    };
    if (const qsizetype space = leadingSpace(text, true); space > 0) {
        if (const QString number = pointedNumber(space, 3, 3); !number.isEmpty()) {
            HeaderLookAlike lookAlike = found(HeaderLookAlike::SpaceBefore, number, space);
            lookAlike.space = spaceName(text.left(space)).name;
            return lookAlike;
        }
        return {};
    }
    if (const QString number = pointedNumber(0, 1, 2); !number.isEmpty())
        return found(HeaderLookAlike::FewerDigits, number, 0);
    qsizetype word = 0;
    while (word < text.size() && text[word].isLetter())
        ++word;
    qsizetype blanks = word;
    while (blanks < text.size() && (text[blanks] == u' ' || text[blanks] == u'\t'))
        ++blanks;
    if (word > 0 && blanks > word) {
        if (const QString number = pointedNumber(blanks, 1, 3); !number.isEmpty())
            return found(HeaderLookAlike::WordBefore, number, 0);
    }
    return {};
}

LineKind lineKind(QStringView line)
{
    const qsizetype space = leadingSpace(line, true);
    if (space == line.size())
        return LineKind::Blank;
    if (line[space] == u'#')
        return LineKind::Comment;
    if (line.startsWith(u"`q") || line.startsWith(u"`a") || line.startsWith(u"`routine", Qt::CaseInsensitive))
        return LineKind::Marker;
    if (digitsAt(line, 0) == 3 && line.size() > 3 && line[3] == u'.' && headerTextFollows(line.mid(4)))
        return LineKind::Header;
    return LineKind::Text;
}

QString lineOpening(QStringView line)
{
    switch (lineKind(line)) {
    case LineKind::Marker:
        return line.left(line.startsWith(u"`routine", Qt::CaseInsensitive) ? 8 : 2).toString();
    case LineKind::Header:
        return line.left(4).toString();
    default:
        return {};
    }
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

QString otherFileEnding(const QString& name)
{
    constexpr qsizetype longestEnding = 5;
    const qsizetype point = name.lastIndexOf(u'.');
    if (point <= 0 || isPictureName(name))
        return {};
    const QStringView ending = QStringView(name).mid(point + 1);
    const bool letters = std::any_of(ending.begin(), ending.end(), [](QChar c) { return c.isLetter(); });
    const bool plain = std::all_of(ending.begin(), ending.end(), [](QChar c) { return c.isLetterOrNumber(); });
    return letters && plain && ending.size() <= longestEnding ? ending.toString() : QString();
}

bool isBesideTheBank(const QString& name)
{
    return !name.contains(u'/') && !name.contains(u'\\') && !name.startsWith(u'.');
}

}  // namespace check_rules
