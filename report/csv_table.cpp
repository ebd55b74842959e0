#include "report/csv_table.h"

#include <algorithm>

namespace csv_table {

QByteArray field(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const bool quoted = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    if (!quoted)
        return bytes;
    QByteArray out = bytes;
    if (out.contains('"'))
        out.replace('"', QByteArrayLiteral("\"\""));
    return '"' + out + '"';
}

bool write(const class_records::ClassRecords& records, QIODevice& out)
{
    constexpr qsizetype flushAt = 1 << 20;
    QByteArray buffer = QByteArray(header) + "\r\n";
    for (const auto& file : records.files) {
        const QByteArray name = field(file.name);
        for (const auto& entry : file.records.entries) {
            const bool response = entry.kind == record_reader::Kind::Response;
            buffer += name + ',' + field(entry.assignmentNumber) + ',' + field(entry.date) + ',' + field(entry.time) + ','
                + (response ? "response," : "notes,") + field(entry.item) + ',' + field(entry.text) + ','
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
