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
    const std::pair<QPushButton*, void (MainForm::*)()> clicks[] = {
        {ui.cmdNextQuestion, &MainForm::cmdNextQuestion_Click},
        {ui.cmd_enter_response, &MainForm::cmd_enter_response_Click},
        {ui.cmd_clr_answer, &MainForm::cmd_clr_answer_Click},
        {ui.cmd_save_as_notes, &MainForm::cmd_save_as_notes_Click},
        {ui.cmd_display_note_file, &MainForm::cmd_display_note_file_Click},
        {ui.cmd_displayCumulativeText, &MainForm::cmd_displayCumulativeText_Click},
        {ui.cmd_quit, &MainForm::cmd_quit_Click},
        {ui.cmd_next_picture, &MainForm::cmd_next_picture_Click},
        {ui.cmd_copy_picture, &MainForm::cmd_copy_picture_Click},
        {ui.cmd_pend_exp, &MainForm::cmd_pend_exp_Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { guarded([&] { (this->*handler)(); }); });
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
