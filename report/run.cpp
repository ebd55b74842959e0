#include "report/run.h"

#include "platform/on_all_cores.h"

#include "report/assignment_page.h"
#include "report/class_model.h"
#include "report/csv_table.h"
#include "report/page.h"
#include "report/summary.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <functional>
#include <optional>

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

// Two names of one file: the spreadsheet would overwrite the page.
bool samePath(const QString& a, const QString& b)
{
    const QFileInfo x(a);
    const QFileInfo y(b);
    if (x.exists() && y.exists())
        return x.canonicalFilePath() == y.canonicalFilePath();
    return QDir::cleanPath(x.absoluteFilePath()) == QDir::cleanPath(y.absoluteFilePath());
}

using Job = std::function<std::optional<QString>()>;

// Runs the jobs on all cores; returns their failures in the order of the jobs.
std::vector<QString> runAll(const std::vector<Job>& jobs)
{
    std::vector<std::optional<QString>> failures(jobs.size());
    forEachOnAllCores(jobs.size(), [&](std::size_t j) { failures[j] = jobs[j](); });
    std::vector<QString> found;
    for (auto& failure : failures) {
        if (failure)
            found.push_back(std::move(*failure));
    }
    return found;
}

// The page, one page per assignment in the folder beside it, and the
// spreadsheet, as jobs; an assignment page left in the folder by an earlier
// report of more assignments is removed, so the folder holds this report
// only. The folder is made first, beside a page's folder that exists.
std::vector<QString> writeAll(const class_model::ClassModel& model, const Options& options)
{
    std::vector<Job> jobs;
    if (!options.csv.isEmpty()) {
        jobs.push_back([&] { return writeOutput(options.csv, [&](QIODevice& device) { return csv_table::write(model, device); }); });
    }
    const page_parts::Details details{QCoreApplication::applicationVersion()};
    const QFileInfo info(options.page);
    const page_links::Layout layout = page_links::layoutFor(info.fileName());
    const QDir folder(info.dir().filePath(layout.folderName));
    if (!options.page.isEmpty()) {
        if (!folder.exists() && !info.dir().mkdir(layout.folderName))
            return {programName + QStringLiteral(": cannot write ") + folder.path() + QStringLiteral(": cannot make the folder")};
        for (std::size_t a = 0; a < model.assignments.size(); ++a) {
            jobs.push_back([&, a] {
                return writeOutput(folder.filePath(page_links::assignmentFileName(a)),
                                   [&](QIODevice& device) { return assignment_page::write(model, a, details, layout, device); });
            });
        }
        jobs.push_back([&] {
            return writeOutput(options.page, [&](QIODevice& device) { return page::write(model, details, layout, device); });
        });
    }
    std::vector<QString> failures = runAll(jobs);
    if (options.page.isEmpty())
        return failures;
    static const QRegularExpression assignmentPage(QStringLiteral("^a([0-9]+)\\.html$"));
    for (const QString& name : folder.entryList(QDir::Files)) {
        const auto match = assignmentPage.match(name);
        if (match.hasMatch() && match.captured(1).toULongLong() > model.assignments.size())
            QFile::remove(folder.filePath(name));
    }
    return failures;
}

}  // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the record files of the drill program (master, send and notes files, or folders searched for *.txt; "
        "the files of one folder are one student's, a record that several of them hold counts once) and writes a page "
        "with an overview, per assignment a grid of students by items and the calibration of the ratings, beside it a "
        "folder with one page per assignment holding every response and note; a spreadsheet with one row per record; "
        "or, without -o and --csv, a short summary."));
    const QCommandLineOption pageOption({QStringLiteral("o"), QStringLiteral("output")},
                                        QStringLiteral("Write the report page (HTML) to <REPORT.html>, and the assignments' "
                                                       "pages into the folder REPORT-files beside it."),
                                        QStringLiteral("REPORT.html"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("Write one row per student's record (CSV) to <RECORDS.csv>."),
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
    if (!options.page.isEmpty() && !options.csv.isEmpty() && samePath(options.page, options.csv)) {
        err << programName << ": the page and the spreadsheet cannot both be written to " << options.csv << "\nTry '"
            << programName << " --help'." << Qt::endl;
        return UsageError;
    }

    const class_model::ClassModel model = class_model::build(class_records::read(inputs::find(options.paths)));
    for (const QString& line : summary::problemLines(model))
        err << line << '\n';
    err.flush();
    if (model.source.files.empty()) {
        err << programName << ": no record file could be read" << Qt::endl;
        return Failed;
    }

    if (options.page.isEmpty() && options.csv.isEmpty()) {
        out << summary::text(model) << Qt::flush;
        return Written;
    }
    const std::vector<QString> failures = writeAll(model, options);
    for (const QString& failure : failures)
        err << failure << Qt::endl;
    return failures.empty() ? Written : Failed;
}

}  // namespace report_run
