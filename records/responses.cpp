#include "app/main_form.h"
#include "platform/text_box.h"
#include "records/record_lines.h"
#include "records/record_prompts.h"

void MainForm::cmd_enter_response_Click()
{
    const QString answer = text_box::text(ui.txt_answer);
    if (answer != responsePrompt) {
        promptPending = false;
        boxText = answer;

        // The rating is asked first, so the whole record reaches each file
        // in one write.
        ratingLine_.reset();
        if (qaMode == QStringLiteral("question"))
            ratingLine_ = record_lines::confidenceLine(platform_.inputBox(record_prompts::confidencePrompt()));
        else if (qaMode == QStringLiteral("answer"))
            askSelfCritique();

        record_lines::Response record;
        record.currentLine = currentLine;
        record.response = boxText;
        record.assignmentNumber = assignmentNumber;
        record.ratingLine = ratingLine_;
        record.codeNumber = codeNumber;
        const auto files = record_lines::responseRecord(record, recordClock());
        platform_.appendToFile(masterFileName, files.master);
        platform_.appendToFile(sendFileName, files.send);
    }
    text_box::setText(ui.txt_question, QString());
    text_box::setText(ui.txt_answer, QString());
}

void MainForm::askSelfCritique()
{
    ratingLine_ = record_lines::selfCritiqueLine(platform_.inputBox(record_prompts::selfCritiquePrompt()));
}

void MainForm::cmd_clr_answer_Click()
{
    text_box::setText(ui.txt_answer, QString());
}

record_lines::Clock MainForm::recordClock()
{
    return {[this] { return platform_.dateText(); }, [this] { return platform_.timeText(); }};
}
