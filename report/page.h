#pragma once

#include "report/class_model.h"
#include "report/page_links.h"
#include "report/page_parts.h"

#include <QIODevice>

// The report's first page: one self-contained HTML file in UTF-8, its
// styles inline, no scripts, nothing fetched: the overview, then per
// assignment the calibration and a link to the assignment's own page, which
// holds its grid and every response; the students' files and what could not
// be read. It stays small however large the class, so that it opens at once. Everything read from the files is written as text, so markup
// in a response shows as typed.
namespace page {

// Returns false when the device refused a write.
bool write(const class_model::ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout,
           QIODevice& out);

}  // namespace page
