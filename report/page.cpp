#include "report/page.h"

#include "report/wording.h"

#include <algorithm>

namespace page {
namespace {

using class_model::Assignment;
using class_model::ClassModel;
using class_model::Problem;

// Up to this many students the first page shows each one's overview too;
// a larger class has it on the students' page only, so that the first page
// stays small.
constexpr std::size_t inlineStudents = 40;

void writeNotice(HtmlWriter& html, const QString& text, const QString& href, const QString& link)
{
    html.open("p", {{"class", QStringLiteral("notice")}});
    html.text(text + u' ');
    html.element("a", link, {{"href", href}});
    html.close();
}

void writeNotices(HtmlWriter& html, const ClassModel& model, const page_links::Layout& layout)
{
    const QString problems = layout.fromPage(page_links::problemsFileName());
    if (const qsizetype unreadable = model.problemCount(Problem::Unreadable); unreadable > 0) {
        writeNotice(html,
                    QStringLiteral("Not everything could be read: %1 (files or folders that cannot be read, lines that belong to "
                                   "no record, records cut short).")
                        .arg(wording::count(unreadable, QStringLiteral("problem"), QStringLiteral("problems"))),
                    problems + QStringLiteral("#unreadable"), QStringLiteral("Unreadable input \u2192"));
    }
    if (const qsizetype layoutWarnings = model.problemCount(Problem::Layout); layoutWarnings > 0) {
        writeNotice(html,
                    QStringLiteral("%1 about how the files are laid out (files that cannot be one student's, names that look "
                                   "alike).")
                        .arg(wording::count(layoutWarnings, QStringLiteral("Warning"), QStringLiteral("Warnings"))),
                    problems + QStringLiteral("#layout"), QStringLiteral("Warnings \u2192"));
    }
    if (model.notInMaster > 0) {
        const qsizetype students = std::count_if(model.students.begin(), model.students.end(),
                                                 [](const auto& student) { return student.merged.notInMaster > 0; });
        writeNotice(html,
                    QStringLiteral("%1 of %2 not in the student's master file: a sign of a file copied from elsewhere or edited.")
                        .arg(wording::count(model.notInMaster, QStringLiteral("record"), QStringLiteral("records")),
                             wording::count(students, QStringLiteral("student"), QStringLiteral("students"))),
                    problems + QStringLiteral("#master"), QStringLiteral("Not in the master file \u2192"));
    }
}

void writeTop(HtmlWriter& html, const ClassModel& model, const QString& title, const page_links::Layout& layout)
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
    writeNotices(html, model, layout);
    html.open("nav", {{"class", QStringLiteral("contents")}});
    html.element("a", QStringLiteral("Students"), {{"href", layout.fromPage(page_links::studentsFileName())}});
    for (std::size_t a = 0; a < model.assignments.size(); ++a)
        html.element("a", wording::assignmentTitle(model.assignments[a].number), {{"href", QStringLiteral("#a%1").arg(a + 1)}});
    if (!model.problems.empty() || !model.emptyFiles.empty())
        html.element("a", QStringLiteral("Problems"), {{"href", layout.fromPage(page_links::problemsFileName())}});
    html.close();
    html.close();
}

void writeOverview(HtmlWriter& html, const ClassModel& model, const page_links::Layout& layout)
{
    html.open("section", {{"id", QStringLiteral("overview")}});
    html.element("h2", QStringLiteral("Overview"));
    if (model.students.size() <= inlineStudents)
        page_parts::writeOverview(html, page_parts::overviewLines(model), QStringLiteral("Assignments"));
    html.open("p", {{"class", QStringLiteral("pagelink")}});
    html.element("a", QStringLiteral("Every student's work and files \u2192"), {{"href", layout.fromPage(page_links::studentsFileName())}});
    html.text(QStringLiteral(" per student the assignments and how much of each was answered, responses, notes, first and last "
                             "time, time on task, calibration; the files and their records"));
    html.close();
    html.close();
}

// How much of the assignment the students answered, as the course counts
// its items.
QString completion(const Assignment& assignment)
{
    if (assignment.courseItems == 0 || assignment.rows.empty())
        return QString();
    int answered = 0;
    int complete = 0;
    for (const auto& row : assignment.rows) {
        answered += row.answered;
        complete += row.answered == assignment.courseItems ? 1 : 0;
    }
    return QStringLiteral("Answered on average %1 of %2 items; %3 of %4 answered every one.")
        .arg(QString::number(double(answered) / double(assignment.rows.size()), 'f', 1))
        .arg(assignment.courseItems)
        .arg(complete)
        .arg(wording::count(qsizetype(assignment.rows.size()), QStringLiteral("student"), QStringLiteral("students")));
}

void writeAssignment(HtmlWriter& html, const ClassModel& model, std::size_t index, const page_links::Layout& layout)
{
    const Assignment& assignment = model.assignments[index];
    html.open("section", {{"class", QStringLiteral("assignment")}, {"id", QStringLiteral("a%1").arg(index + 1)}});
    html.open("h2");
    html.text(wording::assignmentTitle(assignment.number));
    if (!assignment.header.isEmpty())
        html.element("span", assignment.header, {{"class", QStringLiteral("sub")}});
    html.close();
    html.open("p", {{"class", QStringLiteral("pagelink")}});
    html.element("a", QStringLiteral("Who answered what, with which rating, and every response \u2192"), {{"href", layout.toAssignment(index)}});
    html.text(QStringLiteral(" %1, %2, %3, %4 on task in all")
                  .arg(wording::count(qsizetype(assignment.rows.size()), QStringLiteral("student"), QStringLiteral("students")),
                       wording::count(assignment.responses, QStringLiteral("response"), QStringLiteral("responses")),
                       wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes")),
                       wording::duration(assignment.secondsOnTask)));
    html.close();
    if (const QString done = completion(assignment); !done.isEmpty())
        html.element("p", done, {{"class", QStringLiteral("pagelink")}});
    if (assignment.notes > 0) {
        html.open("p", {{"class", QStringLiteral("pagelink")}});
        html.element("a", QStringLiteral("What students asked \u2192"), {{"href", layout.fromPage(page_links::askedFileName(index))}});
        html.text(QStringLiteral(" their %1, item by item").arg(wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes"))));
        html.close();
    }
    page_parts::writeCalibration(html, model, index, layout.fromPage(QString()));
    html.close();
}

}  // namespace

bool write(const ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout, QIODevice& out)
{
    const QString title = page_parts::title(model);
    return page_parts::writePage(out, title, model, details, [&](HtmlWriter& html) {
        writeTop(html, model, title, layout);
        writeOverview(html, model, layout);
        html.flush(page_parts::flushSize);
        for (std::size_t a = 0; a < model.assignments.size(); ++a) {
            writeAssignment(html, model, a, layout);
            html.flush(page_parts::flushSize);
        }
    });
}

}  // namespace page
