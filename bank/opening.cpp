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
            throw DrillError(DrillError::NoSuchAssignment,
                             QStringLiteral("The question bank has no assignment \"%1\". The assignments are %2.")
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
    platform_.appendToFile(masterFileName, record_lines::openingRecord(record, platform_.dateText()));
    platform_.appendToFile(sendFileName, record_lines::openingRecord(record, platform_.dateText()));
}
