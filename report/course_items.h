#pragma once

#include "bank/bank_file.h"

#include <QHash>
#include <QString>

#include <vector>

// What each assignment asks, from the course the students worked on: the
// built-in course text, or a bank given with --bank, read by the drill
// program's own bank reader. It tells how many items an assignment has, so
// that the report can say how much of it a student answered.
namespace course_items {

struct Assignment {
    QString number;
    QString header;
    std::vector<QString> items;  // as a record names the item it answers, in the bank's order
};

struct Course {
    QString name;
    std::vector<Assignment> assignments;

    const Assignment* find(const QString& number) const;
    // The one assignment that holds this item; empty when none does or
    // several do.
    QString assignmentOf(const QString& item) const;

private:
    friend Course fromSlots(const QString& name, const std::vector<bank_file::Slot>& bankSlots);
    QHash<QString, QString> assignmentOfItem_;
};

// The items of a bank's bankSlots: every slot after a header that a student
// can answer (not empty, not a routine line), its question or answer
// marker removed, as the drill program records it.
Course fromSlots(const QString& name, const std::vector<bank_file::Slot>& bankSlots);

// The course compiled into the drill program.
Course builtIn();

}  // namespace course_items
