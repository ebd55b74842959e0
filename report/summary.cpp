#include "report/summary.h"

#include "report/wording.h"

namespace summary {

QString text(const class_model::ClassModel& model)
{
    QStringList lines;
    lines.append(QStringLiteral("Read %1 of %2: %3 and %4.")
                     .arg(wording::count(qsizetype(model.source.files.size()), QStringLiteral("file"), QStringLiteral("files")),
                          wording::count(qsizetype(model.students.size()), QStringLiteral("student"), QStringLiteral("students")),
                          wording::count(model.responses, QStringLiteral("response"), QStringLiteral("responses")),
                          wording::count(model.notes, QStringLiteral("note"), QStringLiteral("notes"))));
    qsizetype merged = 0;
    for (const auto& student : model.students)
        merged += student.inSeveralFiles;
    if (merged > 0)
        lines.append(QStringLiteral("Counted once: %1 found in more than one of a student's files.")
                         .arg(wording::count(merged, QStringLiteral("record"), QStringLiteral("records"))));
    for (const auto& assignment : model.assignments) {
        lines.append(QStringLiteral("%1: %2, %3, %4, %5 on task in all")
                         .arg(wording::assignmentTitle(assignment.number),
                              wording::count(qsizetype(assignment.rows.size()), QStringLiteral("student"), QStringLiteral("students")),
                              wording::count(assignment.responses, QStringLiteral("response"), QStringLiteral("responses")),
                              wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes")),
                              wording::duration(assignment.secondsOnTask)));
    }
    if (!model.emptyFiles.empty())
        lines.append(QStringLiteral("Without records: %1.")
                         .arg(wording::count(qsizetype(model.emptyFiles.size()), QStringLiteral("file"), QStringLiteral("files"))));
    using Problem = class_model::Problem;
    if (const qsizetype unreadable = model.problemCount(Problem::Unreadable); unreadable > 0)
        lines.append(QStringLiteral("Not read: %1, listed on standard error.")
                         .arg(wording::count(unreadable, QStringLiteral("problem"), QStringLiteral("problems"))));
    if (const qsizetype warnings = model.problemCount(Problem::Layout); warnings > 0)
        lines.append(QStringLiteral("How the files are laid out: %1, listed on standard error.")
                         .arg(wording::count(warnings, QStringLiteral("warning"), QStringLiteral("warnings"))));
    if (model.notInMaster > 0)
        lines.append(QStringLiteral("Not in the master file: %1, listed on standard error.")
                         .arg(wording::count(model.notInMaster, QStringLiteral("record"), QStringLiteral("records"))));
    return lines.join(u'\n') + u'\n';
}

QStringList problemLines(const class_model::ClassModel& model)
{
    QStringList lines;
    for (const auto& problem : model.problems) {
        const QString place = problem.line > 0 ? QStringLiteral("%1:%2").arg(problem.path).arg(problem.line) : problem.path;
        lines.append(place + QStringLiteral(": ") + problem.message);
    }
    return lines;
}

}  // namespace summary
