#include "report/summary.h"

#include "report/wording.h"

#include <QSet>

namespace summary {

QString text(const class_records::ClassRecords& records)
{
    QStringList lines;
    lines.append(QStringLiteral("Read %1: %2 and %3.")
                     .arg(wording::count(qsizetype(records.files.size()), QStringLiteral("file"), QStringLiteral("files")),
                          wording::count(records.responses, QStringLiteral("response"), QStringLiteral("responses")),
                          wording::count(records.notes, QStringLiteral("note"), QStringLiteral("notes"))));
    const auto rows = class_records::overview(records);
    for (const auto& assignment : class_records::byAssignment(records)) {
        QSet<const class_records::StudentFile*> files;
        int responses = 0;
        int notes = 0;
        qint64 seconds = 0;
        for (const auto& row : rows) {
            if (row.assignment != assignment.number)
                continue;
            files.insert(row.file);
            responses += row.responses;
            notes += row.notes;
            seconds += row.secondsOnTask;
        }
        lines.append(QStringLiteral("%1: %2, %3, %4, %5 on task in all")
                         .arg(wording::assignmentTitle(assignment.number),
                              wording::count(files.size(), QStringLiteral("file"), QStringLiteral("files")),
                              wording::count(responses, QStringLiteral("response"), QStringLiteral("responses")),
                              wording::count(notes, QStringLiteral("note"), QStringLiteral("notes")), wording::duration(seconds)));
    }
    qsizetype empty = 0;
    for (const auto& file : records.files)
        empty += file.holdsRecords() ? 0 : 1;
    if (empty > 0)
        lines.append(QStringLiteral("Without records: %1.").arg(wording::count(empty, QStringLiteral("file"), QStringLiteral("files"))));
    const qsizetype problems = qsizetype(class_records::problems(records).size());
    if (problems > 0)
        lines.append(QStringLiteral("Not read: %1, listed on standard error.")
                         .arg(wording::count(problems, QStringLiteral("problem"), QStringLiteral("problems"))));
    return lines.join(u'\n') + u'\n';
}

QStringList problemLines(const class_records::ClassRecords& records)
{
    QStringList lines;
    for (const auto& problem : class_records::problems(records)) {
        const QString place = problem.line > 0 ? QStringLiteral("%1:%2").arg(problem.path).arg(problem.line) : problem.path;
        lines.append(place + QStringLiteral(": ") + problem.message);
    }
    return lines;
}

}  // namespace summary
