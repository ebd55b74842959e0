#include "records/record_reader.h"

#include "bank/opening_rules.h"
#include "platform/record_encoding.h"
#include "records/record_lines.h"

#include <QDate>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

namespace record_reader {
namespace {

using namespace record_lines;

// A multi-line header line from an instructor's bank may run to this many
// lines before the course and the date.
constexpr qsizetype maxHeaderLines = 64;
constexpr qsizetype ruleLength = closingRule.size();
// Assignment numbers are padded to three characters, as header lines
// begin with three and a point.
constexpr qsizetype paddedLength = 3;

QByteArrayView view(QLatin1String text)
{
    return QByteArrayView(text.data(), text.size());
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Editors trim or add trailing blanks, so the fixed lines are compared
// without them.
QByteArrayView trimmedRight(QByteArrayView line)
{
    qsizetype end = line.size();
    while (end > 0 && isBlank(line[end - 1]))
        --end;
    return line.first(end);
}

QByteArrayView trimmed(QByteArrayView line)
{
    line = trimmedRight(line);
    qsizetype start = 0;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    return line.sliced(start);
}

bool isBlankLine(QByteArrayView line)
{
    return trimmedRight(line).isEmpty();
}

bool isRule(QByteArrayView line, QLatin1String rule)
{
    return trimmedRight(line) == view(rule);
}

// What follows a label; a line that is the label with its trailing blanks
// trimmed has nothing after it.
std::optional<QByteArrayView> afterLabel(QByteArrayView line, QLatin1String label)
{
    if (line.startsWith(view(label)))
        return line.sliced(label.size());
    if (trimmedRight(line) == trimmedRight(view(label)))
        return QByteArrayView();
    return std::nullopt;
}

bool isDigits(QByteArrayView text, std::initializer_list<qsizetype> positions)
{
    for (const qsizetype at : positions) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9')
            return false;
    }
    return true;
}

bool isTime(QByteArrayView text)  // hh:mm:ss
{
    return text.size() == 8 && isDigits(text, {0, 1, 3, 4, 6, 7}) && text[2] == ':' && text[5] == ':';
}

bool isDate(QByteArrayView text)  // mm-dd-yyyy
{
    return text.size() == 10 && isDigits(text, {0, 1, 3, 4, 6, 7, 8, 9}) && text[2] == '-' && text[5] == '-';
}

bool isTimeLine(QByteArrayView line)
{
    return isTime(trimmed(line));
}

int secondsOfDay(QByteArrayView time)  // of an hh:mm:ss
{
    const auto two = [&](qsizetype at) { return (time[at] - '0') * 10 + (time[at + 1] - '0'); };
    return two(0) * 3600 + two(3) * 60 + two(6);
}

// The day after a mm-dd-yyyy date; the date as it is when it is no date.
QString nextDay(const QString& date)
{
    const QDate day = QDate::fromString(date, QStringLiteral("MM-dd-yyyy"));
    return day.isValid() ? day.addDays(1).toString(QStringLiteral("MM-dd-yyyy")) : date;
}

// The date and the time of a date-and-time line.
std::optional<std::pair<QByteArrayView, QByteArrayView>> dateAndTime(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (text.size() < 19 || !isDate(text.first(10)) || !isTime(text.last(8)) || !isBlankLine(text.sliced(10, text.size() - 18)))
        return std::nullopt;
    return std::pair{text.first(10), text.last(8)};
}

// A closing rule cut short by the end of the file or by a crash.
bool isClosingRuleStart(QByteArrayView line)
{
    line = trimmedRight(line);
    return !line.isEmpty() && line.size() < ruleLength && line.count('.') == line.size();
}

// A run that goes on past midnight keeps the date it started with; a time
// that goes back by more than the hour that a clock change takes is the
// next day.
constexpr int clockChangeSeconds = 3600;

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype number = 0;
};

class Reader {
public:
    // Windows-1252, or the encoding of a byte-order mark at the start.
    Reader(QByteArrayView bytes, std::optional<QStringConverter::Encoding> marked);
    Records read();

private:
    QByteArrayView at(qsizetype i) const { return bytes_.sliced(lines_[i].begin, lines_[i].end - lines_[i].begin); }
    qsizetype count() const { return qsizetype(lines_.size()); }
    QString text(QByteArrayView bytes) const;
    QString joined(qsizetype from, qsizetype to) const;
    // Bank text and ratings, where only an editor adds trailing blanks.
    QString joinedTrimmed(qsizetype from, qsizetype to) const;
    bool hasLineEnd(qsizetype i) const { return lines_[i].end < bytes_.size(); }

    void splitLines();
    std::vector<Line> separateGluedRecords(const std::vector<Line>& physical) const;

    bool startsEntry(qsizetype i) const;
    std::optional<qsizetype> openingDateLine(qsizetype i) const;
    bool startsOpening(qsizetype i) const;
    bool startsRecord(qsizetype i) const { return startsEntry(i) || startsOpening(i); }
    bool endsBody(qsizetype i, qsizetype marker) const;
    bool endsWithCutRule(qsizetype marker, qsizetype end) const;
    void setDate(Entry& entry, const std::optional<QString>& ownDate);

    std::optional<qsizetype> readEntry(qsizetype i);
    std::optional<qsizetype> readOpening(qsizetype i);
    void readBody(Entry& entry, qsizetype marker, std::optional<QByteArrayView> notesStart, qsizetype end);
    void markUnreadable(qsizetype i);

    QByteArray converted_;  // a UTF-16 file, as UTF-8
    QByteArrayView bytes_;
    bool utf8_ = false;
    std::vector<Line> lines_;

    Records records_;
    bool stretchOpen_ = false;
    QString assignment_;
    QString date_;
    std::optional<int> lastSeconds_;  // the time of the record before, on date_
};

Reader::Reader(QByteArrayView bytes, std::optional<QStringConverter::Encoding> marked)
{
    if (marked == QStringConverter::Utf8) {
        utf8_ = true;
        bytes_ = bytes.sliced(3);
    } else if (marked) {
        QStringDecoder decoder(*marked);
        converted_ = QString(decoder(bytes)).toUtf8();
        utf8_ = true;
        bytes_ = converted_;
    } else {
        bytes_ = bytes;
    }
    splitLines();
}

QString Reader::text(QByteArrayView bytes) const
{
    if (utf8_)
        return record_encoding::restoreReferences(QString::fromUtf8(bytes));
    return record_encoding::decodeTyped(bytes);
}

// Lines of a typed or bank text, joined with CR LF as a text box gives them.
// As the writer wrote them, they stand in the file with CR LF between them
// already and are decoded in one piece.
QString Reader::joined(qsizetype from, qsizetype to) const
{
    if (from >= to)
        return QString();
    bool crLfOnly = true;
    for (qsizetype i = from; i + 1 < to && crLfOnly; ++i)
        crLfOnly = lines_[i + 1].begin - lines_[i].end == 2 && bytes_[lines_[i].end] == '\r';
    if (crLfOnly)
        return text(bytes_.sliced(lines_[from].begin, lines_[to - 1].end - lines_[from].begin));
    QString joined = text(at(from));
    for (qsizetype i = from + 1; i < to; ++i)
        joined += QLatin1String("\r\n") + text(at(i));
    return joined;
}

QString Reader::joinedTrimmed(qsizetype from, qsizetype to) const
{
    const bool untrimmed = std::any_of(lines_.begin() + from, lines_.begin() + std::max(from, to),
                                       [this](const Line& line) { return line.end > line.begin && isBlank(bytes_[line.end - 1]); });
    if (!untrimmed)
        return joined(from, to);
    QStringList lines;
    for (qsizetype i = from; i < to; ++i)
        lines.append(text(trimmedRight(at(i))));
    return lines.join(QLatin1String("\r\n"));
}

void Reader::splitLines()
{
    std::vector<Line> physical;
    qsizetype start = 0;
    qsizetype number = 1;
    const qsizetype size = bytes_.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes_[i];
        if (c != '\r' && c != '\n')
            continue;
        physical.push_back({start, i, number++});
        if (c == '\r' && i + 1 < size && bytes_[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        physical.push_back({start, size, number});
    records_.lineCount = qsizetype(physical.size());
    lines_ = separateGluedRecords(physical);
}

// The send and notes files leave a note's closing rule open, so the next
// record begins on its line: such a line counts as two.
std::vector<Line> Reader::separateGluedRecords(const std::vector<Line>& physical) const
{
    std::vector<Line> logical;
    logical.reserve(physical.size());
    for (std::size_t i = 0; i < physical.size(); ++i) {
        const Line& line = physical[i];
        const QByteArrayView bytes = bytes_.sliced(line.begin, line.end - line.begin);
        const bool glued = bytes.size() > ruleLength && bytes.startsWith(view(closingRule));
        const auto nextStartsOpening = [&] {
            return i + 1 < physical.size()
                && afterLabel(bytes_.sliced(physical[i + 1].begin, physical[i + 1].end - physical[i + 1].begin),
                              assignmentLabel);
        };
        if (glued && (isRule(bytes.sliced(ruleLength), openingRule) || nextStartsOpening())) {
            logical.push_back({line.begin, line.begin + ruleLength, line.number});
            logical.push_back({line.begin + ruleLength, line.end, line.number});
        } else {
            logical.push_back(line);
        }
    }
    return logical;
}

bool Reader::startsEntry(qsizetype i) const
{
    return i + 1 < count() && isRule(at(i), openingRule) && isTimeLine(at(i + 1));
}

// The date line of the opening record that starts at line i: after the
// assignment line, the header line (one or more lines) and the course.
std::optional<qsizetype> Reader::openingDateLine(qsizetype i) const
{
    const qsizetype last = std::min(count(), i + 4 + maxHeaderLines);
    for (qsizetype d = i + 4; d < last; ++d) {
        if (isDate(trimmed(at(d))))
            return d;
    }
    return std::nullopt;
}

// The writer writes the assignment's padded number, and the header line of
// the bank that begins with that number and a point; a line of a typed text
// that begins with the label has neither.
bool Reader::startsOpening(qsizetype i) const
{
    if (i + 1 >= count())
        return false;
    const auto number = afterLabel(at(i + 1), assignmentLabel);
    if (!number)
        return false;
    const QString padded = text(trimmedRight(*number));
    if (padded.size() != paddedLength)
        return false;
    if (i + 2 < count() && !opening_rules::isHeaderLine(text(at(i + 2)), padded))
        return false;
    return i + 4 >= count() || openingDateLine(i);
}

// The next record after a response or a note: an opening can only follow
// its closing rule, whole or cut short, as a typed line may begin with the
// opening's label.
bool Reader::endsBody(qsizetype i, qsizetype marker) const
{
    if (startsEntry(i))
        return true;
    if (!startsOpening(i))
        return false;
    qsizetype before = i - 1;
    while (before > marker && isBlankLine(at(before)))
        --before;
    return before > marker && (isRule(at(before), closingRule) || isClosingRuleStart(at(before)));
}

Records Reader::read()
{
    qsizetype i = 0;
    while (i < count()) {
        if (const auto next = readEntry(i)) {
            i = *next;
        } else if (const auto next = readOpening(i)) {
            i = *next;
        } else {
            markUnreadable(i);
            ++i;
        }
    }
    return std::move(records_);
}

std::optional<qsizetype> Reader::readOpening(qsizetype i)
{
    if (!startsOpening(i))
        return std::nullopt;
    Opening opening;
    opening.line = lines_[i].number;
    opening.codeLine = at(i).toByteArray();
    opening.assignmentNumber = text(trimmedRight(*afterLabel(at(i + 1), assignmentLabel)));
    qsizetype next = count();
    if (const auto date = openingDateLine(i)) {
        opening.headerLine = joinedTrimmed(i + 2, *date - 1);
        opening.courseName = text(trimmedRight(at(*date - 1)));
        opening.date = text(trimmed(at(*date)));
        next = *date + 1;
    } else {
        opening.cutShort = true;
        opening.headerLine = joinedTrimmed(i + 2, std::min(i + 3, count()));
        if (i + 3 < count())
            opening.courseName = text(trimmedRight(at(i + 3)));
    }
    assignment_ = opening.assignmentNumber;
    date_ = opening.date;
    lastSeconds_.reset();
    records_.openings.push_back(std::move(opening));
    stretchOpen_ = false;
    return next;
}

std::optional<qsizetype> Reader::readEntry(qsizetype i)
{
    if (!startsEntry(i))
        return std::nullopt;
    Entry entry;
    entry.line = lines_[i].number;
    entry.time = text(trimmed(at(i + 1)));
    qsizetype j = i + 2;
    if (j + 2 < count() && isBlankLine(at(j)) && isBlankLine(at(j + 1))) {
        if (const auto value = afterLabel(at(j + 2), questionNumberLabel)) {
            entry.questionNumber = text(trimmed(*value));
            j += 3;
        }
    }
    std::optional<QString> ownDate;
    if (j < count()) {
        if (const auto stamps = dateAndTime(at(j))) {
            ownDate = text(stamps->first);
            ++j;
        }
    }
    // The item runs up to the second opening rule; a record that starts first
    // means this one was cut before its marker.
    qsizetype rule = j;
    while (rule < count() && !isRule(at(rule), openingRule) && !startsOpening(rule))
        ++rule;
    const qsizetype marker = rule + 1;
    if (marker >= count() || startsRecord(rule))
        return std::nullopt;
    const auto notesStart = afterLabel(at(marker), notesLabel);
    if (notesStart)
        entry.kind = Kind::Notes;
    else if (!afterLabel(at(marker), responseMarker))
        return std::nullopt;

    entry.item = joinedTrimmed(j, rule);
    entry.assignmentNumber = assignment_;
    entry.opening = qsizetype(records_.openings.size()) - 1;
    setDate(entry, ownDate);
    stretchOpen_ = false;

    qsizetype end = marker + 1;
    while (end < count() && !endsBody(end, marker))
        ++end;
    readBody(entry, marker, notesStart, end);
    return end;
}

void Reader::setDate(Entry& entry, const std::optional<QString>& ownDate)
{
    const int seconds = secondsOfDay(entry.time.toLatin1());
    if (ownDate)
        date_ = *ownDate;
    else if (lastSeconds_ && seconds < *lastSeconds_ - clockChangeSeconds)
        date_ = nextDay(date_);
    lastSeconds_ = seconds;
    entry.date = date_;
}

// A line of full stops at the end of a record cut short is what was written
// of its closing rule when a rating line stands before it or no line end
// follows it; else it was typed, as "..." often is.
bool Reader::endsWithCutRule(qsizetype marker, qsizetype end) const
{
    const qsizetype last = end - 1;
    if (last <= marker || !isClosingRuleStart(at(last)))
        return false;
    if (!hasLineEnd(last))
        return true;
    const QByteArrayView before = at(last - 1);
    return last - 1 > marker && (afterLabel(before, confidenceLabel) || afterLabel(before, selfCritiqueLabel));
}

// The lines from the marker up to the next record: the text, the rating
// line of a response, and the closing rule (the last one, as a typed text
// may hold a line of full stops too).
void Reader::readBody(Entry& entry, qsizetype marker, std::optional<QByteArrayView> notesStart, qsizetype end)
{
    qsizetype closing = end - 1;
    while (closing > marker && !isRule(at(closing), closingRule))
        --closing;
    qsizetype textEnd = closing;
    if (closing == marker) {
        entry.cutShort = true;
        textEnd = endsWithCutRule(marker, end) ? end - 1 : end;
    }
    if (entry.kind == Kind::Response && textEnd - 1 > marker) {
        const QByteArrayView last = at(textEnd - 1);
        for (const auto& [label, kind] : {std::pair{confidenceLabel, RatingKind::Confidence},
                                          std::pair{selfCritiqueLabel, RatingKind::SelfCritique}}) {
            if (const auto rating = afterLabel(last, label)) {
                entry.ratingKind = kind;
                entry.rating = text(trimmedRight(*rating));
                --textEnd;
                break;
            }
        }
    }
    if (notesStart) {
        entry.text = text(*notesStart);
        if (marker + 1 < textEnd)
            entry.text += QStringLiteral("\r\n") + joined(marker + 1, textEnd);
    } else {
        entry.text = joined(marker + 1, textEnd);
    }
    records_.entries.push_back(std::move(entry));
    if (closing > marker) {
        for (qsizetype i = closing + 1; i < end; ++i)
            markUnreadable(i);
    }
}

void Reader::markUnreadable(qsizetype i)
{
    const QByteArrayView line = at(i);
    if (isBlankLine(line))
        return;
    if (stretchOpen_) {
        records_.unreadable.back().lastLine = lines_[i].number;
        return;
    }
    Stretch stretch;
    stretch.firstLine = stretch.lastLine = lines_[i].number;
    stretch.excerpt = text(line.first(std::min(line.size(), excerptLength)));
    records_.unreadable.push_back(std::move(stretch));
    stretchOpen_ = true;
}

}  // namespace

Records read(QByteArrayView bytes)
{
    // A code line of random characters may begin with the bytes of a
    // byte-order mark (about one send file in twenty thousand begins with
    // "\xff\xfe" or "\xfe\xff"), so a mark is believed only when the rest
    // agrees: valid UTF-8 after a UTF-8 mark; after another mark, a reading
    // that makes out at least as many records as Windows-1252 does.
    const auto marked = QStringConverter::encodingForData(bytes);
    if (marked == QStringConverter::Utf8)
        return Reader(bytes, bytes.sliced(3).isValidUtf8() ? marked : std::nullopt).read();
    Records plain = Reader(bytes, std::nullopt).read();
    if (!marked)
        return plain;
    Records byMark = Reader(bytes, marked).read();
    const auto recordCount = [](const Records& r) { return r.openings.size() + r.entries.size(); };
    return recordCount(byMark) >= recordCount(plain) ? byMark : plain;
}

}  // namespace record_reader
