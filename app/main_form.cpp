#include "app/main_form.h"

#include <QLabel>
#include <QPainter>

MainForm::MainForm(Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform)
{
    ui.setupUi(this);
    txt_parameter = {ui.txt_parameter_0, ui.txt_parameter_1, ui.txt_parameter_2, ui.txt_parameter_3};
    lbl_parameter = {ui.lbl_parameter_0, ui.lbl_parameter_1, ui.lbl_parameter_2, ui.lbl_parameter_3};

    // Designer keeps whole point sizes only; the two text boxes use 9.75.
    QFont boxFont(QStringLiteral("Arial"));
    boxFont.setStyleHint(QFont::SansSerif);
    boxFont.setPointSizeF(9.75);
    ui.txt_question->setFont(boxFont);
    ui.txt_answer->setFont(boxFont);
    // Designer drops a text that is only a blank; the answer box starts with one.
    ui.txt_answer->setPlainText(QStringLiteral(" "));

    // The labels share the buttons' small face, so each caption fits its label.
    for (QLabel* label : findChildren<QLabel*>()) {
        QFont small = label->font();
        small.setPixelSize(10);
        label->setFont(small);
    }

    tmr_pend_exp.setInterval(15);
    tmr_pend_exp.setTimerType(Qt::PreciseTimer);

    wireEvents();
}

void MainForm::wireEvents()
{
    struct Click {
        QPushButton* button;
        void (MainForm::*handler)();
        AfterError afterError;
    };
    // The record files' handlers fail only on a file, before they change
    // anything: what the student typed stays, to be recorded once the file
    // can be written.
    const Click clicks[] = {
        {ui.cmdNextQuestion, &MainForm::cmdNextQuestion_Click, AfterError::EndProgram},
        {ui.cmd_enter_response, &MainForm::cmd_enter_response_Click, AfterError::KeepRunning},
        {ui.cmd_clr_answer, &MainForm::cmd_clr_answer_Click, AfterError::EndProgram},
        {ui.cmd_save_as_notes, &MainForm::cmd_save_as_notes_Click, AfterError::KeepRunning},
        {ui.cmd_display_note_file, &MainForm::cmd_display_note_file_Click, AfterError::KeepRunning},
        {ui.cmd_displayCumulativeText, &MainForm::cmd_displayCumulativeText_Click, AfterError::KeepRunning},
        {ui.cmd_quit, &MainForm::cmd_quit_Click, AfterError::EndProgram},
        {ui.cmd_next_picture, &MainForm::cmd_next_picture_Click, AfterError::EndProgram},
        {ui.cmd_copy_picture, &MainForm::cmd_copy_picture_Click, AfterError::EndProgram},
        {ui.cmd_pend_exp, &MainForm::cmd_pend_exp_Click, AfterError::EndProgram},
    };
    for (const Click& click : clicks) {
        connect(click.button, &QPushButton::clicked, this,
                [this, click] { guarded([&] { (this->*click.handler)(); }, click.afterError); });
    }
    connect(&tmr_pend_exp, &QTimer::timeout, this, [this] { guarded([this] { tmr_pend_exp_Timer(); }); });
}

void MainForm::load()
{
    guarded([this] { Form_Load(); });
}

void MainForm::finish(int status)
{
    ended_ = true;
    exitStatus_ = status;
    tmr_pend_exp.stop();
    platform_.quit(status);
}

QString MainForm::keptTextAdvice()
{
    return QStringLiteral("What you typed is still in the answer box: press the button again once the cause is "
                          "put right, or copy the text somewhere safe.");
}

void MainForm::fillWindowBox(double x1, double y1, double x2, double y2, const QColor& color)
{
    constexpr double twipsPerPixel = 15.0;
    const QRectF box(QPointF(x1, y1) / twipsPerPixel, QPointF(x2, y2) / twipsPerPixel);
    // The window's own drawing layer is made on the first drawing it receives.
    if (background_.isNull()) {
        background_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        background_.fill(Qt::transparent);
    }
    QPainter painter(&background_);
    painter.fillRect(box.normalized(), color);
    update(box.toAlignedRect());
}

void MainForm::paintEvent(QPaintEvent*)
{
    if (background_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}
