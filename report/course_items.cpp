#include "report/course_items.h"

#include "bank/built_in_table.h"
#include "bank/reader_rules.h"

#include <QStringList>

namespace course_items {
namespace {

// The record file's reader drops the blanks at the end of each line of an
// item, as editors add or take them away.
QString asRecorded(const QString& item)
{
    QStringList lines = item.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        qsizetype end = line.size();
        while (end > 0 && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
            --end;
        line.truncate(end);
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

const Assignment* Course::find(const QString& number) const
{
    for (const Assignment& assignment : assignments) {
        if (assignment.number == number)
            return &assignment;
    }
    return nullptr;
}

QString Course::assignmentOf(const QString& item) const
{
    return assignmentOfItem_.value(item);
}

Course fromSlots(const QString& name, const std::vector<bank_file::Slot>& bankSlots)
{
    Course course;
    course.name = name;
    for (const bank_file::Slot& slot : bankSlots) {
        if (!slot.stores)
            continue;
        if (const QString number = bank_file::headerNumber(slot.text); !number.isEmpty()) {
            course.assignments.push_back({number, slot.text, {}});
            continue;
        }
        QString item = slot.text;
        reader_rules::stripMarker(item);
        if (course.assignments.empty() || item.isEmpty() || reader_rules::isRoutineLine(item))
            continue;
        course.assignments.back().items.push_back(asRecorded(item));
    }
    QHash<QString, int> holders;
    for (const Assignment& assignment : course.assignments) {
        for (const QString& item : assignment.items) {
            if (course.assignmentOfItem_.value(item) != assignment.number)
                ++holders[item];
            course.assignmentOfItem_.insert(item, assignment.number);
        }
    }
    for (auto held = holders.cbegin(); held != holders.cend(); ++held) {
        if (held.value() > 1)
            course.assignmentOfItem_.remove(held.key());
    }
    return course;
}

Course builtIn()
{
    std::vector<bank_file::Slot> bankSlots;
    bankSlots.reserve(builtInTableSize);
    for (std::size_t i = 0; i < builtInTableSize; ++i) {
        const BankEntry& entry = builtInTable[i];
        bankSlots.push_back({entry.kind == BankEntry::Store, entry.kind == BankEntry::Store ? QString::fromUtf8(entry.text) : QString()});
    }
    return fromSlots(bank_file::builtInCourse(), bankSlots);
}

}  // namespace course_items
