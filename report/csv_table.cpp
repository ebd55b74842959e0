#include "report/csv_table.h"

#include "report/wording.h"

#include <QHash>

#include <algorithm>

namespace csv_table {
namespace {

constexpr qsizetype flushAt = 1 << 20;

// Where each record stands in the model: its assignment and the item's
// number in it.
struct Place {
    QString assignment;
    int item = 0;
};

QHash<const student_records::Record*, Place> placesOf(const class_model::ClassModel& model)
{
    QHash<const student_records::Record*, Place> places;
    for (const auto& assignment : model.assignments) {
        for (std::size_t i = 0; i < assignment.items.size(); ++i) {
            for (const auto& answer : assignment.items[i].answers)
                places.insert(answer.record, {assignment.number, int(i) + 1});
        }
    }
    return places;
}

QString ratingKindOf(const record_reader::Entry& entry)
{
    return entry.ratingKind == record_reader::RatingKind::None ? QString() : wording::ratingKind(entry.ratingKind);
}

}  // namespace

QByteArray field(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains('\0'))
        bytes.replace(QByteArray(1, '\0'), QStringLiteral("\u2400").toUtf8());
    const bool quoted = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    if (!quoted)
        return bytes;
    if (bytes.contains('"'))
        bytes.replace('"', QByteArrayLiteral("\"\""));
    return '"' + bytes + '"';
}

bool write(const class_model::ClassModel& model, QIODevice& out)
{
    const auto places = placesOf(model);
    QByteArray buffer = QByteArray(header) + "\r\n";
    for (const auto& student : model.students) {
        const QByteArray name = field(student.name);
        for (const auto& record : student.merged.records) {
            const auto& entry = *record.entry;
            std::vector<std::size_t> holding;
            for (const auto& copy : record.copies)
                holding.push_back(copy.file);
            std::sort(holding.begin(), holding.end());
            QStringList files;
            for (const std::size_t f : holding)
                files.append(student.files[f]->label);
            const Place place = places.value(&record);
            const bool response = entry.kind == record_reader::Kind::Response;
            buffer += name + ',' + field(files.join(QStringLiteral("; "))) + ',' + field(place.assignment) + ',' + field(record.date) + ','
                + field(entry.time) + ',' + (response ? "response," : "notes,") + field(entry.item) + ',' + field(entry.text) + ','
                + field(entry.rating) + ',' + QByteArray::number(place.item) + ',' + field(ratingKindOf(entry)) + "\r\n";
            if (buffer.size() >= flushAt) {
                if (out.write(buffer) != buffer.size())
                    return false;
                buffer.clear();
            }
        }
    }
    return out.write(buffer) == buffer.size();
}

QString percent(int part, int whole)
{
    const double value = whole > 0 ? 100.0 * part / whole : 0;
    QString text = QString::number(value, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text;
}

bool writeGradebook(const class_model::ClassModel& model, QIODevice& out)
{
    QByteArray buffer = "name,id";
    for (const auto& assignment : model.assignments) {
        if (!assignment.number.isEmpty())
            buffer += ',' + field(wording::assignmentTitle(assignment.number) + QStringLiteral(" (% answered)"));
    }
    buffer += "\r\n";
    std::vector<std::vector<QString>> shares(model.students.size());
    for (const auto& assignment : model.assignments) {
        if (assignment.number.isEmpty())
            continue;
        for (auto& row : shares)
            row.push_back(assignment.courseItems > 0 ? QStringLiteral("0") : QString());
        for (const auto& row : assignment.rows) {
            if (assignment.courseItems > 0)
                shares[row.student].back() = percent(row.answered, assignment.courseItems);
        }
    }
    for (std::size_t s = 0; s < model.students.size(); ++s) {
        buffer += field(model.students[s].name) + ',' + field(model.students[s].id);
        for (const QString& share : shares[s])
            buffer += ',' + field(share);
        buffer += "\r\n";
    }
    return out.write(buffer) == buffer.size();
}

}  // namespace csv_table
