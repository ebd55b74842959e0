#pragma once

#include "report/class_model.h"
#include "report/page_links.h"
#include "report/page_parts.h"

#include <QIODevice>

// The report's first page: one self-contained HTML file in UTF-8, its
// styles inline, no scripts, nothing fetched: the counts and what could not
// be read, the overview of a small class, then per assignment how much of it
// was answered, the calibration with the students to call on, and links to
// its own pages. The students' overview, the files and the problems have
// pages of their own, so that the first page stays small however large the
// class. Everything read from the files is written as text, so markup in a
// response shows as typed.
namespace page {

// Returns false when the device refused a write.
bool write(const class_model::ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout,
           QIODevice& out);

}  // namespace page
