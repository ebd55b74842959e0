#include "app/command_line.h"
#include "app/program.h"
#include "scripted_platform.h"
#include "test_system.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Action = command_line::Options::Action;

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void options_data();
    void options();
    void helpNamesEveryOption();
    void asAProcess_data();
    void asAProcess();
    void withoutConsoleInDialogs_data();
    void withoutConsoleInDialogs();

private:
    QTemporaryDir files_;
    bool pipeMade_ = false;
};

void CommandLineTest::initTestCase()
{
    QVERIFY(files_.isValid());
    QFile bad(files_.filePath(QStringLiteral("bad.txt")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("@@ item\n011.  `query 1\n@@ item\n`routine graph1\n@@ item\n`routine graph7\n");
    bad.close();
    pipeMade_ = test_system::makeNamedPipe(files_.filePath(QStringLiteral("pipe.txt")));
}

void CommandLineTest::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing: the built-in bank") << QStringList{} << Action::Run << "" << "";
    QTest::newRow("--bank PATH") << QStringList{"--bank", "a.txt"} << Action::Run << "a.txt" << "";
    QTest::newRow("--bank=PATH") << QStringList{"--bank=my bank/"} << Action::Run << "my bank/" << "";
    QTest::newRow("-b PATH") << QStringList{"-b", "a.txt"} << Action::Run << "a.txt" << "";
    QTest::newRow("a bank file alone, as a file manager passes it")
        << QStringList{"/home/t/w3.drillbank"} << Action::Run << "/home/t/w3.drillbank" << "";
    QTest::newRow("--check-bank PATH") << QStringList{"--check-bank", "w3"} << Action::CheckBank << "w3" << "";
    QTest::newRow("--export-bank to standard output") << QStringList{"--export-bank"} << Action::ExportBank << "" << "";
    QTest::newRow("--export-bank FILE") << QStringList{"--export-bank", "start.drillbank"} << Action::ExportBank
                                        << "start.drillbank" << "";
    QTest::newRow("--export-bank and a bank") << QStringList{"--export-bank", "a.txt", "--bank", "b.txt"}
                                              << Action::UsageError << "" << "no bank";
    QTest::newRow("--export-bank to two files") << QStringList{"--export-bank", "a.txt", "b.txt"} << Action::UsageError
                                                << "" << "one file";
    QTest::newRow("--help") << QStringList{"--help"} << Action::Help << "" << "";
    QTest::newRow("-h") << QStringList{"-h"} << Action::Help << "" << "";
    QTest::newRow("--version") << QStringList{"--version"} << Action::Version << "" << "";
    QTest::newRow("-v") << QStringList{"-v"} << Action::Version << "" << "";
    QTest::newRow("the toolkit's options pass") << QStringList{"-style", "fusion", "-reverse", "--bank", "a.txt"}
                                                << Action::Run << "a.txt" << "";
    QTest::newRow("unknown option") << QStringList{"--bnak", "a.txt"} << Action::UsageError << ""
                                    << "Unknown option 'bnak'";
    QTest::newRow("--bank without its path") << QStringList{"--bank"} << Action::UsageError << ""
                                             << "Missing value after '--bank'";
    QTest::newRow("an empty path") << QStringList{"--bank", ""} << Action::UsageError << "" << "empty";
    QTest::newRow("two banks") << QStringList{"--bank", "a.txt", "b.txt"} << Action::UsageError << "" << "Give one bank";
    QTest::newRow("a bank to check and one to run") << QStringList{"--check-bank", "a.txt", "b.txt"}
                                                    << Action::UsageError << "" << "Give one bank";
}

void CommandLineTest::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, bank);
    QFETCH(QString, error);
    const command_line::Options options = command_line::parse(QStringList{QStringLiteral("physics-drill")} + arguments);
    QCOMPARE(options.action, action);
    QCOMPARE(options.bankPath, bank);
    QVERIFY2(error.isEmpty() ? options.error.isEmpty() : options.error.contains(error), qPrintable(options.error));
}

void CommandLineTest::helpNamesEveryOption()
{
    const QString help = command_line::helpText();
    for (const char* option : {"--help", "--version", "--bank <PATH>", "--check-bank <PATH>", "--export-bank", "[BANK]"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    QVERIFY(!help.contains(QStringLiteral("-style")));
    QCOMPARE(command_line::versionText(), QStringLiteral("physics-drill " DRILL_VERSION "\n"));
}

void CommandLineTest::asAProcess_data()
{
    QTest::addColumn<QStringList>("arguments");  // %1 is the folder of the test's files
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString example = QStringLiteral(EXAMPLES_DIR "/graphs-and-rates.drillbank");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--check-bank <PATH>" << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "physics-drill " DRILL_VERSION "\n" << "";
    QTest::newRow("a usable bank") << QStringList{"--check-bank", example} << 0
                                   << "Assignment 102: header in slot 14, 6 items: 2 questions, 2 answers, 0 unmarked, "
                                      "2 routine lines\nSlots used: 22 of 5000\n"
                                   << "";
    QTest::newRow("--export-bank to standard output")
        << QStringList{"--export-bank"} << 0 << "@@ course Physics II\n\n@@ item\n011.  `query 1\n\n@@ empty\n" << "";
    QTest::newRow("--export-bank over an existing file") << QStringList{"--export-bank", "%1/bad.txt"} << 1 << ""
                                                         << "bad.txt exists already";
    QTest::newRow("--export-bank into a missing folder") << QStringList{"--export-bank", "%1/none/start.drillbank"} << 1
                                                         << "" << "cannot be written: No such file or directory";
    QTest::newRow("a bank with a problem") << QStringList{"--check-bank", "%1/bad.txt"} << 1
                                           << "%1/bad.txt:6: error: there is no routine \"graph7\"" << "";
    QTest::newRow("a missing bank") << QStringList{"--check-bank", "%1/none.txt"} << 1
                                    << "%1/none.txt: error: cannot be read: No such file or directory" << "";
    QTest::newRow("a named pipe") << QStringList{"--check-bank", "%1/pipe.txt"} << 1
                                  << "%1/pipe.txt: error: is a named pipe" << "";
    QTest::newRow("an unknown option") << QStringList{"--bnak", "x"} << 2 << ""
                                       << "physics-drill: Unknown option 'bnak'.\nTry 'physics-drill --help'";
    QTest::newRow("--check-bank without its path") << QStringList{"--check-bank"} << 2 << ""
                                                   << "Missing value after '--check-bank'";
}

// Run with no display and an empty home folder: a window or a dialog would
// end the process with an error, and nothing may appear in the home folder.
void CommandLineTest::asAProcess()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    if (arguments.contains(QStringLiteral("%1/pipe.txt")) && !pipeMade_)
        QSKIP("folders on this system hold no named pipes");
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    for (QString& argument : arguments)
        argument.replace(QStringLiteral("%1"), files_.path());
    program.start(QStringLiteral(PHYSICS_DRILL), arguments);
    QVERIFY(program.waitForFinished(20000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == status, qPrintable(stdOut + stdErr));
    QVERIFY2(stdOut.contains(out.replace(QStringLiteral("%1"), files_.path())), qPrintable(stdOut));
    QVERIFY2(stdErr.contains(err.replace(QStringLiteral("%1"), files_.path())), qPrintable(stdErr));
    QVERIFY2(err.isEmpty() || stdOut.isEmpty(), qPrintable(stdOut));
    QVERIFY(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

void CommandLineTest::withoutConsoleInDialogs_data()
{
    QTest::addColumn<QStringList>("arguments");  // %1 is the folder of the test's files
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("info");   // part of the one message box; "" for none
    QTest::addColumn<QString>("error");  // part of the one error box; "" for none
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--check-bank <PATH>" << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "physics-drill " DRILL_VERSION << "";
    QTest::newRow("a bank with a problem") << QStringList{"--check-bank", "%1/bad.txt"} << 1 << ""
                                           << "%1/bad.txt:6: error: there is no routine \"graph7\"";
    QTest::newRow("--export-bank without a file") << QStringList{"--export-bank"} << 2 << ""
                                                  << "Name the new file to write it to";
    QTest::newRow("--export-bank to a file") << QStringList{"--export-bank", "%1/course.drillbank"} << 0 << "" << "";
    QTest::newRow("an unknown option") << QStringList{"--bnak", "x"} << 2 << "" << "Unknown option 'bnak'";
}

// Started without a console, the program shows in dialogs what it would
// have printed: one box, an error box when the status is not 0.
void CommandLineTest::withoutConsoleInDialogs()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, info);
    QFETCH(QString, error);
    for (QString& argument : arguments)
        argument.replace(QStringLiteral("%1"), files_.path());
    const command_line::Options options = command_line::parse(QStringList{QStringLiteral("physics-drill")} + arguments);
    ScriptedPlatform platform;
    QCOMPARE(showInDialogs(options, platform), status);
    info.replace(QStringLiteral("%1"), files_.path());
    error.replace(QStringLiteral("%1"), files_.path());
    QCOMPARE(platform.errors.size(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty())
        QVERIFY2(platform.errors.first().contains(error), qPrintable(platform.errors.first()));
    QCOMPARE(platform.infoTexts.size(), info.isEmpty() ? 0 : 1);
    if (!info.isEmpty())
        QVERIFY2(platform.infoTexts.first().contains(info), qPrintable(platform.infoTexts.first()));
    QFile::remove(files_.filePath(QStringLiteral("course.drillbank")));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
