#include "report/csv_table.h"

#include <QFileInfo>

#include <algorithm>

namespace csv_table {

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
    constexpr qsizetype flushAt = 1 << 20;
    QByteArray buffer = QByteArray(header) + "\r\n";
    for (const auto& student : model.students) {
        const QByteArray name = field(student.name);
        std::vector<QByteArray> fileNames;
        for (const auto* file : student.files)
            fileNames.push_back(QFileInfo(file->name).fileName().toUtf8());
        for (const auto& record : student.merged.records) {
            const auto& entry = *record.entry;
            std::vector<std::size_t> holding;
            for (const auto& copy : record.copies)
                holding.push_back(copy.file);
            std::sort(holding.begin(), holding.end());
            QByteArray files;
            for (const std::size_t f : holding)
                files += (files.isEmpty() ? QByteArray() : QByteArrayLiteral("; ")) + fileNames[f];
            const bool response = entry.kind == record_reader::Kind::Response;
            buffer += name + ',' + field(QString::fromUtf8(files)) + ',' + field(record.assignment) + ',' + field(entry.date) + ','
                + field(entry.time) + ',' + (response ? "response," : "notes,") + field(entry.item) + ',' + field(entry.text) + ','
                + field(entry.rating) + "\r\n";
            if (buffer.size() >= flushAt) {
                if (out.write(buffer) != buffer.size())
                    return false;
                buffer.clear();
            }
        }
    }
    return out.write(buffer) == buffer.size();
}

}  // namespace csv_table
