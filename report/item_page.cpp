#include "report/item_page.h"

#include "bank/reader_rules.h"
#include "report/wording.h"

#include <algorithm>

namespace item_page {
namespace {

using class_model::Answer;
using class_model::Assignment;
using class_model::ClassModel;
using class_model::Item;
using ratings::Spread;
using record_reader::Entry;
using record_reader::Kind;
using record_reader::RatingKind;

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

void writeTop(HtmlWriter& html, const ClassModel& model, std::size_t index, std::size_t itemIndex, const page_links::Layout& layout)
{
    const Assignment& assignment = model.assignments[index];
    const Item& item = assignment.items[itemIndex];
    html.open("header", {{"class", QStringLiteral("top")}});
    page_parts::writeFolderNav(html, model, layout, QString());
    html.open("h1");
    html.element("a", wording::assignmentTitle(assignment.number), {{"href", page_links::assignmentFileName(index)}});
    html.text(QStringLiteral(" \u00b7 Item %1 of %2").arg(itemIndex + 1).arg(assignment.items.size()));
    html.close();
    QStringList counts{wording::count(item.responses, QStringLiteral("response"), QStringLiteral("responses"))};
    if (item.notes > 0)
        counts.append(wording::count(item.notes, QStringLiteral("note"), QStringLiteral("notes")));
    if (item.pairs > 0)
        counts.append(QStringLiteral("confident yet needing critique: ") + page_parts::share(item.confidentCritiqued, item.pairs));
    html.open("p", {{"class", QStringLiteral("lede")}});
    html.text(counts.join(QStringLiteral(" \u00b7 ")));
    if (itemIndex > 0)
        html.element("a", QStringLiteral("\u2190 Item %1").arg(itemIndex), {{"href", page_links::itemFileName(index, itemIndex - 1)}, {"class", QStringLiteral("step")}});
    if (itemIndex + 1 < assignment.items.size())
        html.element("a", QStringLiteral("Item %1 \u2192").arg(itemIndex + 2), {{"href", page_links::itemFileName(index, itemIndex + 1)}, {"class", QStringLiteral("step")}});
    html.close();
    html.close();
}

void writeRating(HtmlWriter& html, const Entry& entry)
{
    if (entry.kind == Kind::Notes) {
        html.element("span", QStringLiteral("note"), {{"class", QStringLiteral("tag")}});
        return;
    }
    if (entry.ratingKind == RatingKind::None)
        return;
    const QString rating = entry.rating.trimmed();
    const auto value = ratings::scaleValue(entry.rating);
    html.element("span", rating.isEmpty() ? QStringLiteral("\u2013") : rating,
                 {{"class", value ? QStringLiteral("chip r%1").arg(*value) : QStringLiteral("chip other")}
                  , {"title", wording::ratingKind(entry.ratingKind)}});
}

// The other half of a confidence and its self critique, in the same row:
// its rating, its text, and a link to its own row.
void writePartner(HtmlWriter& html, const Assignment& assignment, std::size_t index, const Answer& answer)
{
    if (!answer.partner)
        return;
    const Answer& other = assignment.items[answer.partner->item].answers[answer.partner->answer];
    const Entry& entry = *other.record->entry;
    const bool critique = entry.ratingKind == RatingKind::SelfCritique;
    html.open("div", {{"class", QStringLiteral("partner")}});
    html.element("a", critique ? QStringLiteral("Self critique, item %1:").arg(answer.partner->item + 1)
                               : QStringLiteral("Confidence before, item %1:").arg(answer.partner->item + 1),
                 {{"href", QStringLiteral("%1#r%2").arg(page_links::itemFileName(index, answer.partner->item)).arg(other.anchor)}});
    html.text(QStringLiteral(" "));
    writeRating(html, entry);
    if (critique)
        writeText(html, entry.text);
    html.close();
}

void writeAnswers(HtmlWriter& html, const ClassModel& model, std::size_t index, const Item& item)
{
    const Assignment& assignment = model.assignments[index];
    html.open("div", {{"class", QStringLiteral("part")}});
    html.open("table", {{"class", QStringLiteral("answers")}});
    html.columns({"student", "when", "text", "rating", "pair"});
    page_parts::writeHeadings(html, {{"Student", false}, {"When", false}, {"Response or note", false}, {"Rating", false},
                                     {"Paired with", false}});
    html.open("tbody");
    for (std::size_t a = 0; a < item.answers.size(); ++a) {
        const Answer& answer = item.answers[a];
        if (a > 0 && a % page_parts::rowsPerPart == 0)
            page_parts::startPart(html, "answers", {"student", "when", "text", "rating", "pair"});
        const Entry& entry = *answer.record->entry;
        html.open("tr", {{"id", QStringLiteral("r%1").arg(answer.anchor)}});
        html.open("td", {{"class", QStringLiteral("who")}});
        page_parts::writeName(html, model.students[answer.student].name);
        html.close();
        html.open("td", {{"class", QStringLiteral("time when")}});
        html.element("span", entry.time);
        html.element("span", answer.record->date, {{"class", QStringLiteral("day")}});
        html.close();
        html.open("td");
        writeText(html, entry.text);
        if (entry.cutShort)
            html.element("span", QStringLiteral("cut short: the file ends or the next record begins before this one closes"),
                         {{"class", QStringLiteral("cut")}});
        html.close();
        html.open("td", {{"class", QStringLiteral("rating")}});
        writeRating(html, entry);
        html.close();
        html.open("td");
        writePartner(html, assignment, index, answer);
        html.close();
        html.close();
        html.flush(page_parts::flushSize);
    }
    html.close();
    html.close();
    html.close();
}

}  // namespace

bool write(const ClassModel& model, std::size_t index, std::size_t itemIndex, const page_parts::Details& details,
           const page_links::Layout& layout, QIODevice& out)
{
    const Assignment& assignment = model.assignments[index];
    const Item& item = assignment.items[itemIndex];
    const QString title = QStringLiteral("Item %1 \u2014 %2 \u2014 %3")
                              .arg(itemIndex + 1)
                              .arg(wording::assignmentTitle(assignment.number), page_parts::title(model));
    return page_parts::writePage(out, title, model, details, [&](HtmlWriter& html) {
        writeTop(html, model, index, itemIndex, layout);
        if (item.text.isEmpty())
            html.element("div", QStringLiteral("Recorded before any item was shown."), {{"class", QStringLiteral("itemtext noitem")}});
        else
            html.element("div", reader_rules::expandLineBreaks(item.text), {{"class", QStringLiteral("itemtext")}});
        writeSpread(html, item.spread);
        writeAnswers(html, model, index, item);
        html.element("p", QStringLiteral("Each self critique is paired with the confidence rating before it in the same run of the program "
                                         "(from one opening of an assignment to the next): a question's row shows the self critique that "
                                         "followed it, an answer's row the confidence that came before."),
                     {{"class", QStringLiteral("explain")}});
    });
}

}  // namespace item_page
