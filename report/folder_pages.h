#pragma once

#include "report/class_model.h"
#include "report/page_links.h"
#include "report/page_parts.h"

#include <QIODevice>

// The pages in the folder beside the first page that belong to the whole
// class or to one assignment. Each returns false when the device refused a
// write.
namespace folder_pages {

// Every student's overview over all assignments, and each student's files
// with what merging them found.
bool writeStudents(const class_model::ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout,
                   QIODevice& out);

// What could not be read, what the layout gave cause to warn about, what
// the master files lack, and the files without records.
bool writeProblems(const class_model::ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout,
                   QIODevice& out);

// The students' notes to one assignment, item by item, with the time and
// the student: what they asked.
bool writeAsked(const class_model::ClassModel& model, std::size_t assignment, const page_parts::Details& details,
                const page_links::Layout& layout, QIODevice& out);

}  // namespace folder_pages
