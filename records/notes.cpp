#include "app/main_form.h"
#include "platform/text_box.h"
#include "records/record_lines.h"

void MainForm::cmd_save_as_notes_Click()
{
    const QString answer = text_box::text(ui.txt_answer);
    if (answer != responsePrompt) {
        record_lines::Notes record;
        record.currentLine = currentLine;
        record.notesLine = record_lines::notesLine(answer);
        record.codeNumber = codeNumber;
        const auto files = record_lines::notesRecord(record, recordClock());
        platform_.appendRecord(
            {{masterFileName, files.master}, {sendFileName, files.send}, {notesFileName, files.notes}});
        // As for a response: the fields move on only once the note is recorded.
        promptPending = false;
        boxText = record.notesLine;
    }
    text_box::setText(ui.txt_question, QString());
    text_box::setText(ui.txt_answer, QString());
}

void MainForm::cmd_quit_Click()
{
    Platform::endProgram(0);
}
