// The texts that tell an instructor what the reader found in a bank.
#include "bank/bank_file.h"

namespace bank_file {

namespace {

QString counted(int count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

}  // namespace

QString problemLines(const Bank& bank)
{
    QString lines;
    for (const Problem& problem : bank.problems)
        lines += problem.toString() + u'\n';
    return lines;
}

QString summary(const Bank& bank)
{
    QString text = QStringLiteral("Bank: %1 (%2)\n").arg(bank.path, counted(int(bank.files.size()), "file", "files"));
    text += bank.course.isEmpty() ? QStringLiteral("Course: %1 (the bank has no course line)\n").arg(builtInCourse())
                                  : QStringLiteral("Course: %1\n").arg(bank.course);
    for (const Assignment& assignment : bank.assignments) {
        text += QStringLiteral("Assignment %1: header in slot %2, %3: %4, %5, %6 unmarked, %7\n")
                    .arg(assignment.number)
                    .arg(assignment.headerSlot)
                    .arg(counted(assignment.items, "item", "items"), counted(assignment.questions, "question", "questions"),
                         counted(assignment.answers, "answer", "answers"))
                    .arg(assignment.unmarked)
                    .arg(counted(assignment.routineLines, "routine line", "routine lines"));
    }
    text += QStringLiteral("Slots used: %1 of %2\n").arg(bank.slotsUsed).arg(LastSlot);
    const QString atLeast = bank.readInPart ? QStringLiteral("at least ") : QString();
    const QString counts = QStringLiteral("%1%2, %3").arg(atLeast, counted(bank.errorCount(), "problem", "problems"),
                                                          counted(bank.warningCount(), "warning", "warnings"));
    text += bank.usable() ? QStringLiteral("The bank can be used (%1).\n").arg(counts)
                          : QStringLiteral("The bank cannot be used (%1).\n").arg(counts);
    return text;
}

QString unusableMessage(const Bank& bank, int shown)
{
    QString text = QStringLiteral("The question bank %1 cannot be used:\n\n").arg(bank.path);
    int entries = 0;
    int listed = 0;  // the problems that the entries shown stand for
    for (const Problem& problem : bank.problems) {
        if (problem.severity != Problem::Error)
            continue;
        if (entries++ == shown)
            break;
        text += problem.toString() + u'\n';
        listed += problem.count;
    }
    const int more = bank.errorCount() - listed;
    if (more > 0)
        text += QStringLiteral("and %1 more %2.\n").arg(more).arg(QLatin1String(more == 1 ? "problem" : "problems"));
    text += QStringLiteral("\nEvery problem and warning is listed by: physics-drill --check-bank %1").arg(bank.path);
    return text;
}

}  // namespace bank_file
