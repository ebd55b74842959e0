#include "app/command_line.h"

#include "bank/built_in_export.h"
#include "platform/platform.h"
#include "platform/posix_file.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cerrno>

namespace command_line {

namespace {

const QString bankOption = QStringLiteral("bank");
const QString checkOption = QStringLiteral("check-bank");
const QString exportOption = QStringLiteral("export-bank");

// The toolkit's own options (-style fusion, -platform offscreen, ...), which
// the application object takes from the command line when the window starts.
struct ToolkitOption {
    const char* name;
    bool takesValue;
};
constexpr ToolkitOption toolkitOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true}, {"qwindowtitle", true}, {"reverse", false},
    {"session", true}, {"style", true}, {"stylesheet", true}, {"widgetcount", false},
    {"display", true}, {"geometry", true},
};

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Steps a student through the assignments of a question bank, one item at a time, and keeps "
                       "every response and note in record files. Without a bank it runs on its built-in course "
                       "text, Physics II."));
    // Single-dash words are the toolkit's options, not clusters of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                      QStringLiteral("Displays this help.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Displays the version.")});
    parser.addOption({{QStringLiteral("b"), bankOption},
                      QStringLiteral("Runs on the question bank in PATH: a bank file, or a folder whose *.txt and "
                                     "*.drillbank files are read in name order as one bank. A bank that cannot be "
                                     "used is reported before the first question, and the program ends."),
                      QStringLiteral("PATH")});
    parser.addOption({checkOption,
                      QStringLiteral("Reads and checks the bank in PATH without opening a window: prints each "
                                     "problem as FILE:LINE: message, then the assignments found and the slots "
                                     "used. Exit status 0 when the bank can be used, 1 when it cannot."),
                      QStringLiteral("PATH")});
    parser.addOption({exportOption,
                      QStringLiteral("Writes the built-in course text as a question bank, with its course line, to "
                                     "the new file FILE given after the option, or to standard output without it: "
                                     "the starting point for a bank of your own. An existing file is not written "
                                     "over.")});
    for (const ToolkitOption& toolkit : toolkitOptions) {
        QCommandLineOption option(QString::fromLatin1(toolkit.name));
        if (toolkit.takesValue)
            option.setValueName(QStringLiteral("VALUE"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("BANK"),
                                 QStringLiteral("A bank to run on, as with --bank (how a file manager opens a bank "
                                                "file with the program)."),
                                 QStringLiteral("[BANK]"));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("With --export-bank: the new file to write the course text into."),
                                 QStringLiteral("[--export-bank [FILE]]"));
}

Options usageError(const QString& error)
{
    return {Options::Action::UsageError, QString(), error};
}

}  // namespace

Options parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        return {Options::Action::Help, {}, {}};
    if (parser.isSet(QStringLiteral("version")))
        return {Options::Action::Version, {}, {}};

    const QStringList positional = parser.positionalArguments();
    const QStringList checks = parser.values(checkOption);
    if (parser.isSet(exportOption)) {
        if (positional.size() > 1 || parser.isSet(bankOption) || !checks.isEmpty())
            return usageError(QStringLiteral("--export-bank takes one file to write, and no bank."));
        if (!positional.isEmpty() && positional.first().isEmpty())
            return usageError(QStringLiteral("The file's path is empty."));
        return {Options::Action::ExportBank, positional.value(0), {}};
    }
    const QStringList banks = parser.values(bankOption) + positional;
    if (checks.size() + banks.size() > 1)
        return usageError(QStringLiteral("Give one bank: to run on, or with --check-bank to check."));
    const QString path = checks.isEmpty() ? banks.value(0) : checks.first();
    if ((!checks.isEmpty() || !banks.isEmpty()) && path.isEmpty())
        return usageError(QStringLiteral("The bank's path is empty."));
    return {checks.isEmpty() ? Options::Action::Run : Options::Action::CheckBank, path, {}};
}

QString helpText()
{
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}

QString versionText()
{
    return QStringLiteral("physics-drill %1\n").arg(QStringLiteral(DRILL_VERSION));
}

int runWithoutWindow(const Options& options, QTextStream& out, QTextStream& err)
{
    switch (options.action) {
    case Options::Action::Help:
        out << helpText();
        return 0;
    case Options::Action::Version:
        out << versionText();
        return 0;
    case Options::Action::CheckBank:
        return checkBank(options.bankPath, out);
    case Options::Action::ExportBank:
        return exportBank(options.bankPath, out, err);
    case Options::Action::UsageError:
    case Options::Action::Run:
        break;
    }
    err << "physics-drill: " << options.error << "\nTry 'physics-drill --help' for more information.\n";
    return 2;
}

int checkBank(const QString& path, QTextStream& out)
{
    const bank_file::Bank bank = bank_pictures::read(path).bank;
    out << bank_file::problemLines(bank) << bank_file::summary(bank);
    return bank.usable() ? 0 : 1;
}

int exportBank(const QString& path, QTextStream& out, QTextStream& err)
{
    const QByteArray text = built_in_export::bankText();
    if (path.isEmpty()) {
        out << QString::fromUtf8(text);
        return 0;
    }
    const int error = posix_file::writeNewFile(path, text);
    if (error == EEXIST) {
        err << "physics-drill: " << path << " exists already: the course text is not written over it; name a new file.\n";
        return 1;
    }
    if (error != 0) {
        err << "physics-drill: " << path << ": cannot be written: " << posix_file::reason(error) << '\n';
        return 1;
    }
    return 0;
}

std::optional<bank_pictures::LoadedBank> openBank(const QString& path, Platform& platform)
{
    bank_pictures::LoadedBank loaded = bank_pictures::read(path);
    if (loaded.bank.usable())
        return loaded;
    platform.errorBox(bank_file::unusableMessage(loaded.bank));
    return std::nullopt;
}

}  // namespace command_line
