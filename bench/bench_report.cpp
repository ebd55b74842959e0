// Reads the results of one benchmark run (Google Benchmark's JSON and
// process_probe's JSON) and prints each figure beside its goal, ratios first.
// usage: bench_report BENCH_JSON PROCESS_JSON FIRST_WINDOW_JSON REPORT_JSON LARGE_BYTES SMALL_BYTES
//                     RENDER_JSON PAGE_BYTES ASSIGNMENT_PAGES_BYTES CLASS_JSON CLASS_BYTES CLASS_PAGE_BYTES
//                     CLASS_RENDER_JSON
#include "bench_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace {

QTextStream out(stdout);

std::optional<QJsonObject> readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The coefficient of variation of a counter that is always 0 is written
    // as NaN, which JSON does not have.
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QRegularExpression(QStringLiteral(":\\s*-?(NaN|nan|inf|Infinity)\\b")), QStringLiteral(": null"));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

double toMs(double value, const QString& unit)
{
    if (unit == QLatin1String("ns"))
        return value / 1e6;
    if (unit == QLatin1String("us"))
        return value / 1e3;
    if (unit == QLatin1String("s"))
        return value * 1e3;
    return value;
}

// One benchmark's result: the median over the repetitions when there are
// several, else the mean of its runs.
struct Result {
    bool found = false;
    QString error;
    double ms = 0;
    QJsonObject entry;

    double counter(const char* name) const { return entry.value(QLatin1String(name)).toDouble(); }
    bool usable() const { return found && error.isEmpty(); }
};

class BenchResults {
public:
    explicit BenchResults(const QJsonObject& root) : benchmarks_(root.value(QLatin1String("benchmarks")).toArray()) {}

    Result get(const QString& runName) const
    {
        Result result;
        std::vector<double> runs;
        for (const QJsonValue& value : benchmarks_) {
            const QJsonObject entry = value.toObject();
            if (entry.value(QLatin1String("run_name")).toString() != runName)
                continue;
            result.found = true;
            if (entry.value(QLatin1String("error_occurred")).toBool()) {
                result.error = entry.value(QLatin1String("error_message")).toString();
                continue;
            }
            const double ms = toMs(entry.value(QLatin1String("real_time")).toDouble(), entry.value(QLatin1String("time_unit")).toString());
            if (entry.value(QLatin1String("run_type")).toString() == QLatin1String("aggregate")) {
                if (entry.value(QLatin1String("aggregate_name")).toString() == QLatin1String("median")) {
                    result.ms = ms;
                    result.entry = entry;
                    return result;
                }
            } else {
                runs.push_back(ms);
                result.entry = entry;
            }
        }
        result.ms = bench::median(runs);
        if (result.found && runs.empty() && result.error.isEmpty())
            result.error = QStringLiteral("no runs");
        if (!result.found)
            result.error = QStringLiteral("not run");
        return result;
    }

private:
    QJsonArray benchmarks_;
};

struct Program {
    bool found = false;
    double wallMs = 0;
    double maxRssMb = 0;
    int runs = 0;
};

Program program(const QJsonObject& probe, const char* name)
{
    const QJsonObject entry = probe.value(QLatin1String("programs")).toObject().value(QLatin1String(name)).toObject();
    Program result;
    std::vector<double> wall;
    std::vector<double> rss;
    for (const QJsonValue& value : entry.value(QLatin1String("wall_ms")).toArray())
        wall.push_back(value.toDouble());
    for (const QJsonValue& value : entry.value(QLatin1String("max_rss_kb")).toArray())
        rss.push_back(value.toDouble());
    result.found = !wall.empty() && wall.size() == rss.size();
    result.runs = int(wall.size());
    result.wallMs = bench::median(wall);
    result.maxRssMb = bench::median(rss) / 1024;
    return result;
}

QString num(double value, int decimals = 2)
{
    return QString::number(value, 'f', decimals);
}

// Times in the unit that keeps them readable.
QString duration(double ms)
{
    if (ms < 0.1)
        return num(ms * 1e3, 1) + QStringLiteral(" us");
    if (ms < 10)
        return num(ms, 2) + QStringLiteral(" ms");
    return num(ms, 1) + QStringLiteral(" ms");
}

QString ratio(double value)
{
    return num(value, value < 10 ? 2 : 0) + QLatin1Char('x');
}

struct Row {
    QString figure;
    QString measured;
    QString goal;
    QString verdict;
};

std::vector<Row> rows;
int unmeasured = 0;
int met = 0;
int notMet = 0;

void addRow(const QString& figure, const QString& measured, const QString& goal, bool isMet)
{
    rows.push_back({figure, measured, goal, isMet ? QStringLiteral("MET") : QStringLiteral("NOT MET")});
    ++(isMet ? met : notMet);
}

void addUnmeasured(const QString& figure, const QString& goal)
{
    rows.push_back({figure, QStringLiteral("not measured"), goal, QStringLiteral("NO DATA")});
    ++unmeasured;
}

void addNote(const QString& figure, const QString& measured)
{
    rows.push_back({figure, measured, QStringLiteral("(no goal)"), QStringLiteral("-")});
}

// Returns false, with a row that says so, when a result is missing or failed.
bool measured(const QString& figure, const QString& goal, std::initializer_list<const Result*> results)
{
    for (const Result* result : results) {
        if (!result->usable()) {
            rows.push_back({figure, QStringLiteral("not measured: ") + result->error, goal, QStringLiteral("NO DATA")});
            ++unmeasured;
            return false;
        }
    }
    return true;
}

QString cpuModel()
{
    QFile file(QStringLiteral("/proc/cpuinfo"));
    if (file.open(QIODevice::ReadOnly)) {
        const QRegularExpression model(QStringLiteral("^model name\\s*:\\s*(.*)$"), QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = model.match(QString::fromUtf8(file.readAll()));
        if (match.hasMatch())
            return match.captured(1).trimmed();
    }
    return QStringLiteral("unknown CPU");
}

void printMachine(const QJsonObject& context, const QJsonObject& probe)
{
    const QJsonArray load = context.value(QLatin1String("load_avg")).toArray();
    out << "Machine: " << cpuModel() << ", " << context.value(QLatin1String("num_cpus")).toInt() << " cores at "
        << num(context.value(QLatin1String("mhz_per_cpu")).toDouble(), 0) << " MHz; Qt "
        << context.value(QLatin1String("qt_version")).toString() << " on the "
        << context.value(QLatin1String("qt_platform")).toString() << " platform; record files on "
        << context.value(QLatin1String("temp_folder_fs")).toString() << "\n";
    out << "Run: " << context.value(QLatin1String("date")).toString() << ", load average at start "
        << (load.isEmpty() ? QStringLiteral("?") : num(load.at(0).toDouble())) << "; in-process figures are medians of "
        << "repetitions; process figures are medians of " << program(probe, "drill").runs << " starts each"
        << " (each child starts with the probe's " << num(probe.value(QLatin1String("probe_max_rss_kb")).toDouble() / 1024, 1)
        << " MB)\n";
    const double cores = context.value(QLatin1String("num_cpus")).toDouble();
    if (!load.isEmpty() && load.at(0).toDouble() > cores / 2) {
        out << "Note: the machine was busy (load " << num(load.at(0).toDouble()) << " on " << cores
            << " cores): absolute times are inflated and noisy; the ratios hold better.\n";
    }
    out << "\n";
}

void printTable()
{
    const auto width = [](auto member) {
        int widest = 0;
        for (const Row& row : rows)
            widest = std::max(widest, int((row.*member).size()));
        return widest;
    };
    const int figureWidth = std::max(6, width(&Row::figure));
    const int measuredWidth = std::max(8, width(&Row::measured));
    const int goalWidth = std::max(4, width(&Row::goal));
    const auto line = [&](const QString& a, const QString& b, const QString& c, const QString& d) {
        out << a.leftJustified(figureWidth) << "  " << b.leftJustified(measuredWidth) << "  " << c.leftJustified(goalWidth)
            << "  " << d << "\n";
    };
    line(QStringLiteral("Figure"), QStringLiteral("Measured"), QStringLiteral("Goal"), QStringLiteral("Verdict"));
    line(QString(figureWidth, u'-'), QString(measuredWidth, u'-'), QString(goalWidth, u'-'), QStringLiteral("-------"));
    for (const Row& row : rows)
        line(row.figure, row.measured, row.goal, row.verdict);
}

// Whole processes, launch to their first window on an X display: the program
// to its name dialog, with the built-in bank and with the example bank,
// against a bare input dialog started the same way.
void firstWindow(const QJsonObject& probe)
{
    const Program bare = program(probe, "bare_dialog");
    const QString goalWall = QStringLiteral("<= 1.2x bare dialog");
    const QString goalRss = QStringLiteral("<= 1.1x bare dialog");
    const auto compare = [&](const char* name, const QString& which) {
        const Program drill = program(probe, name);
        if (!drill.found || !bare.found) {
            addUnmeasured(QStringLiteral("1 first window") + which, goalWall);
            return;
        }
        addRow(QStringLiteral("1 first window%1, wall").arg(which),
               QStringLiteral("%1 (drill %2, bare dialog %3)").arg(ratio(drill.wallMs / bare.wallMs), duration(drill.wallMs), duration(bare.wallMs)),
               goalWall, drill.wallMs <= 1.2 * bare.wallMs);
        addRow(QStringLiteral("1 first window%1, memory").arg(which),
               QStringLiteral("%1 (drill %2 MB, bare dialog %3 MB)")
                   .arg(ratio(drill.maxRssMb / bare.maxRssMb), num(drill.maxRssMb, 1), num(bare.maxRssMb, 1)),
               goalRss, drill.maxRssMb <= 1.1 * bare.maxRssMb);
    };
    compare("dialog", QString());
    compare("dialog_bank", QStringLiteral(" (--bank)"));
}

void process(const QJsonObject& probe)
{
    const Program drill = program(probe, "drill");
    const Program bare = program(probe, "bare");
    const Program form = program(probe, "form");
    const QString goalRss = QStringLiteral("<= 1.3x bare program");
    const QString goalWall = QStringLiteral("<= 1.5x bare program");
    if (!drill.found || !bare.found) {
        addUnmeasured(QStringLiteral("2 whole process"), goalRss);
        return;
    }
    const QString formRss = form.found ? QStringLiteral("; form alone %1 MB").arg(num(form.maxRssMb, 1)) : QString();
    const QString formWall = form.found ? QStringLiteral("; form alone %1").arg(duration(form.wallMs)) : QString();
    addRow(QStringLiteral("2 peak memory"),
           QStringLiteral("%1 (drill %2 MB, bare %3 MB%4)")
               .arg(ratio(drill.maxRssMb / bare.maxRssMb), num(drill.maxRssMb, 1), num(bare.maxRssMb, 1), formRss),
           goalRss, drill.maxRssMb <= 1.3 * bare.maxRssMb);
    addRow(QStringLiteral("2 wall time"),
           QStringLiteral("%1 (drill %2, bare %3%4)")
               .arg(ratio(drill.wallMs / bare.wallMs), duration(drill.wallMs), duration(bare.wallMs), formWall),
           goalWall, drill.wallMs <= 1.5 * bare.wallMs);
}

void stepping(const BenchResults& bench)
{
    constexpr double frameMs = 1000.0 / 60;
    const Result walk = bench.get(QStringLiteral("BM_StepThroughAssignment017/manual_time"));
    const Result load = bench.get(QStringLiteral("BM_LoadQuestionBank/manual_time"));
    const QString goal = QStringLiteral("mean <= 1.6 ms (1/10 frame)");
    if (measured(QStringLiteral("3 press, through 017"), goal, {&walk})) {
        const double presses = walk.counter("presses");
        const double mean = presses > 0 ? walk.ms / presses : 0;
        const double slowest = walk.counter("slowest_press_ms");
        addRow(QStringLiteral("3 press, through 017"),
               QStringLiteral("%1 a press = %2 of a frame (%3 presses, max %4)")
                   .arg(duration(mean), QString::number(mean / frameMs * 100, 'f', 0) + QLatin1Char('%'),
                        QString::number(presses, 'f', 0), duration(slowest)),
               goal, presses > 0 && mean <= frameMs / 10);
    }
    const QString loadGoal = QStringLiteral("< 1 ms");
    if (measured(QStringLiteral("3 loadQuestionBank"), loadGoal, {&load}))
        addRow(QStringLiteral("3 loadQuestionBank"), duration(load.ms), loadGoal, load.ms < 1);
    const Result bank = bench.get(QStringLiteral("BM_ReadAndCheckLargeBank/manual_time"));
    const QString bankGoal = QStringLiteral("< 100 ms");
    if (measured(QStringLiteral("3 bank read and checked"), bankGoal, {&bank})) {
        addRow(QStringLiteral("3 bank read and checked"),
               QStringLiteral("%1 (%2 slots, %3 MB)")
                   .arg(duration(bank.ms), QString::number(bank.counter("slots"), 'f', 0), num(bank.counter("megabytes"), 1)),
               bankGoal, bank.ms < 100 && bank.counter("slots") == 5000);
    }
    const Result pictures = bench.get(QStringLiteral("BM_ReadAndCheckBankWithPictures/manual_time"));
    const QString picturesGoal = QStringLiteral("< 300 ms");
    if (measured(QStringLiteral("3 bank with pictures"), picturesGoal, {&pictures})) {
        addRow(QStringLiteral("3 bank with pictures"),
               QStringLiteral("%1 (%2 pictures of %3 kB)")
                   .arg(duration(pictures.ms), QString::number(pictures.counter("pictures"), 'f', 0),
                        QString::number(pictures.counter("picture_kilobytes"), 'f', 0)),
               picturesGoal, pictures.ms < 300 && pictures.counter("pictures") == 50);
    }
}

void display(const BenchResults& bench)
{
    const auto run = [&](const char* name, int lines) {
        return bench.get(QStringLiteral("%1/%2/manual_time").arg(QLatin1String(name)).arg(lines));
    };
    const Result small = run("BM_DisplaySendFile", 1000);
    const Result middle = run("BM_DisplaySendFile", 10000);
    const Result large = run("BM_DisplaySendFile", 100000);
    const Result floorSmall = run("BM_SetPlainTextFloor", 1000);
    const Result floorLarge = run("BM_SetPlainTextFloor", 100000);
    const QString figure = QStringLiteral("4 per line, 100k/1k");
    const QString goal = QStringLiteral("<= 1.5x");
    if (!measured(figure, goal, {&small, &middle, &large}))
        return;
    const double perLineSmall = small.ms / 1000;
    const double perLineLarge = large.ms / 100000;
    addRow(figure,
           QStringLiteral("%1 (a line: %2 at 100k, %3 at 10k, %4 at 1k)")
               .arg(ratio(perLineLarge / perLineSmall), duration(perLineLarge), duration(middle.ms / 10000),
                    duration(perLineSmall)),
           goal, perLineLarge <= 1.5 * perLineSmall);
    if (floorSmall.usable() && floorLarge.usable()) {
        addNote(QStringLiteral("4 Qt's box alone"),
                QStringLiteral("%1 per line (setPlainText + paint: %2 at 100k, %3 at 1k)")
                    .arg(ratio((floorLarge.ms / 100000) / (floorSmall.ms / 1000)), duration(floorLarge.ms),
                         duration(floorSmall.ms)));
    }
    const Result first = bench.get(QStringLiteral("BM_DisplaySendFileFirst/100000/manual_time"));
    const QString firstGoal = QStringLiteral("< 1 s");
    if (measured(QStringLiteral("4 100k lines shown"), firstGoal, {&first})) {
        addRow(QStringLiteral("4 100k lines shown"),
               QStringLiteral("%1 first in a fresh window (later: %2; 10k: %3)").arg(duration(first.ms), duration(large.ms), duration(middle.ms)),
               firstGoal, first.ms < 1000 && large.ms < 1000);
    }
}

void records(const BenchResults& bench)
{
    const QString goal = QStringLiteral("< 10 ms, mostly sync");
    const auto row = [&](const QString& figure, const QString& runName) {
        const Result record = bench.get(runName);
        if (!measured(figure, goal, {&record}))
            return;
        const double files = record.counter("files");
        const double syncs = record.counter("syncs");
        const double syncMs = record.counter("sync_ms");
        // The syncs are timed beside the record, not inside it, so on a busy
        // disk the estimate can pass the whole.
        const double share = std::min(1.0, syncMs / record.ms);
        addRow(figure,
               QStringLiteral("%1, %2 files, ~%3% sync (%4 fsyncs: journal, folder, each file and its mark; %5 each)")
                   .arg(duration(record.ms), QString::number(files, 'f', 0), QString::number(share * 100, 'f', 0),
                        QString::number(syncs, 'f', 0), duration(syncs > 0 ? syncMs / syncs : 0)),
               goal, record.ms < 10 && share >= 0.5);
    };
    row(QStringLiteral("5 response record"), QStringLiteral("BM_ResponseRecord/manual_time"));
    row(QStringLiteral("5 notes record"), QStringLiteral("BM_NotesRecord/manual_time"));
}

void timer(const BenchResults& bench)
{
    const Result empty = bench.get(QStringLiteral("BM_TimerTick/circles:0/iterations:500/manual_time"));
    const Result full = bench.get(QStringLiteral("BM_TimerTick/circles:10000/iterations:500/manual_time"));
    const QString figure = QStringLiteral("6 timer tick");
    const QString goal = QStringLiteral("<= 1.2x");
    if (!measured(figure, goal, {&empty, &full}))
        return;
    addRow(figure,
           QStringLiteral("%1 (after 10,000 circles %2, fresh window %3)").arg(ratio(full.ms / empty.ms), duration(full.ms), duration(empty.ms)),
           goal, full.ms <= 1.2 * empty.ms);
}

// The report program over a class of 500 send files and over one of a fifth
// of that: its time and memory, and its time per megabyte at both sizes.
void report(const QJsonObject& probe, double largeBytes, double smallBytes)
{
    const Program large = program(probe, "report_large");
    const Program small = program(probe, "report_small");
    const QString figure = QStringLiteral("7 report, 500 files");
    const QString goal = QStringLiteral("pages + CSV < 2 s, < 300 MB");
    if (!large.found || !small.found || largeBytes <= 0 || smallBytes <= 0) {
        rows.push_back({figure, QStringLiteral("not measured"), goal, QStringLiteral("NO DATA")});
        ++unmeasured;
        return;
    }
    const double largeMb = largeBytes / 1e6;
    const double smallMb = smallBytes / 1e6;
    addRow(figure,
           QStringLiteral("%1 and %2 MB for %3 MB of send files (%4 runs)")
               .arg(duration(large.wallMs), num(large.maxRssMb, 1), num(largeMb, 1), QString::number(large.runs)),
           goal, large.wallMs < 2000 && large.maxRssMb < 300);
    const double perMbLarge = large.wallMs / largeMb;
    const double perMbSmall = small.wallMs / smallMb;
    addRow(QStringLiteral("7 report, per MB"),
           QStringLiteral("%1 (%2 a MB at %3 MB, %4 at %5 MB; memory %6 MB against %7 MB)")
               .arg(ratio(perMbLarge / perMbSmall), duration(perMbLarge), num(largeMb, 0), duration(perMbSmall), num(smallMb, 0),
                    num(large.maxRssMb, 1), num(small.maxRssMb, 1)),
           QStringLiteral("linear: <= 1.3x"), perMbLarge <= 1.3 * perMbSmall);
}

// The report's first page for the 500 files, rendered in a headless
// chromium to a screenshot, against a page of one line.
void render(const QJsonObject& probe, double pageBytes, double assignmentPagesBytes)
{
    const Program page = program(probe, "render_report");
    const Program blank = program(probe, "render_blank");
    const QString figure = QStringLiteral("7 first page rendered");
    const QString goal = QStringLiteral("< 3 s in chromium");
    if (!page.found || !blank.found) {
        addUnmeasured(figure, goal);
        return;
    }
    addRow(figure,
           QStringLiteral("%1 against %2 for a page of one line (page %3 MB; %4 MB in the assignments' pages; %5 runs)")
               .arg(duration(page.wallMs), duration(blank.wallMs), num(pageBytes / 1e6, 2), num(assignmentPagesBytes / 1e6, 1),
                    QString::number(page.runs)),
           goal, page.wallMs < 3000);
}

// A class of 2,000 students and 10 assignments: the report's time and
// memory, the first page's size, and each kind of page rendered in a
// headless chromium, against a page of one line.
void wholeClass(const QJsonObject& probe, double classBytes, double pageBytes, const QJsonObject& renders)
{
    const Program run = program(probe, "report_class");
    const QString figure = QStringLiteral("8 report, 2,000 students");
    const QString goal = QStringLiteral("< 4 s, < 400 MB");
    if (!run.found || classBytes <= 0) {
        addUnmeasured(figure, goal);
        return;
    }
    addRow(figure,
           QStringLiteral("%1 and %2 MB for %3 MB of record files (%4 runs)")
               .arg(duration(run.wallMs), num(run.maxRssMb, 1), num(classBytes / 1e6, 0), QString::number(run.runs)),
           goal, run.wallMs < 4000 && run.maxRssMb < 400);
    addRow(QStringLiteral("8 first page, 2,000 students"), QStringLiteral("%1 kB").arg(num(pageBytes / 1e3, 0)), QStringLiteral("< 300 kB"),
           pageBytes > 0 && pageBytes < 300e3);
    const Program blank = program(renders, "render_blank");
    for (const auto& [name, caption] : {std::pair{"render_class", "first page"}, std::pair{"render_assignment", "largest assignment page"},
                                        std::pair{"render_item", "largest item page"}, std::pair{"render_students", "students page"},
                                        std::pair{"render_problems", "problems page"}}) {
        const Program render = program(renders, name);
        const QString row = QStringLiteral("8 %1 rendered").arg(QLatin1String(caption));
        if (!render.found || !blank.found) {
            addUnmeasured(row, QStringLiteral("< 3 s in chromium"));
            continue;
        }
        addRow(row, QStringLiteral("%1 against %2 for a page of one line").arg(duration(render.wallMs), duration(blank.wallMs)),
               QStringLiteral("< 3 s in chromium"), render.wallMs < 3000);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 14) {
        std::fprintf(stderr,
                     "usage: bench_report BENCH_JSON PROCESS_JSON FIRST_WINDOW_JSON REPORT_JSON LARGE_BYTES SMALL_BYTES "
                     "RENDER_JSON PAGE_BYTES ASSIGNMENT_PAGES_BYTES CLASS_JSON CLASS_BYTES CLASS_PAGE_BYTES CLASS_RENDER_JSON\n");
        return 2;
    }
    const std::optional<QJsonObject> bench = readJson(QString::fromLocal8Bit(argv[1]));
    const std::optional<QJsonObject> probe = readJson(QString::fromLocal8Bit(argv[2]));
    const std::optional<QJsonObject> firstWindowProbe = readJson(QString::fromLocal8Bit(argv[3]));
    if (!bench) {
        std::fprintf(stderr, "bench_report: cannot read %s\n", argv[1]);
        return 2;
    }
    const QJsonObject processResults = probe.value_or(QJsonObject());
    const BenchResults results(*bench);

    firstWindow(firstWindowProbe.value_or(QJsonObject()));
    process(processResults);
    stepping(results);
    display(results);
    records(results);
    timer(results);
    report(readJson(QString::fromLocal8Bit(argv[4])).value_or(QJsonObject()), std::atof(argv[5]), std::atof(argv[6]));
    render(readJson(QString::fromLocal8Bit(argv[7])).value_or(QJsonObject()), std::atof(argv[8]), std::atof(argv[9]));
    wholeClass(readJson(QString::fromLocal8Bit(argv[10])).value_or(QJsonObject()), std::atof(argv[11]), std::atof(argv[12]),
               readJson(QString::fromLocal8Bit(argv[13])).value_or(QJsonObject()));

    printMachine(bench->value(QLatin1String("context")).toObject(), processResults);
    printTable();
    out << "\nGoals met: " << met << ", not met: " << notMet;
    if (unmeasured > 0)
        out << ", not measured: " << unmeasured;
    out << ".\n";
    out.flush();
    return unmeasured > 0 ? 1 : 0;
}
