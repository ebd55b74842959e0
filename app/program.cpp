#include "app/program.h"

#include "app/command_line.h"
#include "app/main_form.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int runProgram(int& argc, char** argv, Platform& platform)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const command_line::Options options = command_line::parse(arguments);

    if (options.action != command_line::Options::Action::Run) {
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
