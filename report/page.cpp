#include "report/page.h"

#include "report/html_writer.h"
#include "report/page_style.h"
#include "report/wording.h"

#include <QHash>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

namespace page {
namespace {

using class_records::Assignment;
using class_records::ClassRecords;
using class_records::Item;
using class_records::OverviewRow;
using class_records::Problem;
using class_records::Spread;
using record_reader::Entry;
using record_reader::Kind;

constexpr int ratingScaleTop = 3;
const QString ratingColours[] = {QStringLiteral("#dde7f1"), QStringLiteral("#a9c3dc"), QStringLiteral("#5f8fbf"),
                                 QStringLiteral("#24507c")};

constexpr qsizetype flushSize = 1 << 20;

// A student's file name, which may break after each folder.
void writeFileName(HtmlWriter& html, const QString& name, const QString& classes)
{
    html.open("td", {{"class", classes}});
    const QStringList parts = name.split(u'/');
    for (qsizetype p = 0; p < parts.size(); ++p) {
        html.text(p + 1 < parts.size() ? parts[p] + u'/' : parts[p]);
        if (p + 1 < parts.size())
            html.shape("wbr", {});
    }
    html.close();
}

QString number(double value)
{
    return QString::number(value, 'f', 1);
}

std::optional<int> scaleValue(const QString& rating)
{
    bool isNumber = false;
    const int value = rating.trimmed().toInt(&isNumber);
    if (!isNumber || value < 0 || value > ratingScaleTop)
        return std::nullopt;
    return value;
}

// The course that most openings name.
QString courseOf(const ClassRecords& records)
{
    QHash<QString, int> counts;
    QString most;
    for (const auto& file : records.files) {
        for (const auto& opening : file.records.openings) {
            if (opening.courseName.isEmpty())
                continue;
            const int count = ++counts[opening.courseName];
            if (count > counts.value(most))
                most = opening.courseName;
        }
    }
    return most;
}

void writeHead(HtmlWriter& html, const QString& title)
{
    html.open("head");
    html.shape("meta", {{"charset", QStringLiteral("utf-8")}});
    html.shape("meta", {{"name", QStringLiteral("viewport")}, {"content", QStringLiteral("width=device-width, initial-scale=1")}});
    html.element("title", title);
    html.open("style");
    html.verbatim(QString::fromLatin1(page_style::styleSheet));
    html.close();
    html.close();
}

void writeTop(HtmlWriter& html, const ClassRecords& records, const QString& title,
              const std::vector<Assignment>& assignments, const std::vector<Problem>& problems, qsizetype emptyFiles)
{
    html.open("header", {{"class", QStringLiteral("top")}});
    html.element("h1", title);
    html.open("p", {{"class", QStringLiteral("lede")}});
    const qsizetype numbered = std::count_if(assignments.begin(), assignments.end(),
                                             [](const Assignment& a) { return !a.number.isEmpty(); });
    const QStringList parts = {wording::count(qsizetype(records.files.size()), QStringLiteral("file"), QStringLiteral("files")),
                               wording::count(numbered, QStringLiteral("assignment"), QStringLiteral("assignments")),
                               wording::count(records.responses, QStringLiteral("response"), QStringLiteral("responses")),
                               wording::count(records.notes, QStringLiteral("note"), QStringLiteral("notes"))};
    html.text(parts.join(QStringLiteral(" \u00b7 ")));
    html.close();
    if (!problems.empty()) {
        html.element("p", QStringLiteral("Not everything could be read: %1 listed under Unreadable input at the end.")
                              .arg(wording::count(qsizetype(problems.size()), QStringLiteral("problem"), QStringLiteral("problems"))),
                     {{"class", QStringLiteral("notice")}});
    }
    html.open("nav", {{"class", QStringLiteral("contents")}});
    html.element("a", QStringLiteral("Overview"), {{"href", QStringLiteral("#overview")}});
    for (std::size_t a = 0; a < assignments.size(); ++a)
        html.element("a", wording::assignmentTitle(assignments[a].number), {{"href", QStringLiteral("#a%1").arg(a + 1)}});
    if (!problems.empty())
        html.element("a", QStringLiteral("Unreadable input"), {{"href", QStringLiteral("#unreadable")}});
    if (emptyFiles > 0)
        html.element("a", QStringLiteral("Files without records"), {{"href", QStringLiteral("#empty")}});
    html.close();
    html.close();
}

void writeBar(HtmlWriter& html, qint64 seconds, qint64 longest)
{
    constexpr int width = 200;
    constexpr int height = 10;
    const int filled = longest > 0 ? int((width * seconds + longest - 1) / longest) : 0;
    html.open("svg", {{"width", QString::number(width)}, {"height", QString::number(height)},
                      {"viewBox", QStringLiteral("0 0 %1 %2").arg(width).arg(height)}, {"preserveAspectRatio", QStringLiteral("none")},
                      {"role", QStringLiteral("img")}, {"aria-label", wording::duration(seconds)}});
    html.shape("rect", {{"width", QString::number(width)}, {"height", QString::number(height)}, {"rx", QStringLiteral("2")},
                        {"fill", QStringLiteral("#e7ecf1")}});
    if (filled > 0) {
        html.shape("rect", {{"width", QString::number(filled)}, {"height", QString::number(height)},
                            {"rx", QStringLiteral("2")}, {"fill", QStringLiteral("#2f5d8a")}});
    }
    html.close();
}

void writeOverview(HtmlWriter& html, const std::vector<OverviewRow>& rows)
{
    html.open("section", {{"id", QStringLiteral("overview")}});
    html.element("h2", QStringLiteral("Overview"));
    html.open("table", {{"class", QStringLiteral("overview")}});
    html.open("thead");
    html.open("tr");
    for (const auto& [caption, numeric] : {std::pair{"Student file", false}, std::pair{"Assignment", false},
                                           std::pair{"Responses", true}, std::pair{"Notes", true}, std::pair{"First", false},
                                           std::pair{"Last", false}, std::pair{"Time on task", false}}) {
        html.element("th", QString::fromLatin1(caption), numeric ? HtmlWriter::Attributes{{"class", QStringLiteral("n")}} : HtmlWriter::Attributes{});
    }
    html.close();
    html.close();
    html.open("tbody");
    qint64 longest = 0;
    for (const OverviewRow& row : rows)
        longest = std::max(longest, row.secondsOnTask);
    const class_records::StudentFile* previous = nullptr;
    for (const OverviewRow& row : rows) {
        html.open("tr");
        const bool sameFile = row.file == previous;
        writeFileName(html, row.file->name, sameFile ? QStringLiteral("file later") : QStringLiteral("file"));
        previous = row.file;
        html.element("td", row.assignment.isEmpty() ? QStringLiteral("none") : row.assignment);
        html.element("td", QString::number(row.responses), {{"class", QStringLiteral("n")}});
        html.element("td", QString::number(row.notes), {{"class", QStringLiteral("n")}});
        html.element("td", row.first ? wording::stamp(*row.first) : QString(), {{"class", QStringLiteral("time")}});
        const bool sameDay = row.first && row.last && row.first->date == row.last->date;
        html.element("td", row.last ? (sameDay ? row.last->time : wording::stamp(*row.last)) : QString(),
                     {{"class", QStringLiteral("time")}});
        html.open("td", {{"class", QStringLiteral("bar")}});
        html.text(wording::duration(row.secondsOnTask));
        writeBar(html, row.secondsOnTask, longest);
        html.close();
        html.close();
    }
    html.close();
    html.close();
    html.element("p", QStringLiteral("Time on task adds up the gaps between a student's successive records that are shorter than 30 minutes."),
                 {{"class", QStringLiteral("time")}});
    html.close();
}

// One column per value of the 0 to 3 scale (when any rating is on it), then
// one per other text typed as a rating, then one for responses without.
void writeSpread(HtmlWriter& html, const Spread& spread)
{
    if (spread.responses == 0)
        return;
    struct Column {
        QString label;
        int count;
        QString colour;
    };
    std::vector<Column> columns;
    std::vector<Column> others;
    double sum = 0;
    int onScale = 0;
    for (const auto& count : spread.counts) {
        if (const auto value = scaleValue(count.rating)) {
            sum += double(*value) * count.count;
            onScale += count.count;
        } else {
            others.push_back({count.rating.isEmpty() ? QStringLiteral("empty") : count.rating.left(8), count.count,
                              QStringLiteral("#b9aecb")});
        }
    }
    if (onScale > 0) {
        for (int value = 0; value <= ratingScaleTop; ++value) {
            int count = 0;
            for (const auto& rating : spread.counts)
                count += scaleValue(rating.rating) == value ? rating.count : 0;
            columns.push_back({QString::number(value), count, ratingColours[value]});
        }
    }
    columns.insert(columns.end(), others.begin(), others.end());
    if (spread.unrated > 0)
        columns.push_back({QStringLiteral("none"), spread.unrated, QStringLiteral("#d3d8de")});
    int most = 1;
    for (const Column& column : columns)
        most = std::max(most, column.count);

    constexpr int columnWidth = 36;
    constexpr int barHeight = 34;
    constexpr int labelHeight = 15;
    const int width = int(columns.size()) * columnWidth;
    const int height = barHeight + 2 * labelHeight;
    html.open("div", {{"class", QStringLiteral("spread")}});
    html.open("svg", {{"width", QString::number(width)}, {"height", QString::number(height)},
                      {"viewBox", QStringLiteral("0 0 %1 %2").arg(width).arg(height)}, {"role", QStringLiteral("img")},
                      {"aria-label", QStringLiteral("spread of the ratings")}});
    html.shape("rect", {{"y", QString::number(labelHeight + barHeight)}, {"width", QString::number(width)},
                        {"height", QStringLiteral("1")}, {"fill", QStringLiteral("#c3cbd4")}});
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const Column& column = columns[c];
        const int x = int(c) * columnWidth;
        const int bar = barHeight * column.count / most;
        if (bar > 0) {
            html.shape("rect", {{"x", QString::number(x + 5)}, {"y", QString::number(labelHeight + barHeight - bar)},
                                {"width", QString::number(columnWidth - 10)}, {"height", QString::number(bar)},
                                {"fill", column.colour}});
        }
        const QString middle = QString::number(x + columnWidth / 2);
        html.element("text", QString::number(column.count),
                     {{"x", middle}, {"y", QString::number(labelHeight + barHeight - bar - 3)}, {"text-anchor", QStringLiteral("middle")},
                      {"font-size", QStringLiteral("11")}, {"fill", QStringLiteral("#1d2733")}});
        html.element("text", column.label,
                     {{"x", middle}, {"y", QString::number(height - 2)}, {"text-anchor", QStringLiteral("middle")},
                      {"font-size", QStringLiteral("11")}, {"fill", QStringLiteral("#5d6977")}});
    }
    html.close();

    const int rated = spread.responses - spread.unrated;
    QStringList caption;
    if (rated > 0)
        caption.append(wording::ratingKind(spread.kind) + QStringLiteral(": ")
                       + wording::count(rated, QStringLiteral("rating"), QStringLiteral("ratings")));
    if (onScale > 0)
        caption.append(QStringLiteral("mean %1 on the 0 to 3 scale").arg(number(sum / onScale)));
    if (spread.unrated > 0)
        caption.append(wording::count(spread.unrated, QStringLiteral("response"), QStringLiteral("responses"))
                       + QStringLiteral(" without a rating"));
    html.element("span", caption.join(QStringLiteral(" \u00b7 ")));
    html.close();
}

void writeRating(HtmlWriter& html, const Entry& entry)
{
    if (entry.kind == Kind::Notes) {
        html.element("span", QStringLiteral("note"), {{"class", QStringLiteral("tag")}});
        return;
    }
    if (entry.ratingKind == record_reader::RatingKind::None)
        return;
    const auto value = scaleValue(entry.rating);
    html.element("span", entry.rating.trimmed().isEmpty() ? QStringLiteral("\u2013") : entry.rating.trimmed(),
                 {{"class", value ? QStringLiteral("chip r%1").arg(*value) : QStringLiteral("chip")},
                  {"title", wording::ratingKind(entry.ratingKind)}});
}

void writeItem(HtmlWriter& html, const Item& item, int index)
{
    html.open("article", {{"class", QStringLiteral("item")}});
    html.open("h3");
    html.text(QStringLiteral("Item %1").arg(index));
    qsizetype responses = 0;
    for (const auto& answer : item.answers)
        responses += answer.entry->kind == Kind::Response ? 1 : 0;
    const qsizetype notes = qsizetype(item.answers.size()) - responses;
    QString counts = wording::count(responses, QStringLiteral("response"), QStringLiteral("responses"));
    if (notes > 0)
        counts += QStringLiteral(" \u00b7 ") + wording::count(notes, QStringLiteral("note"), QStringLiteral("notes"));
    html.element("span", counts, {{"class", QStringLiteral("count")}});
    html.close();
    if (item.text.isEmpty())
        html.element("div", QStringLiteral("Recorded before any item was shown."), {{"class", QStringLiteral("itemtext noitem")}});
    else
        html.element("div", item.text, {{"class", QStringLiteral("itemtext")}});
    writeSpread(html, class_records::spread(item));

    html.open("table", {{"class", QStringLiteral("answers")}});
    html.columns({"student", "when", "rating", "text"});
    html.open("tbody");
    for (const auto& answer : item.answers) {
        const Entry& entry = *answer.entry;
        html.open("tr");
        writeFileName(html, answer.file->name, QStringLiteral("file"));
        html.open("td", {{"class", QStringLiteral("time when")}});
        html.element("span", entry.time);
        html.element("span", entry.date, {{"class", QStringLiteral("day")}});
        html.close();
        html.open("td");
        writeRating(html, entry);
        html.close();
        html.open("td");
        html.element("div", entry.text, {{"class", QStringLiteral("response")}});
        if (entry.cutShort)
            html.element("span", QStringLiteral("cut short: the file ends or the next record begins before this one closes"),
                         {{"class", QStringLiteral("cut")}});
        html.close();
        html.close();
    }
    html.close();
    html.close();
    html.close();
}

void writeAssignment(HtmlWriter& html, const Assignment& assignment, std::size_t index)
{
    html.open("section", {{"class", QStringLiteral("assignment")}, {"id", QStringLiteral("a%1").arg(index + 1)}});
    html.open("h2");
    html.text(wording::assignmentTitle(assignment.number));
    if (!assignment.header.isEmpty())
        html.element("span", assignment.header, {{"class", QStringLiteral("sub")}});
    html.close();
    if (assignment.items.empty())
        html.element("p", QStringLiteral("Opened, with no response or note yet."), {{"class", QStringLiteral("noitem")}});
    int index1 = 0;
    for (const Item& item : assignment.items) {
        writeItem(html, item, ++index1);
        html.flush(flushSize);
    }
    html.close();
}

void writeProblems(HtmlWriter& html, const std::vector<Problem>& problems)
{
    if (problems.empty())
        return;
    html.open("section", {{"id", QStringLiteral("unreadable")}});
    html.element("h2", QStringLiteral("Unreadable input"));
    html.open("table", {{"class", QStringLiteral("fixed")}});
    html.columns({"student", "line", "text"});
    html.open("thead");
    html.open("tr");
    html.element("th", QStringLiteral("Student file"));
    html.element("th", QStringLiteral("Line"), {{"class", QStringLiteral("n")}});
    html.element("th", QStringLiteral("What"));
    html.close();
    html.close();
    html.open("tbody");
    for (const Problem& problem : problems) {
        html.open("tr");
        writeFileName(html, problem.name, QStringLiteral("file"));
        html.element("td", problem.line > 0 ? QString::number(problem.line) : QString(), {{"class", QStringLiteral("n")}});
        html.open("td");
        html.text(problem.message);
        if (!problem.excerpt.isEmpty()) {
            html.text(QStringLiteral(", starting "));
            html.element("span", problem.excerpt, {{"class", QStringLiteral("excerpt")}});
        }
        html.close();
        html.close();
    }
    html.close();
    html.close();
    html.close();
}

void writeEmptyFiles(HtmlWriter& html, const ClassRecords& records)
{
    html.open("section", {{"id", QStringLiteral("empty")}});
    html.element("h2", QStringLiteral("Files without records"));
    html.open("table", {{"class", QStringLiteral("fixed")}});
    html.columns({"student", "text"});
    html.open("tbody");
    for (const auto& file : records.files) {
        if (file.holdsRecords())
            continue;
        html.open("tr");
        writeFileName(html, file.name, QStringLiteral("file"));
        html.element("td", file.records.lineCount == 0
                               ? QStringLiteral("empty")
                               : wording::count(file.records.lineCount, QStringLiteral("line"), QStringLiteral("lines"))
                                   + QStringLiteral(", none of them a record"));
        html.close();
    }
    html.close();
    html.close();
    html.close();
}

}  // namespace

bool write(const ClassRecords& records, const Details& details, QIODevice& out)
{
    const QString course = courseOf(records);
    const QString title = course.isEmpty() ? QStringLiteral("Record report") : QStringLiteral("Record report \u2014 ") + course;
    const auto assignments = class_records::byAssignment(records);
    const auto problems = class_records::problems(records);
    const qsizetype emptyFiles = std::count_if(records.files.begin(), records.files.end(),
                                               [](const auto& file) { return !file.holdsRecords(); });

    HtmlWriter html(out);
    html.doctype();
    html.open("html", {{"lang", QStringLiteral("en")}});
    writeHead(html, title);
    html.open("body");
    html.open("main");
    writeTop(html, records, title, assignments, problems, emptyFiles);
    writeOverview(html, class_records::overview(records));
    html.flush(flushSize);
    for (std::size_t a = 0; a < assignments.size(); ++a)
        writeAssignment(html, assignments[a], a);
    writeProblems(html, problems);
    if (emptyFiles > 0)
        writeEmptyFiles(html, records);
    html.element("footer", QStringLiteral("Made by physics-drill-report %1 from %2. No scripts, nothing fetched: this page is the whole report.")
                               .arg(details.programVersion,
                                    wording::count(qsizetype(records.files.size()), QStringLiteral("file"), QStringLiteral("files"))));
    html.close();
    html.close();
    html.close();
    return html.flush();
}

}  // namespace page
