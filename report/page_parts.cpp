#include "report/page_parts.h"

#include "report/page_links.h"
#include "report/page_style.h"
#include "report/wording.h"

#include <algorithm>
#include <numeric>

namespace page_parts {

using class_model::Assignment;
using class_model::ClassModel;
using record_reader::Entry;
using record_reader::Kind;
using record_reader::RatingKind;

namespace {

// How much of a rating that is not on the scale a chip shows.
constexpr qsizetype chipLength = 3;
// How many of the items most often answered with confidence yet needing
// critique the calibration names.
constexpr std::size_t flaggedItems = 10;
constexpr qsizetype captionLength = 90;
// How many of the students who answered an item with confidence yet needed
// critique the calibration names before it says how many more there are.
constexpr std::size_t namedStudents = 12;

QString anchor(const QString& page, const QString& id)
{
    return page + u'#' + id;
}

// The grid's width in rem: the names, the items, the count at the end.
int gridWidth(std::size_t items)
{
    return 12 + 3 * int(items) + 4;
}

}  // namespace

void startPart(HtmlWriter& html, const char* tableClass, std::initializer_list<const char*> columns)
{
    html.close();
    html.close();
    html.close();
    html.open("div", {{"class", QStringLiteral("part")}});
    html.open("table", {{"class", QLatin1String(tableClass)}});
    html.columns(columns);
    html.open("tbody");
}

namespace {

}  // namespace

bool writePage(QIODevice& out, const QString& title, const ClassModel& model, const Details& details,
               const std::function<void(HtmlWriter&)>& body)
{
    HtmlWriter html(out);
    html.doctype();
    html.open("html", {{"lang", QStringLiteral("en")}});
    writeHead(html, title);
    html.open("body");
    html.open("main");
    body(html);
    writeFooter(html, model, details);
    html.close();
    html.close();
    html.close();
    return html.flush();
}

QString answered(const class_model::Row& row, const Assignment& assignment)
{
    return assignment.courseItems > 0 ? QStringLiteral("answered %1 of %2").arg(row.answered).arg(assignment.courseItems)
                                      : QStringLiteral("answered %1").arg(row.answered);
}

void writeHead(HtmlWriter& html, const QString& title)
{
    html.open("head");
    html.shape("meta", {{"charset", QStringLiteral("utf-8")}});
    html.shape("meta", {{"name", QStringLiteral("viewport")}, {"content", QStringLiteral("width=device-width, initial-scale=1")}});
    html.element("title", title);
    html.open("style");
    html.verbatim(QString::fromLatin1(page_style::styleSheet));
    html.close();
    html.close();
}

QString title(const ClassModel& model)
{
    return model.course.isEmpty() ? QStringLiteral("Record report") : QStringLiteral("Record report \u2014 ") + model.course;
}

void writeName(HtmlWriter& html, const QString& name)
{
    const QStringList parts = name.split(u'/');
    for (qsizetype p = 0; p < parts.size(); ++p) {
        html.text(p + 1 < parts.size() ? parts[p] + u'/' : parts[p]);
        if (p + 1 < parts.size())
            html.shape("wbr", {});
    }
}

void writeChip(HtmlWriter& html, const Entry& entry, const QString& href)
{
    QString label;
    QString classes = QStringLiteral("chip");
    if (entry.kind == Kind::Notes) {
        label = QStringLiteral("n");
        classes += QStringLiteral(" note");
    } else if (entry.ratingKind == RatingKind::None) {
        label = QStringLiteral("\u2713");
    } else if (const auto value = ratings::scaleValue(entry.rating)) {
        label = QString::number(*value);
        classes += QStringLiteral(" r%1").arg(*value);
    } else {
        const QString rating = entry.rating.trimmed();
        label = rating.isEmpty() ? QStringLiteral("\u2013")
                                 : rating.size() > chipLength ? rating.left(chipLength) + u'\u2026' : rating;
    }
    if (entry.ratingKind == RatingKind::SelfCritique)
        classes += QStringLiteral(" sc");
    if (href.isEmpty())
        html.element("span", label, {{"class", classes}});
    else
        html.element("a", label, {{"class", classes}, {"href", href}});
}

QString itemCaption(const QString& item, qsizetype length)
{
    QString line = item.simplified();
    if (line.isEmpty())
        return QStringLiteral("(before any item)");
    return line.size() > length ? line.left(length) + u'\u2026' : line;
}

void writeGrid(HtmlWriter& html, const ClassModel& model, std::size_t index)
{
    const Assignment& assignment = model.assignments[index];
    if (assignment.items.empty()) {
        html.element("p", QStringLiteral("Opened, with no response or note yet."), {{"class", QStringLiteral("noitem")}});
        return;
    }
    std::vector<const char*> columns{"who"};
    columns.insert(columns.end(), assignment.items.size(), "cell");
    columns.push_back("done");
    html.open("div", {{"class", QStringLiteral("gridwrap part")}});
    html.open("table", {{"class", QStringLiteral("grid")}, {"style", QStringLiteral("width:%1rem").arg(gridWidth(assignment.items.size()))}});
    html.columns(columns);
    html.open("thead");
    html.open("tr");
    html.element("th", QStringLiteral("Student"));
    for (std::size_t i = 0; i < assignment.items.size(); ++i) {
        html.open("th", {{"title", itemCaption(assignment.items[i].text, captionLength)}});
        if (assignment.items[i].answers.empty())
            html.text(QString::number(i + 1));
        else
            html.element("a", QString::number(i + 1), {{"href", page_links::itemFileName(index, i)}});
        html.close();
    }
    html.element("th", QStringLiteral("Answered"));
    html.close();
    html.close();
    html.open("tbody");
    for (std::size_t r = 0; r < assignment.rows.size(); ++r) {
        const auto& row = assignment.rows[r];
        if (r > 0 && r % rowsPerPart == 0) {
            html.close();
            html.close();
            html.close();
            html.open("div", {{"class", QStringLiteral("gridwrap part")}});
            html.open("table", {{"class", QStringLiteral("grid")}, {"style", QStringLiteral("width:%1rem").arg(gridWidth(assignment.items.size()))}});
            html.columns(columns);
            html.open("tbody");
        }
        html.open("tr");
        html.open("th");
        writeName(html, model.students[row.student].name);
        html.close();
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
            html.open("td");
            const QString page = page_links::itemFileName(index, i);
            for (const std::size_t a : row.cells[i].answers) {
                const auto& answer = assignment.items[i].answers[a];
                writeChip(html, *answer.record->entry, QStringLiteral("%1#r%2").arg(page).arg(answer.anchor));
            }
            html.close();
        }
        html.element("td", assignment.courseItems > 0 ? QStringLiteral("%1/%2").arg(row.answered).arg(assignment.courseItems)
                                                      : QString::number(row.answered),
                     {{"class", QStringLiteral("n")}});
        html.close();
    }
    html.close();
    html.close();
    html.close();
    html.element("p", QStringLiteral("Each column is an item of the assignment, in the order of the course, a link to its page; each chip a "
                                     "record, a link to its row there: round for a confidence rating, square for a self critique, shaded "
                                     "from 0 (light) to 3 (dark); \u2713 a response without a rating, n a note. An empty cell: the item "
                                     "was not answered. The last column counts the items answered with a response."),
                 {{"class", QStringLiteral("legend")}});
}

void writeHeadings(HtmlWriter& html, std::initializer_list<std::pair<const char*, bool>> headings)
{
    html.open("thead");
    html.open("tr");
    for (const auto& [caption, numeric] : headings)
        html.element("th", QString::fromUtf8(caption), numeric ? HtmlWriter::Attributes{{"class", QStringLiteral("n")}} : HtmlWriter::Attributes{});
    html.close();
    html.close();
}

void writeOverview(HtmlWriter& html, const std::vector<OverviewLine>& lines, const QString& assignmentsHeading)
{
    qint64 longest = 0;
    for (const OverviewLine& line : lines)
        longest = std::max(longest, line.secondsOnTask);
    html.open("div", {{"class", QStringLiteral("part")}});
    html.open("table", {{"class", QStringLiteral("overview")}});
    html.columns({"who", "what", "count", "count", "stamp", "stamp", "task", "share", "share"});
    html.open("thead");
    html.open("tr");
    html.element("th", QStringLiteral("Student"));
    html.element("th", assignmentsHeading);
    for (const char* caption : {"Responses", "Notes"})
        html.element("th", QString::fromLatin1(caption), {{"class", QStringLiteral("n")}});
    for (const char* caption : {"First", "Last", "Time on task"})
        html.element("th", QString::fromLatin1(caption));
    for (const char* caption : {"Confident, needed critique", "Unsure, needed none"})
        html.element("th", QString::fromLatin1(caption), {{"class", QStringLiteral("n")}});
    html.close();
    html.close();
    html.open("tbody");
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const OverviewLine& line = lines[l];
        if (l > 0 && l % rowsPerPart == 0)
            startPart(html, "overview", {"who", "what", "count", "count", "stamp", "stamp", "task", "share", "share"});
        html.open("tr");
        html.open("td", {{"class", QStringLiteral("who")}});
        writeName(html, line.student);
        html.close();
        html.element("td", line.assignments);
        html.element("td", QString::number(line.responses), {{"class", QStringLiteral("n")}});
        html.element("td", QString::number(line.notes), {{"class", QStringLiteral("n")}});
        html.element("td", line.first ? wording::stamp(*line.first) : QString(), {{"class", QStringLiteral("time")}});
        const bool sameDay = line.first && line.last && line.first->date == line.last->date;
        html.element("td", line.last ? (sameDay ? line.last->entry->time : wording::stamp(*line.last)) : QString(),
                     {{"class", QStringLiteral("time")}});
        html.open("td", {{"class", QStringLiteral("task")}});
        html.text(wording::duration(line.secondsOnTask));
        const qint64 percent = longest > 0 ? (100 * line.secondsOnTask + longest - 1) / longest : 0;
        html.open("span", {{"class", QStringLiteral("bar")}});
        html.element("span", QString(), {{"style", QStringLiteral("width:%1%").arg(percent)}});
        html.close();
        html.close();
        html.element("td", share(line.shares.confidentCritiqued, line.shares.confident), {{"class", QStringLiteral("n")}});
        html.element("td", share(line.shares.unconfidentSound, line.shares.unconfident), {{"class", QStringLiteral("n")}});
        html.close();
    }
    html.close();
    html.close();
    html.close();
    html.element("p", QStringLiteral("Time on task adds up the gaps between a student's successive records that are shorter than 30 minutes. "
                                     "The last two columns pair each self critique with the confidence rating before it in the same run of the program: of the answers "
                                     "given with confidence (2 or 3), those that needed critique (0 to 2); of those given unsure (0 or 1), "
                                     "those that needed none (3)."),
                 {{"class", QStringLiteral("explain")}});
}

std::vector<OverviewLine> overviewLines(const ClassModel& model)
{
    std::vector<QStringList> assignments(model.students.size());
    for (const Assignment& assignment : model.assignments) {
        for (const auto& row : assignment.rows) {
            const QString number = assignment.number.isEmpty() ? QStringLiteral("none") : assignment.number;
            assignments[row.student].append(number + QStringLiteral(": ") + answered(row, assignment));
        }
    }
    std::vector<OverviewLine> lines;
    for (std::size_t s = 0; s < model.students.size(); ++s) {
        const auto& student = model.students[s];
        lines.push_back({student.name, assignments[s].join(QStringLiteral(" \u00b7 ")), student.responses, student.notes, student.first,
                         student.last, student.secondsOnTask, student.shares});
    }
    return lines;
}

void writeFolderNav(HtmlWriter& html, const ClassModel& model, const page_links::Layout& layout, const QString& here)
{
    html.open("nav", {{"class", QStringLiteral("contents")}});
    html.element("a", QStringLiteral("\u2190 Class overview"), {{"href", layout.toPage()}});
    const auto link = [&](const QString& caption, const QString& file) {
        if (file == here)
            html.element("span", caption, {{"class", QStringLiteral("here")}});
        else
            html.element("a", caption, {{"href", file}});
    };
    link(QStringLiteral("Students"), page_links::studentsFileName());
    for (std::size_t a = 0; a < model.assignments.size(); ++a)
        link(wording::assignmentTitle(model.assignments[a].number), page_links::assignmentFileName(a));
    if (!model.problems.empty() || !model.emptyFiles.empty())
        link(QStringLiteral("Problems"), page_links::problemsFileName());
    html.close();
}

QString share(int part, int whole)
{
    return whole == 0 ? QStringLiteral("\u2013") : QStringLiteral("%1 of %2").arg(part).arg(whole);
}

void writeCalibration(HtmlWriter& html, const ClassModel& model, std::size_t index, const QString& folder)
{
    const Assignment& assignment = model.assignments[index];
    const ratings::Table& table = assignment.calibration;
    html.open("div", {{"class", QStringLiteral("calibration")}});
    html.element("h3", QStringLiteral("Calibration"));
    if (table.pairs() == 0 && table.offScale == 0 && table.unpaired == 0) {
        html.element("p", QStringLiteral("No self critique follows a confidence rating here."), {{"class", QStringLiteral("noitem")}});
        html.close();
        return;
    }
    html.open("table", {{"class", QStringLiteral("matrix")}});
    html.element("caption", QStringLiteral("Confidence (rows) against self critique (columns), %1")
                                .arg(wording::count(table.pairs(), QStringLiteral("pair"), QStringLiteral("pairs"))));
    html.open("thead");
    html.open("tr");
    html.element("th", QString());
    for (int s = 0; s < ratings::scaleSize; ++s)
        html.element("th", QString::number(s), {{"class", QStringLiteral("n")}});
    html.element("th", QStringLiteral("all"), {{"class", QStringLiteral("n")}});
    html.close();
    html.close();
    html.open("tbody");
    int confident = 0;
    int confidentCritiqued = 0;
    for (int c = 0; c < ratings::scaleSize; ++c) {
        const auto& counts = table.counts[std::size_t(c)];
        html.open("tr");
        html.element("th", QString::number(c), {{"class", QStringLiteral("n")}});
        for (int s = 0; s < ratings::scaleSize; ++s) {
            const bool flagged = ratings::isConfident(c) && ratings::neededCritique(s);
            html.element("td", QString::number(counts[std::size_t(s)]),
                         {{"class", flagged ? QStringLiteral("n flag") : QStringLiteral("n")}});
            confidentCritiqued += flagged ? counts[std::size_t(s)] : 0;
        }
        const int all = std::accumulate(counts.begin(), counts.end(), 0);
        confident += ratings::isConfident(c) ? all : 0;
        html.element("td", QString::number(all), {{"class", QStringLiteral("n")}});
        html.close();
    }
    html.close();
    html.close();

    html.open("div", {{"class", QStringLiteral("flagged")}});
    html.element("p", QStringLiteral("Confident (2 or 3) but the answer needed critique (0 to 2): %1 confident answers.")
                          .arg(share(confidentCritiqued, confident)));
    std::vector<std::size_t> items;
    for (std::size_t i = 0; i < assignment.items.size(); ++i) {
        if (assignment.items[i].confidentCritiqued > 0)
            items.push_back(i);
    }
    std::stable_sort(items.begin(), items.end(), [&](std::size_t a, std::size_t b) {
        return assignment.items[a].confidentCritiqued > assignment.items[b].confidentCritiqued;
    });
    if (items.size() > flaggedItems)
        items.resize(flaggedItems);
    if (!items.empty()) {
        html.open("ol", {{"class", QStringLiteral("flags")}});
        for (const std::size_t i : items) {
            const auto& item = assignment.items[i];
            const QString page = folder + page_links::itemFileName(index, i);
            html.open("li");
            html.element("a", QStringLiteral("Item %1").arg(i + 1), {{"href", page}});
            html.text(QStringLiteral(": confident yet needing critique in %1 pairs \u00b7 ").arg(share(item.confidentCritiqued, item.pairs)));
            html.element("span", itemCaption(item.text, captionLength), {{"class", QStringLiteral("caption")}});
            html.open("span", {{"class", QStringLiteral("names")}});
            for (std::size_t n = 0; n < item.misled.size() && n < namedStudents; ++n) {
                const auto& answer = item.answers[item.misled[n]];
                html.element("a", model.students[answer.student].name, {{"href", anchor(page, QStringLiteral("r%1").arg(answer.anchor))}});
            }
            if (item.misled.size() > namedStudents)
                html.element("a", QStringLiteral("and %1 more").arg(item.misled.size() - namedStudents), {{"href", page}});
            html.close();
            html.close();
        }
        html.close();
    }
    QStringList leftOut;
    if (table.offScale > 0)
        leftOut.append(wording::count(table.offScale, QStringLiteral("pair"), QStringLiteral("pairs"))
                       + QStringLiteral(" with a rating that is not 0 to 3"));
    if (table.unpaired > 0)
        leftOut.append(wording::count(table.unpaired, QStringLiteral("self critique"), QStringLiteral("self critiques"))
                       + QStringLiteral(" without a confidence rating before it"));
    if (!leftOut.isEmpty())
        html.element("p", QStringLiteral("Left out: ") + leftOut.join(QStringLiteral("; ")) + u'.', {{"class", QStringLiteral("noitem")}});
    html.close();
    html.close();
}

void writeFooter(HtmlWriter& html, const ClassModel& model, const Details& details)
{
    html.element("footer", QStringLiteral("Made by physics-drill-report %1 from %2. No scripts, nothing fetched: these pages are the whole report.")
                               .arg(details.programVersion,
                                    wording::count(qsizetype(model.source.files.size()), QStringLiteral("file"), QStringLiteral("files"))));
}

}  // namespace page_parts
