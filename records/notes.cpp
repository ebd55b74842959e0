#include "app/main_form.h"
#include "platform/text_box.h"
#include "records/record_lines.h"

void MainForm::cmd_save_as_notes_Click()
{
    const QString answer = text_box::text(ui.txt_answer);
    if (answer != responsePrompt) {
        promptPending = false;
        boxText = record_lines::notesLine(answer);

        record_lines::Notes record;
        record.currentLine = currentLine;
        record.notesLine = boxText;
        record.codeNumber = codeNumber;
        const auto files = record_lines::notesRecord(record, recordClock());
        platform_.appendToFile(masterFileName, files.master);
        platform_.appendToFile(sendFileName, files.send);
        platform_.appendToFile(notesFileName, files.notes);
    }
    text_box::setText(ui.txt_question, QString());
    text_box::setText(ui.txt_answer, QString());
}

void MainForm::cmd_quit_Click()
{
    Platform::endProgram(0);
}
