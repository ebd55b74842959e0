#include "report/class_records.h"

#include "platform/text_rules.h"

#include <QDate>
#include <QHash>
#include <QTime>

#include <algorithm>
#include <thread>

namespace class_records {

using record_reader::Entry;
using record_reader::Kind;
using record_reader::RatingKind;

namespace {

constexpr qint64 day = 24 * 3600;

// Numbers first, in order of value, then other texts; empty last.
bool assignmentBefore(const QString& a, const QString& b)
{
    if (a.isEmpty() != b.isEmpty())
        return b.isEmpty();
    const double x = text_rules::leadingNumber(a);
    const double y = text_rules::leadingNumber(b);
    return x != y ? x < y : a < b;
}

bool ratingBefore(const RatingCount& a, const RatingCount& b)
{
    bool aIsNumber = false;
    bool bIsNumber = false;
    const double x = a.rating.toDouble(&aIsNumber);
    const double y = b.rating.toDouble(&bIsNumber);
    if (aIsNumber != bIsNumber)
        return aIsNumber;
    if (aIsNumber && x != y)
        return x < y;
    return a.rating < b.rating;
}

}  // namespace

ClassRecords read(const inputs::Found& found)
{
    // The files are read on as many threads as there are cores, each taking
    // every n-th file, into places kept in the order of the names.
    const std::size_t count = found.files.size();
    std::vector<inputs::Contents> failures(count);
    std::vector<std::optional<StudentFile>> read(count);
    const auto readEvery = [&](std::size_t first, std::size_t step) {
        for (std::size_t i = first; i < count; i += step) {
            const inputs::File& file = found.files[i];
            inputs::Contents contents = inputs::read(file.path);
            if (contents.failure)
                failures[i] = std::move(contents);
            else
                read[i] = StudentFile{file.name, file.path, record_reader::read(contents.bytes)};
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(readEvery, t, threads);
    readEvery(0, threads);
    for (std::thread& helper : helpers)
        helper.join();

    ClassRecords records;
    records.unread = found.unread;
    for (std::size_t i = 0; i < count; ++i) {
        if (!read[i]) {
            records.unread.push_back({found.files[i].path, found.files[i].name, *failures[i].failure});
            continue;
        }
        for (const Entry& entry : read[i]->records.entries)
            ++(entry.kind == Kind::Response ? records.responses : records.notes);
        records.files.push_back(std::move(*read[i]));
    }
    std::stable_sort(records.unread.begin(), records.unread.end(),
                     [](const inputs::Unread& a, const inputs::Unread& b) { return a.name < b.name; });
    return records;
}

std::optional<qint64> stampSeconds(const QString& date, const QString& time)
{
    // Parsed by hand: the date-time parser costs more than all the rest of
    // a report.
    const auto field = [](const QString& text, qsizetype at, qsizetype length) {
        int value = 0;
        for (qsizetype i = at; i < at + length; ++i) {
            if (i >= text.size() || !text[i].isDigit() || text[i].unicode() > u'9')
                return -1;
            value = value * 10 + (text[i].unicode() - u'0');
        }
        return value;
    };
    const bool timeShape = time.size() == 8 && time[2] == u':' && time[5] == u':';
    const QTime clock = timeShape ? QTime(field(time, 0, 2), field(time, 3, 2), field(time, 6, 2)) : QTime();
    if (!clock.isValid())
        return std::nullopt;
    const bool dateShape = date.size() == 10 && date[2] == u'-' && date[5] == u'-';
    const QDate calendar = dateShape ? QDate(field(date, 6, 4), field(date, 0, 2), field(date, 3, 2)) : QDate();
    const qint64 days = calendar.isValid() ? calendar.toJulianDay() : 0;
    return days * day + clock.msecsSinceStartOfDay() / 1000;
}

qint64 timeOnTask(const std::vector<qint64>& stamps)
{
    qint64 total = 0;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        qint64 gap = stamps[i] - stamps[i - 1];
        if (gap < 0 && gap + day < taskGapSeconds)
            gap += day;
        if (gap >= 0 && gap < taskGapSeconds)
            total += gap;
    }
    return total;
}

std::vector<OverviewRow> overview(const ClassRecords& records)
{
    std::vector<OverviewRow> rows;
    for (const StudentFile& file : records.files) {
        const std::size_t firstRow = rows.size();
        QHash<QString, std::size_t> rowOf;
        std::vector<std::vector<qint64>> stamps;
        const auto rowFor = [&](const QString& assignment) {
            const auto found = rowOf.constFind(assignment);
            if (found != rowOf.constEnd())
                return *found;
            rowOf.insert(assignment, rows.size());
            rows.push_back({&file, assignment});
            stamps.emplace_back();
            return rows.size() - 1;
        };
        // Openings and entries in file order, so the rows come in the order
        // in which the file first names their assignments.
        auto opening = file.records.openings.begin();
        const auto openingsEnd = file.records.openings.end();
        for (const Entry& entry : file.records.entries) {
            for (; opening != openingsEnd && opening->line < entry.line; ++opening)
                rowFor(opening->assignmentNumber);
            const std::size_t r = rowFor(entry.assignmentNumber);
            OverviewRow& row = rows[r];
            ++(entry.kind == Kind::Response ? row.responses : row.notes);
            if (!row.first)
                row.first = &entry;
            row.last = &entry;
            if (const auto seconds = stampSeconds(entry.date, entry.time))
                stamps[r - firstRow].push_back(*seconds);
        }
        for (; opening != openingsEnd; ++opening)
            rowFor(opening->assignmentNumber);
        for (std::size_t r = firstRow; r < rows.size(); ++r)
            rows[r].secondsOnTask = timeOnTask(stamps[r - firstRow]);
    }
    return rows;
}

std::vector<Assignment> byAssignment(const ClassRecords& records)
{
    std::vector<Assignment> assignments;
    QHash<QString, std::size_t> assignmentOf;
    std::vector<QHash<QString, std::size_t>> itemOf;
    const auto assignmentFor = [&](const QString& number) -> std::size_t {
        const auto found = assignmentOf.constFind(number);
        if (found != assignmentOf.constEnd())
            return *found;
        assignmentOf.insert(number, assignments.size());
        assignments.push_back({number, QString(), {}});
        itemOf.emplace_back();
        return assignments.size() - 1;
    };
    for (const StudentFile& file : records.files) {
        for (const auto& opening : file.records.openings) {
            Assignment& assignment = assignments[assignmentFor(opening.assignmentNumber)];
            if (assignment.header.isEmpty())
                assignment.header = opening.headerLine;
        }
        for (const Entry& entry : file.records.entries) {
            const std::size_t a = assignmentFor(entry.assignmentNumber);
            auto& items = assignments[a].items;
            const auto found = itemOf[a].constFind(entry.item);
            std::size_t i = found != itemOf[a].constEnd() ? *found : items.size();
            if (i == items.size()) {
                itemOf[a].insert(entry.item, i);
                items.push_back({entry.item, {}});
            }
            items[i].answers.push_back({&file, &entry});
        }
    }
    std::stable_sort(assignments.begin(), assignments.end(),
                     [](const Assignment& a, const Assignment& b) { return assignmentBefore(a.number, b.number); });
    return assignments;
}

Spread spread(const Item& item)
{
    Spread spread;
    QHash<QString, std::size_t> countOf;
    bool kindSeen = false;
    bool mixed = false;
    for (const Answer& answer : item.answers) {
        const Entry& entry = *answer.entry;
        if (entry.kind != Kind::Response)
            continue;
        ++spread.responses;
        if (entry.ratingKind == RatingKind::None) {
            ++spread.unrated;
            continue;
        }
        mixed = mixed || (kindSeen && spread.kind != entry.ratingKind);
        spread.kind = entry.ratingKind;
        kindSeen = true;
        const QString rating = entry.rating.trimmed();
        const auto found = countOf.constFind(rating);
        if (found == countOf.constEnd()) {
            countOf.insert(rating, spread.counts.size());
            spread.counts.push_back({rating, 1});
        } else {
            ++spread.counts[*found].count;
        }
    }
    if (mixed)
        spread.kind = RatingKind::None;
    std::stable_sort(spread.counts.begin(), spread.counts.end(), ratingBefore);
    return spread;
}

std::vector<Problem> problems(const ClassRecords& records)
{
    std::vector<Problem> found;
    for (const inputs::Unread& unread : records.unread)
        found.push_back({unread.name, unread.path, 0, QStringLiteral("cannot be read: %1").arg(unread.reason), QString()});
    for (const StudentFile& file : records.files) {
        std::vector<Problem> inFile;
        for (const auto& stretch : file.records.unreadable) {
            const QString message = stretch.firstLine == stretch.lastLine
                ? QStringLiteral("line %1 belongs to no record").arg(stretch.firstLine)
                : QStringLiteral("lines %1 to %2 belong to no record").arg(stretch.firstLine).arg(stretch.lastLine);
            inFile.push_back({file.name, file.path, stretch.firstLine, message, stretch.excerpt});
        }
        for (const auto& opening : file.records.openings) {
            if (opening.cutShort)
                inFile.push_back({file.name, file.path, opening.line, QStringLiteral("the assignment opening here is cut short"), QString()});
        }
        for (const Entry& entry : file.records.entries) {
            if (entry.cutShort) {
                const QString what = entry.kind == Kind::Response ? QStringLiteral("response") : QStringLiteral("note");
                inFile.push_back({file.name, file.path, entry.line,
                                  QStringLiteral("the %1 here is cut short: its closing rule is missing").arg(what), QString()});
            }
        }
        std::stable_sort(inFile.begin(), inFile.end(), [](const Problem& a, const Problem& b) { return a.line < b.line; });
        found.insert(found.end(), inFile.begin(), inFile.end());
    }
    std::stable_sort(found.begin(), found.end(), [](const Problem& a, const Problem& b) { return a.name < b.name; });
    return found;
}

}  // namespace class_records
