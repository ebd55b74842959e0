#include "app/main_form.h"
#include "bank/reader_rules.h"
#include "figures/graph_steps.h"

void MainForm::runRoutine(const QString& routine)
{
    if (routine == QStringLiteral("graph1"))
        graph1();
    else if (routine == QStringLiteral("graph2"))
        graph2();
    else if (routine == QStringLiteral("graph3"))
        graph3();
    else if (const auto picture = bankPictures_.constFind(routine); picture != bankPictures_.constEnd())
        ui.Picture1->showFitted(*picture);
    else
        Platform::endProgram(0);
}

void MainForm::labelAt(int x, int y, const QString& text)
{
    ui.Picture1->print(float(x), float(y), text);
}

void MainForm::graph1()
{
    drawSteps(graph_steps::graph1());
}

// graph2 and graph3 start from a blank Picture1, so that a figure drawn
// earlier cannot show through theirs.
void MainForm::graph2()
{
    ui.Picture1->blank();
    drawSteps(graph_steps::graph2());
}

void MainForm::graph3()
{
    ui.Picture1->blank();
    drawSteps(graph_steps::graph3());
}

void MainForm::drawSteps(const std::vector<DrawStep>& steps)
{
    for (const DrawStep& step : steps) {
        switch (step.kind) {
        case DrawStep::Line:
            if (step.color)
                ui.Picture1->line(step.x1, step.y1, step.x2, step.y2, *step.color);
            else
                ui.Picture1->line(step.x1, step.y1, step.x2, step.y2);
            break;
        case DrawStep::Label:
            labelAt(step.x1, step.y1, step.text);
            break;
        case DrawStep::WindowBox:
            fillWindowBox(step.x1, step.y1, step.x2, step.y2, step.color.value_or(Qt::white));
            break;
        }
    }
}

void MainForm::cmd_next_picture_Click()
{
    for (int i = 1; i <= 2; ++i) {
        const long long n = lineIndex + i;
        // A probe past the last slot finds no routine line.
        if (!TextBank::holds(n))
            continue;
        const QString& line = QuestionBank.at(n);
        if (reader_rules::isRoutineLine(line)) {
            runRoutine(reader_rules::routineName(line));
            lineIndex = lineIndex + i;
        }
    }
}

void MainForm::cmd_copy_picture_Click()
{
    platform_.setClipboardImage(ui.Picture1->shownImage());
    ui.Picture2->setPicture(platform_.clipboardImage());
}
