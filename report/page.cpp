#include "report/page.h"

#include "report/wording.h"

#include <QHash>
#include <QXmlStreamWriter>

#include <algorithm>
#include <initializer_list>
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

// Written as the text of the style element, where the writer's escapes would
// not be undone: so no angle brackets, ampersands or quotes in here.
constexpr char styleSheet[] = R"(
:root { --ink: #1d2733; --muted: #5d6977; --rule: #d8dee5; --soft: #f4f6f9; --accent: #2f5d8a;
  --r0: #dde7f1; --r1: #a9c3dc; --r2: #5f8fbf; --r3: #24507c; }
* { box-sizing: border-box; }
body { margin: 0; color: var(--ink); background: #fff; font: 15px/1.45 Liberation Sans, Arial, Helvetica, sans-serif; }
main { max-width: 74rem; margin: 0 auto; padding: 2rem 2.5rem 3rem; }
header.top { border-bottom: 3px solid var(--accent); padding-bottom: .7rem; margin-bottom: 1rem; }
h1 { font-size: 1.8rem; margin: 0 0 .25rem; }
.lede { margin: 0; color: var(--muted); font-size: 1.05rem; }
.lede b { color: var(--ink); }
.notice { background: #fff5e6; border-left: 4px solid #d9822b; padding: .55rem .9rem; margin: 1rem 0; }
nav.contents { font-size: .9rem; margin: .8rem 0 0; }
nav.contents a { color: var(--accent); text-decoration: none; margin-right: 1.2rem; white-space: nowrap; }
h2 { font-size: 1.35rem; margin: 2.2rem 0 .7rem; padding-bottom: .25rem; border-bottom: 1px solid var(--rule); }
h2 .sub { font-weight: normal; color: var(--muted); font-size: .95rem; margin-left: .6rem; white-space: pre-wrap; }
table { border-collapse: collapse; width: 100%; }
th { text-align: left; font-size: .75rem; text-transform: uppercase; letter-spacing: .05em; color: var(--muted);
  font-weight: bold; border-bottom: 2px solid var(--rule); padding: .35rem .55rem; }
td { border-bottom: 1px solid var(--rule); padding: .4rem .55rem; vertical-align: top; }
td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }
.file { font-family: Liberation Mono, DejaVu Sans Mono, monospace; font-size: .82rem; white-space: nowrap; }
.time { white-space: nowrap; font-variant-numeric: tabular-nums; color: var(--muted); font-size: .85rem; }
.later { color: var(--rule); }
td.bar { width: 12rem; }
td.bar svg { display: block; margin-top: .25rem; width: 100%; height: 10px; }
.item { margin: 1.4rem 0 2rem; }
.item h3 { font-size: 1.02rem; margin: 0 0 .4rem; }
.item h3 .count { font-weight: normal; color: var(--muted); font-size: .9rem; margin-left: .6rem; }
.itemtext { white-space: pre-wrap; overflow-wrap: anywhere; background: var(--soft); border: 1px solid var(--rule);
  border-radius: 4px; padding: .55rem .8rem; font-size: .88rem; max-height: 12rem; overflow: auto; margin: 0 0 .6rem; }
.noitem { color: var(--muted); font-style: italic; }
.spread { display: flex; align-items: flex-end; gap: 1rem; margin: .3rem 0 .4rem; color: var(--muted); font-size: .85rem; }
.spread span { padding-bottom: .9rem; }
.spread svg { display: block; }
.response { white-space: pre-wrap; overflow-wrap: anywhere; }
table.answers, table.fixed { table-layout: fixed; }
col.student { width: 13rem; }
col.when { width: 7rem; }
col.rating { width: 4.5rem; }
.when span { display: block; }
.when .day { font-size: .78rem; }
col.line { width: 5rem; }
table.answers .file, table.fixed .file { white-space: normal; overflow-wrap: break-word; }
.chip { display: inline-block; min-width: 1.9em; text-align: center; border-radius: 1em; padding: 0 .5em; font-weight: bold;
  font-size: .85rem; background: #eceff3; border: 1px solid #c7cfd8; -webkit-print-color-adjust: exact; print-color-adjust: exact; }
.chip.r0 { background: var(--r0); border-color: var(--r0); }
.chip.r1 { background: var(--r1); border-color: var(--r1); }
.chip.r2 { background: var(--r2); border-color: var(--r2); color: #fff; }
.chip.r3 { background: var(--r3); border-color: var(--r3); color: #fff; }
.tag { font-size: .7rem; text-transform: uppercase; letter-spacing: .06em; color: #6b4c8a; border: 1px solid #b9a5cf;
  border-radius: 3px; padding: 0 .35em; }
.cut { display: block; color: #a04d00; font-size: .8rem; font-style: italic; margin-top: .2rem; }
.excerpt { font-family: Liberation Mono, DejaVu Sans Mono, monospace; font-size: .8rem; background: var(--soft);
  white-space: pre-wrap; overflow-wrap: anywhere; }
footer { margin-top: 3rem; color: var(--muted); font-size: .8rem; border-top: 1px solid var(--rule); padding-top: .6rem; }
@page { margin: 14mm 12mm; }
@media print {
  body { font-size: 10pt; }
  main { max-width: none; padding: 0; }
  nav.contents { display: none; }
  section.assignment { break-before: page; }
  tr, .spread { break-inside: avoid; }
  .item h3, .itemtext, .spread { break-after: avoid; }
  .itemtext { max-height: none; overflow: visible; }
  col.student { width: 9.5rem; }
  col.rating { width: 3.5rem; }
  td.bar { width: 8rem; }
  a { color: inherit; text-decoration: none; }
}
)";

constexpr int ratingScaleTop = 3;
const QString ratingColours[] = {QStringLiteral("#dde7f1"), QStringLiteral("#a9c3dc"), QStringLiteral("#5f8fbf"),
                                 QStringLiteral("#24507c")};

using Attributes = std::initializer_list<std::pair<const char*, QString>>;

// Markup through QXmlStreamWriter, which escapes every text and attribute.
// Every element gets content, even if empty, so none is written as "<x/>",
// which HTML does not close.
class Html {
public:
    explicit Html(QIODevice& out) : out_(out), xml_(&buffer_) {}

    void open(const char* tag, Attributes attributes = {})
    {
        xml_.writeStartElement(QLatin1String(tag));
        for (const auto& [name, value] : attributes)
            xml_.writeAttribute(QLatin1String(name), displayable(value));
        xml_.writeCharacters(QString());
    }
    void close() { xml_.writeEndElement(); }
    // Column widths, from the style sheet, that every table of a kind shares.
    void columns(std::initializer_list<const char*> classes)
    {
        open("colgroup");
        for (const char* name : classes)
            shape("col", {{"class", QLatin1String(name)}});
        close();
    }
    void text(const QString& text) { xml_.writeCharacters(displayable(text)); }
    void element(const char* tag, const QString& content, Attributes attributes = {})
    {
        open(tag, attributes);
        text(content);
        close();
    }
    // SVG shapes, which may close themselves.
    void shape(const char* tag, Attributes attributes)
    {
        xml_.writeEmptyElement(QLatin1String(tag));
        for (const auto& [name, value] : attributes)
            xml_.writeAttribute(QLatin1String(name), value);
    }
    QXmlStreamWriter& xml() { return xml_; }

    // The markup gathers in memory and goes to the device in large pieces.
    bool flush(qsizetype atLeast = 0)
    {
        if (buffer_.size() < atLeast)
            return true;
        const QByteArray bytes = buffer_.toUtf8();
        buffer_.clear();
        ok_ = ok_ && out_.write(bytes) == bytes.size();
        return ok_;
    }

private:
    QIODevice& out_;
    QString buffer_;
    QXmlStreamWriter xml_;
    bool ok_ = true;
};

constexpr qsizetype flushSize = 1 << 20;

// A student's file name, which may break after each folder.
void writeFileName(Html& html, const QString& name, const QString& classes)
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

QString courseOf(const ClassRecords& records)
{
    QHash<QString, int> counts;
    QString most;
    for (const auto& file : records.files) {
        for (const auto& opening : file.records.openings) {
            const int count = ++counts[opening.courseName];
            if (count > counts.value(most) && !opening.courseName.isEmpty())
                most = opening.courseName;
        }
    }
    return most;
}

void writeHead(Html& html, const QString& title)
{
    html.open("head");
    html.shape("meta", {{"charset", QStringLiteral("utf-8")}});
    html.shape("meta", {{"name", QStringLiteral("viewport")}, {"content", QStringLiteral("width=device-width, initial-scale=1")}});
    html.element("title", title);
    html.open("style");
    html.xml().writeCharacters(QString::fromLatin1(styleSheet));
    html.close();
    html.close();
}

void writeTop(Html& html, const ClassRecords& records, const QString& title,
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

void writeBar(Html& html, qint64 seconds, qint64 longest)
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

void writeOverview(Html& html, const std::vector<OverviewRow>& rows)
{
    html.open("section", {{"id", QStringLiteral("overview")}});
    html.element("h2", QStringLiteral("Overview"));
    html.open("table", {{"class", QStringLiteral("overview")}});
    html.open("thead");
    html.open("tr");
    for (const auto& [caption, numeric] : {std::pair{"Student file", false}, std::pair{"Assignment", false},
                                           std::pair{"Responses", true}, std::pair{"Notes", true}, std::pair{"First", false},
                                           std::pair{"Last", false}, std::pair{"Time on task", false}}) {
        html.element("th", QString::fromLatin1(caption), numeric ? Attributes{{"class", QStringLiteral("n")}} : Attributes{});
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
void writeSpread(Html& html, const Spread& spread)
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

void writeRating(Html& html, const Entry& entry)
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

void writeItem(Html& html, const Item& item, int index)
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

void writeAssignment(Html& html, const Assignment& assignment, std::size_t index)
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

void writeProblems(Html& html, const std::vector<Problem>& problems)
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

void writeEmptyFiles(Html& html, const ClassRecords& records)
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

QString displayable(const QString& text)
{
    const auto needsChange = [](ushort u) {
        return (u < 0x20 && u != u'\n' && u != u'\t') || u == 0x7f || u >= 0xfffe;
    };
    const ushort* const begin = text.utf16();
    if (std::none_of(begin, begin + text.size(), needsChange))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            shown += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == 0x7f) {
            shown += QChar(0x2421);
        } else if (c < 0x20 && c != u'\n' && c != u'\t') {
            shown += QChar(char16_t(0x2400 + c));
        } else if (c == 0xfffe || c == 0xffff) {
            shown += QChar(0xfffd);
        } else {
            shown += QChar(c);
        }
    }
    return shown;
}

bool write(const ClassRecords& records, const Details& details, QIODevice& out)
{
    const QString course = courseOf(records);
    const QString title = course.isEmpty() ? QStringLiteral("Record report") : QStringLiteral("Record report \u2014 ") + course;
    const auto assignments = class_records::byAssignment(records);
    const auto problems = class_records::problems(records);
    const qsizetype emptyFiles = std::count_if(records.files.begin(), records.files.end(),
                                               [](const auto& file) { return !file.holdsRecords(); });

    Html html(out);
    html.xml().writeDTD(QStringLiteral("<!DOCTYPE html>"));
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
