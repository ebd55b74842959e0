#include "report/student_records.h"

#include <QDate>
#include <QHash>

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>

namespace student_records {

using inputs::Kind;
using record_reader::Entry;

namespace {

constexpr qint64 day = 24 * 3600;

std::optional<qint64> secondsOfDay(const Entry& entry)
{
    return class_records::stampSeconds(QString(), entry.time);
}

// Times of day at most copySeconds apart, also across midnight.
bool sameTimeOfDay(std::optional<qint64> a, std::optional<qint64> b)
{
    if (!a || !b)
        return a == b;
    const qint64 apart = std::abs(*a - *b);
    return std::min(apart, day - apart) <= copySeconds;
}

// Whether a time of day comes before another on the same day or the next:
// a run goes on for less than half a day.
bool earlierInRun(std::optional<qint64> a, std::optional<qint64> b)
{
    if (!a || !b)
        return false;
    const qint64 ahead = ((*b - *a) % day + day) % day;
    return ahead < day / 2;
}

// The texts and ratings agree; a copy cut short agrees with a whole one
// that begins with what it holds.
bool sameContent(const Entry& a, const Entry& b)
{
    if (a.kind != b.kind || a.item != b.item)
        return false;
    if (a.text == b.text && a.ratingKind == b.ratingKind && a.rating == b.rating)
        return true;
    const auto cutOf = [](const Entry& cut, const Entry& whole) {
        return cut.cutShort && whole.text.startsWith(cut.text)
            && (cut.ratingKind == record_reader::RatingKind::None || (cut.ratingKind == whole.ratingKind && cut.rating == whole.rating));
    };
    return cutOf(a, b) || cutOf(b, a);
}

bool holdsCopyFrom(const Record& record, std::size_t file)
{
    return std::any_of(record.copies.begin(), record.copies.end(), [&](const Copy& copy) { return copy.file == file; });
}

void addCopy(Record& record, std::size_t file, const Entry& entry)
{
    record.copies.push_back({file, &entry});
    if (record.entry->cutShort && !entry.cutShort)
        record.entry = &entry;
    if (record.assignment.isEmpty())
        record.assignment = entry.assignmentNumber;
}

// The master file leads, as it holds every record; the notes file comes
// last, as the send files hold its notes too, each in its place among the
// responses.
std::vector<std::size_t> readingOrder(const std::vector<const class_records::StudentFile*>& files, std::optional<std::size_t> master)
{
    std::vector<std::size_t> order;
    if (master)
        order.push_back(*master);
    for (const bool notes : {false, true}) {
        for (std::size_t f = 0; f < files.size(); ++f) {
            if (f != master && (files[f]->kind == Kind::Notes) == notes)
                order.push_back(f);
        }
    }
    return order;
}

class Merger {
public:
    explicit Merger(const std::vector<const class_records::StudentFile*>& files) : files_(files) {}
    Merged merge();

private:
    std::vector<std::size_t> runsOf(std::size_t f);
    void mergeRunCopy(std::size_t run, std::size_t f, const std::vector<const Entry*>& entries);
    void mergeLoose(std::size_t f, const Entry& entry);
    void date();
    void order();
    void findMissing();

    const std::vector<const class_records::StudentFile*>& files_;
    Merged merged_;
    std::vector<Record> records_;
    std::vector<std::vector<std::size_t>> sequences_;  // each run's records, in the order of the run
    std::map<std::tuple<QByteArray, QString, QString, int>, std::size_t> runOfOpening_;
    std::vector<std::vector<std::size_t>> recordOf_;  // per file, per entry
};

// The runs that this file's openings begin; the same opening in two files
// (its code line of random characters, its assignment and its date) is one
// run.
std::vector<std::size_t> Merger::runsOf(std::size_t f)
{
    std::map<std::tuple<QByteArray, QString, QString>, int> seen;
    std::vector<std::size_t> runs;
    for (const auto& opening : files_[f]->records.openings) {
        const int occurrence = seen[{opening.codeLine, opening.assignmentNumber, opening.date}]++;
        const auto key = std::tuple{opening.codeLine, opening.assignmentNumber, opening.date, occurrence};
        auto found = runOfOpening_.find(key);
        if (found == runOfOpening_.end()) {
            found = runOfOpening_.emplace(key, merged_.runs.size()).first;
            merged_.runs.push_back({opening.assignmentNumber, opening.date, opening.headerLine});
            sequences_.emplace_back();
        }
        runs.push_back(found->second);
    }
    return runs;
}

// A file's copy of a run merged into what earlier files hold of it: each
// record matched where it stands in the run, one that only this file holds
// put after the record before it.
void Merger::mergeRunCopy(std::size_t run, std::size_t f, const std::vector<const Entry*>& entries)
{
    std::vector<std::size_t>& sequence = sequences_[run];
    std::size_t next = 0;
    for (const Entry* entry : entries) {
        const auto seconds = secondsOfDay(*entry);
        const auto matches = [&](std::size_t r) {
            const Record& record = records_[r];
            return !holdsCopyFrom(record, f) && sameContent(*record.entry, *entry) && sameTimeOfDay(secondsOfDay(*record.entry), seconds);
        };
        auto found = std::find_if(sequence.begin() + qsizetype(next), sequence.end(), matches);
        if (found == sequence.end()) {
            const auto earlier = std::find_if(sequence.begin(), sequence.begin() + qsizetype(next), matches);
            found = earlier == sequence.begin() + qsizetype(next) ? sequence.end() : earlier;
        }
        const std::size_t e = std::size_t(entry - files_[f]->records.entries.data());
        if (found != sequence.end()) {
            addCopy(records_[*found], f, *entry);
            recordOf_[f][e] = *found;
            next = std::max(next, std::size_t(found - sequence.begin()) + 1);
            continue;
        }
        while (next < sequence.size() && !holdsCopyFrom(records_[sequence[next]], f)
               && earlierInRun(secondsOfDay(*records_[sequence[next]].entry), seconds))
            ++next;
        const std::size_t r = records_.size();
        records_.push_back({entry, merged_.runs[run].assignment, {{f, entry}}, int(run), QString(), std::nullopt});
        sequence.insert(sequence.begin() + qsizetype(next), r);
        recordOf_[f][e] = r;
        ++next;
    }
}

// A record before any opening of its file, as the notes file holds them
// all: the same note elsewhere carries the same date and time.
void Merger::mergeLoose(std::size_t f, const Entry& entry)
{
    const auto stamp = class_records::stampSeconds(entry.date, entry.time);
    const std::size_t e = std::size_t(&entry - files_[f]->records.entries.data());
    for (std::size_t r = 0; r < records_.size(); ++r) {
        Record& record = records_[r];
        if (holdsCopyFrom(record, f) || !sameContent(*record.entry, entry))
            continue;
        const bool dated = !entry.date.isEmpty() && entry.kind == record_reader::Kind::Notes;
        const auto other = class_records::stampSeconds(record.entry->date, record.entry->time);
        const bool close = dated && other && stamp ? std::abs(*other - *stamp) <= copySeconds
                                                   : sameTimeOfDay(secondsOfDay(*record.entry), secondsOfDay(entry));
        if (close) {
            addCopy(record, f, entry);
            recordOf_[f][e] = r;
            return;
        }
    }
    recordOf_[f][e] = records_.size();
    records_.push_back({&entry, entry.assignmentNumber, {{f, &entry}}, -1, entry.date, stamp});
}

// A note carries its own date; a response takes the date of the opening or
// the note before it in its run, the next day once the time goes back by
// more than the hour of a clock change. The run is read whole, from all
// of its copies, so a file that lost a record keeps the same dates.
void Merger::date()
{
    for (std::size_t run = 0; run < sequences_.size(); ++run) {
        QString date = merged_.runs[run].date;
        std::optional<qint64> last;
        for (const std::size_t r : sequences_[run]) {
            Record& record = records_[r];
            const auto seconds = secondsOfDay(*record.entry);
            if (record.entry->kind == record_reader::Kind::Notes && !record.entry->date.isEmpty())
                date = record.entry->date;
            else if (last && seconds && *seconds < *last - clockChangeSeconds)
                date = nextDay(date);
            if (seconds)
                last = seconds;
            record.date = date;
            record.stamp = class_records::stampSeconds(date, record.entry->time);
        }
    }
}

// Time order: runs by their times, each run in its own order (a clock set
// back an hour does not reorder it); records without a date last.
void Merger::order()
{
    struct Key {
        bool undated = false;
        qint64 time = 0;
        std::size_t group = 0;
        std::size_t index = 0;
        bool operator<(const Key& other) const
        {
            return std::tie(undated, time, group, index) < std::tie(other.undated, other.time, other.group, other.index);
        }
    };
    std::vector<Key> keys(records_.size());
    for (std::size_t run = 0; run < sequences_.size(); ++run) {
        qint64 latest = std::numeric_limits<qint64>::min();
        for (std::size_t i = 0; i < sequences_[run].size(); ++i) {
            const Record& record = records_[sequences_[run][i]];
            latest = std::max(latest, record.stamp.value_or(latest));
            const bool undated = record.date.isEmpty() || latest == std::numeric_limits<qint64>::min();
            keys[sequences_[run][i]] = {undated, undated ? 0 : latest, run, i};
        }
    }
    for (std::size_t r = 0; r < records_.size(); ++r) {
        if (records_[r].run < 0)
            keys[r] = {records_[r].date.isEmpty() || !records_[r].stamp, records_[r].stamp.value_or(0), sequences_.size(), r};
    }
    std::vector<std::size_t> byKey(records_.size());
    for (std::size_t r = 0; r < byKey.size(); ++r)
        byKey[r] = r;
    std::stable_sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::size_t> placeOf(records_.size());
    merged_.records.reserve(records_.size());
    for (const std::size_t r : byKey) {
        placeOf[r] = merged_.records.size();
        merged_.records.push_back(std::move(records_[r]));
    }
    for (auto& perEntry : recordOf_) {
        for (std::size_t& r : perEntry)
            r = placeOf[r];
    }
}

void Merger::findMissing()
{
    if (!merged_.master)
        return;
    const auto inMaster = [&](const Record& record) {
        return std::any_of(record.copies.begin(), record.copies.end(), [&](const Copy& copy) { return copy.file == *merged_.master; });
    };
    for (const Record& record : merged_.records)
        merged_.notInMaster += inMaster(record) ? 0 : 1;
    for (std::size_t f = 0; f < files_.size(); ++f) {
        if (f == *merged_.master)
            continue;
        const auto& entries = files_[f]->records.entries;
        bool inRun = false;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const bool missing = !inMaster(merged_.records[recordOf_[f][e]]);
            if (missing && inRun) {
                merged_.missing.back().lastLine = entries[e].line;
                ++merged_.missing.back().count;
            } else if (missing) {
                merged_.missing.push_back({f, entries[e].line, entries[e].line, 1});
            }
            inRun = missing;
        }
    }
}

Merged Merger::merge()
{
    for (std::size_t f = 0; f < files_.size() && !merged_.master; ++f) {
        if (files_[f]->kind == Kind::Master)
            merged_.master = f;
    }
    recordOf_.resize(files_.size());
    std::vector<std::pair<std::size_t, const Entry*>> loose;
    for (const std::size_t f : readingOrder(files_, merged_.master)) {
        const auto& entries = files_[f]->records.entries;
        recordOf_[f].resize(entries.size());
        const std::vector<std::size_t> runs = runsOf(f);
        std::vector<std::vector<const Entry*>> byRun(runs.size());
        for (const Entry& entry : entries) {
            if (entry.opening >= 0)
                byRun[std::size_t(entry.opening)].push_back(&entry);
            else
                loose.emplace_back(f, &entry);
        }
        for (std::size_t o = 0; o < runs.size(); ++o)
            mergeRunCopy(runs[o], f, byRun[o]);
    }
    date();
    for (const auto& [f, entry] : loose)
        mergeLoose(f, *entry);
    order();
    findMissing();
    return std::move(merged_);
}

}  // namespace

QString nextDay(const QString& date)
{
    const QDate day = QDate::fromString(date, QStringLiteral("MM-dd-yyyy"));
    return day.isValid() ? day.addDays(1).toString(QStringLiteral("MM-dd-yyyy")) : date;
}

Merged merge(const std::vector<const class_records::StudentFile*>& files)
{
    return Merger(files).merge();
}

}  // namespace student_records
