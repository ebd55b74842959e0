#include "bank/bank_check.h"

#include "app/start_up_rules.h"
#include "bank/check_rules.h"
#include "bank/reader_rules.h"

#include <QHash>
#include <QSet>

namespace bank_check {

namespace {

using bank_file::Bank;
using bank_file::Problem;
using bank_file::Slot;

// The lines of an item, which the reader joins with CR LF. Split at each LF
// and its CR, which is much faster than a search for the pair.
QList<QStringView> itemLines(QStringView item)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype end = item.indexOf(u'\n'); end >= 0; end = item.indexOf(u'\n', start)) {
        lines.append(item.sliced(start, end - 1 - start));
        start = end + 1;
    }
    lines.append(item.sliced(start));
    return lines;
}

// Whether the item may hold a line that the checks of its lines warn at: a
// "#" line, a later line that begins with a back-quote or a digit, or any
// later line of a header's item. Most items hold none, and are passed over
// without being split.
bool mayHoldLineSlips(QStringView item, bool header)
{
    if (item.contains(u'#'))
        return true;
    for (qsizetype end = item.indexOf(u'\n'); end >= 0; end = item.indexOf(u'\n', end + 1)) {
        const QChar next = end + 1 < item.size() ? item[end + 1] : QChar();
        if (header || next == u'`' || (next >= u'0' && next <= u'9'))
            return true;
    }
    return false;
}

class Checker {
public:
    explicit Checker(Bank& bank);

    void findAssignments();
    void checkItemBeginnings();
    void checkItemLines();
    void checkPassEnds();
    void checkRoutineLines();

private:
    // At the slot's first line, or at the given line of its text.
    void add(Problem::Severity severity, int slot, const QString& text, int lineInItem = 0)
    {
        const Slot& s = bank_.bankSlots[std::size_t(slot - 1)];
        bank_.problems.push_back({severity, bank_.files[s.file], s.line + lineInItem, text});
    }
    QString where(int slot) const
    {
        const Slot& s = bank_.bankSlots[std::size_t(slot - 1)];
        return QStringLiteral("slot %1, %2:%3").arg(slot).arg(bank_.files[s.file]).arg(s.line);
    }
    // The item as the reader sees it, its marker removed.
    const QString& stepped(int slot) const { return stepped_[std::size_t(slot - 1)]; }
    const QString& raw(int slot) const { return bank_.bankSlots[std::size_t(slot - 1)].text; }
    int lastSlot() const { return int(bank_.bankSlots.size()); }
    // The first header after this slot, 0 if none.
    int headerAfter(int slot) const;
    // Whether an item between the two slots reads like the header of `number`.
    bool hasLookAlike(int from, int to, const QString& number) const;
    int lineOf(int slot, int lineInItem) const { return bank_.bankSlots[std::size_t(slot - 1)].line + lineInItem; }
    void checkHeaderLookAlike(int slot, const QSet<QString>& numbers);
    void checkLinesOf(int slot);
    void warnRunOn(int slot, QStringView line, int lineInItem, bool header);
    void checkCommentLines(int slot, const std::vector<check_rules::LineKind>& kinds, qsizetype first, qsizetype last,
                           bool textBefore);
    void checkRoutineName(int slot, const QString& line);
    void checkFigureOver(int slot, const QString& name);
    void count(bank_file::Assignment& assignment, int slot) const;

    Bank& bank_;
    std::vector<QString> stepped_;
    std::vector<reader_rules::Marker> markers_;
    std::vector<int> headers_;  // every header's slot, repeated numbers included
    QSet<int> repeated_;  // headers of numbers met before, which have a warning of their own
    // Items that read like the header of a number that the bank lacks, by
    // slot: they have a warning of their own.
    QHash<int, QString> lookAlikes_;
    // What the picture box shows as a pass goes on: graph1 alone draws
    // without clearing the box first.
    enum class Box { Blank, Graph1, Other };
    Box box_ = Box::Blank;
    int boxDrawnAt_ = 0;  // the routine line of the figure that the box shows
};

Checker::Checker(Bank& bank) : bank_(bank)
{
    stepped_.reserve(bank.bankSlots.size());
    markers_.reserve(bank.bankSlots.size());
    for (const Slot& slot : bank.bankSlots) {
        QString text = slot.text;
        markers_.push_back(reader_rules::stripMarker(text));
        stepped_.push_back(text);
    }
}

int Checker::headerAfter(int slot) const
{
    const auto next = std::upper_bound(headers_.begin(), headers_.end(), slot);
    return next == headers_.end() ? 0 : *next;
}

bool Checker::hasLookAlike(int from, int to, const QString& number) const
{
    for (auto at = lookAlikes_.constBegin(); at != lookAlikes_.constEnd(); ++at) {
        if (at.key() > from && at.key() < to && at.value() == number)
            return true;
    }
    return false;
}

void Checker::findAssignments()
{
    QHash<QString, int> firstHeader;
    for (int slot = 1; slot <= lastSlot(); ++slot) {
        const QString number = bank_file::headerNumber(raw(slot));
        if (number.isEmpty())
            continue;
        headers_.push_back(slot);
        if (const auto first = firstHeader.constFind(number); first != firstHeader.constEnd()) {
            repeated_.insert(slot);
            add(Problem::Warning, slot,
                QStringLiteral("assignment %1 has its header at %2 already: this one can never be opened")
                    .arg(number, where(*first)));
            continue;
        }
        firstHeader.insert(number, slot);
        bank_.assignments.push_back({number, slot, 0});
    }
    for (bank_file::Assignment& assignment : bank_.assignments) {
        const int end = headerAfter(assignment.headerSlot);
        for (int slot = assignment.headerSlot + 1; slot <= (end == 0 ? lastSlot() : end - 1); ++slot)
            count(assignment, slot);
    }
}

void Checker::count(bank_file::Assignment& assignment, int slot) const
{
    using reader_rules::Marker;
    const QString& line = stepped(slot);
    if (line.isEmpty())
        return;
    ++assignment.items;
    if (reader_rules::isRoutineLine(line))
        ++assignment.routineLines;
    else if (markers_[std::size_t(slot - 1)] == Marker::Question)
        ++assignment.questions;
    else if (markers_[std::size_t(slot - 1)] == Marker::Answer)
        ++assignment.answers;
    else
        ++assignment.unmarked;
}

// The slips that leave an item looking right to its writer while the
// program reads it otherwise: a marker that is not one, and a header
// without its point.
void Checker::checkItemBeginnings()
{
    QSet<QString> numbers;
    for (const bank_file::Assignment& assignment : bank_.assignments)
        numbers.insert(assignment.number);
    for (int slot = 1; slot <= lastSlot(); ++slot) {
        const QString& item = raw(slot);
        if (const QString slip = check_rules::markerSlip(item); !slip.isEmpty()) {
            add(Problem::Warning, slot, slip);
            continue;
        }
        const QString number = check_rules::unpointedHeaderNumber(item);
        if (number.isEmpty()) {
            checkHeaderLookAlike(slot, numbers);
            continue;
        }
        if (numbers.contains(number))
            continue;
        lookAlikes_.insert(slot, number);
        add(Problem::Warning, slot,
            QStringLiteral("this item reads like the header of assignment %1 without the point after its number, so it "
                           "is no header and the bank has no assignment %1: write \"%1.\"")
                .arg(number));
    }
}

// A number with fewer digits or a word before it is taken for a header only
// next to the bank's own numbers, where a numbered question is unlikely.
void Checker::checkHeaderLookAlike(int slot, const QSet<QString>& numbers)
{
    using check_rules::HeaderLookAlike;
    const std::optional<HeaderLookAlike> lookAlike = check_rules::headerLookAlike(raw(slot));
    if (!lookAlike || numbers.contains(lookAlike->number))
        return;
    const auto beside = [&](int step) {
        return numbers.contains(QStringLiteral("%1").arg(lookAlike->number.toInt() + step, 3, 10, QLatin1Char('0')));
    };
    if (lookAlike->kind != HeaderLookAlike::SpaceBefore && !numbers.isEmpty() && !beside(-1) && !beside(1))
        return;
    const QString& number = lookAlike->number;
    QString text;
    switch (lookAlike->kind) {
    case HeaderLookAlike::FewerDigits:
        text = QStringLiteral("this item reads like the header of assignment %1, but a header begins with three "
                              "digits and a point, so it is no header and the bank has no assignment %1: write "
                              "\"%1.\" in place of \"%2\"")
                   .arg(number, lookAlike->written);
        break;
    case HeaderLookAlike::WordBefore: {
        const QString rest = raw(slot).section(QStringLiteral("\r\n"), 0, 0).mid(lookAlike->written.size()).trimmed();
        text = QStringLiteral("this item reads like the header of assignment %1, but a header begins with its number "
                              "and a point, so it is no header and the bank has no assignment %1: begin the item with "
                              "\"%1.\", as \"%1.  %2\"")
                   .arg(number, rest.isEmpty() ? lookAlike->written.chopped(1) : rest);
        break;
    }
    case HeaderLookAlike::SpaceBefore:
        text = QStringLiteral("this item begins with %1 before \"%2\", so it is no header and the bank has no "
                              "assignment %3: delete it, so that the item begins with \"%2\"")
                   .arg(lookAlike->space, lookAlike->written, number);
        break;
    }
    lookAlikes_.insert(slot, number);
    add(Problem::Warning, slot, text);
}

// The slips inside an item's text: a "#" line taken for a comment, an item
// that runs on into the next because its "@@ item" line was forgotten, and
// the text under a header, which no student sees.
void Checker::checkItemLines()
{
    for (int slot = 1; slot <= lastSlot(); ++slot) {
        if (mayHoldLineSlips(raw(slot), !bank_file::headerNumber(raw(slot)).isEmpty()))
            checkLinesOf(slot);
    }
}

void Checker::checkLinesOf(int slot)
{
    using check_rules::LineKind;
    const QList<QStringView> lines = itemLines(raw(slot));
    std::vector<LineKind> kinds;
    for (const QStringView line : lines) {
        const LineKind kind = check_rules::lineKind(line);
        // The first line's marker or header number is the item's own.
        kinds.push_back(kinds.empty() && kind != LineKind::Comment && kind != LineKind::Blank ? LineKind::Text : kind);
    }
    const bool header = !bank_file::headerNumber(raw(slot)).isEmpty();
    bool textBefore = false;
    bool headerTextSeen = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const LineKind kind = kinds[std::size_t(i)];
        if (kind == LineKind::Comment) {
            qsizetype last = i;
            for (qsizetype j = i + 1; j < lines.size() && kinds[std::size_t(j)] <= LineKind::Comment; ++j)
                last = kinds[std::size_t(j)] == LineKind::Comment ? j : last;
            checkCommentLines(slot, kinds, i, last, textBefore);
            i = last;
            continue;
        }
        if (kind == LineKind::Blank)
            continue;
        if (kind != LineKind::Text && textBefore)
            warnRunOn(slot, lines[i], int(i), header);
        if (kind == LineKind::Text && header && i > 0 && !headerTextSeen) {
            headerTextSeen = true;
            add(Problem::Warning, slot,
                QStringLiteral("the student never sees this line: it is part of the header's item at line %1 (slot %2), "
                               "and a student starts at the item after the header; to show it, write \"@@ item\" on "
                               "the line before it")
                    .arg(lineOf(slot, 0))
                    .arg(slot),
                int(i));
        }
        textBefore = true;
    }
}

// A marker, a routine line or a header on a later line of an item.
void Checker::warnRunOn(int slot, QStringView line, int lineInItem, bool header)
{
    const QString opening = check_rules::lineOpening(line);
    QString effect;
    if (header)
        effect = QStringLiteral("the student never sees it");
    else if (check_rules::lineKind(line) == check_rules::LineKind::Header)
        effect = QStringLiteral("it opens no assignment, and the student sees it as text");
    else if (opening.compare(QStringLiteral("`routine"), Qt::CaseInsensitive) == 0)
        effect = QStringLiteral("the student sees it as text, and no figure is drawn");
    else
        effect = QStringLiteral("the student sees it with that item, and \"%1\" marks nothing").arg(opening);
    add(Problem::Warning, slot,
        QStringLiteral("this line begins with \"%1\", but it is still the text of %2 that begins at line %3 (slot %4): "
                       "%5; write \"@@ item\" on the line before it")
            .arg(opening, header ? QStringLiteral("the header's item") : QStringLiteral("the item"))
            .arg(lineOf(slot, 0))
            .arg(slot)
            .arg(effect),
        lineInItem);
}

// A run of "#" lines, blank lines between them, from line `first` to line
// `last` of the item.
void Checker::checkCommentLines(int slot, const std::vector<check_rules::LineKind>& kinds, qsizetype first,
                                qsizetype last, bool textBefore)
{
    auto after = std::size_t(last + 1);
    while (after < kinds.size() && kinds[after] == check_rules::LineKind::Blank)
        ++after;
    const bool textAfter = after < kinds.size();
    const QString these = first == last ? QStringLiteral("this \"#\" line is")
                                        : QStringLiteral("the \"#\" lines %1 to %2 are")
                                              .arg(lineOf(slot, int(first)))
                                              .arg(lineOf(slot, int(last)));
    const QString seen = bank_file::headerNumber(raw(slot)).isEmpty()
                             ? QStringLiteral("the student sees")
                             : QStringLiteral("every student's opening record copies");
    QString text;
    if (textBefore && !textAfter) {
        text = QStringLiteral("%1 no comment but the end of the item at line %2 (slot %3), which %4: a comment is one "
                              "only between slots; write \"@@ empty\" on the line before it")
                   .arg(these)
                   .arg(lineOf(slot, 0))
                   .arg(slot)
                   .arg(seen);
    } else if (!textBefore && textAfter) {
        text = QStringLiteral("%1 no comment but the beginning of the item of slot %2, which %3: a comment is one only "
                              "between slots; write \"@@ empty\" in place of the line \"@@ item\" above, and "
                              "\"@@ item\" on the line before line %4")
                   .arg(these)
                   .arg(slot)
                   .arg(seen)
                   .arg(lineOf(slot, int(after)));
    } else if (textBefore) {
        text = QStringLiteral("%1 no comment but part of the item at line %2 (slot %3), which %4: a comment is one only "
                              "between slots; move it out of the item, after an \"@@ empty\" line")
                   .arg(these)
                   .arg(lineOf(slot, 0))
                   .arg(slot)
                   .arg(seen);
    } else {
        text = QStringLiteral("%1 no comment but the whole text of the item of slot %2, which %3: a comment is one only "
                              "between slots; write \"@@ empty\" in place of the line \"@@ item\" above")
                   .arg(these)
                   .arg(slot)
                   .arg(seen);
    }
    add(Problem::Warning, slot, text, int(first));
}

// A student's pass through an assignment ends at the first item that begins
// with the next assignment's number: as a rule that assignment's header.
void Checker::checkPassEnds()
{
    for (const bank_file::Assignment& assignment : bank_.assignments) {
        const QString next = start_up_rules::nextAssignmentNumber(assignment.number);
        const int nextHeader = headerAfter(assignment.headerSlot);
        const int last = nextHeader == 0 ? lastSlot() : nextHeader;
        int end = 0;
        for (int slot = assignment.headerSlot + 1; slot <= last && end == 0; ++slot) {
            if (stepped(slot).startsWith(next))
                end = slot;
        }
        if (end != 0 && end != nextHeader) {
            if (lookAlikes_.contains(end))
                continue;
            add(Problem::Warning, end,
                QStringLiteral("this item begins with %1, the next assignment's number: a student working on "
                               "assignment %2 stops here")
                    .arg(next, assignment.number));
        } else if (end == 0 && nextHeader != 0 && !repeated_.contains(nextHeader) &&
                   !hasLookAlike(assignment.headerSlot, nextHeader, next)) {
            const QString nextNumber = bank_file::headerNumber(raw(nextHeader));
            if (nextNumber < assignment.number) {
                add(Problem::Warning, nextHeader,
                    QStringLiteral("assignment %1 comes after assignment %2 (%3): the assignments are out of order, "
                                   "and a student working on assignment %2 steps on into %1; put them in increasing "
                                   "order")
                        .arg(nextNumber, assignment.number, where(assignment.headerSlot)));
                continue;
            }
            add(Problem::Warning, assignment.headerSlot,
                QStringLiteral("assignment %1 is followed by the header of assignment %2 (%3), not of %4: a student "
                               "working on assignment %1 steps on into it")
                    .arg(assignment.number, nextNumber, where(nextHeader), next));
        }
    }
}

void Checker::checkRoutineName(int slot, const QString& line)
{
    const QString name = reader_rules::routineName(line);
    if (isKnownRoutine(name))
        return;
    QString text;
    if (name.contains(u'\n') || name.contains(u'\r')) {
        text = QStringLiteral("a routine line must be alone in its item: the lines after it become part of the "
                              "routine's name");
    } else if (name.isEmpty()) {
        text = QStringLiteral("a routine line without a routine's name: write graph1, graph2, graph3 or a picture's "
                              "file name after \"`routine\" and a blank");
    } else if (const QChar separator = line.at(8); separator != u' ' && separator != u'\t') {
        if (separator.isLetterOrNumber()) {
            text = QStringLiteral("write \"%1 %2\", with a blank after \"%1\": without it the name is taken to be "
                                  "\"%3\", without its first character")
                       .arg(line.left(8), line.mid(8), name);
        } else {
            text = QStringLiteral("write \"%1 %2\", with a blank in place of \"%3\" after \"%1\"")
                       .arg(line.left(8), line.mid(9), separator);
        }
    } else if (const QString ending = check_rules::otherFileEnding(name); !ending.isEmpty()) {
        text = QStringLiteral("\"%1\" is a .%2 file, which the program cannot draw: it draws PNG, JPEG and SVG "
                              "pictures (.png, .jpg, .jpeg, .svg); save the picture as \"%3.png\" and name that file")
                   .arg(name, ending, name.chopped(ending.size() + 1));
    } else if (check_rules::isPictureName(name)) {
        if (check_rules::isBesideTheBank(name)) {
            bank_.pictureUses.push_back({name, slot});
            return;
        }
        text = QStringLiteral("a picture must sit beside the bank file: name the file alone, without a folder or "
                              "\"..\" (\"%1\")")
                   .arg(name);
    } else {
        text = QStringLiteral("there is no routine \"%1\": name graph1, graph2, graph3 or a picture file (.png, "
                              ".jpg, .svg), after \"`routine\" and one blank")
                   .arg(name);
    }
    add(Problem::Error, slot, text);
}

// A routine line runs when a press of Next Question / Answer reads it and it
// is longer than the marker, and when "next picture" finds it unmarked; an
// unknown name would end the program there.
void Checker::checkRoutineLines()
{
    using reader_rules::isRoutineLine;
    int lastRun = 0;  // the routine line that the last press ran, if the next item is read after it
    for (int slot = 1; slot <= lastSlot(); ++slot) {
        const QString& line = stepped(slot);
        if (line.isEmpty())
            continue;
        // A pass through an assignment starts with a blank box.
        if (!bank_file::headerNumber(raw(slot)).isEmpty())
            box_ = Box::Blank;
        const bool routine = isRoutineLine(line);
        const bool stepRuns = routine && line.size() > 8;
        const bool pictureRuns = isRoutineLine(raw(slot));
        if (stepRuns && lastRun != 0) {
            add(Problem::Warning, slot,
                QStringLiteral("this routine line comes right after the one at %1, so it is shown as text and draws "
                               "nothing: put an item between them")
                    .arg(where(lastRun)));
        }
        if (stepRuns && lastRun == 0)
            checkFigureOver(slot, reader_rules::routineName(line));
        if (stepRuns || pictureRuns)
            checkRoutineName(slot, line);
        else if (routine)
            add(Problem::Warning, slot,
                QStringLiteral("a routine line of exactly eight characters is shown as text and draws nothing"));
        lastRun = stepRuns && lastRun == 0 ? slot : 0;
    }
}

// graph2, graph3 and a picture clear the box before they draw; graph1 draws
// over what is there, which only another graph1 leaves readable.
void Checker::checkFigureOver(int slot, const QString& name)
{
    if (name == QStringLiteral("graph1")) {
        if (box_ == Box::Other) {
            add(Problem::Warning, slot,
                QStringLiteral("graph1 does not clear the picture box, so here it is drawn over the figure of the "
                               "routine line at %1 (\"%2\"), and neither can be read: put this routine line and its "
                               "question before that one, as graph2, graph3 and pictures clear the box first")
                    .arg(where(boxDrawnAt_), check_rules::firstLine(stepped(boxDrawnAt_)).toString()));
        }
        box_ = Box::Graph1;
    } else if (isKnownRoutine(name) || (check_rules::isPictureName(name) && check_rules::isBesideTheBank(name))) {
        box_ = Box::Other;
        boxDrawnAt_ = slot;
    }
}

}  // namespace

bool isKnownRoutine(const QString& name)
{
    return name == QStringLiteral("graph1") || name == QStringLiteral("graph2") || name == QStringLiteral("graph3");
}

void check(bank_file::Bank& bank)
{
    Checker checker(bank);
    checker.findAssignments();
    checker.checkItemBeginnings();
    checker.checkItemLines();
    checker.checkPassEnds();
    checker.checkRoutineLines();
}

}  // namespace bank_check
