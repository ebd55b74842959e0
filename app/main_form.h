#pragma once

#include "bank/bank_pictures.h"
#include "bank/text_bank.h"
#include "platform/drill_error.h"
#include "platform/platform.h"
#include "records/record_lines.h"
#include "ui_main_form.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

struct DrawStep;
class QLabel;
class QLineEdit;

// The program's one window. It owns the controls, the fields through which
// its procedures communicate, and the procedures and event handlers
// themselves; each member is defined in the folder of its subsystem.
class MainForm : public QWidget {
    Q_OBJECT
public:
    explicit MainForm(Platform& platform, QWidget* parent = nullptr);

    // An instructor's bank, already checked, in place of the built-in one:
    // the load step installs its slots and takes its course name. Its
    // routine lines may name these pictures.
    void useBank(bank_file::Bank bank, bank_pictures::Pictures pictures = {});

    // The window's load step, run once before it is first shown.
    void load();

    bool hasEnded() const { return ended_; }
    int exitStatus() const { return exitStatus_; }

    // What the guard does after it has shown an error. A handler that keeps
    // the program running changes nothing before its last step that can
    // fail, so the student can press again once the cause is put right.
    enum class AfterError { EndProgram, KeepRunning };

    // Runs one event handler under the guard that turns a program end into
    // the end of the program and shows every error. Once the program has
    // ended, no further handler runs.
    template <typename Handler>
    void guarded(Handler&& handler, AfterError afterError = AfterError::EndProgram);

    // Fields shared by the procedures.
    TextBank QuestionBank;
    long long lineIndex = 0;
    QString displayLine;
    QString currentLine;
    QString qaMode;
    bool promptPending = false;
    QString boxText;
    QString courseName;
    int codeNumber = 0;
    QString dataFolder;
    QString masterFileName;
    QString sendFileName;
    QString notesFileName;
    QString assignmentNumber;
    QString nextAssignmentNumber;
    QString responsePrompt;

    // Controls.
    Ui::MainForm ui;
    std::array<QLineEdit*, 4> txt_parameter{};
    std::array<QLabel*, 4> lbl_parameter{};
    QTimer tmr_pend_exp;

    // Start-up (app/start_up.cpp).
    void Form_Load();
    void startUp();

    // Question bank and navigation (bank/).
    void loadQuestionBank();
    void readNextQuestion();
    void cmdNextQuestion_Click();
    void openAssignment();

    // Records (records/).
    void cmd_enter_response_Click();
    void askSelfCritique();
    void cmd_clr_answer_Click();
    void cmd_save_as_notes_Click();
    void cmd_display_note_file_Click();
    void cmd_displayCumulativeText_Click();
    void cmd_quit_Click();

    // Figures (figures/).
    void runRoutine(const QString& routine);
    void labelAt(int x, int y, const QString& text);
    void graph1();
    void graph2();
    void graph3();
    void cmd_next_picture_Click();
    void cmd_copy_picture_Click();
    void cmd_pend_exp_Click();
    void tmr_pend_exp_Timer();

    // What has been drawn on the window's own background; null until then.
    const QImage& background() const { return background_; }
    // A drawing step addressed to the window itself, in twips.
    void fillWindowBox(double x1, double y1, double x2, double y2, const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void wireEvents();
    record_lines::Clock recordClock();
    void drawSteps(const std::vector<DrawStep>& steps);
    void finish(int status);
    static QString keptTextAdvice();

    Platform& platform_;
    std::optional<bank_file::Bank> instructorBank_;
    bank_pictures::Pictures bankPictures_;
    QImage background_;
    // The rating line of the response being recorded, if its item asks for one.
    std::optional<QString> ratingLine_;
    bool ended_ = false;
    int exitStatus_ = 0;
};

template <typename Handler>
void MainForm::guarded(Handler&& handler, AfterError afterError)
{
    if (ended_)
        return;
    try {
        handler();
    } catch (const ProgramEnd& end) {
        finish(end.status);
    } catch (const DrillError& error) {
        if (afterError == AfterError::KeepRunning) {
            platform_.errorBox(error.text() + QLatin1Char(' ') + keptTextAdvice());
            return;
        }
        platform_.errorBox(error.text());
        finish(1);
    } catch (const std::bad_alloc&) {
        platform_.errorBox(QStringLiteral("The computer ran out of memory, and the program has to stop."));
        finish(1);
    } catch (const std::exception& error) {
        platform_.errorBox(QStringLiteral("The program met a problem it cannot recover from, and has to stop: %1.")
                               .arg(QString::fromLocal8Bit(error.what())));
        finish(1);
    }
}
