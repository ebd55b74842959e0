#pragma once

#include "report/class_model.h"
#include "report/page_links.h"
#include "report/page_parts.h"

#include <QIODevice>

// One assignment's page, in the folder beside the first page: the grid of
// students by items, the calibration, the students' overview, and the
// items, each a link to its own page (item_page).
namespace assignment_page {

// Returns false when the device refused a write.
bool write(const class_model::ClassModel& model, std::size_t assignment, const page_parts::Details& details,
           const page_links::Layout& layout, QIODevice& out);

}  // namespace assignment_page
