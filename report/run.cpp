#include "report/run.h"

#include "platform/on_all_cores.h"

#include "platform/posix_file.h"
#include "report/assignment_page.h"
#include "report/class_model.h"
#include "report/course_items.h"
#include "report/csv_table.h"
#include "report/folder_pages.h"
#include "report/item_page.h"
#include "report/page.h"
#include "report/summary.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <functional>
#include <optional>

namespace report_run {
namespace {

const QString programName = QStringLiteral("physics-drill-report");

struct Options {
    QString page;
    QString csv;
    QString gradebook;
    QString bank;
    QStringList paths;
};

// The report holds the students' work: like the record files, its files
// are for their owner's eyes only.
constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Writes the whole output under a temporary name and renames it at the end,
// so a failed run leaves no half-written page or spreadsheet behind. Returns
// the message for a failure.
std::optional<QString> writeOutput(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(ownerOnly) || !write(file) || !file.commit())
        return programName + QStringLiteral(": cannot write ") + path + QStringLiteral(": ") + file.errorString();
    return std::nullopt;
}

// Makes a folder and the folders above it that are missing, for their
// owner only; returns the message for a failure, with the system's reason.
std::optional<QString> makeFolder(const QString& path)
{
    QString failed;
    if (const int error = posix_file::makeFolders(path, &failed)) {
        return programName + QStringLiteral(": cannot make the folder ") + QDir::toNativeSeparators(failed)
             + QStringLiteral(": ") + posix_file::reason(error);
    }
    return std::nullopt;
}

// The folders that the outputs go into, made when they are missing.
std::optional<QString> makeOutputFolders(const Options& options)
{
    for (const QString& output : {options.page, options.csv, options.gradebook}) {
        if (output.isEmpty())
            continue;
        if (auto failure = makeFolder(QFileInfo(output).path()))
            return failure;
    }
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

// The pages written into the folder beside the first page.
void addFolderPages(std::vector<Job>& jobs, const class_model::ClassModel& model, const page_parts::Details& details,
                    const page_links::Layout& layout, const QDir& folder, QStringList& written)
{
    const auto add = [&](const QString& name, std::function<bool(QIODevice&)> write) {
        written.append(name);
        jobs.push_back([path = folder.filePath(name), write = std::move(write)] { return writeOutput(path, write); });
    };
    add(page_links::studentsFileName(), [&](QIODevice& device) { return folder_pages::writeStudents(model, details, layout, device); });
    if (!model.problems.empty() || !model.emptyFiles.empty())
        add(page_links::problemsFileName(), [&](QIODevice& device) { return folder_pages::writeProblems(model, details, layout, device); });
    for (std::size_t a = 0; a < model.assignments.size(); ++a) {
        add(page_links::assignmentFileName(a), [&, a](QIODevice& device) { return assignment_page::write(model, a, details, layout, device); });
        if (model.assignments[a].notes > 0)
            add(page_links::askedFileName(a), [&, a](QIODevice& device) { return folder_pages::writeAsked(model, a, details, layout, device); });
        for (std::size_t i = 0; i < model.assignments[a].items.size(); ++i) {
            if (!model.assignments[a].items[i].answers.empty())
                add(page_links::itemFileName(a, i), [&, a, i](QIODevice& device) { return item_page::write(model, a, i, details, layout, device); });
        }
    }
}

// The page with the folder of pages beside it, the spreadsheet and the
// gradebook, as jobs on all cores; a page left in the folder by an earlier
// report is removed, so the folder holds this report only.
std::vector<QString> writeAll(const class_model::ClassModel& model, const Options& options)
{
    std::vector<Job> jobs;
    if (!options.csv.isEmpty())
        jobs.push_back([&] { return writeOutput(options.csv, [&](QIODevice& device) { return csv_table::write(model, device); }); });
    if (!options.gradebook.isEmpty()) {
        jobs.push_back([&] {
            return writeOutput(options.gradebook, [&](QIODevice& device) { return csv_table::writeGradebook(model, device); });
        });
    }
    const page_parts::Details details{QCoreApplication::applicationVersion()};
    const QFileInfo info(options.page);
    const page_links::Layout layout = page_links::layoutFor(info.fileName());
    const QDir folder(info.dir().filePath(layout.folderName));
    QStringList written;
    if (!options.page.isEmpty()) {
        if (const auto failure = makeFolder(folder.path()))
            return {*failure};
        addFolderPages(jobs, model, details, layout, folder, written);
        jobs.push_back([&] {
            return writeOutput(options.page, [&](QIODevice& device) { return page::write(model, details, layout, device); });
        });
    }
    std::vector<QString> failures = runAll(jobs);
    if (options.page.isEmpty())
        return failures;
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (page_links::isPageName(name) && !written.contains(name))
            QFile::remove(folder.filePath(name));
    }
    return failures;
}

// The built-in course, or the bank that --bank names, read as the drill
// program reads it; a bank that cannot be used is reported as the drill
// program's --check-bank reports it.
std::optional<course_items::Course> loadCourse(const QString& path, QTextStream& err)
{
    if (path.isEmpty())
        return course_items::builtIn();
    const bank_file::Bank bank = bank_file::read(path);
    if (!bank.usable()) {
        err << bank_file::problemLines(bank) << programName << ": the bank " << path << " cannot be used" << Qt::endl;
        return std::nullopt;
    }
    return course_items::fromSlots(bank.course.isEmpty() ? bank_file::builtInCourse() : bank.course, bank.bankSlots);
}

}  // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the record files of the drill program (master, send and notes files, folders searched for *.txt, or a zip "
        "archive read as the folder it holds) and finds the students in them: a folder per student, a course site's download "
        "of submissions (NAME_ID_assignsubmission_file_ as a folder or as a prefix on each file), or a folder of several "
        "students' attachments (ada_send_1207.txt). A record that several of a student's files hold counts once. Writes a "
        "page with an overview, per assignment the calibration of the ratings and the students to talk to, beside it a "
        "folder with the students, each assignment's grid of students by items, each item's responses with each confidence "
        "and its self critique in one row, what the students asked, and the problems; a spreadsheet with one row per "
        "record; a gradebook with one row per student; or, without -o, --csv and --gradebook, a short summary."));
    const QCommandLineOption pageOption({QStringLiteral("o"), QStringLiteral("output")},
                                        QStringLiteral("Write the report page (HTML) to <REPORT.html>, and the other pages into "
                                                       "the folder REPORT-files beside it; missing folders are made."),
                                        QStringLiteral("REPORT.html"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("Write one row per student's record (CSV) to <RECORDS.csv>."),
                                       QStringLiteral("RECORDS.csv"));
    const QCommandLineOption gradebookOption(QStringLiteral("gradebook"),
                                             QStringLiteral("Write one row per student (CSV) to <GRADES.csv>: the name, the ID "
                                                            "of a course site's download, and per assignment the percentage of "
                                                            "its items answered."),
                                             QStringLiteral("GRADES.csv"));
    const QCommandLineOption bankOption(QStringLiteral("bank"),
                                        QStringLiteral("The students worked on the question bank <FILE> (a file or a folder, as "
                                                       "physics-drill --bank reads it), not the built-in course: it tells each "
                                                       "assignment's items."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOption(pageOption);
    parser.addOption(csvOption);
    parser.addOption(gradebookOption);
    parser.addOption(bankOption);
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Record files, folders to search for *.txt, or zip archives."),
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
    const Options options{parser.value(pageOption), parser.value(csvOption), parser.value(gradebookOption), parser.value(bankOption),
                          parser.positionalArguments()};
    if (options.paths.isEmpty()) {
        err << programName << ": no PATH given\nTry '" << programName << " --help'." << Qt::endl;
        return UsageError;
    }
    const QStringList outputs{options.page, options.csv, options.gradebook};
    for (qsizetype a = 0; a < outputs.size(); ++a) {
        for (qsizetype b = a + 1; b < outputs.size(); ++b) {
            if (!outputs[a].isEmpty() && !outputs[b].isEmpty() && samePath(outputs[a], outputs[b])) {
                err << programName << ": two outputs cannot both be written to " << outputs[b] << "\nTry '" << programName
                    << " --help'." << Qt::endl;
                return UsageError;
            }
        }
    }

    std::optional<course_items::Course> course = loadCourse(options.bank, err);
    if (!course)
        return Failed;
    const class_model::ClassModel model = class_model::build(inputs::find(options.paths), *course);
    for (const QString& line : summary::problemLines(model))
        err << line << '\n';
    err.flush();
    if (model.source.files.empty()) {
        err << programName << ": no record file could be read" << Qt::endl;
        return Failed;
    }

    if (options.page.isEmpty() && options.csv.isEmpty() && options.gradebook.isEmpty()) {
        out << summary::text(model) << Qt::flush;
        return Written;
    }
    if (const auto failure = makeOutputFolders(options)) {
        err << *failure << Qt::endl;
        return Failed;
    }
    const std::vector<QString> failures = writeAll(model, options);
    for (const QString& failure : failures)
        err << failure << Qt::endl;
    return failures.empty() ? Written : Failed;
}

}  // namespace report_run
