#include "app/main_form.h"
#include "bank/opening_rules.h"
#include "records/record_lines.h"

void MainForm::openAssignment()
{
    using namespace opening_rules;

    lineIndex = 0;
    QString line;
    while (!isHeaderLine(line, assignmentNumber)) {
        if (!TextBank::holds(lineIndex + 1)) {
            throw DrillError(QStringLiteral("The question bank has no assignment \"%1\". The assignments are %2.")
                                 .arg(assignmentNumber, assignmentsIn(QuestionBank).join(QStringLiteral(", "))));
        }
        lineIndex += 1;
        line = QuestionBank.at(lineIndex);
    }

    record_lines::Opening record;
    record.codeLine = makeCodeLine(codeNumber, [this] { return platform_.nextRandom(); });
    record.assignmentNumber = assignmentNumber;
    record.headerLine = line;
    record.courseName = courseName;
    record.codeNumber = codeNumber;
    // The date is read for each file, the master file's first.
    const QByteArray master = record_lines::openingRecord(record, platform_.dateText());
    const QByteArray send = record_lines::openingRecord(record, platform_.dateText());
    platform_.appendRecord({{masterFileName, master}, {sendFileName, send}});
}
