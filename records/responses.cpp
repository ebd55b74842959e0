#include "app/main_form.h"
#include "platform/text_box.h"
#include "records/record_lines.h"
#include "records/record_prompts.h"

#include <utility>

void MainForm::cmd_enter_response_Click()
{
    const QString answer = text_box::text(ui.txt_answer);
    if (answer != responsePrompt) {
        record_lines::Response record;
        // The time of the press, however long a rating dialog stays open.
        record.masterTime = platform_.timeText();
        record.sendTime = platform_.timeText();
        record.currentLine = currentLine;
        record.response = answer;
        record.assignmentNumber = assignmentNumber;
        record.codeNumber = codeNumber;

        // The rating is asked before anything is written, so the whole
        // record reaches each file in one write.
        if (qaMode == QStringLiteral("question"))
            ratingLine_ = record_lines::confidenceLine(platform_.inputBox(record_prompts::confidencePrompt()));
        else if (qaMode == QStringLiteral("answer"))
            askSelfCritique();
        record.ratingLine = std::exchange(ratingLine_, std::nullopt);

        const auto files = record_lines::responseRecord(record);
        platform_.appendRecord({{masterFileName, files.master}, {sendFileName, files.send}});
        // Only a recorded response moves the fields on, so a press whose
        // record failed can be made again as it was.
        promptPending = false;
        boxText = answer;
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
