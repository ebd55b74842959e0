#include "send_file.h"

#include "records/record_lines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

SendFile& SendFile::open(const QString& number, const QString& header, const QString& date, const QByteArray& codeLine,
                         const QString& course)
{
    date_ = date;
    number_ = number;
    record_lines::Opening record;
    record.codeLine = codeLine;
    record.assignmentNumber = number;
    record.headerLine = header;
    record.courseName = course;
    bytes_ += record_lines::openingRecord(record, date);
    master_ += record_lines::openingRecord(record, date);
    return *this;
}

SendFile& SendFile::clock(const QString& date, const QString& time)
{
    date_ = date;
    time_ = time;
    return *this;
}

SendFile& SendFile::time(const QString& time)
{
    time_ = time;
    return *this;
}

SendFile& SendFile::respond(const QString& item, const QString& text, const std::optional<QString>& ratingLine)
{
    record_lines::Response record;
    record.currentLine = item;
    record.response = text;
    record.ratingLine = ratingLine;
    record.assignmentNumber = number_;
    record.masterTime = time_;
    record.sendTime = time_;
    const auto files = record_lines::responseRecord(record);
    bytes_ += files.send;
    master_ += files.master;
    return *this;
}

SendFile& SendFile::note(const QString& item, const QString& text)
{
    record_lines::Notes record;
    record.currentLine = item;
    record.notesLine = record_lines::notesLine(text);
    const auto files = record_lines::notesRecord(record, {[this] { return date_; }, [this] { return time_; }});
    bytes_ += files.send;
    master_ += files.master;
    notes_ += files.notes;
    return *this;
}

SendFile& SendFile::type(const QByteArray& bytes)
{
    bytes_ += bytes;
    return *this;
}

void SendFile::save(const QString& path) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes_) != bytes_.size())
        throw std::runtime_error("cannot write a sample send file");
}
