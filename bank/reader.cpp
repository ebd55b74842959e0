#include "app/main_form.h"
#include "bank/reader_rules.h"
#include "platform/text_box.h"

void MainForm::readNextQuestion()
{
    using namespace reader_rules;

    if (promptPending)
        text_box::setText(ui.txt_answer, responsePrompt);
    promptPending = false;

    QString line;
    do {
        // Stepping past the last slot is the end of the last assignment.
        if (!TextBank::holds(lineIndex + 1))
            Platform::endProgram(0);
        lineIndex += 1;
        line = QuestionBank.at(lineIndex);
        switch (stripMarker(line)) {
        case Marker::Question:
            qaMode = QStringLiteral("question");
            break;
        case Marker::Answer:
            qaMode = QStringLiteral("answer");
            break;
        case Marker::None:
            break;
        }
        if (!line.isEmpty())
            currentLine = line;
    } while (line.isEmpty());

    if (!isRoutineLine(line))
        promptPending = true;
    displayLine = line;
    if (line.left(3) == nextAssignmentNumber)
        Platform::endProgram(0);
}
