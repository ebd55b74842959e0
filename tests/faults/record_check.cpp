#include "record_check.h"

#include <QRegularExpression>

namespace record_check {
namespace {

const QByteArray crlf = "\r\n";
const QByteArray openingRule = "......!!!!!!!!...................................";
const QByteArray closingRule(49, '.');
const QByteArray timeLine = QByteArray(56, ' ') + "14:02:00" + crlf;
const QByteArray dateAndTimeLine = QByteArray(42, ' ') + "12-07-2026" + QByteArray(4, ' ') + "14:02:00" + crlf;
const QByteArray questionNumberLine = "\r\n\r\n`questionNumber" + QByteArray(13, ' ') + " 110000 " + crlf;

// The bytes around a snag, with control and high bytes escaped.
QString excerpt(const QByteArray& bytes, qsizetype at)
{
    const qsizetype from = qMax<qsizetype>(0, at - 40);
    QString shown;
    for (const char c : bytes.mid(from, 100)) {
        const auto u = static_cast<unsigned char>(c);
        shown += (u >= 32 && u < 127) ? QString(QChar(u)) : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return shown;
}

}  // namespace

QString typedText(int child, int record)
{
    QString text = QStringLiteral("child %1 record %2").arg(child).arg(record);
    const int filler = (child * 131 + record * 71) % 640;
    for (int i = 0; i < filler; ++i) {
        if (i % 60 == 0)
            text += QStringLiteral("\r\n");
        else
            text += QChar(u'a' + (child + record + i) % 26);
    }
    if (text.endsWith(u'\n'))
        text += u'.';
    return text;
}

QByteArray responseRecord(FileKind file, const QByteArray& typed)
{
    QByteArray bytes = openingRule + crlf + timeLine;
    if (file == FileKind::Master)
        bytes += questionNumberLine;
    return bytes + crlf + openingRule + crlf + "RESPONSE -->  " + crlf + typed + crlf + closingRule + crlf;
}

QByteArray notesRecord(FileKind file, const QByteArray& typed)
{
    // The send and notes files leave the closing rule's line open.
    return openingRule + crlf + timeLine + dateAndTimeLine + crlf + openingRule + crlf + "NOTES -------> " + typed
           + crlf + closingRule + (file == FileKind::Master ? crlf : QByteArray());
}

QByteArray openingRecordTail()
{
    return "\r\nassignment #011\r\n011.  `query 1\r\nPhysics II\r\n12-07-2026\r\n";
}

namespace {

qsizetype commonPrefix(const QByteArray& bytes, qsizetype at, const QByteArray& expected)
{
    qsizetype n = 0;
    while (n < expected.size() && at + n < bytes.size() && bytes[at + n] == expected[n])
        ++n;
    return n;
}

// What stands at one place of a record file.
struct Reading {
    qsizetype size = 0;     // of the whole record found there; 0 if none
    qsizetype matched = 0;  // how far the bytes agree with a record begun there
    bool opening = false;
    bool notes = false;
    int child = -1;
    int number = -1;
    QString problem;
};

Reading readOne(const QByteArray& bytes, qsizetype at, FileKind file)
{
    static const QRegularExpression identity(QStringLiteral("^child (\\d+) record (\\d+)"));
    Reading reading;
    if (static_cast<unsigned char>(bytes[at]) >= 66 && file != FileKind::Notes) {
        // An opening record: its code line holds 19 to 28 rounds of one or
        // two characters, each with a code of 66 or more.
        qsizetype end = at;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 66)
            ++end;
        const qsizetype tail = commonPrefix(bytes, end, openingRecordTail());
        reading.opening = true;
        reading.matched = end - at + tail;
        if (end - at >= 19 && end - at <= 56 && tail == openingRecordTail().size())
            reading.size = reading.matched;
        else
            reading.problem = QStringLiteral("an opening record that is not whole");
        return reading;
    }

    reading.problem = QStringLiteral("bytes that begin no record");
    for (const bool isNotes : {false, true}) {
        const auto record = [&](const QByteArray& typed) {
            return isNotes ? notesRecord(file, typed) : responseRecord(file, typed);
        };
        const QByteArray probe = record("\x01");
        const QByteArray prefix = probe.left(probe.indexOf('\x01'));
        const qsizetype common = commonPrefix(bytes, at, prefix);
        if (common < prefix.size()) {
            reading.matched = qMax(reading.matched, common);
            continue;
        }
        const QRegularExpressionMatch match = identity.match(QString::fromLatin1(bytes.mid(at + prefix.size(), 40)));
        if (!match.hasMatch()) {
            reading.matched = prefix.size() + commonPrefix(bytes, at + prefix.size(), "child ");
            reading.problem = QStringLiteral("a record whose text names no writer");
            return reading;
        }
        reading.notes = isNotes;
        reading.child = match.captured(1).toInt();
        reading.number = match.captured(2).toInt();
        const QByteArray expected = record(typedText(reading.child, reading.number).toLatin1());
        reading.matched = commonPrefix(bytes, at, expected);
        if (reading.matched == expected.size())
            reading.size = expected.size();
        else
            reading.problem = QStringLiteral("record %1 of writer %2 is not whole").arg(reading.number).arg(reading.child);
        return reading;
    }
    return reading;
}

}  // namespace

Tally readRecordFile(const QByteArray& bytes, FileKind file)
{
    constexpr qsizetype page = 4096;
    Tally tally;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const Reading reading = readOne(bytes, at, file);
        if (reading.size > 0) {
            at += reading.size;
            ++tally.total;
            if (reading.opening) {
                ++tally.openings;
                continue;
            }
            tally.records[reading.child].append(reading.number);
            if (reading.notes)
                tally.notes[reading.child].append(reading.number);
            continue;
        }
        // A record cut off at a page boundary, the rest of it missing, and a
        // whole record or the file's end after the cut: what a kill inside
        // the record's one write() leaves. Anything else is a fault.
        qsizetype cut = -1;
        for (qsizetype p = (at / page + 1) * page; p <= at + reading.matched && p <= bytes.size(); p += page) {
            if (p == bytes.size() || readOne(bytes, p, file).size > 0) {
                cut = p;
                break;
            }
        }
        if (cut < 0) {
            tally.error = QStringLiteral("%1 at byte %2 of %3: \"%4\"")
                              .arg(reading.problem)
                              .arg(at)
                              .arg(bytes.size())
                              .arg(excerpt(bytes, at));
            return tally;
        }
        tally.cuts.append({at, cut, reading.child, reading.number});
        at = cut;
    }
    return tally;
}

QString checkRuns(const QMap<int, QList<int>>& runs, const QString& fileName)
{
    for (auto run = runs.cbegin(); run != runs.cend(); ++run) {
        for (qsizetype i = 0; i < run->size(); ++i) {
            if (run->at(i) != i)
                return QStringLiteral("%1: writer %2 has record %3 where record %4 belongs")
                    .arg(fileName)
                    .arg(run.key())
                    .arg(run->at(i))
                    .arg(i);
        }
    }
    return {};
}

}  // namespace record_check
