#include "report/page.h"

#include "report/wording.h"

#include <QFileInfo>

#include <algorithm>

namespace page {
namespace {

using class_model::Assignment;
using class_model::ClassModel;
using class_model::Problem;

constexpr qsizetype flushSize = 1 << 20;

void writeTop(HtmlWriter& html, const ClassModel& model, const QString& title)
{
    html.open("header", {{"class", QStringLiteral("top")}});
    html.element("h1", title);
    html.open("p", {{"class", QStringLiteral("lede")}});
    const qsizetype numbered = std::count_if(model.assignments.begin(), model.assignments.end(),
                                             [](const Assignment& a) { return !a.number.isEmpty(); });
    const QStringList parts = {
        wording::count(qsizetype(model.students.size()), QStringLiteral("student"), QStringLiteral("students")),
        wording::count(qsizetype(model.source.files.size()), QStringLiteral("file"), QStringLiteral("files")),
        wording::count(numbered, QStringLiteral("assignment"), QStringLiteral("assignments")),
        wording::count(model.responses, QStringLiteral("response"), QStringLiteral("responses")),
        wording::count(model.notes, QStringLiteral("note"), QStringLiteral("notes"))};
    html.text(parts.join(QStringLiteral(" \u00b7 ")));
    html.close();
    if (!model.problems.empty()) {
        html.element("p", QStringLiteral("Not everything could be read: %1 listed under Unreadable input at the end.")
                              .arg(wording::count(qsizetype(model.problems.size()), QStringLiteral("problem"), QStringLiteral("problems"))),
                     {{"class", QStringLiteral("notice")}});
    }
    html.open("nav", {{"class", QStringLiteral("contents")}});
    html.element("a", QStringLiteral("Overview"), {{"href", QStringLiteral("#overview")}});
    for (std::size_t a = 0; a < model.assignments.size(); ++a)
        html.element("a", wording::assignmentTitle(model.assignments[a].number), {{"href", QStringLiteral("#a%1").arg(a + 1)}});
    html.element("a", QStringLiteral("Students"), {{"href", QStringLiteral("#students")}});
    if (!model.problems.empty())
        html.element("a", QStringLiteral("Unreadable input"), {{"href", QStringLiteral("#unreadable")}});
    if (!model.emptyFiles.empty())
        html.element("a", QStringLiteral("Files without records"), {{"href", QStringLiteral("#empty")}});
    html.close();
    html.close();
}

void writeOverview(HtmlWriter& html, const ClassModel& model)
{
    std::vector<page_parts::OverviewLine> lines;
    for (const auto& student : model.students) {
        QStringList numbers;
        for (const QString& number : student.assignments)
            numbers.append(number.isEmpty() ? QStringLiteral("none") : number);
        lines.push_back({student.name, numbers.join(QStringLiteral(", ")), student.responses, student.notes, student.first,
                         student.last, student.secondsOnTask, student.shares});
    }
    html.open("section", {{"id", QStringLiteral("overview")}});
    html.element("h2", QStringLiteral("Overview"));
    page_parts::writeOverview(html, lines, true);
    html.close();
}

void writeAssignment(HtmlWriter& html, const ClassModel& model, std::size_t index, const page_links::Layout& layout)
{
    const Assignment& assignment = model.assignments[index];
    const QString assignmentPage = layout.toAssignment(index);
    html.open("section", {{"class", QStringLiteral("assignment")}, {"id", QStringLiteral("a%1").arg(index + 1)}});
    html.open("h2");
    html.text(wording::assignmentTitle(assignment.number));
    if (!assignment.header.isEmpty())
        html.element("span", assignment.header, {{"class", QStringLiteral("sub")}});
    html.close();
    html.open("p", {{"class", QStringLiteral("pagelink")}});
    html.element("a", QStringLiteral("Who answered what, with which rating, and every response \u2192"), {{"href", assignmentPage}});
    html.text(QStringLiteral(" %1, %2, %3, %4 on task in all")
                  .arg(wording::count(qsizetype(assignment.rows.size()), QStringLiteral("student"), QStringLiteral("students")),
                       wording::count(assignment.responses, QStringLiteral("response"), QStringLiteral("responses")),
                       wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes")),
                       wording::duration(assignment.secondsOnTask)));
    html.close();
    page_parts::writeCalibration(html, assignment, assignmentPage);
    html.close();
}

// Each student's files and what merging them found.
void writeStudents(HtmlWriter& html, const ClassModel& model)
{
    html.open("section", {{"id", QStringLiteral("students")}});
    html.element("h2", QStringLiteral("Students and their files"));
    html.open("table", {{"class", QStringLiteral("students")}});
    page_parts::writeHeadings(html, {{"Student", false}, {"Files, with the records each holds", false}, {"Records", true},
                         {"In several files", true}, {"Not in the master file", true}});
    html.open("tbody");
    for (const auto& student : model.students) {
        std::vector<int> held(student.files.size(), 0);
        for (const auto& record : student.merged.records) {
            for (const auto& copy : record.copies)
                ++held[copy.file];
        }
        QStringList files;
        for (std::size_t f = 0; f < student.files.size(); ++f)
            files.append(QStringLiteral("%1 (%2)").arg(QFileInfo(student.files[f]->name).fileName()).arg(held[f]));
        int missing = 0;
        for (const auto& run : student.merged.missing)
            missing += run.count;
        html.open("tr");
        html.open("td", {{"class", QStringLiteral("who")}});
        page_parts::writeName(html, student.name);
        html.close();
        html.element("td", files.join(QStringLiteral(", ")), {{"class", QStringLiteral("files")}});
        html.element("td", QString::number(student.merged.records.size()), {{"class", QStringLiteral("n")}});
        html.element("td", QString::number(student.inSeveralFiles), {{"class", QStringLiteral("n")}});
        html.element("td", student.merged.master ? QString::number(missing) : QStringLiteral("no master file"),
                     {{"class", missing > 0 ? QStringLiteral("n warn") : QStringLiteral("n")}});
        html.close();
    }
    html.close();
    html.close();
    html.element("p", QStringLiteral("A student is a folder of record files. The master file holds every record of the send files and "
                                     "the notes file again: a record found in several of them counts once. A record that a send or "
                                     "notes file holds and the master file lacks is listed under Unreadable input."),
                 {{"class", QStringLiteral("explain")}});
    html.close();
}

void writeProblems(HtmlWriter& html, const std::vector<Problem>& problems)
{
    if (problems.empty())
        return;
    html.open("section", {{"id", QStringLiteral("unreadable")}});
    html.element("h2", QStringLiteral("Unreadable input"));
    html.open("table", {{"class", QStringLiteral("fixed")}});
    html.columns({"student", "line", "text"});
    page_parts::writeHeadings(html, {{"File", false}, {"Line", true}, {"What", false}});
    html.open("tbody");
    for (const Problem& problem : problems) {
        html.open("tr");
        html.open("td", {{"class", QStringLiteral("file")}});
        page_parts::writeName(html, problem.name);
        html.close();
        html.element("td", problem.line > 0 ? QString::number(problem.line) : QString(), {{"class", QStringLiteral("n")}});
        html.open("td");
        html.text(problem.message);
        if (!problem.excerpt.isEmpty()) {
            html.text(QStringLiteral(", starting "));
            html.element("span", problem.excerpt, {{"class", QStringLiteral("excerpt")}});
        }
        html.close();
        html.close();
    }
    html.close();
    html.close();
    html.close();
}

void writeEmptyFiles(HtmlWriter& html, const ClassModel& model)
{
    if (model.emptyFiles.empty())
        return;
    html.open("section", {{"id", QStringLiteral("empty")}});
    html.element("h2", QStringLiteral("Files without records"));
    html.open("table", {{"class", QStringLiteral("fixed")}});
    html.columns({"student", "text"});
    html.open("tbody");
    for (const auto* file : model.emptyFiles) {
        html.open("tr");
        html.open("td", {{"class", QStringLiteral("file")}});
        page_parts::writeName(html, file->name);
        html.close();
        html.element("td", file->records.lineCount == 0
                               ? QStringLiteral("empty")
                               : wording::count(file->records.lineCount, QStringLiteral("line"), QStringLiteral("lines"))
                                   + QStringLiteral(", none of them a record"));
        html.close();
    }
    html.close();
    html.close();
    html.close();
}

}  // namespace

bool write(const ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout, QIODevice& out)
{
    const QString title = page_parts::title(model);
    HtmlWriter html(out);
    html.doctype();
    html.open("html", {{"lang", QStringLiteral("en")}});
    page_parts::writeHead(html, title);
    html.open("body");
    html.open("main");
    writeTop(html, model, title);
    writeOverview(html, model);
    html.flush(flushSize);
    for (std::size_t a = 0; a < model.assignments.size(); ++a) {
        writeAssignment(html, model, a, layout);
        html.flush(flushSize);
    }
    writeStudents(html, model);
    writeProblems(html, model.problems);
    writeEmptyFiles(html, model);
    page_parts::writeFooter(html, model, details);
    html.close();
    html.close();
    html.close();
    return html.flush();
}

}  // namespace page
