#include "app/program.h"

#include "app/command_line.h"
#include "app/main_form.h"
#include "platform/host_system.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

int runInMessageBox(int& argc, char** argv, const command_line::Options& options, Platform& platform)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));
    return showInDialogs(options, platform);
}

}  // namespace

int showInDialogs(const command_line::Options& options, Platform& platform)
{
    if (options.action == command_line::Options::Action::ExportBank && options.bankPath.isEmpty()) {
        platform.errorBox(QStringLiteral("physics-drill --export-bank writes the course text to standard output, "
                                         "which a program started without a console does not have. Name the new "
                                         "file to write it to, for example: physics-drill --export-bank "
                                         "course.drillbank"));
        return 2;
    }
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    const int status = command_line::runWithoutWindow(options, out, err);
    out.flush();
    err.flush();
    const QString text = (outText + errText).trimmed();
    // Nothing to show (the course text written to its file): no empty box.
    if (text.isEmpty())
        return status;
    if (status == 0)
        platform.infoBox(text);
    else
        platform.errorBox(text);
    return status;
}

int runProgram(int& argc, char** argv, Platform& platform)
{
    const command_line::Options options = command_line::parse(host_system::arguments(argc, argv));

    if (options.action != command_line::Options::Action::Run) {
        if (host_system::prepareTextOutput() == host_system::TextOutput::Dialog)
            return runInMessageBox(argc, argv, options, platform);
        // Needs no display: nothing here opens a window or asks anything.
        // Reading an SVG picture's texts takes the toolkit's fonts: the check
        // gets them on a platform without a display.
        std::unique_ptr<QCoreApplication> app;
        if (options.action == command_line::Options::Action::CheckBank) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        QTextStream out(stdout);
        QTextStream err(stderr);
        return command_line::runWithoutWindow(options, out, err);
    }

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));

    MainForm form(platform);
    if (!options.bankPath.isEmpty()) {
        std::optional<bank_pictures::LoadedBank> bank = command_line::openBank(options.bankPath, platform);
        if (!bank)
            return 1;
        form.useBank(std::move(bank->bank), std::move(bank->pictures));
    }
    form.load();
    if (form.hasEnded())
        return form.exitStatus();
    form.show();
    form.ui.txt_question->setFocus();
    return app.exec();
}
