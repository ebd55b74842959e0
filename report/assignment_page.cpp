#include "report/assignment_page.h"

#include "report/wording.h"

namespace assignment_page {
namespace {

using class_model::Assignment;
using class_model::ClassModel;

constexpr qsizetype captionLength = 110;

void writeTop(HtmlWriter& html, const ClassModel& model, std::size_t index, const page_links::Layout& layout)
{
    const Assignment& assignment = model.assignments[index];
    html.open("header", {{"class", QStringLiteral("top")}});
    page_parts::writeFolderNav(html, model, layout, page_links::assignmentFileName(index));
    html.open("h1");
    html.text(wording::assignmentTitle(assignment.number));
    if (!assignment.header.isEmpty())
        html.element("span", assignment.header, {{"class", QStringLiteral("sub")}});
    html.close();
    html.element("p", QStringList{wording::count(qsizetype(assignment.rows.size()), QStringLiteral("student"), QStringLiteral("students")),
                                  wording::count(qsizetype(assignment.items.size()), QStringLiteral("item"), QStringLiteral("items")),
                                  wording::count(assignment.responses, QStringLiteral("response"), QStringLiteral("responses")),
                                  wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes")),
                                  model.course}
                          .join(QStringLiteral(" \u00b7 ")),
                 {{"class", QStringLiteral("lede")}});
    if (assignment.notes > 0) {
        html.open("p", {{"class", QStringLiteral("pagelink")}});
        html.element("a", QStringLiteral("What students asked \u2192"), {{"href", page_links::askedFileName(index)}});
        html.close();
    }
    html.close();
}

void writeStudents(HtmlWriter& html, const ClassModel& model, const Assignment& assignment)
{
    std::vector<page_parts::OverviewLine> lines;
    for (const auto& row : assignment.rows) {
        lines.push_back({model.students[row.student].name, page_parts::answered(row, assignment), row.responses, row.notes, row.first,
                         row.last, row.secondsOnTask, row.shares});
    }
    html.element("h3", QStringLiteral("Students"));
    page_parts::writeOverview(html, lines, QStringLiteral("Items"));
}

void writeItems(HtmlWriter& html, const Assignment& assignment, std::size_t index)
{
    html.element("h3", QStringLiteral("Items"));
    html.open("ol", {{"class", QStringLiteral("items")}});
    for (std::size_t i = 0; i < assignment.items.size(); ++i) {
        const auto& item = assignment.items[i];
        html.open("li");
        const QString caption = page_parts::itemCaption(item.text, captionLength);
        if (item.answers.empty())
            html.element("span", caption, {{"class", QStringLiteral("caption")}});
        else
            html.element("a", caption, {{"href", page_links::itemFileName(index, i)}});
        QStringList counts;
        counts.append(wording::count(item.responses, QStringLiteral("response"), QStringLiteral("responses")));
        if (item.notes > 0)
            counts.append(wording::count(item.notes, QStringLiteral("note"), QStringLiteral("notes")));
        if (item.pairs > 0)
            counts.append(QStringLiteral("confident yet needing critique: ") + page_parts::share(item.confidentCritiqued, item.pairs));
        if (!item.inCourse && assignment.courseItems > 0)
            counts.append(QStringLiteral("not in the course"));
        html.element("span", QStringLiteral(" \u00b7 ") + counts.join(QStringLiteral(" \u00b7 ")), {{"class", QStringLiteral("count")}});
        html.close();
    }
    html.close();
}

}  // namespace

bool write(const ClassModel& model, std::size_t index, const page_parts::Details& details, const page_links::Layout& layout,
           QIODevice& out)
{
    const Assignment& assignment = model.assignments[index];
    const QString title = wording::assignmentTitle(assignment.number) + QStringLiteral(" \u2014 ") + page_parts::title(model);
    return page_parts::writePage(out, title, model, details, [&](HtmlWriter& html) {
        writeTop(html, model, index, layout);
        page_parts::writeGrid(html, model, index);
        html.flush(page_parts::flushSize);
        page_parts::writeCalibration(html, model, index, QString());
        writeStudents(html, model, assignment);
        html.flush(page_parts::flushSize);
        writeItems(html, assignment, index);
    });
}

}  // namespace assignment_page
