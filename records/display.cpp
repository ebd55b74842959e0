#include "app/main_form.h"
#include "platform/record_encoding.h"
#include "platform/text_box.h"

void MainForm::cmd_display_note_file_Click()
{
    const QString notes = record_encoding::decode(platform_.readFile(notesFileName));
    record_encoding::forEachLine(notes, [this](QStringView line) { boxText += line; });
    text_box::setText(ui.txt_question, text_box::text(ui.txt_question) + QStringLiteral("\r\n\r\n") + boxText);
}

void MainForm::cmd_displayCumulativeText_Click()
{
    // The whole text is built first and set once: the same result as adding
    // line by line, without its quadratic cost on a long file.
    const QString send = record_encoding::decode(platform_.readFile(sendFileName));
    QString shown = text_box::text(ui.txt_question);
    shown.reserve(shown.size() + send.size() + 2);
    record_encoding::forEachLine(send, [&shown](QStringView line) {
        shown.append(QStringLiteral("\r\n"));
        shown.append(line);
    });
    text_box::setText(ui.txt_question, shown);
}
