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

class Checker {
public:
    explicit Checker(Bank& bank);

    void findAssignments();
    void checkItemBeginnings();
    void checkPassEnds();
    void checkRoutineLines();

private:
    void add(Problem::Severity severity, int slot, const QString& text)
    {
        const Slot& s = bank_.bankSlots[std::size_t(slot - 1)];
        bank_.problems.push_back({severity, bank_.files[s.file], s.line, text});
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
    void checkRoutineName(int slot, const QString& line);
    void count(bank_file::Assignment& assignment, int slot) const;

    Bank& bank_;
    std::vector<QString> stepped_;
    std::vector<reader_rules::Marker> markers_;
    std::vector<int> headers_;  // every header's slot, repeated numbers included
    QSet<int> repeated_;  // headers of numbers met before, which have a warning of their own
    QSet<int> unpointed_;  // items that read like a header without its point, which have a warning of their own
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
        if (number.isEmpty() || numbers.contains(number))
            continue;
        unpointed_.insert(slot);
        add(Problem::Warning, slot,
            QStringLiteral("this item reads like the header of assignment %1 without the point after its number, so it "
                           "is no header and the bank has no assignment %1: write \"%1.\"")
                .arg(number));
    }
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
            if (unpointed_.contains(end))
                continue;
            add(Problem::Warning, end,
                QStringLiteral("this item begins with %1, the next assignment's number: a student working on "
                               "assignment %2 stops here")
                    .arg(next, assignment.number));
        } else if (end == 0 && nextHeader != 0 && !repeated_.contains(nextHeader)) {
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
    } else if (line.at(8) != u' ' && line.at(8) != u'\t') {
        text = QStringLiteral("a blank must follow \"`routine\": as written, the name is read from the character "
                              "after \"%1\" on, \"%2\"")
                   .arg(line.left(9), name);
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
        const bool routine = isRoutineLine(line);
        const bool stepRuns = routine && line.size() > 8;
        const bool pictureRuns = isRoutineLine(raw(slot));
        if (stepRuns && lastRun != 0) {
            add(Problem::Warning, slot,
                QStringLiteral("this routine line comes right after the one at %1, so it is shown as text and draws "
                               "nothing: put an item between them")
                    .arg(where(lastRun)));
        }
        if (stepRuns || pictureRuns)
            checkRoutineName(slot, line);
        else if (routine)
            add(Problem::Warning, slot,
                QStringLiteral("a routine line of exactly eight characters is shown as text and draws nothing"));
        lastRun = stepRuns && lastRun == 0 ? slot : 0;
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
    checker.checkPassEnds();
    checker.checkRoutineLines();
}

}  // namespace bank_check
