#pragma once

#include "report/class_model.h"
#include "report/html_writer.h"
#include "report/page_links.h"

#include <QString>

#include <QIODevice>

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

// Pieces that the class page and the assignment pages share.
namespace page_parts {

struct Details {
    QString programVersion;
};

void writeHead(HtmlWriter& html, const QString& title);

// A whole page: its head, then `body` inside its main part, then the
// footer. Returns false when the device refused a write.
bool writePage(QIODevice& out, const QString& title, const class_model::ClassModel& model, const Details& details,
               const std::function<void(HtmlWriter&)>& body);

// A long table is written in parts of this many rows, each a table of its
// own with fixed column widths inside a "part", so that a browser lays out
// only the parts in view and a class of thousands opens as fast as one of a
// hundred.
inline constexpr std::size_t rowsPerPart = 100;

// Closes the body, the table and the part written so far and opens the
// next, up to its body.
void startPart(HtmlWriter& html, const char* tableClass, std::initializer_list<const char*> columns);

// Gathered markup goes to the device in pieces of this size.
inline constexpr qsizetype flushSize = 1 << 20;

// "Record report — Physics II", or "Record report" when no opening names a
// course.
QString title(const class_model::ClassModel& model);

// A name that may break after each folder.
void writeName(HtmlWriter& html, const QString& name);

// A record as a chip: its rating, coloured on the 0 to 3 scale, a tick for
// a response without a rating, "n" for a note; a link when `href` is given.
void writeChip(HtmlWriter& html, const record_reader::Entry& entry, const QString& href);

// Students by items, each cell the chips of the student's records under
// the item, each chip a link to its row on the item's page; an empty cell
// for an item not answered; the items answered at the end of each row.
void writeGrid(HtmlWriter& html, const class_model::ClassModel& model, std::size_t assignment);

// The 4 x 4 table of confidence against self critique, the items most
// often answered with confidence yet needing critique with the students who
// did, linked to their rows, and what was left out. `folder` leads from the
// page that holds it to the folder of the item pages.
void writeCalibration(HtmlWriter& html, const class_model::ClassModel& model, std::size_t assignment, const QString& folder);

// "answered 12 of 15", or "answered 12" when the course does not hold the
// assignment.
QString answered(const class_model::Row& row, const class_model::Assignment& assignment);

// Table headings: each a caption and whether its column holds numbers.
void writeHeadings(HtmlWriter& html, std::initializer_list<std::pair<const char*, bool>> headings);

// One student's work, on one assignment or on all of them.
struct OverviewLine {
    QString student;
    QString assignments;  // with what was answered of each
    int responses = 0;
    int notes = 0;
    const student_records::Record* first = nullptr;
    const student_records::Record* last = nullptr;
    qint64 secondsOnTask = 0;
    ratings::Shares shares;
};
// Each student's work over all assignments, with what was answered of each.
std::vector<OverviewLine> overviewLines(const class_model::ClassModel& model);

// The navigation of a page in the folder: back to the first page, then
// the students, each assignment and the problems, the one at `here` not linked.
void writeFolderNav(HtmlWriter& html, const class_model::ClassModel& model, const page_links::Layout& layout, const QString& here);

// The lines as a table; the column of assignments is headed `assignmentsHeading`.
void writeOverview(HtmlWriter& html, const std::vector<OverviewLine>& lines, const QString& assignmentsHeading);

// "2 of 5", or a dash for none.
QString share(int part, int whole);

void writeFooter(HtmlWriter& html, const class_model::ClassModel& model, const Details& details);

// The start of an item's text, on one line, as a link or a caption shows it.
QString itemCaption(const QString& item, qsizetype length);

}  // namespace page_parts
