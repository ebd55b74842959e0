#include "platform/record_encoding.h"
#include "records/record_lines.h"
#include "records/record_reader.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

#include <algorithm>

using record_reader::Kind;
using record_reader::RatingKind;
using record_reader::Records;

namespace {

const QString kindName[] = {QStringLiteral("response"), QStringLiteral("notes")};
const QString ratingName[] = {QString(), QStringLiteral("confidence"), QStringLiteral("self critique")};

// One line per record and stretch, in file order, with every field, so a
// failing comparison shows what differs.
QStringList describe(const Records& records)
{
    std::vector<std::pair<qsizetype, QString>> lines;
    for (const auto& o : records.openings) {
        lines.emplace_back(o.line, QStringList{QStringLiteral("opening"), o.assignmentNumber, o.headerLine, o.courseName,
                                               o.date, o.cutShort ? QStringLiteral("cut short") : QString()}
                                       .join(u'|'));
    }
    for (const auto& e : records.entries) {
        lines.emplace_back(e.line, QStringList{kindName[int(e.kind)], e.assignmentNumber, e.date, e.time,
                                               e.questionNumber, e.item, e.text, ratingName[int(e.ratingKind)],
                                               e.rating, e.cutShort ? QStringLiteral("cut short") : QString()}
                                       .join(u'|'));
    }
    for (const auto& s : records.unreadable)
        lines.emplace_back(s.firstLine, QStringLiteral("unreadable %1-%2|%3").arg(s.firstLine).arg(s.lastLine).arg(s.excerpt));
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList described;
    for (const auto& line : lines)
        described.append(QString::number(line.first) + u' ' + line.second);
    return described;
}

// The clock of the writer: each read gives the next second from 14:00:00,
// and every value handed out is kept.
struct TickingClock {
    QStringList times;
    QStringList dates;
    int seconds = 14 * 3600;
    QString date = QStringLiteral("12-07-2026");

    record_lines::Clock clock()
    {
        return {[this] {
                    dates.append(date);
                    return date;
                },
                [this] {
                    times.append(QTime(0, 0).addSecs(seconds++).toString(QStringLiteral("hh:mm:ss")));
                    return times.last();
                }};
    }
};

QByteArray opening(const QString& number, const QString& header = QStringLiteral("011.  `query 1"),
                   const QString& date = QStringLiteral("12-07-2026"),
                   const QByteArray& codeLine = QByteArray("\xa3\x9c\xf0kZ\x81\xff\x76", 8))
{
    record_lines::Opening record;
    record.codeLine = codeLine;
    record.assignmentNumber = number;
    record.headerLine = header;
    record.courseName = QStringLiteral("Physics II");
    return record_lines::openingRecord(record, date);
}

record_lines::ResponseFiles response(const QString& item, const QString& text, std::optional<QString> ratingLine = {},
                                     TickingClock* clock = nullptr)
{
    TickingClock own;
    record_lines::Response record;
    record.currentLine = item;
    record.response = text;
    record.assignmentNumber = QStringLiteral("011");
    record.ratingLine = ratingLine;
    const record_lines::Clock times = (clock ? clock : &own)->clock();
    record.masterTime = times.time();
    record.sendTime = times.time();
    return record_lines::responseRecord(record);
}

record_lines::NotesFiles notes(const QString& item, const QString& text, TickingClock* clock = nullptr)
{
    TickingClock own;
    record_lines::Notes record;
    record.currentLine = item;
    record.notesLine = record_lines::notesLine(text);
    return record_lines::notesRecord(record, (clock ? clock : &own)->clock());
}

QByteArray sendResponse(const QString& item, const QString& text, std::optional<QString> ratingLine = {})
{
    return response(item, text, ratingLine).send;
}

// Bank text and ratings as the reader gives them back: without the
// trailing blanks of each line, which only an editor adds.
QString trimmedLines(const QString& text)
{
    static const QRegularExpression trailing(QStringLiteral("[ \\t]+(?=\\r\\n|$)"));
    return QString(text).remove(trailing);
}

// Random typed text: several lines, blanks, markup characters and letters
// from inside and outside Windows-1252, emoji included.
QString randomText(QRandomGenerator& random, int maxLines)
{
    static const QString alphabet = QString::fromUtf8("abcdefghijklmnopqrstuvwxyz ABC 0123456789 .,;:!?()=+-*/^_<>&\"'#%\t"
                                                      "\u00e9\u00fc\u00b0\u00b2\u00b5\u20ac\u2030\u0394\u03c0\u03bb"
                                                      "\u2248\u221a\u6f22\u0416\u00ad\u00a0\ufeff");
    static const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    QStringList lines;
    const int count = random.bounded(1, maxLines + 1);
    for (int l = 0; l < count; ++l) {
        QString line;
        const int length = random.bounded(0, 60);
        for (int c = 0; c < length; ++c) {
            if (random.bounded(40) == 0)
                line += emoji;
            else
                line += alphabet[random.bounded(int(alphabet.size()))];
        }
        lines.append(line);
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

class RecordReaderTest : public QObject {
    Q_OBJECT
private slots:
    void references_data();
    void references();
    void everyByteDecodesAndEncodesBack();
    void roundTrip_data();
    void roundTrip();
    void files_data();
    void files();
    void lineEndsAndEncodings_data();
    void lineEndsAndEncodings();
};

void RecordReaderTest::references_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("delta") << QByteArray("&#916;T") << QStringLiteral("\u0394T");
    QTest::newRow("emoji") << QByteArray("&#128512;") << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("two in a row") << QByteArray("&#960;&#955;") << QStringLiteral("\u03c0\u03bb");
    QTest::newRow("zero-width no-break space first") << QByteArray("&#65279;x") << QStringLiteral("\ufeffx");
    QTest::newRow("Windows-1252 bytes") << QByteArray("\x80 \xe9\xb2") << QStringLiteral("\u20ac \u00e9\u00b2");
    QTest::newRow("a character the code page holds stays typed") << QByteArray("&#65;&#233;") << QStringLiteral("&#65;&#233;");
    QTest::newRow("leading zero stays") << QByteArray("&#0916;") << QStringLiteral("&#0916;");
    QTest::newRow("no semicolon stays") << QByteArray("&#916 x") << QStringLiteral("&#916 x");
    QTest::newRow("surrogate stays") << QByteArray("&#55357;") << QStringLiteral("&#55357;");
    QTest::newRow("beyond Unicode stays") << QByteArray("&#1114112;") << QStringLiteral("&#1114112;");
    QTest::newRow("eight digits stay") << QByteArray("&#12345678;") << QStringLiteral("&#12345678;");
    QTest::newRow("hexadecimal stays") << QByteArray("&#x394;") << QStringLiteral("&#x394;");
    QTest::newRow("lone ampersands") << QByteArray("& &# &#;&") << QStringLiteral("& &# &#;&");
    QTest::newRow("reference after a bad one") << QByteArray("&#&#916;") << QStringLiteral("&#\u0394");
}

void RecordReaderTest::references()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(record_encoding::decodeTyped(bytes), text);
}

void RecordReaderTest::everyByteDecodesAndEncodesBack()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString decoded = record_encoding::decode(all);
    // Against the toolkit's own code page, where it has one (not on Windows).
    QStringDecoder qtDecoder("windows-1252");
    if (qtDecoder.isValid())
        QCOMPARE(decoded, QString(qtDecoder(all)));
    QCOMPARE(record_encoding::encode(decoded), all);
}

void RecordReaderTest::roundTrip_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 6; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

// Records made by the writer, with random texts between random records, are
// read back from each file as they were written.
void RecordReaderTest::roundTrip()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    TickingClock clock;
    QByteArray master, send, notesFile;
    QStringList expectMaster, expectSend, expectNotes;
    QString date;
    const QStringList numbers = {QStringLiteral("011"), QStringLiteral("012"), QStringLiteral("015")};
    QString number;
    for (int r = 0; r < 40; ++r) {
        const int choice = r == 0 ? 0 : random.bounded(8);
        if (choice == 0) {
            number = numbers[random.bounded(int(numbers.size()))];
            clock.date = QStringLiteral("12-%1-2026").arg(10 + r, 2, 10, QChar(u'0'));
            date = clock.date;
            record_lines::Opening record;
            record.codeLine = QByteArray("\xfa\x81Kz\x9d", 5);
            record.assignmentNumber = number;
            record.headerLine = number + QStringLiteral(".  ") + randomText(random, 2);
            record.courseName = QStringLiteral("Physics II");
            const QByteArray bytes = record_lines::openingRecord(record, date);
            master += bytes;
            send += bytes;
            const QString line = QStringList{QStringLiteral("opening"), number, trimmedLines(record.headerLine), record.courseName, date, QString()}.join(u'|');
            expectMaster.append(line);
            expectSend.append(line);
        } else if (choice == 1) {
            clock.date = QStringLiteral("12-%1-2026").arg(10 + r, 2, 10, QChar(u'0'));
            clock.times.clear();
            clock.dates.clear();
            record_lines::Notes record;
            record.currentLine = randomText(random, 3);
            const QString text = randomText(random, 4);
            record.notesLine = record_lines::notesLine(text);
            const auto files = record_lines::notesRecord(record, clock.clock());
            master += files.master;
            send += files.send;
            notesFile += files.notes;
            date = clock.date;
            const auto line = [&](int file, const QString& assignment) {
                return QStringList{kindName[1], assignment, clock.dates[file], clock.times[file], QString(),
                                   trimmedLines(record.currentLine), text, QString(), QString(), QString()}
                    .join(u'|');
            };
            expectMaster.append(line(0, number));
            expectSend.append(line(1, number));
            expectNotes.append(line(2, QString()));
        } else {
            clock.times.clear();
            const int rating = random.bounded(3);
            const QString value = randomText(random, 1);
            record_lines::Response record;
            record.currentLine = randomText(random, 3);
            record.response = randomText(random, 5);
            record.assignmentNumber = number;
            if (rating == 1)
                record.ratingLine = record_lines::confidenceLine(value);
            else if (rating == 2)
                record.ratingLine = record_lines::selfCritiqueLine(value);
            const record_lines::Clock times = clock.clock();
            record.masterTime = times.time();
            record.sendTime = times.time();
            const auto files = record_lines::responseRecord(record);
            master += files.master;
            send += files.send;
            const auto line = [&](int file, const QString& questionNumber) {
                return QStringList{kindName[0], number, date, clock.times[file], questionNumber, trimmedLines(record.currentLine),
                                   record.response, ratingName[rating], rating ? trimmedLines(value) : QString(), QString()}
                    .join(u'|');
            };
            expectMaster.append(line(0, QString::number(qint64(record_lines::questionValue(number)))));
            expectSend.append(line(1, QString()));
        }
    }
    const auto withoutLineNumbers = [](const Records& records) {
        QStringList lines = describe(records);
        for (QString& line : lines)
            line = line.section(u' ', 1);
        return lines;
    };
    QCOMPARE(withoutLineNumbers(record_reader::read(master)), expectMaster);
    QCOMPARE(withoutLineNumbers(record_reader::read(send)), expectSend);
    QCOMPARE(withoutLineNumbers(record_reader::read(notesFile)), expectNotes);
    QCOMPARE(record_reader::read(master).openings.front().codeLine, QByteArray("\xfa\x81Kz\x9d", 5));
}

void RecordReaderTest::files_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("records");

    const QString item = QStringLiteral("query  A copper rod");
    const QByteArray open = opening(QStringLiteral("011"));
    const QByteArray answer = sendResponse(item, QStringLiteral("P = 12.8 W"), record_lines::confidenceLine("2"));
    const QString openingLine = QStringLiteral("1 opening|011|011.  `query 1|Physics II|12-07-2026|");
    // The send file's time line is the second read of the clock.
    const QString answerLine = QStringLiteral("response|||14:00:01||%1|P = 12.8 W|confidence|2|").arg(item);
    const QByteArray rule(49, '.');

    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("blank lines only") << QByteArray("\r\n  \r\n\t\r\n") << QStringList();
    QTest::newRow("text without records")
        << QByteArray("Dear instructor,\r\n\r\nhere are my answers.\r\n")
        << QStringList{"1 unreadable 1-3|Dear instructor,"};
    QTest::newRow("opening and response")
        << open + answer << QStringList{openingLine, "6 response|011|12-07-2026|14:00:01||" + item + "|P = 12.8 W|confidence|2|"};
    QTest::newRow("response before any opening")
        << sendResponse(QStringLiteral("q"), QStringLiteral("a"))
        << QStringList{"1 response|||14:00:01||q|a|||"};
    QTest::newRow("self critique, empty rating")
        << sendResponse(QStringLiteral("q"), QStringLiteral("a"), record_lines::selfCritiqueLine(QString()))
        << QStringList{"1 response|||14:00:01||q|a|self critique||"};
    QTest::newRow("rating of words kept as typed, but for trailing blanks")
        << sendResponse(QStringLiteral("q"), QStringLiteral("a"), record_lines::confidenceLine(" pretty sure "))
        << QStringList{"1 response|||14:00:01||q|a|confidence| pretty sure|"};
    QTest::newRow("empty response and empty item")
        << sendResponse(QString(), QString())
        << QStringList{"1 response|||14:00:01||||||"};
    QTest::newRow("response holding a line of full stops")
        << sendResponse(QStringLiteral("q"), "so\r\n" + QString(rule) + "\r\nthen")
        << QStringList{"1 response|||14:00:01||q|so\r\n" + QString(rule) + "\r\nthen|||"};
    QTest::newRow("master file with its question number")
        << open + response(item, QStringLiteral("P = 12.8 W")).master
        << QStringList{openingLine, "6 response|011|12-07-2026|14:00:00|110000|" + item + "|P = 12.8 W|||"};
    QTest::newRow("notes take their own date, the response after them too")
        << open + notes(QStringLiteral("q"), QStringLiteral("check units")).send + sendResponse(QStringLiteral("q"), QStringLiteral("a"))
        << QStringList{openingLine, "6 notes|011|12-07-2026|14:00:01||q|check units|||",
                       "12 response|011|12-07-2026|14:00:01||q|a|||"};
    QTest::newRow("notes glued to the next opening")
        << notes(QStringLiteral("q"), QStringLiteral("n")).send + open
        << QStringList{"1 notes||12-07-2026|14:00:01||q|n|||", "7 opening|011|011.  `query 1|Physics II|12-07-2026|"};
    QTest::newRow("notes file: glued notes, the last one left open")
        << notes(QStringLiteral("q1"), QStringLiteral("one")).notes + notes(QStringLiteral("q2"), QStringLiteral("two\r\nlines")).notes
        << QStringList{"1 notes||12-07-2026|14:00:02||q1|one|||", "7 notes||12-07-2026|14:00:02||q2|two\r\nlines|||"};
    QTest::newRow("opening with a header of two lines")
        << opening(QStringLiteral("021"), QStringLiteral("021.  Waves\r\non strings"))
        << QStringList{"1 opening|021|021.  Waves\r\non strings|Physics II|12-07-2026|"};

    QTest::newRow("cut after the marker")
        << answer.left(answer.indexOf("RESPONSE") + 16)
        << QStringList{"1 response|||14:00:01||" + item + "||||cut short"};
    QTest::newRow("cut inside the text")
        << answer.left(answer.indexOf("12.8"))
        << QStringList{"1 response|||14:00:01||" + item + "|P = |||cut short"};
    QTest::newRow("cut inside the closing rule")
        << answer.left(answer.size() - 30)
        << QStringList{"1 response|||14:00:01||" + item + "|P = 12.8 W|confidence|2|cut short"};
    QTest::newRow("cut inside the closing rule, the next record whole")
        << answer.left(answer.size() - 20) + "\r\n" + answer
        << QStringList{"1 response|||14:00:01||" + item + "|P = 12.8 W|confidence|2|cut short", "9 " + answerLine};
    QTest::newRow("cut before the marker, the next record whole")
        << answer.left(answer.indexOf(item.toLatin1()) + 5) + "\r\n" + answer
        << QStringList{"1 unreadable 1-3|......!!!!!!!!...................................",
                       "4 " + answerLine};
    QTest::newRow("cut in the text, the next record whole")
        << answer.left(answer.indexOf("12.8")) + "\r\n" + answer
        << QStringList{"1 response|||14:00:01||" + item + "|P = |||cut short", "7 " + answerLine};
    QTest::newRow("opening cut short")
        << open.left(open.indexOf("Physics"))
        << QStringList{"1 opening|011|011.  `query 1|||cut short"};
    QTest::newRow("lines between records")
        << answer + "stray line\r\n\r\nanother\r\n" + answer
        << QStringList{"1 " + answerLine, "9 unreadable 9-11|stray line", "12 " + answerLine};
    QTest::newRow("lines after a closing rule in one record")
        << answer.left(answer.size() - 2) + "\r\nadded by hand\r\n" + answer
        << QStringList{"1 " + answerLine, "9 unreadable 9-9|added by hand", "10 " + answerLine};
    QTest::newRow("marker missing")
        << QByteArray(answer).replace("RESPONSE -->  ", "RESPONSE ==>")
        << QStringList{"1 unreadable 1-8|......!!!!!!!!..................................."};
    QTest::newRow("binary bytes")
        << QByteArray("\x00\x01\xff\xfe\r\x02\n\n\x7f", 9)
        << QStringList{QStringLiteral("1 unreadable 1-4|") + QChar(0) + QChar(1) + QChar(0xff) + QChar(0xfe)};
    QTest::newRow("trailing blanks trimmed by an editor")
        << QByteArray(answer).replace("RESPONSE -->  ", "RESPONSE -->").replace("assessment:  2", "assessment:")
        << QStringList{"1 response|||14:00:01||" + item + "|P = 12.8 W|confidence||"};
    QTest::newRow("trailing blanks added by an editor")
        << QByteArray(answer).replace(rule + "\r\n", rule + "   \r\n").replace(QByteArray(35, '.') + "\r\n", QByteArray(35, '.') + " \r\n")
        << QStringList{"1 " + answerLine};

    const QByteArray redone = sendResponse(QStringLiteral("rod"), QStringLiteral("I redid it:\r\nassignment #10 had the same rod\r\nso 12.8 W"),
                                           record_lines::confidenceLine("3"));
    const QByteArray next = opening(QStringLiteral("012"), QStringLiteral("012.  `query 2"), QStringLiteral("12-08-2026"));
    QTest::newRow("a response line that begins with the opening's label")
        << open + redone + sendResponse(QStringLiteral("pane"), QStringLiteral("0.96 W"), record_lines::confidenceLine("1")) + next
               + sendResponse(QStringLiteral("block"), QStringLiteral("28.9 C"))
        << QStringList{openingLine, "6 response|011|12-07-2026|14:00:01||rod|I redid it:\r\nassignment #10 had the same rod\r\nso 12.8 W|confidence|3|",
                       "16 response|011|12-07-2026|14:00:01||pane|0.96 W|confidence|1|",
                       "24 opening|012|012.  `query 2|Physics II|12-08-2026|", "29 response|012|12-08-2026|14:00:01||block|28.9 C|||"};
    QTest::newRow("a typed copy of an opening stays in its response")
        << sendResponse(QStringLiteral("q"), "see\r\n" + QString::fromLatin1(open).trimmed())
        << QStringList{"1 response|||14:00:01||q|see\r\n" + QString::fromLatin1(open).trimmed() + "|||"};

    TickingClock late;
    late.seconds = 23 * 3600 + 55 * 60;
    const QByteArray beforeMidnight = response(QStringLiteral("q1"), QStringLiteral("a"), {}, &late).send;
    late.seconds = 5 * 60;
    const QByteArray afterMidnight = response(QStringLiteral("q2"), QStringLiteral("b"), {}, &late).send;
    late.seconds = 10 * 60;
    late.date = QStringLiteral("12-08-2026");
    QTest::newRow("a run past midnight: the date rolls over")
        << open + beforeMidnight + afterMidnight + notes(QStringLiteral("q2"), QStringLiteral("n"), &late).send
        << QStringList{openingLine, "6 response|011|12-07-2026|23:55:01||q1|a|||", "13 response|011|12-08-2026|00:05:01||q2|b|||",
                       "20 notes|011|12-08-2026|00:10:01||q2|n|||"};
    TickingClock changed;
    changed.seconds = 2 * 3600 + 30 * 60;
    const QByteArray beforeChange = response(QStringLiteral("q1"), QStringLiteral("a"), {}, &changed).send;
    changed.seconds = 1 * 3600 + 45 * 60;
    QTest::newRow("a clock set back an hour keeps the date")
        << open + beforeChange + response(QStringLiteral("q2"), QStringLiteral("b"), {}, &changed).send
        << QStringList{openingLine, "6 response|011|12-07-2026|02:30:01||q1|a|||", "13 response|011|12-07-2026|01:45:01||q2|b|||"};

    QTest::newRow("trailing blanks after the number, the item and the rating")
        << QByteArray(open).replace("#011", "#011  ").replace("`query 1", "`query 1 ")
               + QByteArray(answer).replace("copper rod", "copper rod\t ").replace("assessment:  2", "assessment:  2  ")
        << QStringList{openingLine, "6 response|011|12-07-2026|14:00:01||" + item + "|P = 12.8 W|confidence|2|"};
    QTest::newRow("trailing blanks of a response are typed")
        << sendResponse(QStringLiteral("q"), QStringLiteral("P = 12.8 W  \r\nso  "))
        << QStringList{"1 response|||14:00:01||q|P = 12.8 W  \r\nso  |||"};
    const QByteArray dots = sendResponse(QStringLiteral("q"), QStringLiteral("wait\r\n..."));
    QTest::newRow("cut short after a typed line of full stops")
        << dots.left(dots.size() - rule.size() - 2)
        << QStringList{"1 response|||14:00:01||q|wait\r\n...|||cut short"};
    QTest::newRow("cut short after a typed line of full stops, the next record whole")
        << dots.left(dots.size() - rule.size() - 2) + answer
        << QStringList{"1 response|||14:00:01||q|wait\r\n...|||cut short", "8 " + answerLine};
    QTest::newRow("cut inside the closing rule of a response without rating")
        << dots.left(dots.size() - 30)
        << QStringList{"1 response|||14:00:01||q|wait\r\n...|||cut short"};
}

void RecordReaderTest::files()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, records);
    QCOMPARE(describe(record_reader::read(bytes)), records);
}

void RecordReaderTest::lineEndsAndEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString typed = QStringLiteral("\u0394T = 4.0 K\r\n\u00e9t\u00e9 \u20ac");
    const QByteArray written = sendResponse(QStringLiteral("q"), typed);
    QByteArray lf = written;
    lf.replace("\r\n", "\n");
    QByteArray cr = written;
    cr.replace("\r\n", "\r");
    QByteArray utf8 = QByteArray("\xef\xbb\xbf") + record_encoding::decode(written).toUtf8();
    QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QByteArray utf16 = toUtf16(record_encoding::decode(written));

    QTest::newRow("CR LF") << written << typed;
    QTest::newRow("LF") << lf << typed;
    QTest::newRow("CR") << cr << typed;
    QTest::newRow("UTF-8 with its mark") << utf8 << typed;
    QTest::newRow("UTF-8 with its mark, an opening first")
        << QByteArray("\xef\xbb\xbf") + record_encoding::decode(opening(QStringLiteral("011")) + written).toUtf8() << typed;
    QTest::newRow("UTF-16 with its mark") << utf16 << typed;
    // Code lines are random characters from codes 66 to 255.
    QTest::newRow("code line starting like a UTF-16 mark")
        << opening(QStringLiteral("011"), QStringLiteral("011.  h"), QStringLiteral("12-07-2026"), "\xff\xfe\xe9z") + written << typed;
    QTest::newRow("code line starting like a UTF-8 mark")
        << opening(QStringLiteral("011"), QStringLiteral("011.  h"), QStringLiteral("12-07-2026"), "\xef\xbb\xbfz") + written << typed;
}

void RecordReaderTest::lineEndsAndEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const Records records = record_reader::read(bytes);
    QCOMPARE(records.unreadable.size(), std::size_t(0));
    QCOMPARE(records.entries.size(), std::size_t(1));
    QCOMPARE(records.entries[0].text, text);
    QCOMPARE(records.entries[0].time, QStringLiteral("14:00:01"));
    QCOMPARE(records.lineCount, qsizetype(records.openings.empty() ? 8 : 13));
}

QTEST_GUILESS_MAIN(RecordReaderTest)
#include "tst_record_reader.moc"
