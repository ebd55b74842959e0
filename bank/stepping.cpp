#include "app/main_form.h"
#include "bank/reader_rules.h"
#include "platform/text_box.h"

void MainForm::cmdNextQuestion_Click()
{
    using namespace reader_rules;

    readNextQuestion();
    if (displayLine.size() > 8 && isRoutineLine(displayLine)) {
        runRoutine(routineName(displayLine));
        displayLine.clear();
        readNextQuestion();
    }
    boxText = text_box::text(ui.txt_question);
    displayLine = expandLineBreaks(displayLine);
    boxText = boxText + QStringLiteral("\r\n\r\n") + displayLine;
    displayLine.clear();
    text_box::setText(ui.txt_question, boxText);
}
