#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A send file written record by record through the program's own record
// writer, with a clock that the caller sets; the master file and the notes
// file of the same records beside it.
class SendFile {
public:
    SendFile& open(const QString& number, const QString& header, const QString& date,
                   const QByteArray& codeLine = QByteArray("\xb5\x9a\xe4wq\x81"),
                   const QString& course = QStringLiteral("Physics II"));
    SendFile& clock(const QString& date, const QString& time);
    SendFile& time(const QString& time);
    // The rating line as the writer makes it (record_lines::confidenceLine
    // or selfCritiqueLine), or none.
    SendFile& respond(const QString& item, const QString& text, const std::optional<QString>& ratingLine = {});
    SendFile& note(const QString& item, const QString& text);
    // Bytes as a student might type them into the file.
    SendFile& type(const QByteArray& bytes);

    const QByteArray& bytes() const { return bytes_; }
    const QByteArray& masterBytes() const { return master_; }
    const QByteArray& notesBytes() const { return notes_; }
    // Creates the folders on the way; throws std::runtime_error on failure.
    void save(const QString& path) const;

private:
    QByteArray bytes_;
    QByteArray master_;
    QByteArray notes_;
    QString date_;
    QString time_;
    QString number_;
};
