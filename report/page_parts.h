#pragma once

#include "report/class_model.h"
#include "report/html_writer.h"

#include <QString>

#include <initializer_list>
#include <utility>
#include <vector>

// Pieces that the class page and the assignment pages share.
namespace page_parts {

struct Details {
    QString programVersion;
};

void writeHead(HtmlWriter& html, const QString& title);

// "Record report — Physics II", or "Record report" when no opening names a
// course.
QString title(const class_model::ClassModel& model);

// A name that may break after each folder.
void writeName(HtmlWriter& html, const QString& name);

// A record as a chip: its rating, coloured on the 0 to 3 scale, a tick for
// a response without a rating, "n" for a note; a link when `href` is given.
void writeChip(HtmlWriter& html, const record_reader::Entry& entry, const QString& href);

// Students by items, each cell the chips of the student's records under
// the item, each chip a link to its record further down the page.
void writeGrid(HtmlWriter& html, const class_model::ClassModel& model, const class_model::Assignment& assignment);

// The 4 x 4 table of confidence against self critique, the items most
// often answered with confidence yet needing critique, what was left out.
void writeCalibration(HtmlWriter& html, const class_model::Assignment& assignment, const QString& assignmentPage);

// Table headings: each a caption and whether its column holds numbers.
void writeHeadings(HtmlWriter& html, std::initializer_list<std::pair<const char*, bool>> headings);

// One student's work, on one assignment or on all of them.
struct OverviewLine {
    QString student;
    QString assignments;
    int responses = 0;
    int notes = 0;
    const student_records::Record* first = nullptr;
    const student_records::Record* last = nullptr;
    qint64 secondsOnTask = 0;
    ratings::Shares shares;
};
// The lines as a table, with a column of assignments when `withAssignments`.
void writeOverview(HtmlWriter& html, const std::vector<OverviewLine>& lines, bool withAssignments);

// "2 of 5", or a dash for none.
QString share(int part, int whole);

void writeFooter(HtmlWriter& html, const class_model::ClassModel& model, const Details& details);

// The start of an item's text, on one line, as a link or a caption shows it.
QString itemCaption(const QString& item, qsizetype length);

}  // namespace page_parts
