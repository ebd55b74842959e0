#include "app/program.h"

#include "app/command_line.h"
#include "app/main_form.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int runProgram(int& argc, char** argv, Platform& platform)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const command_line::Options options = command_line::parse(arguments);

    if (options.action != command_line::Options::Action::Run) {
        // Needs no display: nothing here opens a window or asks anything.
        const QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return command_line::runWithoutWindow(options, out, err);
    }

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));

    MainForm form(platform);
    if (!options.bankPath.isEmpty()) {
        std::optional<bank_file::Bank> bank = command_line::openBank(options.bankPath, platform);
        if (!bank)
            return 1;
        form.useBank(std::move(*bank));
    }
    form.load();
    if (form.hasEnded())
        return form.exitStatus();
    form.show();
    form.ui.txt_question->setFocus();
    return app.exec();
}
