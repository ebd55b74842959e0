#include "report/folder_pages.h"

#include "report/wording.h"

namespace folder_pages {
namespace {

using class_model::ClassModel;
using class_model::Problem;

void writeTop(HtmlWriter& html, const ClassModel& model, const page_links::Layout& layout, const QString& here, const QString& heading,
              const QString& lede)
{
    html.open("header", {{"class", QStringLiteral("top")}});
    page_parts::writeFolderNav(html, model, layout, here);
    html.element("h1", heading);
    html.element("p", lede, {{"class", QStringLiteral("lede")}});
    html.close();
}

void writeFiles(HtmlWriter& html, const ClassModel& model)
{
    html.open("section", {{"id", QStringLiteral("files")}});
    html.element("h2", QStringLiteral("Students and their files"));
    html.open("table", {{"class", QStringLiteral("students")}});
    page_parts::writeHeadings(html, {{"Student", false}, {"ID", false}, {"Files, with the records each holds", false}, {"Records", true},
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
            files.append(QStringLiteral("%1 (%2)").arg(student.files[f]->label).arg(held[f]));
        const int missing = student.merged.notInMaster;
        html.open("tr");
        html.open("td", {{"class", QStringLiteral("who")}});
        page_parts::writeName(html, student.name);
        html.close();
        html.element("td", student.id);
        html.element("td", files.join(QStringLiteral(", ")), {{"class", QStringLiteral("files")}});
        html.element("td", QString::number(student.merged.records.size()), {{"class", QStringLiteral("n")}});
        html.element("td", QString::number(student.inSeveralFiles), {{"class", QStringLiteral("n")}});
        html.element("td", student.merged.master ? QString::number(missing) : QStringLiteral("no master file"),
                     {{"class", missing > 0 ? QStringLiteral("n warn") : QStringLiteral("n")}});
        html.close();
    }
    html.close();
    html.close();
    html.element("p", QStringLiteral("The master file holds every record of the send files and the notes file again: a record found in "
                                     "several of them counts once. A record that a send or notes file holds and the master file lacks "
                                     "counts once under Not in the master file, and the problems page says where it stands."),
                 {{"class", QStringLiteral("explain")}});
    html.close();
}

void writeProblemTable(HtmlWriter& html, const ClassModel& model, Problem::Kind kind, const char* id, const QString& heading,
                       const QString& explanation)
{
    if (model.problemCount(kind) == 0)
        return;
    html.open("section", {{"id", QLatin1String(id)}});
    html.element("h2", heading);
    html.element("p", explanation, {{"class", QStringLiteral("explain")}});
    html.open("div", {{"class", QStringLiteral("part")}});
    html.open("table", {{"class", QStringLiteral("fixed")}});
    html.columns({"student", "line", "text"});
    page_parts::writeHeadings(html, {{"File", false}, {"Line", true}, {"What", false}});
    html.open("tbody");
    std::size_t rows = 0;
    for (const Problem& problem : model.problems) {
        if (problem.kind != kind)
            continue;
        if (rows++ > 0 && rows % page_parts::rowsPerPart == 1)
            page_parts::startPart(html, "fixed", {"student", "line", "text"});
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
        html.flush(page_parts::flushSize);
    }
    html.close();
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

bool writeStudents(const ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout, QIODevice& out)
{
    const QString title = QStringLiteral("Students \u2014 ") + page_parts::title(model);
    return page_parts::writePage(out, title, model, details, [&](HtmlWriter& html) {
        writeTop(html, model, layout, page_links::studentsFileName(), QStringLiteral("Students"),
                 wording::count(qsizetype(model.students.size()), QStringLiteral("student"), QStringLiteral("students")) + QStringLiteral(" \u00b7 ")
                     + wording::count(qsizetype(model.source.files.size()), QStringLiteral("file"), QStringLiteral("files")));
        html.open("section", {{"id", QStringLiteral("overview")}});
        html.element("h2", QStringLiteral("Overview"));
        page_parts::writeOverview(html, page_parts::overviewLines(model), QStringLiteral("Assignments"));
        html.close();
        html.flush(page_parts::flushSize);
        writeFiles(html, model);
    });
}

bool writeProblems(const ClassModel& model, const page_parts::Details& details, const page_links::Layout& layout, QIODevice& out)
{
    const QString title = QStringLiteral("Problems \u2014 ") + page_parts::title(model);
    return page_parts::writePage(out, title, model, details, [&](HtmlWriter& html) {
        writeTop(html, model, layout, page_links::problemsFileName(), QStringLiteral("Problems"),
                 QStringList{wording::count(model.problemCount(Problem::Unreadable), QStringLiteral("problem"), QStringLiteral("problems"))
                                 + QStringLiteral(" of reading"),
                             wording::count(model.problemCount(Problem::Layout), QStringLiteral("warning"), QStringLiteral("warnings"))
                                 + QStringLiteral(" about the layout"),
                             wording::count(model.notInMaster, QStringLiteral("record"), QStringLiteral("records"))
                                 + QStringLiteral(" not in the master file")}
                     .join(QStringLiteral(" \u00b7 ")));
        writeProblemTable(html, model, Problem::Unreadable, "unreadable", QStringLiteral("Unreadable input"),
                          QStringLiteral("Files and folders that cannot be read and why, lines that belong to no record, records cut "
                                         "short. What could be read of a file is in the report all the same."));
        writeProblemTable(html, model, Problem::Layout, "layout", QStringLiteral("How the files are laid out"),
                          QStringLiteral("Files that cannot be one student's, each counted as a student of its own, and names that "
                                         "look alike, kept apart."));
        writeProblemTable(html, model, Problem::NotInMaster, "master", QStringLiteral("Not in the master file"),
                          QStringLiteral("Records of a send or notes file that the student's master file lacks, which holds every "
                                         "record again: a sign of a file copied from elsewhere or edited. A record that two files hold "
                                         "is listed at both places and counted once."));
        writeEmptyFiles(html, model);
    });
}

bool writeAsked(const ClassModel& model, std::size_t index, const page_parts::Details& details, const page_links::Layout& layout,
                QIODevice& out)
{
    const auto& assignment = model.assignments[index];
    const QString heading = QStringLiteral("What students asked \u2014 ") + wording::assignmentTitle(assignment.number);
    return page_parts::writePage(out, heading + QStringLiteral(" \u2014 ") + page_parts::title(model), model, details, [&](HtmlWriter& html) {
        writeTop(html, model, layout, page_links::askedFileName(index), heading,
                 wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes"))
                     + QStringLiteral(", item by item in the order of the course, each with its time and student"));
        for (std::size_t i = 0; i < assignment.items.size(); ++i) {
            const auto& item = assignment.items[i];
            if (item.notes == 0)
                continue;
            const QString page = page_links::itemFileName(index, i);
            html.open("section", {{"class", QStringLiteral("asked")}});
            html.open("h3");
            html.element("a", QStringLiteral("Item %1").arg(i + 1), {{"href", page}});
            html.element("span", page_parts::itemCaption(item.text, 140), {{"class", QStringLiteral("caption")}});
            html.close();
            html.open("table", {{"class", QStringLiteral("answers")}});
            html.columns({"student", "when", "text"});
            html.open("tbody");
            for (const auto& answer : item.answers) {
                if (answer.record->entry->kind != record_reader::Kind::Notes)
                    continue;
                html.open("tr");
                html.open("td", {{"class", QStringLiteral("who")}});
                html.element("a", model.students[answer.student].name, {{"href", QStringLiteral("%1#r%2").arg(page).arg(answer.anchor)}});
                html.close();
                html.open("td", {{"class", QStringLiteral("time when")}});
                html.element("span", answer.record->entry->time);
                html.element("span", answer.record->date, {{"class", QStringLiteral("day")}});
                html.close();
                html.element("td", answer.record->entry->text.isEmpty() ? QStringLiteral("(empty)") : answer.record->entry->text,
                             {{"class", QStringLiteral("response")}});
                html.close();
            }
            html.close();
            html.close();
            html.close();
            html.flush(page_parts::flushSize);
        }
    });
}

}  // namespace folder_pages
