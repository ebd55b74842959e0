#include "report/run.h"

#include "report/class_records.h"
#include "report/csv_table.h"
#include "report/page.h"
#include "report/summary.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSaveFile>

#include <functional>
#include <optional>
#include <thread>

namespace report_run {
namespace {

const QString programName = QStringLiteral("physics-drill-report");

struct Options {
    QString page;
    QString csv;
    QStringList paths;
};

// Writes the whole output under a temporary name and renames it at the end,
// so a failed run leaves no half-written page or spreadsheet behind. Returns
// the message for a failure.
std::optional<QString> writeOutput(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit())
        return programName + QStringLiteral(": cannot write ") + path + QStringLiteral(": ") + file.errorString();
    return std::nullopt;
}

}  // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the record files of the drill program (send, master or notes files, or folders searched for *.txt, "
        "one file per student) and writes one page with every response, note, rating and time, a spreadsheet with one "
        "row per response or note, or, without -o and --csv, a short summary."));
    const QCommandLineOption pageOption({QStringLiteral("o"), QStringLiteral("output")},
                                        QStringLiteral("Write the report page (HTML) to <REPORT.html>."),
                                        QStringLiteral("REPORT.html"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("Write one row per response or note (CSV) to <RECORDS.csv>."),
                                       QStringLiteral("RECORDS.csv"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOption(pageOption);
    parser.addOption(csvOption);
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Record files, or folders to search for *.txt."),
                                 QStringLiteral("PATH..."));

    if (!parser.parse(arguments)) {
        err << programName << ": " << parser.errorText() << "\nTry '" << programName << " --help'." << Qt::endl;
        return UsageError;
    }
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        out << parser.helpText() << Qt::flush;
        return Written;
    }
    if (parser.isSet(versionOption)) {
        out << programName << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return Written;
    }
    const Options options{parser.value(pageOption), parser.value(csvOption), parser.positionalArguments()};
    if (options.paths.isEmpty()) {
        err << programName << ": no PATH given\nTry '" << programName << " --help'." << Qt::endl;
        return UsageError;
    }

    const class_records::ClassRecords records = class_records::read(inputs::find(options.paths));
    for (const QString& line : summary::problemLines(records))
        err << line << '\n';
    err.flush();
    if (records.files.empty()) {
        err << programName << ": no record file could be read" << Qt::endl;
        return Failed;
    }

    if (options.page.isEmpty() && options.csv.isEmpty()) {
        out << summary::text(records) << Qt::flush;
        return Written;
    }
    // The spreadsheet is written on a thread of its own while the page is.
    std::optional<QString> csvFailure;
    std::thread csvWriter;
    if (!options.csv.isEmpty()) {
        csvWriter = std::thread([&] {
            csvFailure = writeOutput(options.csv, [&](QIODevice& device) { return csv_table::write(records, device); });
        });
    }
    std::optional<QString> pageFailure;
    if (!options.page.isEmpty()) {
        const page::Details details{QCoreApplication::applicationVersion()};
        pageFailure = writeOutput(options.page, [&](QIODevice& device) { return page::write(records, details, device); });
    }
    if (csvWriter.joinable())
        csvWriter.join();
    for (const auto& failure : {pageFailure, csvFailure}) {
        if (failure)
            err << *failure << Qt::endl;
    }
    return pageFailure || csvFailure ? Failed : Written;
}

}  // namespace report_run
