#include "records/record_lines.h"
#include "send_file.h"
#include "report/class_records.h"
#include "report/csv_table.h"
#include "report/html_writer.h"
#include "report/page.h"
#include "report/run.h"
#include "report/summary.h"
#include "report/wording.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using class_records::ClassRecords;

namespace {

QString header(const QString& number)
{
    return number + QStringLiteral(".  `query");
}

ClassRecords classOf(const QList<std::pair<QString, QByteArray>>& files)
{
    ClassRecords records;
    for (const auto& [name, bytes] : files) {
        records.files.push_back({name, QStringLiteral("/class/") + name, record_reader::read(bytes)});
        for (const auto& entry : records.files.back().records.entries)
            ++(entry.kind == record_reader::Kind::Response ? records.responses : records.notes);
    }
    return records;
}

QString confidence(const char* rating)
{
    return record_lines::confidenceLine(QString::fromUtf8(rating));
}

// Two students: ada on 011 and, after a note the next day, on 012; ben on
// 011 only, with an opening of 012 and nothing in it.
ClassRecords twoStudents()
{
    SendFile ada;
    ada.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("12.8 W"), confidence("3"))
        .time(QStringLiteral("14:10:00")).respond(QStringLiteral("rod answer"), QStringLiteral("OK"),
                 record_lines::selfCritiqueLine(QStringLiteral("3")))
        .clock(QStringLiteral("12-08-2026"), QStringLiteral("09:00:00")).note(QStringLiteral("rod answer"), QStringLiteral("ask about k"))
        .open(QStringLiteral("012"), header(QStringLiteral("012")), QStringLiteral("12-08-2026"))
        .time(QStringLiteral("09:20:00")).respond(QStringLiteral("block"), QStringLiteral("28.9 C"), confidence("2"));
    SendFile ben;
    ben.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("15:00:00")).respond(QStringLiteral("rod"), QStringLiteral("1.28e5 W"), confidence("1"))
        .time(QStringLiteral("15:45:00")).respond(QStringLiteral("pane"), QStringLiteral("0.96 W"))
        .open(QStringLiteral("012"), header(QStringLiteral("012")), QStringLiteral("12-07-2026"));
    return classOf({{QStringLiteral("ada/send_1207.txt"), ada.bytes()}, {QStringLiteral("ben/send_1207.txt"), ben.bytes()}});
}

QString pageOf(const ClassRecords& records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!page::write(records, {QStringLiteral("9.9")}, buffer))
        return QString();
    return QString::fromUtf8(buffer.data());
}

}  // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void commonFolder_data();
    void commonFolder();
    void stampSeconds_data();
    void stampSeconds();
    void timeOnTask_data();
    void timeOnTask();
    void overviewRowsPerFileAndAssignment();
    void assignmentsInNumberOrderItemsInFirstOrder();
    void spread_data();
    void spread();
    void csvField_data();
    void csvField();
    void csvRowsOfAClass();
    void displayable_data();
    void displayable();
    void pageIsWellFormedAndEscapesEverything();
    void pageListsProblemsAndEmptyFiles();
    void pageTitleNamesTheCourse();
    void problemLinesNameFileAndLine();
    void summaryCountsPerAssignment();
    void duration_data();
    void duration();
    void runStatuses_data();
    void runStatuses();
};

void ReportTest::commonFolder_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("common");
    QTest::newRow("one folder") << QStringList{"/home/t/class"} << "/home/t/class";
    QTest::newRow("two students") << QStringList{"/home/t/class/ada", "/home/t/class/ben"} << "/home/t/class";
    QTest::newRow("a folder and one inside it") << QStringList{"/home/t/class", "/home/t/class/ada/x"} << "/home/t/class";
    QTest::newRow("shared prefix is not a folder") << QStringList{"/home/t/class1", "/home/t/class2"} << "/home/t";
    QTest::newRow("nothing shared but the root") << QStringList{"/a/b", "/c"} << "/";
}

void ReportTest::commonFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, common);
    QCOMPARE(inputs::commonFolder(folders), common);
}

void ReportTest::stampSeconds_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<qlonglong>("seconds");  // -1: no stamp
    const qlonglong day = QDate(2026, 12, 7).toJulianDay() * 86400;
    QTest::newRow("date and time") << "12-07-2026" << "14:05:09" << day + 14 * 3600 + 5 * 60 + 9;
    QTest::newRow("next day") << "12-08-2026" << "00:00:00" << day + 86400;
    QTest::newRow("no date: the time alone") << "" << "00:01:40" << 100LL;
    QTest::newRow("no such date: the time alone") << "02-29-2027" << "00:00:01" << 1LL;
    QTest::newRow("no such time") << "12-07-2026" << "24:00:00" << -1LL;
    QTest::newRow("not a time") << "12-07-2026" << "14:5:09" << -1LL;
}

void ReportTest::stampSeconds()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(qlonglong, seconds);
    const auto stamp = class_records::stampSeconds(date, time);
    QCOMPARE(stamp ? qlonglong(*stamp) : -1LL, seconds);
}

void ReportTest::timeOnTask_data()
{
    QTest::addColumn<QList<qint64>>("stamps");
    QTest::addColumn<qlonglong>("seconds");
    const qint64 day = 86400;
    QTest::newRow("no record") << QList<qint64>{} << 0LL;
    QTest::newRow("one record") << QList<qint64>{500} << 0LL;
    QTest::newRow("short gaps add up") << QList<qint64>{0, 300, 900, 1000} << 1000LL;
    QTest::newRow("a gap just under 30 minutes counts") << QList<qint64>{0, 1799} << 1799LL;
    QTest::newRow("a gap of 30 minutes does not") << QList<qint64>{0, 1800, 1900} << 100LL;
    QTest::newRow("same stamp twice") << QList<qint64>{60, 60} << 0LL;
    QTest::newRow("past midnight with the date kept")
        << QList<qint64>{day + 86100, day + 200} << 500LL;
    QTest::newRow("clock set back an hour") << QList<qint64>{7200, 3600, 3700} << 100LL;
}

void ReportTest::timeOnTask()
{
    QFETCH(QList<qint64>, stamps);
    QFETCH(qlonglong, seconds);
    QCOMPARE(qlonglong(class_records::timeOnTask(std::vector<qint64>(stamps.begin(), stamps.end()))), seconds);
}

void ReportTest::overviewRowsPerFileAndAssignment()
{
    const ClassRecords records = twoStudents();
    const auto rows = class_records::overview(records);
    QStringList described;
    for (const auto& row : rows) {
        described.append(QStringLiteral("%1 %2 r%3 n%4 %5-%6 %7s")
                             .arg(row.file->name, row.assignment)
                             .arg(row.responses)
                             .arg(row.notes)
                             .arg(row.first ? row.first->time : QStringLiteral("none"), row.last ? row.last->time : QStringLiteral("none"))
                             .arg(row.secondsOnTask));
    }
    // ada: 14:00 to 14:10 counts; the note the next morning is far from both.
    // ben: the 45-minute gap does not count.
    QCOMPARE(described, (QStringList{"ada/send_1207.txt 011 r2 n1 14:00:00-09:00:00 600s",
                                     "ada/send_1207.txt 012 r1 n0 09:20:00-09:20:00 0s",
                                     "ben/send_1207.txt 011 r2 n0 15:00:00-15:45:00 0s",
                                     "ben/send_1207.txt 012 r0 n0 none-none 0s"}));
}

void ReportTest::assignmentsInNumberOrderItemsInFirstOrder()
{
    SendFile late;
    late.open(QStringLiteral("101"), header(QStringLiteral("101")), QStringLiteral("12-09-2026"))
        .time(QStringLiteral("10:00:00")).respond(QStringLiteral("waves"), QStringLiteral("v = f lambda"));
    SendFile early;
    early.time(QStringLiteral("08:00:00")).respond(QString(), QStringLiteral("before any opening"))
        .open(QStringLiteral("012"), header(QStringLiteral("012")), QStringLiteral("12-08-2026"))
        .time(QStringLiteral("09:00:00")).respond(QStringLiteral("second item"), QStringLiteral("b"))
        .time(QStringLiteral("09:01:00")).respond(QStringLiteral("first item"), QStringLiteral("a"));
    SendFile other;
    other.open(QStringLiteral("012"), header(QStringLiteral("012")), QStringLiteral("12-08-2026"))
        .time(QStringLiteral("09:30:00")).respond(QStringLiteral("first item"), QStringLiteral("c"))
        .time(QStringLiteral("09:31:00")).respond(QStringLiteral("third item"), QStringLiteral("d"));
    const ClassRecords records = classOf({{"a.txt", late.bytes()}, {"b.txt", early.bytes()}, {"c.txt", other.bytes()}});
    QStringList described;
    for (const auto& assignment : class_records::byAssignment(records)) {
        QStringList items;
        for (const auto& item : assignment.items) {
            QStringList answers;
            for (const auto& answer : item.answers)
                answers.append(answer.file->name + u'=' + answer.entry->text);
            items.append(item.text + QStringLiteral(" [") + answers.join(u' ') + u']');
        }
        described.append(assignment.number + u'|' + assignment.header + u'|' + items.join(QStringLiteral("; ")));
    }
    QCOMPARE(described, (QStringList{"012|012.  `query|second item [b.txt=b]; first item [b.txt=a c.txt=c]; third item [c.txt=d]",
                                     "101|101.  `query|waves [a.txt=v = f lambda]",
                                     "|| [b.txt=before any opening]"}));
}

void ReportTest::spread_data()
{
    QTest::addColumn<QStringList>("ratingLines");  // "-" for a response without one
    QTest::addColumn<QString>("spread");
    const QString c = record_lines::confidenceLine(QString());
    const QString s = record_lines::selfCritiqueLine(QString());
    QTest::newRow("numbers in order, counted")
        << QStringList{c + "3", c + "1", c + " 3 ", c + "0"} << "confidence: 0x1 1x1 3x2; 0 without of 4";
    QTest::newRow("words after numbers, empty last of them")
        << QStringList{c + "sure", c + "2", c, c + "10"} << "confidence: 2x1 10x1 x1 surex1; 0 without of 4";
    QTest::newRow("responses without a rating")
        << QStringList{"-", c + "1", "-"} << "confidence: 1x1; 2 without of 3";
    QTest::newRow("mixed kinds") << QStringList{c + "1", s + "2"} << "rating: 1x1 2x1; 0 without of 2";
}

void ReportTest::spread()
{
    QFETCH(QStringList, ratingLines);
    QFETCH(QString, spread);
    SendFile file;
    for (const QString& line : ratingLines) {
        file.time(QStringLiteral("10:00:00")).respond(QStringLiteral("item"), QStringLiteral("text"),
                     line == QLatin1String("-") ? std::nullopt : std::optional<QString>(line));
    }
    file.clock(QStringLiteral("12-07-2026"), QStringLiteral("10:01:00")).note(QStringLiteral("item"), QStringLiteral("a note is no rating"));
    const ClassRecords records = classOf({{"x.txt", file.bytes()}});
    const auto assignments = class_records::byAssignment(records);
    const auto found = class_records::spread(assignments.at(0).items.at(0));
    QStringList counts;
    for (const auto& count : found.counts)
        counts.append(QStringLiteral("%1x%2").arg(count.rating).arg(count.count));
    QCOMPARE(QStringLiteral("%1: %2; %3 without of %4")
                 .arg(wording::ratingKind(found.kind), counts.join(u' '))
                 .arg(found.unrated)
                 .arg(found.responses),
             spread);
}

void ReportTest::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << "P = 12.8 W" << QByteArray("P = 12.8 W");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("comma") << "a, b" << QByteArray("\"a, b\"");
    QTest::newRow("quotes doubled") << "say \"hi\"" << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("lines kept") << "one\r\ntwo" << QByteArray("\"one\r\ntwo\"");
    QTest::newRow("lone LF") << "one\ntwo" << QByteArray("\"one\ntwo\"");
    QTest::newRow("blanks kept unquoted") << "  x  " << QByteArray("  x  ");
    QTest::newRow("UTF-8") << QStringLiteral("\u0394T \u00b0C") << QByteArray("\xce\x94T \xc2\xb0" "C");
}

void ReportTest::csvField()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QCOMPARE(csv_table::field(text), field);
}

void ReportTest::csvRowsOfAClass()
{
    SendFile file;
    file.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod, copper"), QStringLiteral("P = 12.8 W\r\n\"about\" 13 W"), confidence(" 3"))
        .clock(QStringLiteral("12-07-2026"), QStringLiteral("14:02:00")).note(QStringLiteral("rod, copper"), QStringLiteral("check k"))
        .time(QStringLiteral("14:03:00")).respond(QStringLiteral("pane"), QString());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(csv_table::write(classOf({{"ada/send_1207.txt", file.bytes()}}), buffer));
    QCOMPARE(buffer.data(), QByteArray("file,assignment,date,time,kind,item,text,rating\r\n"
                                       "ada/send_1207.txt,011,12-07-2026,14:00:00,response,\"rod, copper\","
                                       "\"P = 12.8 W\r\n\"\"about\"\" 13 W\", 3\r\n"
                                       "ada/send_1207.txt,011,12-07-2026,14:02:00,notes,\"rod, copper\",check k,\r\n"
                                       "ada/send_1207.txt,011,12-07-2026,14:03:00,response,pane,,\r\n"));
}

void ReportTest::displayable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain stays") << "a < b & c" << "a < b & c";
    QTest::newRow("CR LF") << "a\r\nb" << "a\nb";
    QTest::newRow("lone CR") << "a\rb" << "a\nb";
    QTest::newRow("tab and LF stay") << "a\tb\nc" << "a\tb\nc";
    QTest::newRow("controls shown") << QStringLiteral("a") + QChar(0) + QChar(0x1b) + QChar(0x7f)
                                    << QStringLiteral("a\u2400\u241b\u2421");
    QTest::newRow("noncharacters") << QStringLiteral("\uffff\ufffe") << QStringLiteral("\ufffd\ufffd");
}

void ReportTest::displayable()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(HtmlWriter::displayable(text), shown);
}

void ReportTest::pageIsWellFormedAndEscapesEverything()
{
    const QString hostile = QStringLiteral("<script>alert(1)</script> & <b>bold</b> \"q\"") + QChar(0x01);
    SendFile file;
    file.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("<img src=x onerror=alert(2)>"), hostile, confidence("<i>3</i>"))
        .clock(QStringLiteral("12-07-2026"), QStringLiteral("14:01:00")).note(QStringLiteral("item"), QStringLiteral("</td></tr></table>"));
    const QString html = pageOf(classOf({{"<evil>/send.txt", file.bytes()}}));
    QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html><html lang=\"en\">")));

    QXmlStreamReader xml(html);
    QStringList texts;
    QStringList elements;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement())
            elements.append(xml.name().toString());
        if (xml.isCharacters())
            texts.append(xml.text().toString());
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    const QString allText = texts.join(QString());
    QVERIFY(allText.contains(HtmlWriter::displayable(hostile)));
    QVERIFY(allText.contains(QStringLiteral("<img src=x onerror=alert(2)>")));
    QVERIFY(allText.contains(QStringLiteral("</td></tr></table>")));
    QVERIFY(allText.contains(QStringLiteral("<evil>/send.txt")));
    for (const char* forbidden : {"script", "img", "b", "i", "evil", "iframe", "link"})
        QVERIFY2(!elements.contains(QLatin1String(forbidden)), forbidden);

    // Nothing fetched, and no element that HTML would leave open.
    QVERIFY(!html.contains(QLatin1String("src=\"")));
    QVERIFY(!html.contains(QLatin1String("url(")));
    static const QRegularExpression selfClosed(QStringLiteral("<(?!meta |rect |col |wbr/)[a-z]+[^<>]*/>"));
    QVERIFY2(!selfClosed.match(html).hasMatch(), qPrintable(selfClosed.match(html).captured()));
    // The style sheet is raw text: an escape in it would reach the browser as is.
    const QString style = html.section(QStringLiteral("<style>"), 1).section(QStringLiteral("</style>"), 0, 0);
    QVERIFY(!style.isEmpty());
    QVERIFY(!style.contains(u'&'));
}

void ReportTest::pageListsProblemsAndEmptyFiles()
{
    ClassRecords records = twoStudents();
    records.files.push_back({"carl/send_1207.txt", "/class/carl/send_1207.txt", record_reader::read(QByteArray())});
    records.files.push_back({"dora/send_1207.txt", "/class/dora/send_1207.txt", record_reader::read("Hello,\r\nsee below\r\n")});
    records.unread.push_back({"/class/eve/send_1207.txt", "eve/send_1207.txt", "Permission denied"});
    const QString html = pageOf(records);
    QVERIFY(html.contains(QLatin1String("Not everything could be read: 2 problems")));
    QVERIFY(html.contains(QLatin1String("<td class=\"file\">eve/<wbr/>send_1207.txt</td><td class=\"n\"></td><td>cannot be read: Permission denied</td>")));
    QVERIFY(html.contains(QLatin1String("lines 1 to 2 belong to no record, starting <span class=\"excerpt\">Hello,</span>")));
    QVERIFY(html.contains(QLatin1String("<td class=\"file\">carl/<wbr/>send_1207.txt</td><td>empty</td>")));
    QVERIFY(html.contains(QLatin1String("<td class=\"file\">dora/<wbr/>send_1207.txt</td><td>2 lines, none of them a record</td>")));
    QCOMPARE(html.count(QLatin1String("<article class=\"item\">")), 4);  // rod, rod answer, pane; block
}

void ReportTest::pageTitleNamesTheCourse()
{
    SendFile whole;
    whole.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"));
    const QByteArray cut = whole.bytes().left(whole.bytes().indexOf("Physics"));
    QVERIFY(pageOf(classOf({{"a.txt", cut}, {"b.txt", whole.bytes()}}))
                .contains(QStringLiteral("<title>Record report \u2014 Physics II</title>")));
    QVERIFY(pageOf(classOf({{"a.txt", cut}})).contains(QLatin1String("<title>Record report</title>")));
}

void ReportTest::problemLinesNameFileAndLine()
{
    ClassRecords records;
    SendFile cut;
    cut.time(QStringLiteral("10:00:00")).respond(QStringLiteral("item"), QStringLiteral("whole"))
        .time(QStringLiteral("10:01:00")).respond(QStringLiteral("item"), QStringLiteral("cut"));
    const QByteArray bytes = "stray\r\n" + cut.bytes().left(cut.bytes().size() - 40);
    records.files.push_back({"ada/send.txt", "class/ada/send.txt", record_reader::read(bytes)});
    records.unread.push_back({"class/ben", "ben", "Permission denied"});
    QCOMPARE(summary::problemLines(records),
             (QStringList{"class/ada/send.txt:1: line 1 belongs to no record",
                          "class/ada/send.txt:9: the response here is cut short: its closing rule is missing",
                          "class/ben: cannot be read: Permission denied"}));
}

void ReportTest::summaryCountsPerAssignment()
{
    QCOMPARE(summary::text(twoStudents()),
             QStringLiteral("Read 2 files: 5 responses and 1 note.\n"
                            "Assignment 011: 2 files, 4 responses, 1 note, 10 min on task in all\n"
                            "Assignment 012: 2 files, 1 response, 0 notes, 0 min on task in all\n"));
}

void ReportTest::duration_data()
{
    QTest::addColumn<qlonglong>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << 0LL << "0 min";
    QTest::newRow("under a minute") << 59LL << "0 min";
    QTest::newRow("minutes") << 3179LL << "52 min";
    QTest::newRow("hours with padded minutes") << 3900LL << "1 h 05 min";
}

void ReportTest::duration()
{
    QFETCH(qlonglong, seconds);
    QFETCH(QString, text);
    QCOMPARE(wording::duration(seconds), text);
}

void ReportTest::runStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");  // %D: a folder with one send file
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("summary") << QStringList{"%D"} << 0 << "Read 1 file: 1 response and 0 notes." << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "physics-drill-report" << "";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--csv <RECORDS.csv>" << "";
    QTest::newRow("help with Qt's options") << QStringList{"--help-all"} << 0 << "PATH..." << "";
    QTest::newRow("no path") << QStringList{} << 2 << "" << "no PATH given";
    QTest::newRow("unknown option") << QStringList{"--pdf", "%D"} << 2 << "" << "Unknown option 'pdf'";
    QTest::newRow("option without its value") << QStringList{"%D", "-o"} << 2 << "" << "Missing value after '-o'";
    QTest::newRow("nothing readable") << QStringList{"%D/missing"} << 1 << "" << "no record file could be read";
    QTest::newRow("one path missing, one read") << QStringList{"%D/missing", "%D"} << 0 << "Read 1 file"
                                                << "missing: cannot be read: No such file or directory";
    QTest::newRow("folder without record files") << QStringList{"%D/sub"} << 1 << "" << "no record file could be read";
    QTest::newRow("page cannot be written") << QStringList{"-o", "%D/no/such/folder/r.html", "%D"} << 1 << ""
                                            << "cannot write";
    QTest::newRow("spreadsheet cannot be written") << QStringList{"--csv", "%D/no/such/r.csv", "%D"} << 1 << "" << "cannot write";
    QTest::newRow("both written, nothing printed") << QStringList{"-o", "%D/r.html", "--csv", "%D/r.csv", "%D"} << 0 << "" << "";
}

void ReportTest::runStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("sub")));
    QFile file(folder.filePath(QStringLiteral("send_1207.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    SendFile send;
    send.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026")).time(QStringLiteral("14:00:00")).respond(QStringLiteral("q"), QStringLiteral("a"));
    file.write(send.bytes());
    file.close();

    QStringList args{QStringLiteral("physics-drill-report")};
    for (const QString& argument : arguments)
        args.append(QString(argument).replace(QLatin1String("%D"), folder.path()));
    QString outText;
    QString errText;
    QTextStream outStream(&outText);
    QTextStream errStream(&errText);
    QCOMPARE(report_run::run(args, outStream, errStream), status);
    outStream.flush();
    errStream.flush();
    QVERIFY2(out.isEmpty() ? outText.isEmpty() : outText.contains(out), qPrintable(outText));
    QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.contains(err), qPrintable(errText));
    if (status == 0 && args.contains(QStringLiteral("-o"))) {
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("r.html"))));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("r.csv"))));
    }
}

QTEST_GUILESS_MAIN(ReportTest)
#include "tst_report.moc"
