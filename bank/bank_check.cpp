#include "bank/bank_check.h"

#include "app/start_up_rules.h"
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
    void checkRoutineName(int slot, const QString& name);

    Bank& bank_;
    std::vector<QString> stepped_;
    std::vector<int> headers_;  // every header's slot, repeated numbers included
    QSet<int> repeated_;  // headers of numbers met before, which have a warning of their own
};

Checker::Checker(Bank& bank) : bank_(bank)
{
    stepped_.reserve(bank.bankSlots.size());
    for (const Slot& slot : bank.bankSlots) {
        QString text = slot.text;
        reader_rules::stripMarker(text);
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
        for (int slot = assignment.headerSlot + 1; slot <= (end == 0 ? lastSlot() : end - 1); ++slot) {
            if (!stepped(slot).isEmpty())
                ++assignment.items;
        }
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
            add(Problem::Warning, end,
                QStringLiteral("this item begins with %1, the next assignment's number: a student working on "
                               "assignment %2 stops here")
                    .arg(next, assignment.number));
        } else if (end == 0 && nextHeader != 0 && !repeated_.contains(nextHeader)) {
            add(Problem::Warning, assignment.headerSlot,
                QStringLiteral("assignment %1 is followed by the header of assignment %2 (%3), not of %4: a student "
                               "working on assignment %1 steps on into it")
                    .arg(assignment.number, bank_file::headerNumber(raw(nextHeader)), where(nextHeader), next));
        }
    }
}

void Checker::checkRoutineName(int slot, const QString& name)
{
    if (isKnownRoutine(name))
        return;
    QString text;
    if (name.contains(u'\n') || name.contains(u'\r'))
        text = QStringLiteral("a routine line must be alone in its item: the lines after it become part of the "
                              "routine's name");
    else if (name.isEmpty())
        text = QStringLiteral("a routine line without a routine's name: write graph1, graph2 or graph3 after "
                              "\"`routine\" and a blank");
    else
        text = QStringLiteral("there is no routine \"%1\": name graph1, graph2 or graph3, after \"`routine\" and one "
                              "blank")
                   .arg(name);
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
            checkRoutineName(slot, reader_rules::routineName(line));
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
    checker.checkPassEnds();
    checker.checkRoutineLines();
}

}  // namespace bank_check
