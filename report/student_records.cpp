#include "report/student_records.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <limits>
#include <tuple>

namespace student_records {

using record_reader::Entry;
using record_reader::Kind;

namespace {

constexpr qint64 day = 24 * 3600;

bool closeInTime(const Entry& a, std::optional<qint64> aStamp, const Entry& b, std::optional<qint64> bStamp)
{
    if (!aStamp || !bStamp)
        return aStamp == bStamp;
    if (!a.date.isEmpty() && !b.date.isEmpty())
        return std::abs(*aStamp - *bStamp) <= copySeconds;
    const qint64 apart = std::abs(*aStamp % day - *bStamp % day);
    return std::min(apart, day - apart) <= copySeconds;
}

// The texts and ratings agree; a copy cut short agrees with a whole one
// that begins with what it holds.
bool sameContent(const Entry& a, const Entry& b)
{
    if (a.text == b.text && a.ratingKind == b.ratingKind && a.rating == b.rating)
        return true;
    const auto cutOf = [](const Entry& cut, const Entry& whole) {
        return cut.cutShort && whole.text.startsWith(cut.text)
            && (cut.ratingKind == record_reader::RatingKind::None || (cut.ratingKind == whole.ratingKind && cut.rating == whole.rating));
    };
    return cutOf(a, b) || cutOf(b, a);
}

// A record's place in the merged order: the records of the first file in
// their order, and a record that only a later file holds after the record
// that comes before it in that file.
struct Place {
    qsizetype anchor = -1;
    std::size_t file = 0;
    qsizetype index = 0;

    bool operator<(const Place& other) const
    {
        return std::tie(anchor, file, index) < std::tie(other.anchor, other.file, other.index);
    }
};

QString keyOf(const Entry& entry)
{
    return (entry.kind == Kind::Response ? u'r' : u'n') + entry.item;
}

}  // namespace

bool isMasterFile(const QString& name)
{
    return QFileInfo(name).fileName().compare(QLatin1String("masterFile.txt"), Qt::CaseInsensitive) == 0;
}

bool isNotesFile(const QString& name)
{
    return QFileInfo(name).fileName().compare(QLatin1String("notes_.txt"), Qt::CaseInsensitive) == 0;
}

Merged merge(const std::vector<const class_records::StudentFile*>& files)
{
    Merged merged;
    for (std::size_t f = 0; f < files.size() && !merged.master; ++f) {
        if (isMasterFile(files[f]->name))
            merged.master = f;
    }
    // The master file leads, as it holds every record; the notes file comes
    // last, as the send files hold its notes too, each in its place among
    // the responses.
    std::vector<std::size_t> order;
    if (merged.master)
        order.push_back(*merged.master);
    for (const bool notes : {false, true}) {
        for (std::size_t f = 0; f < files.size(); ++f) {
            if (f != merged.master && isNotesFile(files[f]->name) == notes)
                order.push_back(f);
        }
    }

    std::vector<Record> records;
    std::vector<Place> places;
    QHash<QString, std::vector<std::size_t>> byItem;
    std::vector<std::vector<std::size_t>> recordOf(files.size());
    for (std::size_t position = 0; position < order.size(); ++position) {
        const std::size_t f = order[position];
        const auto& entries = files[f]->records.entries;
        recordOf[f].reserve(entries.size());
        // Records before the file's first record that an earlier file holds
        // go just before that one; a file that shares none goes last.
        std::optional<qsizetype> anchor;
        std::optional<qsizetype> firstAnchor;
        std::vector<std::size_t> beforeAnchor;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const Entry& entry = entries[e];
            const auto stamp = class_records::stampSeconds(entry.date, entry.time);
            std::vector<std::size_t>& candidates = byItem[keyOf(entry)];
            const auto match = std::find_if(candidates.begin(), candidates.end(), [&](std::size_t r) {
                const Record& record = records[r];
                return record.copies.back().file != f && closeInTime(*record.entry, record.stamp, entry, stamp)
                    && sameContent(*record.entry, entry)
                    && (record.assignment.isEmpty() || entry.assignmentNumber.isEmpty() || record.assignment == entry.assignmentNumber);
            });
            const bool matched = match != candidates.end();
            std::size_t r = 0;
            if (matched) {
                r = *match;
                Record& record = records[r];
                record.copies.push_back({f, &entry});
                if (record.entry->cutShort && !entry.cutShort)
                    record.entry = &entry;
                if (record.assignment.isEmpty())
                    record.assignment = entry.assignmentNumber;
            } else {
                r = records.size();
                records.push_back({&entry, entry.assignmentNumber, {{f, &entry}}, stamp});
                places.push_back(position == 0 ? Place{qsizetype(r), 0, 0} : Place{anchor.value_or(0), position, qsizetype(e)});
                candidates.push_back(r);
                if (!anchor && position > 0)
                    beforeAnchor.push_back(r);
            }
            if (matched || position == 0)
                anchor = places[r].anchor;
            if (!firstAnchor)
                firstAnchor = anchor;
            recordOf[f].push_back(r);
        }
        for (const std::size_t r : beforeAnchor)
            places[r].anchor = firstAnchor ? *firstAnchor - 1 : std::numeric_limits<qsizetype>::max();
    }

    if (merged.master) {
        for (std::size_t f = 0; f < files.size(); ++f) {
            if (f == *merged.master)
                continue;
            const auto& entries = files[f]->records.entries;
            bool inRun = false;
            for (std::size_t e = 0; e < entries.size(); ++e) {
                const auto& copies = records[recordOf[f][e]].copies;
                const bool missing = copies.front().file != *merged.master;
                if (missing && inRun) {
                    merged.missing.back().lastLine = entries[e].line;
                    ++merged.missing.back().count;
                } else if (missing) {
                    merged.missing.push_back({f, entries[e].line, entries[e].line, 1});
                }
                inRun = missing;
            }
        }
    }

    std::vector<std::size_t> byPlace(records.size());
    for (std::size_t r = 0; r < records.size(); ++r)
        byPlace[r] = r;
    std::stable_sort(byPlace.begin(), byPlace.end(), [&](std::size_t a, std::size_t b) { return places[a] < places[b]; });
    merged.records.reserve(records.size());
    for (const std::size_t r : byPlace)
        merged.records.push_back(std::move(records[r]));
    return merged;
}

}  // namespace student_records
