#pragma once

#include "report/class_model.h"
#include "report/page_links.h"
#include "report/page_parts.h"

#include <QIODevice>

// One item's page, in the folder beside the first page: the item's text,
// the spread of its ratings, and every student's responses and notes to it,
// one row each with its time and rating. A confidence rating and the self
// critique paired with it stand in one row: the response, its confidence,
// and the self critique of the answer that followed.
namespace item_page {

// Returns false when the device refused a write.
bool write(const class_model::ClassModel& model, std::size_t assignment, std::size_t item, const page_parts::Details& details,
           const page_links::Layout& layout, QIODevice& out);

}  // namespace item_page
