#include "report/assignment_page.h"

#include "bank/reader_rules.h"
#include "report/wording.h"

#include <algorithm>

namespace assignment_page {
namespace {

using class_model::Assignment;
using class_model::ClassModel;
using class_model::Item;
using ratings::Spread;
using record_reader::Entry;
using record_reader::Kind;

constexpr qsizetype flushSize = 1 << 20;
const QString ratingColours[] = {QStringLiteral("#dde7f1"), QStringLiteral("#a9c3dc"), QStringLiteral("#5f8fbf"),
                                 QStringLiteral("#24507c")};
// A response longer than this folds away behind its first lines.
constexpr qsizetype foldLines = 12;
constexpr qsizetype foldCharacters = 1500;
constexpr qsizetype previewLines = 3;

QString number(double value)
{
    return QString::number(value, 'f', 1);
}

void writeTop(HtmlWriter& html, const ClassModel& model, std::size_t index, const page_links::Layout& layout)
{
    const Assignment& assignment = model.assignments[index];
    html.open("header", {{"class", QStringLiteral("top")}});
    html.open("nav", {{"class", QStringLiteral("contents")}});
    html.element("a", QStringLiteral("\u2190 Class overview"), {{"href", layout.toPage()}});
    for (std::size_t a = 0; a < model.assignments.size(); ++a) {
        if (a == index)
            html.element("span", wording::assignmentTitle(model.assignments[a].number), {{"class", QStringLiteral("here")}});
        else
            html.element("a", wording::assignmentTitle(model.assignments[a].number), {{"href", page_links::assignmentFileName(a)}});
    }
    html.close();
    html.open("h1");
    html.text(wording::assignmentTitle(assignment.number));
    if (!assignment.header.isEmpty())
        html.element("span", assignment.header, {{"class", QStringLiteral("sub")}});
    html.close();
    html.element("p", QStringList{wording::count(qsizetype(assignment.rows.size()), QStringLiteral("student"), QStringLiteral("students")),
                                  wording::count(qsizetype(assignment.items.size()), QStringLiteral("item"), QStringLiteral("items")),
                                  wording::count(assignment.responses, QStringLiteral("response"), QStringLiteral("responses")),
                                  wording::count(assignment.notes, QStringLiteral("note"), QStringLiteral("notes")),
                                  model.course}
                          .join(QStringLiteral(" \u00b7 ")),
                 {{"class", QStringLiteral("lede")}});
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
        if (const auto value = ratings::scaleValue(count.rating)) {
            sum += double(*value) * count.count;
            onScale += count.count;
        } else {
            others.push_back({count.rating.isEmpty() ? QStringLiteral("empty") : count.rating.left(8), count.count,
                              QStringLiteral("#b9aecb")});
        }
    }
    if (onScale > 0) {
        for (int value = 0; value <= ratings::scaleTop; ++value) {
            int count = 0;
            for (const auto& rating : spread.counts)
                count += ratings::scaleValue(rating.rating) == value ? rating.count : 0;
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

// What was typed; "(empty)" for nothing, and a long text folded behind its
// first lines, to be opened without a script.
void writeText(HtmlWriter& html, const QString& text)
{
    if (text.isEmpty()) {
        html.element("div", QStringLiteral("(empty)"), {{"class", QStringLiteral("response noitem")}});
        return;
    }
    const qsizetype lines = text.count(u'\n') + 1;
    if (lines <= foldLines && text.size() <= foldCharacters) {
        html.element("div", text, {{"class", QStringLiteral("response")}});
        return;
    }
    QString preview = text.section(u'\n', 0, previewLines - 1);
    if (preview.size() > foldCharacters / 4)
        preview = preview.left(foldCharacters / 4);
    html.open("details", {{"class", QStringLiteral("long")}});
    html.open("summary");
    html.element("span", preview.trimmed() + u'\u2026', {{"class", QStringLiteral("response")}});
    html.element("span", QStringLiteral(" show all %1, %2 characters").arg(wording::count(lines, QStringLiteral("line"), QStringLiteral("lines")))
                              .arg(text.size()),
                 {{"class", QStringLiteral("more")}});
    html.close();
    html.element("div", text, {{"class", QStringLiteral("response")}});
    html.close();
}

void writeItem(HtmlWriter& html, const ClassModel& model, const Item& item, std::size_t index)
{
    html.open("article", {{"class", QStringLiteral("item")}, {"id", QStringLiteral("i%1").arg(index + 1)}});
    html.open("h3");
    html.text(QStringLiteral("Item %1").arg(index + 1));
    QString counts = wording::count(item.responses, QStringLiteral("response"), QStringLiteral("responses"));
    if (item.notes > 0)
        counts += QStringLiteral(" \u00b7 ") + wording::count(item.notes, QStringLiteral("note"), QStringLiteral("notes"));
    if (item.pairs > 0)
        counts += QStringLiteral(" \u00b7 confident yet needing critique: ") + page_parts::share(item.confidentCritiqued, item.pairs);
    html.element("span", counts, {{"class", QStringLiteral("count")}});
    html.close();
    if (item.text.isEmpty())
        html.element("div", QStringLiteral("Recorded before any item was shown."), {{"class", QStringLiteral("itemtext noitem")}});
    else
        html.element("div", reader_rules::expandLineBreaks(item.text), {{"class", QStringLiteral("itemtext")}});
    writeSpread(html, item.spread);

    html.open("table", {{"class", QStringLiteral("answers")}});
    html.columns({"student", "when", "rating", "text"});
    html.open("tbody");
    for (const auto& answer : item.answers) {
        const Entry& entry = *answer.record->entry;
        html.open("tr", {{"id", QStringLiteral("r%1").arg(answer.anchor)}});
        html.open("td", {{"class", QStringLiteral("who")}});
        page_parts::writeName(html, model.students[answer.student].name);
        html.close();
        html.open("td", {{"class", QStringLiteral("time when")}});
        html.element("span", entry.time);
        html.element("span", entry.date, {{"class", QStringLiteral("day")}});
        html.close();
        html.open("td", {{"class", QStringLiteral("rating")}});
        if (entry.kind == Kind::Notes)
            html.element("span", QStringLiteral("note"), {{"class", QStringLiteral("tag")}});
        else if (entry.ratingKind != record_reader::RatingKind::None)
            html.element("span", entry.rating.trimmed().isEmpty() ? QStringLiteral("\u2013") : entry.rating.trimmed(),
                         {{"class", ratings::scaleValue(entry.rating) ? QStringLiteral("chip r%1").arg(*ratings::scaleValue(entry.rating))
                                                                      : QStringLiteral("chip other")},
                          {"title", wording::ratingKind(entry.ratingKind)}});
        html.close();
        html.open("td");
        writeText(html, entry.text);
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

void writeStudents(HtmlWriter& html, const ClassModel& model, const Assignment& assignment)
{
    std::vector<page_parts::OverviewLine> lines;
    for (const auto& row : assignment.rows) {
        lines.push_back({model.students[row.student].name, assignment.number, row.responses, row.notes, row.first, row.last,
                         row.secondsOnTask, row.shares});
    }
    html.element("h3", QStringLiteral("Students"));
    page_parts::writeOverview(html, lines, false);
}

}  // namespace

bool write(const ClassModel& model, std::size_t index, const page_parts::Details& details, const page_links::Layout& layout,
           QIODevice& out)
{
    const Assignment& assignment = model.assignments[index];
    HtmlWriter html(out);
    html.doctype();
    html.open("html", {{"lang", QStringLiteral("en")}});
    page_parts::writeHead(html, wording::assignmentTitle(assignment.number) + QStringLiteral(" \u2014 ") + page_parts::title(model));
    html.open("body");
    html.open("main");
    writeTop(html, model, index, layout);
    page_parts::writeGrid(html, model, assignment);
    page_parts::writeCalibration(html, assignment, QString());
    writeStudents(html, model, assignment);
    html.flush(flushSize);
    for (std::size_t i = 0; i < assignment.items.size(); ++i) {
        writeItem(html, model, assignment.items[i], i);
        html.flush(flushSize);
    }
    page_parts::writeFooter(html, model, details);
    html.close();
    html.close();
    html.close();
    return html.flush();
}

}  // namespace assignment_page
