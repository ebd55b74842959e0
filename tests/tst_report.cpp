#include "records/record_lines.h"
#include "send_file.h"
#include "report/assignment_page.h"
#include "report/class_archive.h"
#include "report/class_model.h"
#include "report/csv_table.h"
#include "report/folder_pages.h"
#include "report/html_writer.h"
#include "report/item_order.h"
#include "report/item_page.h"
#include "report/page.h"
#include "report/ratings.h"
#include "report/run.h"
#include "report/summary.h"
#include "report/wording.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>
#include <vector>

using class_model::ClassModel;

namespace {

QString header(const QString& number)
{
    return number + QStringLiteral(".  `query");
}

class_records::StudentFile studentFile(const QString& name, const QString& student, const QByteArray& bytes)
{
    const QString label = name.section(u'/', -1);
    return {name, QStringLiteral("/class/") + name, student, record_reader::read(bytes), label, inputs::recordName(label).kind, {}, {}};
}

// Files named "student/file.txt", in the order of their names; a name
// without a folder is a file of the student "class".
ClassModel classOf(const QList<std::pair<QString, QByteArray>>& files, const course_items::Course& course = {})
{
    class_records::ClassRecords records;
    for (const auto& [name, bytes] : files)
        records.files.push_back(studentFile(name, name.contains(u'/') ? name.section(u'/', 0, -2) : QStringLiteral("class"), bytes));
    return class_model::build(std::move(records), course);
}

// A course of one assignment, 011, with these items.
course_items::Course courseOf(const QStringList& items)
{
    std::vector<bank_file::Slot> bankSlots{{true, QStringLiteral("011.  `query"), 0, 0}};
    for (const QString& item : items)
        bankSlots.push_back({true, item, 0, 0});
    return course_items::fromSlots(QStringLiteral("Physics II"), bankSlots);
}

QString confidence(const char* rating)
{
    return record_lines::confidenceLine(QString::fromUtf8(rating));
}

QString selfCritique(const char* rating)
{
    return record_lines::selfCritiqueLine(QString::fromUtf8(rating));
}

// Two students: ada on 011 and, after a note the next day, on 012; ben on
// 011 only, with an opening of 012 and nothing in it.
ClassModel twoStudents()
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

const page_links::Layout layout = page_links::layoutFor(QStringLiteral("report.html"));

QString pageOf(const ClassModel& model)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!page::write(model, {QStringLiteral("9.9")}, layout, buffer))
        return QString();
    return QString::fromUtf8(buffer.data());
}

QString assignmentPageOf(const ClassModel& model, std::size_t index)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!assignment_page::write(model, index, {QStringLiteral("9.9")}, layout, buffer))
        return QString();
    return QString::fromUtf8(buffer.data());
}

QString itemPageOf(const ClassModel& model, std::size_t index, std::size_t item)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!item_page::write(model, index, item, {QStringLiteral("9.9")}, layout, buffer))
        return QString();
    return QString::fromUtf8(buffer.data());
}

QString folderPageOf(const std::function<bool(QIODevice&)>& write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return write(buffer) ? QString::fromUtf8(buffer.data()) : QString();
}

// The row of a page that holds this record's anchor.
QString rowOf(const QString& html, int anchor)
{
    const qsizetype start = html.indexOf(QStringLiteral("<tr id=\"r%1\">").arg(anchor));
    return start < 0 ? QString() : html.mid(start, html.indexOf(QLatin1String("</tr>"), start) - start);
}

// Each of a student's records: date, time, kind and the files that hold it.
QStringList recordsOf(const ClassModel& model, std::size_t student = 0)
{
    QStringList found;
    const auto& who = model.students.at(student);
    for (const auto& record : who.merged.records) {
        QStringList files;
        for (const auto& copy : record.copies)
            files.append(who.files[copy.file]->label);
        files.sort();
        found.append(QStringLiteral("%1 %2 %3 %4")
                         .arg(record.date, record.entry->time,
                              record.entry->kind == record_reader::Kind::Notes ? QStringLiteral("note") : QStringLiteral("response"),
                              files.join(u'+')));
    }
    return found;
}

QByteArray csvOf(const ClassModel& model)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return csv_table::write(model, buffer) ? buffer.data() : QByteArray();
}

// The texts and the names of the elements of a page, which must be
// well-formed.
struct Parsed {
    QString text;
    QStringList elements;
    QString error;
};
Parsed parse(const QString& html)
{
    Parsed parsed;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement())
            parsed.elements.append(xml.name().toString());
        if (xml.isCharacters())
            parsed.text += xml.text();
    }
    parsed.error = xml.hasError() ? xml.errorString() : QString();
    return parsed;
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
    void studentName_data();
    void studentName();
    void overviewRowsPerStudentAndAssignment();
    void assignmentsInNumberOrderItemsInFirstOrder();
    void itemOrder_data();
    void itemOrder();
    void pairing_data();
    void pairing();
    void spread_data();
    void spread();
    void csvField_data();
    void csvField();
    void csvRowsOfAClass();
    void classOfThreeStudentFolders();
    void recordsOfAStudentWithoutMasterFile();
    void copiesOfOneRecord_data();
    void copiesOfOneRecord();
    void displayable_data();
    void displayable();
    void markupAsAnXmlWriterWritesIt();
    void pageIsWellFormedAndEscapesEverything();
    void longResponsesFoldAndLongRatingsWrap();
    void pageListsProblemsAndEmptyFiles();
    void pageTitleNamesTheCourse();
    void problemLinesNameFileAndLine();
    void summaryCountsPerAssignment();
    void duration_data();
    void duration();
    void runStatuses_data();
    void runStatuses();
    void recordsInTimeOrder_data();
    void recordsInTimeOrder();
    void calibrationWithinARun_data();
    void calibrationWithinARun();
    void pairsOnOneRowAndStudentsToCallOn();
    void completionFromTheCourse();
    void recordName_data();
    void recordName();
    void confinedName_data();
    void confinedName();
};

namespace {

enum class History { MidnightMasterLost, NewYearWithoutMaster, DayOnlyInSendFile, NoteOnlyInNotesFile, NoteInSendAndNotesFiles };

QList<std::pair<QString, QByteArray>> filesOf(History history)
{
    const QString day1 = QStringLiteral("12-07-2026");
    const QString day2 = QStringLiteral("12-08-2026");
    const QString h011 = header(QStringLiteral("011"));
    switch (history) {
    case History::MidnightMasterLost: {
        // The master file lost the record at 23:50, its neighbour before midnight.
        SendFile send;
        send.open(QStringLiteral("011"), h011, day1).time(QStringLiteral("23:50:00")).respond(QStringLiteral("rod"), QStringLiteral("a"))
            .time(QStringLiteral("00:05:00")).respond(QStringLiteral("pane"), QStringLiteral("b"));
        SendFile master;
        master.open(QStringLiteral("011"), h011, day1).time(QStringLiteral("00:05:00")).respond(QStringLiteral("pane"), QStringLiteral("b"));
        return {{"ada/masterFile.txt", master.masterBytes()}, {"ada/send_1207.txt", send.bytes()}};
    }
    case History::NewYearWithoutMaster: {
        SendFile december;
        december.open(QStringLiteral("011"), h011, QStringLiteral("12-31-2026")).time(QStringLiteral("22:00:00"))
            .respond(QStringLiteral("rod"), QStringLiteral("a"));
        SendFile january;
        january.open(QStringLiteral("011"), h011, QStringLiteral("01-01-2027")).time(QStringLiteral("09:00:00"))
            .respond(QStringLiteral("pane"), QStringLiteral("b"));
        return {{"ada/send_0101.txt", january.bytes()}, {"ada/send_1231.txt", december.bytes()}};
    }
    case History::DayOnlyInSendFile: {
        SendFile first;
        first.open(QStringLiteral("011"), h011, day1).time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("a"));
        SendFile second;
        second.open(QStringLiteral("011"), h011, day2).time(QStringLiteral("09:00:00")).respond(QStringLiteral("pane"), QStringLiteral("b"));
        return {{"ada/masterFile.txt", second.masterBytes()}, {"ada/send_1207.txt", first.bytes()}, {"ada/send_1208.txt", second.bytes()}};
    }
    case History::NoteOnlyInNotesFile: {
        SendFile master;
        master.open(QStringLiteral("011"), h011, day1).time(QStringLiteral("10:00:00")).respond(QStringLiteral("rod"), QStringLiteral("a"))
            .time(QStringLiteral("10:10:00")).respond(QStringLiteral("pane"), QStringLiteral("c"));
        SendFile notes;
        notes.clock(day1, QStringLiteral("10:05:00")).note(QStringLiteral("rod"), QStringLiteral("b"));
        return {{"ada/masterFile.txt", master.masterBytes()}, {"ada/notes_.txt", notes.notesBytes()}};
    }
    case History::NoteInSendAndNotesFiles: {
        SendFile master;
        master.open(QStringLiteral("011"), h011, day1).time(QStringLiteral("10:00:00")).respond(QStringLiteral("rod"), QStringLiteral("a"));
        SendFile send;
        send.open(QStringLiteral("011"), h011, day1).time(QStringLiteral("10:00:00")).respond(QStringLiteral("rod"), QStringLiteral("a"))
            .clock(day1, QStringLiteral("10:05:00")).note(QStringLiteral("rod"), QStringLiteral("b"));
        return {{"ada/masterFile.txt", master.masterBytes()}, {"ada/notes_.txt", send.notesBytes()}, {"ada/send_1207.txt", send.bytes()}};
    }
    }
    return {};
}

}  // namespace

void ReportTest::recordsInTimeOrder_data()
{
    QTest::addColumn<History>("history");
    QTest::addColumn<QStringList>("records");  // date, time, kind, files
    QTest::addColumn<int>("notInMaster");
    QTest::addColumn<QString>("firstAndLast");
    QTest::newRow("past midnight, the master lost the record before") << History::MidnightMasterLost
        << QStringList{"12-07-2026 23:50:00 response send_1207.txt", "12-08-2026 00:05:00 response masterFile.txt+send_1207.txt"} << 1
        << "12-07-2026 23:50:00 to 12-08-2026 00:05:00";
    QTest::newRow("send files across New Year, no master") << History::NewYearWithoutMaster
        << QStringList{"12-31-2026 22:00:00 response send_1231.txt", "01-01-2027 09:00:00 response send_0101.txt"} << 0
        << "12-31-2026 22:00:00 to 01-01-2027 09:00:00";
    QTest::newRow("a day that only a send file holds") << History::DayOnlyInSendFile
        << QStringList{"12-07-2026 14:00:00 response send_1207.txt", "12-08-2026 09:00:00 response masterFile.txt+send_1208.txt"} << 1
        << "12-07-2026 14:00:00 to 12-08-2026 09:00:00";
    QTest::newRow("a note that only the notes file holds") << History::NoteOnlyInNotesFile
        << QStringList{"12-07-2026 10:00:00 response masterFile.txt", "12-07-2026 10:05:00 note notes_.txt",
                       "12-07-2026 10:10:00 response masterFile.txt"}
        << 1 << "12-07-2026 10:00:00 to 12-07-2026 10:10:00";
    QTest::newRow("a note in the send and the notes file, not in the master") << History::NoteInSendAndNotesFiles
        << QStringList{"12-07-2026 10:00:00 response masterFile.txt+send_1207.txt", "12-07-2026 10:05:00 note notes_.txt+send_1207.txt"}
        << 1 << "12-07-2026 10:00:00 to 12-07-2026 10:05:00";
}

// Copies of a record merge whichever file lost its neighbours; a student's
// records stand in time order whatever files hold them; a record that the
// master file lacks counts once.
void ReportTest::recordsInTimeOrder()
{
    QFETCH(History, history);
    QFETCH(QStringList, records);
    QFETCH(int, notInMaster);
    QFETCH(QString, firstAndLast);
    const ClassModel model = classOf(filesOf(history));
    QCOMPARE(recordsOf(model), records);
    const auto& student = model.students.at(0);
    QCOMPARE(student.merged.notInMaster, notInMaster);
    QCOMPARE(wording::stamp(*student.first) + QStringLiteral(" to ") + wording::stamp(*student.last), firstAndLast);
    const QString page = pageOf(model);
    QCOMPARE(page.contains(QStringLiteral("1 record of 1 student not in the student's master file")), notInMaster == 1);
    QVERIFY(!page.contains(QLatin1String("Not everything could be read")));
    QStringList csvDates;
    for (const QByteArray& line : csvOf(model).split('\n').mid(1, records.size()))
        csvDates.append(QString::fromUtf8(line.split(',').value(3)));
    QStringList dates;
    for (const QString& record : records)
        dates.append(record.section(u' ', 0, 0));
    QCOMPARE(csvDates, dates);
}

void ReportTest::calibrationWithinARun_data()
{
    QTest::addColumn<QStringList>("steps");  // "open NNN DATE", "c ITEM", "s ITEM", "r ITEM"
    QTest::addColumn<QString>("calibration");  // pairs, unpaired
    QTest::newRow("question and answer in one run") << QStringList{"open 011 12-07-2026", "c rod", "s rod answer"} << "1 pair, 0 unpaired";
    QTest::newRow("the answer in the next day's run") << QStringList{"open 011 12-07-2026", "c rod", "open 011 12-08-2026", "s rod answer"}
                                                     << "0 pairs, 1 unpaired";
    QTest::newRow("another assignment's run between")
        << QStringList{"open 011 12-07-2026", "c rod", "open 012 12-07-2026", "r block", "open 011 12-07-2026", "s rod answer"}
        << "0 pairs, 1 unpaired";
    QTest::newRow("a note between") << QStringList{"open 011 12-07-2026", "c rod", "n rod", "s rod answer"} << "1 pair, 0 unpaired";
}

void ReportTest::calibrationWithinARun()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, calibration);
    SendFile file;
    int minute = 0;
    for (const QString& step : steps) {
        const QStringList words = step.split(u' ');
        const QString time = QStringLiteral("10:%1:00").arg(minute++, 2, 10, QChar(u'0'));
        const QString item = words.mid(1).join(u' ');
        if (words[0] == QLatin1String("open"))
            file.open(words[1], header(words[1]), words[2]).clock(words[2], time);
        else if (words[0] == QLatin1String("c"))
            file.time(time).respond(item, QStringLiteral("x"), confidence("3"));
        else if (words[0] == QLatin1String("s"))
            file.time(time).respond(item, QStringLiteral("y"), selfCritique("1"));
        else if (words[0] == QLatin1String("n"))
            file.time(time).note(item, QStringLiteral("z"));
        else
            file.time(time).respond(item, QStringLiteral("w"));
    }
    const ClassModel model = classOf({{"ada/masterFile.txt", file.masterBytes()}});
    const auto& table = model.assignments.at(0).calibration;
    QCOMPARE(QStringLiteral("%1, %2 unpaired").arg(wording::count(table.pairs(), QStringLiteral("pair"), QStringLiteral("pairs"))).arg(table.unpaired),
             calibration);
}

// The item's page shows a confidence and the self critique paired with it
// in one row; the first page names the students who answered with
// confidence and then needed critique, linked to those rows.
void ReportTest::pairsOnOneRowAndStudentsToCallOn()
{
    const auto student = [](const char* rating, const char* critique, const QString& time) {
        SendFile file;
        file.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
            .time(time).respond(QStringLiteral("rod"), QStringLiteral("P = 1.28e5 W"), confidence(rating))
            .time(time.left(3) + QStringLiteral("30:00")).respond(QStringLiteral("rod answer"), QStringLiteral("my area was in cm^2"), selfCritique(critique));
        return file.bytes();
    };
    const ClassModel model = classOf({{"ada/send_1207.txt", student("3", "1", QStringLiteral("14:00:00"))},
                                      {"ben/send_1207.txt", student("1", "3", QStringLiteral("15:00:00"))},
                                      {"cy/send_1207.txt", student("2", "0", QStringLiteral("16:00:00"))}});
    const QString page = pageOf(model);
    QVERIFY2(page.contains(QLatin1String("<span class=\"names\"><a href=\"report-files/a1-i1.html#r1\">ada</a>"
                                         "<a href=\"report-files/a1-i1.html#r3\">cy</a></span>")),
             qPrintable(page));
    const QString item = itemPageOf(model, 0, 0);
    const QString ada = rowOf(item, 1);
    for (const char* shown : {"ada", "P = 1.28e5 W", "chip r3", "Self critique, item 2:", "a1-i2.html#r4", "chip r1", "my area was in cm^2"})
        QVERIFY2(ada.contains(QLatin1String(shown)), shown);
    const QString critique = rowOf(itemPageOf(model, 0, 1), 4);
    QVERIFY2(critique.contains(QLatin1String("Confidence before, item 1:")) && critique.contains(QLatin1String("a1-i1.html#r1")),
             qPrintable(critique));
}

// The course tells how many items an assignment has: the grid shows the
// items not answered, the overview and the gradebook how much was
// answered; a note with no opening before it finds its assignment by its
// item, and what the students asked is shown item by item.
void ReportTest::completionFromTheCourse()
{
    SendFile ada;
    ada.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("a"), confidence("2"))
        .time(QStringLiteral("14:05:00")).note(QStringLiteral("rod answer"), QStringLiteral("why is k per metre?"))
        .time(QStringLiteral("14:10:00")).respond(QStringLiteral("pane"), QStringLiteral("b"));
    SendFile ben;
    ben.clock(QStringLiteral("12-08-2026"), QStringLiteral("09:00:00")).note(QStringLiteral("pane"), QStringLiteral("is glass a good insulator?"));
    const ClassModel model = classOf({{"ada/send_1207.txt", ada.bytes()}, {"ben/notes_.txt", ben.notesBytes()}},
                                     courseOf({"rod", "`arod answer", "pane", "`routine graph1", ""}));
    const auto& assignment = model.assignments.at(0);
    QCOMPARE(model.assignments.size(), std::size_t(1));
    QCOMPARE(assignment.courseItems, 3);
    QStringList answered;
    for (const auto& row : assignment.rows)
        answered.append(model.students[row.student].name + u' ' + page_parts::answered(row, assignment));
    QCOMPARE(answered, (QStringList{"ada answered 2 of 3", "ben answered 0 of 3"}));
    const QString grid = assignmentPageOf(model, 0);
    QVERIFY(grid.contains(QStringLiteral("<tr><th>ada</th><td><a class=\"chip r2\" href=\"a1-i1.html#r1\">2</a></td>"
                                        "<td><a class=\"chip note\" href=\"a1-i2.html#r2\">n</a></td>"
                                        "<td><a class=\"chip\" href=\"a1-i3.html#r3\">\u2713</a></td><td class=\"n\">2/3</td></tr>")));
    QVERIFY(grid.contains(QLatin1String("<tr><th>ben</th><td></td><td></td><td><a class=\"chip note\" href=\"a1-i3.html#r4\">n</a></td>"
                                        "<td class=\"n\">0/3</td></tr>")));
    QVERIFY(pageOf(model).contains(QLatin1String("Answered on average 1.0 of 3 items; 0 of 2 students answered every one.")));
    const QString asked = folderPageOf([&](QIODevice& out) { return folder_pages::writeAsked(model, 0, {QStringLiteral("9.9")}, layout, out); });
    for (const char* shown : {"why is k per metre?", "is glass a good insulator?", "12-08-2026", "href=\"a1-i3.html#r4\">ben</a>"})
        QVERIFY2(asked.contains(QLatin1String(shown)), shown);
    QBuffer gradebook;
    gradebook.open(QIODevice::WriteOnly);
    QVERIFY(csv_table::writeGradebook(model, gradebook));
    QCOMPARE(gradebook.data(), QByteArray("name,id,Assignment 011 (% answered)\r\nada,,66.7\r\nben,,0\r\n"));

    // A course that does not hold the assignment: the items that the records
    // show are counted (ben's note, with no opening before it, has no
    // assignment then).
    const ClassModel unknown = classOf({{"ada/send_1207.txt", ada.bytes()}, {"ben/notes_.txt", ben.notesBytes()}});
    answered.clear();
    for (const auto& row : unknown.assignments.at(0).rows)
        answered.append(unknown.students[row.student].name + u' ' + page_parts::answered(row, unknown.assignments.at(0)));
    QCOMPARE(answered, QStringList{QStringLiteral("ada answered 2")});
}

void ReportTest::recordName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("read");  // kind, day, prefix
    QTest::newRow("master file") << "masterFile.txt" << "master||";
    QTest::newRow("any case") << "MASTERFILE.TXT" << "master||";
    QTest::newRow("send file") << "send_1207.txt" << "send|1207|";
    QTest::newRow("notes file") << "notes_.txt" << "notes||";
    QTest::newRow("a mail attachment") << "ada_send_1207.txt" << "send|1207|ada";
    QTest::newRow("a name with blanks and a dash") << "Ada Lovelace-masterFile.txt" << "master||Ada Lovelace";
    QTest::newRow("a mail program's copy number") << "send_1207 (1).txt" << "send|1207|";
    QTest::newRow("another text file") << "readme.txt" << "other||";
    QTest::newRow("a day of three digits") << "send_127.txt" << "other||";
}

void ReportTest::recordName()
{
    QFETCH(QString, name);
    QFETCH(QString, read);
    const inputs::RecordName found = inputs::recordName(name);
    const char* kinds[] = {"master", "send", "notes", "other"};
    QCOMPARE(QStringList({QLatin1String(kinds[int(found.kind)]), found.day, found.prefix}).join(u'|'), read);
}

void ReportTest::confinedName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("confined");  // "-" for refused
    QTest::newRow("plain") << "class/ada/send_1207.txt" << "class/ada/send_1207.txt";
    QTest::newRow("backslashes") << "class\\ada\\send_1207.txt" << "class/ada/send_1207.txt";
    QTest::newRow("dots that stay inside") << "./class//ada/./send_1207.txt" << "class/ada/send_1207.txt";
    QTest::newRow("climbing out") << "../evil.txt" << "-";
    QTest::newRow("climbing out half-way") << "class/../../evil.txt" << "-";
    QTest::newRow("absolute") << "/etc/passwd" << "-";
    QTest::newRow("a drive letter") << "C:\\evil.txt" << "-";
    QTest::newRow("a drive letter without a separator") << "c:evil.txt" << "-";
    QTest::newRow("nothing") << "./" << "-";
}

void ReportTest::confinedName()
{
    QFETCH(QString, name);
    QFETCH(QString, confined);
    QCOMPARE(class_archive::confinedName(name).value_or(QStringLiteral("-")), confined);
}

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

void ReportTest::studentName_data()
{
    QTest::addColumn<QString>("common");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("a folder per student") << "/home/t/class" << "/home/t/class/ada" << "ada";
    QTest::newRow("deeper") << "/home/t/class" << "/home/t/class/group1/ada" << "group1/ada";
    QTest::newRow("the shared folder is the student's") << "/home/t/class/ada" << "/home/t/class/ada" << "ada";
    QTest::newRow("the root") << "/" << "/" << "/";
}

void ReportTest::studentName()
{
    QFETCH(QString, common);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QCOMPARE(inputs::studentName(common, folder), name);
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
    QTest::newRow("past midnight, the date rolled over") << QList<qint64>{day + 86100, 2 * day + 200} << 500LL;
    QTest::newRow("a stamp before the one before adds nothing") << QList<qint64>{day + 86100, day + 200} << 0LL;
    QTest::newRow("clock set back an hour") << QList<qint64>{7200, 3600, 3700} << 100LL;
}

void ReportTest::timeOnTask()
{
    QFETCH(QList<qint64>, stamps);
    QFETCH(qlonglong, seconds);
    QCOMPARE(qlonglong(class_records::timeOnTask(std::vector<qint64>(stamps.begin(), stamps.end()))), seconds);
}

void ReportTest::overviewRowsPerStudentAndAssignment()
{
    const ClassModel model = twoStudents();
    QStringList described;
    for (const auto& assignment : model.assignments) {
        for (const auto& row : assignment.rows) {
            described.append(QStringLiteral("%1 %2 r%3 n%4 %5-%6 %7s")
                                 .arg(model.students[row.student].name, assignment.number)
                                 .arg(row.responses)
                                 .arg(row.notes)
                                 .arg(row.first ? row.first->entry->time : QStringLiteral("none"),
                                      row.last ? row.last->entry->time : QStringLiteral("none"))
                                 .arg(row.secondsOnTask));
        }
    }
    // ada: 14:00 to 14:10 counts; the note the next morning is far from both.
    // ben: the 45-minute gap does not count.
    QCOMPARE(described, (QStringList{"ada 011 r2 n1 14:00:00-09:00:00 600s", "ben 011 r2 n0 15:00:00-15:45:00 0s",
                                     "ada 012 r1 n0 09:20:00-09:20:00 0s", "ben 012 r0 n0 none-none 0s"}));
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
    const ClassModel model = classOf({{"a/send.txt", late.bytes()}, {"b/send.txt", early.bytes()}, {"c/send.txt", other.bytes()}});
    QStringList described;
    for (const auto& assignment : model.assignments) {
        QStringList items;
        for (const auto& item : assignment.items) {
            QStringList answers;
            for (const auto& answer : item.answers)
                answers.append(model.students[answer.student].name + u'=' + answer.record->entry->text);
            items.append(item.text + QStringLiteral(" [") + answers.join(u' ') + u']');
        }
        described.append(assignment.number + u'|' + assignment.header + u'|' + items.join(QStringLiteral("; ")));
    }
    // b met "second item" before "first item"; the order of the bank, as
    // far as the records tell it.
    QCOMPARE(described, (QStringList{"012|012.  `query|second item [b=b]; first item [b=a c=c]; third item [c=d]",
                                     "101|101.  `query|waves [a=v = f lambda]",
                                     "|| [b=before any opening]"}));
}

void ReportTest::itemOrder_data()
{
    QTest::addColumn<QList<QStringList>>("runs");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("one run") << QList<QStringList>{{"a", "b", "c"}} << QStringList{"a", "b", "c"};
    QTest::newRow("each skipped one") << QList<QStringList>{{"a", "b", "d"}, {"a", "c", "d"}} << QStringList{"a", "b", "c", "d"};
    QTest::newRow("an earlier item met later") << QList<QStringList>{{"b", "c"}, {"a", "b"}} << QStringList{"a", "b", "c"};
    QTest::newRow("runs that disagree") << QList<QStringList>{{"a", "b"}, {"b", "a"}, {"c"}} << QStringList{"a", "b", "c"};
    QTest::newRow("no runs") << QList<QStringList>{} << QStringList{};
}

void ReportTest::itemOrder()
{
    QFETCH(QList<QStringList>, runs);
    QFETCH(QStringList, order);
    std::vector<std::vector<QString>> given;
    for (const QStringList& run : runs)
        given.emplace_back(run.begin(), run.end());
    const auto merged = item_order::merged(given);
    QCOMPARE(QStringList(merged.begin(), merged.end()), order);
}

void ReportTest::pairing_data()
{
    // A run as its records: c confidence, s self critique, r a response
    // without a rating, n a note.
    QTest::addColumn<QString>("run");
    QTest::addColumn<QString>("pairs");  // confidence-critique indices; then the unpaired
    QTest::newRow("question then answer") << "c s" << "0-1; 0";
    QTest::newRow("the nearest confidence before") << "c c s" << "1-2; 0";
    QTest::newRow("notes and plain responses between") << "c n r s" << "0-3; 0";
    QTest::newRow("a confidence pairs once") << "c s s" << "0-1; 1";
    QTest::newRow("critique first") << "s c s c" << "1-2; 1";
    QTest::newRow("no critique") << "c c r" << "; 0";
}

void ReportTest::pairing()
{
    QFETCH(QString, run);
    QFETCH(QString, pairs);
    std::vector<record_reader::Entry> entries;
    for (const QString& kind : run.split(u' ')) {
        record_reader::Entry entry;
        entry.kind = kind == QLatin1String("n") ? record_reader::Kind::Notes : record_reader::Kind::Response;
        entry.ratingKind = kind == QLatin1String("c")   ? record_reader::RatingKind::Confidence
                           : kind == QLatin1String("s") ? record_reader::RatingKind::SelfCritique
                                                        : record_reader::RatingKind::None;
        entries.push_back(entry);
    }
    std::vector<const record_reader::Entry*> pointers;
    for (const auto& entry : entries)
        pointers.push_back(&entry);
    const ratings::Pairing pairing = ratings::pair(pointers);
    QStringList found;
    for (const auto& [c, s] : pairing.pairs)
        found.append(QStringLiteral("%1-%2").arg(c).arg(s));
    QCOMPARE(found.join(u' ') + QStringLiteral("; ") + QString::number(pairing.unpaired), pairs);
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
    int minute = 0;
    for (const QString& line : ratingLines) {
        file.time(QStringLiteral("10:%1:00").arg(minute++, 2, 10, QChar(u'0')))
            .respond(QStringLiteral("item"), QStringLiteral("text"), line == QLatin1String("-") ? std::nullopt : std::optional<QString>(line));
    }
    file.clock(QStringLiteral("12-07-2026"), QStringLiteral("10:59:00")).note(QStringLiteral("item"), QStringLiteral("a note is no rating"));
    const ClassModel model = classOf({{"x/send.txt", file.bytes()}});
    const auto& found = model.assignments.at(0).items.at(0).spread;
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
    QTest::newRow("NUL as its picture") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QByteArray("a\xe2\x90\x80" "b");
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
    QCOMPARE(csvOf(classOf({{"ada/send_1207.txt", file.bytes()}})),
             QByteArray("student,files,assignment,date,time,kind,item,text,rating,item number,rating kind\r\n"
                        "ada,send_1207.txt,011,12-07-2026,14:00:00,response,\"rod, copper\","
                        "\"P = 12.8 W\r\n\"\"about\"\" 13 W\", 3,1,confidence\r\n"
                        "ada,send_1207.txt,011,12-07-2026,14:02:00,notes,\"rod, copper\",check k,,1,\r\n"
                        "ada,send_1207.txt,011,12-07-2026,14:03:00,response,pane,,,2,\r\n"));
}

// Three students, a folder each with the master file, the send files and
// the notes file. ada works past midnight; ben's send file holds a record
// that his master file lacks; cara works on two days, with a self critique
// that no confidence rating comes before.
void ReportTest::classOfThreeStudentFolders()
{
    SendFile ada;
    ada.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("23:50:00")).respond(QStringLiteral("rod"), QStringLiteral("12.8 W"), confidence("3"))
        .time(QStringLiteral("23:58:00")).respond(QStringLiteral("rod answer"), QStringLiteral("forgot the area"), selfCritique("1"))
        .time(QStringLiteral("00:02:00")).respond(QStringLiteral("pane"), QStringLiteral("0.96 W"), confidence("1"))
        .clock(QStringLiteral("12-08-2026"), QStringLiteral("00:05:00")).note(QStringLiteral("pane"), QStringLiteral("check units"))
        .time(QStringLiteral("00:09:00")).respond(QStringLiteral("pane answer"), QStringLiteral("OK"), selfCritique("3"));
    const auto benRecords = [](SendFile& file, bool withPane) {
        file.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
            .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("1.28e5 W"), confidence("2"))
            .time(QStringLiteral("14:05:00")).respond(QStringLiteral("rod answer"), QStringLiteral("area in cm^2"), selfCritique("2"))
            .time(QStringLiteral("14:06:00")).note(QStringLiteral("rod answer"), QStringLiteral("units!"));
        if (withPane)
            file.time(QStringLiteral("14:07:00")).respond(QStringLiteral("pane"), QStringLiteral("960 W"), confidence("sure"));
        file.time(QStringLiteral("14:09:00")).respond(QStringLiteral("pane answer"), QStringLiteral("OK"), selfCritique("3"));
    };
    SendFile ben;
    benRecords(ben, true);
    SendFile benMaster;
    benRecords(benMaster, false);
    SendFile caraDay1;
    caraDay1.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("10:00:00")).respond(QStringLiteral("rod answer"), QStringLiteral("fine"), selfCritique("3"))
        .time(QStringLiteral("10:02:00")).note(QStringLiteral("rod answer"), QStringLiteral("check sign"));
    SendFile caraDay2;
    caraDay2.open(QStringLiteral("012"), header(QStringLiteral("012")), QStringLiteral("12-08-2026"))
        .time(QStringLiteral("09:00:00")).respond(QStringLiteral("block"), QStringLiteral("28.9 C"), confidence("2"));

    const ClassModel model = classOf({{"ada/masterFile.txt", ada.masterBytes()},
                                      {"ada/notes_.txt", ada.notesBytes()},
                                      {"ada/send_1207.txt", ada.bytes()},
                                      {"ben/masterFile.txt", benMaster.masterBytes()},
                                      {"ben/notes_.txt", ben.notesBytes()},
                                      {"ben/send_1207.txt", ben.bytes()},
                                      {"cara/masterFile.txt", caraDay1.masterBytes() + caraDay2.masterBytes()},
                                      {"cara/notes_.txt", caraDay1.notesBytes() + caraDay2.notesBytes()},
                                      {"cara/send_1207.txt", caraDay1.bytes()},
                                      {"cara/send_1208.txt", caraDay2.bytes()}});
    QCOMPARE(csvOf(model), QByteArray("student,files,assignment,date,time,kind,item,text,rating,item number,rating kind\r\n"
                                      "ada,masterFile.txt; send_1207.txt,011,12-07-2026,23:50:00,response,rod,12.8 W,3,1,confidence\r\n"
                                      "ada,masterFile.txt; send_1207.txt,011,12-07-2026,23:58:00,response,rod answer,forgot the area,1,2,self critique\r\n"
                                      "ada,masterFile.txt; send_1207.txt,011,12-08-2026,00:02:00,response,pane,0.96 W,1,3,confidence\r\n"
                                      "ada,masterFile.txt; notes_.txt; send_1207.txt,011,12-08-2026,00:05:00,notes,pane,check units,,3,\r\n"
                                      "ada,masterFile.txt; send_1207.txt,011,12-08-2026,00:09:00,response,pane answer,OK,3,4,self critique\r\n"
                                      "ben,masterFile.txt; send_1207.txt,011,12-07-2026,14:00:00,response,rod,1.28e5 W,2,1,confidence\r\n"
                                      "ben,masterFile.txt; send_1207.txt,011,12-07-2026,14:05:00,response,rod answer,area in cm^2,2,2,self critique\r\n"
                                      "ben,masterFile.txt; notes_.txt; send_1207.txt,011,12-07-2026,14:06:00,notes,rod answer,units!,,2,\r\n"
                                      "ben,send_1207.txt,011,12-07-2026,14:07:00,response,pane,960 W,sure,3,confidence\r\n"
                                      "ben,masterFile.txt; send_1207.txt,011,12-07-2026,14:09:00,response,pane answer,OK,3,4,self critique\r\n"
                                      "cara,masterFile.txt; send_1207.txt,011,12-07-2026,10:00:00,response,rod answer,fine,3,2,self critique\r\n"
                                      "cara,masterFile.txt; notes_.txt; send_1207.txt,011,12-07-2026,10:02:00,notes,rod answer,check sign,,2,\r\n"
                                      "cara,masterFile.txt; send_1208.txt,012,12-08-2026,09:00:00,response,block,28.9 C,2,1,confidence\r\n"));

    QStringList merged;
    for (const auto& student : model.students)
        merged.append(QStringLiteral("%1: %2 records, %3 in several files").arg(student.name).arg(student.merged.records.size()).arg(student.inSeveralFiles));
    QCOMPARE(merged, (QStringList{"ada: 5 records, 5 in several files", "ben: 5 records, 4 in several files",
                                  "cara: 3 records, 3 in several files"}));
    QStringList missing;
    for (const auto& problem : model.problems)
        missing.append(QStringLiteral("%1:%2: %3").arg(problem.name).arg(problem.line).arg(problem.message));
    QCOMPARE(missing, (QStringList{"ben/send_1207.txt:28: the record here is not in the student's master file ben/masterFile.txt"}));

    const auto& a011 = model.assignments.at(0);
    QCOMPARE(a011.number, QStringLiteral("011"));
    QCOMPARE(a011.calibration.counts,
             (std::array<std::array<int, 4>, 4>{{{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 1, 0}, {0, 1, 0, 0}}}));
    QCOMPARE(a011.calibration.offScale, 1);
    QCOMPARE(a011.calibration.unpaired, 1);
    QStringList items;
    for (const auto& item : a011.items)
        items.append(QStringLiteral("%1 %2/%3").arg(item.text).arg(item.confidentCritiqued).arg(item.pairs));
    QCOMPARE(items, (QStringList{"rod 2/2", "rod answer 0/0", "pane 0/1", "pane answer 0/0"}));
    QStringList shares;
    for (const auto& row : a011.rows) {
        shares.append(QStringLiteral("%1 %2/%3 %4/%5 %6s")
                          .arg(model.students[row.student].name)
                          .arg(row.shares.confidentCritiqued)
                          .arg(row.shares.confident)
                          .arg(row.shares.unconfidentSound)
                          .arg(row.shares.unconfident)
                          .arg(row.secondsOnTask));
    }
    // ada: 23:50, 23:58, 00:02, 00:05 and 00:09 make 19 minutes.
    QCOMPARE(shares, (QStringList{"ada 1/1 1/1 1140s", "ben 1/1 0/0 540s", "cara 0/0 0/0 120s"}));
    QCOMPARE(a011.rows.at(0).cells.at(1).answers.size(), std::size_t(1));
    QCOMPARE(a011.rows.at(2).cells.at(0).answers.size(), std::size_t(0));
}

// The send files of two days and the notes file: the days in order, each
// note in its place, nothing listed as missing.
void ReportTest::recordsOfAStudentWithoutMasterFile()
{
    SendFile day1;
    day1.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("12.8 W"));
    SendFile day2;
    day2.open(QStringLiteral("012"), header(QStringLiteral("012")), QStringLiteral("12-08-2026"))
        .time(QStringLiteral("09:00:00")).note(QStringLiteral("block"), QStringLiteral("first thoughts"))
        .time(QStringLiteral("09:05:00")).respond(QStringLiteral("block"), QStringLiteral("28.9 C"))
        .time(QStringLiteral("09:07:00")).note(QStringLiteral("block"), QStringLiteral("check"));
    const ClassModel model = classOf({{"ada/notes_.txt", day1.notesBytes() + day2.notesBytes()},
                                      {"ada/send_1207.txt", day1.bytes()},
                                      {"ada/send_1208.txt", day2.bytes()}});
    QStringList found;
    for (const auto& record : model.students.at(0).merged.records)
        found.append(record.assignment + u' ' + record.entry->time + u' ' + QString::number(record.copies.size()));
    QCOMPARE(found, (QStringList{"011 14:00:00 1", "012 09:00:00 2", "012 09:05:00 1", "012 09:07:00 2"}));
    QVERIFY(model.problems.empty());
}

void ReportTest::copiesOfOneRecord_data()
{
    QTest::addColumn<QString>("sendTime");
    QTest::addColumn<QString>("sendText");
    QTest::addColumn<bool>("cutShort");
    QTest::addColumn<QString>("records");  // time and files of each merged record
    QTest::newRow("the same") << "14:00:00" << "12.8 W" << false << "14:00:00 masterFile.txt; send_1207.txt";
    QTest::newRow("a second apart") << "14:00:01" << "12.8 W" << false << "14:00:00 masterFile.txt; send_1207.txt";
    QTest::newRow("three seconds apart") << "14:00:03" << "12.8 W" << false
                                         << "14:00:00 masterFile.txt, 14:00:03 send_1207.txt";
    QTest::newRow("another text") << "14:00:00" << "12.9 W" << false << "14:00:00 masterFile.txt, 14:00:00 send_1207.txt";
    QTest::newRow("a copy cut short") << "14:00:00" << "12.8 W" << true << "14:00:00 masterFile.txt; send_1207.txt";
}

void ReportTest::copiesOfOneRecord()
{
    QFETCH(QString, sendTime);
    QFETCH(QString, sendText);
    QFETCH(bool, cutShort);
    QFETCH(QString, records);
    SendFile master;
    master.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("12.8 W"), confidence("2"));
    SendFile send;
    send.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(sendTime).respond(QStringLiteral("rod"), sendText, confidence("2"));
    const QByteArray sendBytes = cutShort ? send.bytes().left(send.bytes().indexOf("12.8") + 3) : send.bytes();
    const ClassModel model = classOf({{"ada/masterFile.txt", master.masterBytes()}, {"ada/send_1207.txt", sendBytes}});
    QStringList found;
    for (const auto& record : model.students.at(0).merged.records) {
        QStringList files;
        for (const auto& copy : record.copies)
            files.append(model.students.at(0).files[copy.file]->name.section(u'/', 1));
        found.append(record.entry->time + u' ' + files.join(QStringLiteral("; ")));
    }
    QCOMPARE(found.join(QStringLiteral(", ")), records);
    // The whole copy is the one shown.
    QVERIFY(!model.students.at(0).merged.records.front().entry->cutShort);
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
    QTest::newRow("C1 controls") << QStringLiteral("a\u0080\u0085\u009f\u00a0") << QStringLiteral("a\ufffd\ufffd\ufffd\u00a0");
}

void ReportTest::displayable()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(HtmlWriter::displayable(text), shown);
}

// The writer copies plain text in one piece; what it writes must stay what
// an XML writer writes, character for character.
void ReportTest::markupAsAnXmlWriterWritesIt()
{
    struct Case {
        const char* name;
        std::function<void(HtmlWriter&)> write;
        QString markup;
    };
    const QString controls = QStringLiteral("a") + QChar(0x01) + QChar(0x0b) + QStringLiteral("\t\n\r\ufffe\uffffb");
    const std::vector<Case> cases{
        {"an empty element is opened and closed", [](HtmlWriter& h) { h.open("div"); h.close(); }, QStringLiteral("<div></div>")},
        {"shapes close themselves, then their parent",
         [](HtmlWriter& h) {
             h.open("svg");
             h.shape("rect", {{"x", QStringLiteral("1")}});
             h.shape("rect", {});
             h.close();
         },
         QStringLiteral("<svg><rect x=\"1\"/><rect/></svg>")},
        {"text escapes markup and quotes", [](HtmlWriter& h) { h.element("p", QStringLiteral("a<b>&\"c\"'")); },
         QStringLiteral("<p>a&lt;b&gt;&amp;&quot;c&quot;'</p>")},
        {"an attribute escapes line breaks and tabs",
         [](HtmlWriter& h) { h.element("p", QString(), {{"title", QStringLiteral("a\tb\nc\r\nd<&\"")}}); },
         QStringLiteral("<p title=\"a&#9;b&#10;c&#10;d&lt;&amp;&quot;\"></p>")},
        {"verbatim text leaves out controls and noncharacters", [&](HtmlWriter& h) { h.verbatim(controls); },
         QStringLiteral("a\t\n\rb")},
        {"a shape's attribute leaves them out too",
         [&](HtmlWriter& h) { h.shape("col", {{"class", controls}}); h.close(); },
         QStringLiteral("<col class=\"a&#9;&#10;&#13;b\"/>")},
        {"the doctype ends an open shape first",
         [](HtmlWriter& h) { h.shape("meta", {}); h.doctype(); },
         QStringLiteral("<meta/><!DOCTYPE html>")},
        {"a close with nothing open writes nothing", [](HtmlWriter& h) { h.close(); h.text(QStringLiteral("x")); },
         QStringLiteral("x")},
    };
    for (const Case& c : cases) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        HtmlWriter html(buffer);
        c.write(html);
        QVERIFY2(html.flush(), c.name);
        QVERIFY2(QString::fromUtf8(buffer.data()) == c.markup, qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ")
                                                                            + QString::fromUtf8(buffer.data())));
    }
}

void ReportTest::pageIsWellFormedAndEscapesEverything()
{
    const QString hostile = QStringLiteral("<script>alert(1)</script> & <b>bold</b> \"q\"") + QChar(0x01) + QChar(0x85);
    SendFile file;
    file.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("<img src=x onerror=alert(2)>"), hostile, confidence("<i>3</i>"))
        .clock(QStringLiteral("12-07-2026"), QStringLiteral("14:01:00")).note(QStringLiteral("item"), QStringLiteral("</td></tr></table>"))
        .time(QStringLiteral("14:02:00")).respond(QStringLiteral("a{}b"), QString(), selfCritique("2"));
    const ClassModel model = classOf({{"<evil>/send.txt", file.bytes()}});
    const QString page = pageOf(model);
    const QString assignment = assignmentPageOf(model, 0);
    QString items;
    for (std::size_t i = 0; i < model.assignments.at(0).items.size(); ++i)
        items += itemPageOf(model, 0, i);
    const QString students = folderPageOf([&](QIODevice& out) { return folder_pages::writeStudents(model, {QStringLiteral("9.9")}, layout, out); });
    const QString asked = folderPageOf([&](QIODevice& out) { return folder_pages::writeAsked(model, 0, {QStringLiteral("9.9")}, layout, out); });
    for (const QString& html : {page, assignment, itemPageOf(model, 0, 0), itemPageOf(model, 0, 2), students, asked}) {
        QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html><html lang=\"en\">")));
        const Parsed parsed = parse(html);
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QVERIFY(parsed.text.contains(QStringLiteral("<evil>")));
        for (const char* forbidden : {"script", "img", "b", "i", "evil", "iframe", "link"})
            QVERIFY2(!parsed.elements.contains(QLatin1String(forbidden)), forbidden);
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
    const Parsed parsed = parse(itemPageOf(model, 0, 0));
    QVERIFY(parsed.text.contains(HtmlWriter::displayable(hostile)));
    QVERIFY(!parsed.text.contains(QChar(0x85)));
    QVERIFY(parsed.text.contains(QStringLiteral("<img src=x onerror=alert(2)>")));
    QVERIFY(parse(itemPageOf(model, 0, 1)).text.contains(QStringLiteral("</td></tr></table>")));
    QVERIFY(parse(itemPageOf(model, 0, 2)).text.contains(QStringLiteral("a\nb")));
    QVERIFY(parse(itemPageOf(model, 0, 2)).text.contains(QStringLiteral("(empty)")));
    QVERIFY(parse(asked).text.contains(QStringLiteral("</td></tr></table>")));
    // The page links to the assignment's page beside it, whose grid links to
    // each record's row on its item's page, which links back.
    QVERIFY(page.contains(QLatin1String("href=\"report-files/a1.html\"")));
    QVERIFY(assignment.contains(QLatin1String("href=\"../report.html\"")));
    for (int anchor = 1; anchor <= 3; ++anchor) {
        QVERIFY(assignment.contains(QStringLiteral("href=\"a1-i%1.html#r%1\"").arg(anchor)));
        QVERIFY(items.contains(QStringLiteral("id=\"r%1\"").arg(anchor)));
    }
}

void ReportTest::longResponsesFoldAndLongRatingsWrap()
{
    SendFile file;
    QStringList lines;
    for (int i = 1; i <= 40; ++i)
        lines.append(QStringLiteral("line %1 of the derivation").arg(i));
    file.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), lines.join(QStringLiteral("\r\n")), confidence("pretty sure about this one"))
        .time(QStringLiteral("14:01:00")).respond(QStringLiteral("pane"), QStringLiteral("short"), confidence("2"));
    const ClassModel model = classOf({{"ada/send.txt", file.bytes()}});
    const QString html = itemPageOf(model, 0, 0) + itemPageOf(model, 0, 1);
    QCOMPARE(html.count(QLatin1String("<details class=\"long\">")), 1);
    QVERIFY(html.contains(QLatin1String("show all 40 lines")));
    QVERIFY(html.contains(QLatin1String("line 40 of the derivation")));
    // The grid shows the start of a rating that is no number; the answer
    // rows show it whole, in a chip that wraps.
    QVERIFY(assignmentPageOf(model, 0).contains(QStringLiteral("class=\"chip\" href=\"a1-i1.html#r1\">pre\u2026</a>")));
    QVERIFY(html.contains(QLatin1String("class=\"chip other\" title=\"confidence\">pretty sure about this one</span>")));
}

void ReportTest::pageListsProblemsAndEmptyFiles()
{
    SendFile ada;
    ada.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"))
        .time(QStringLiteral("14:00:00")).respond(QStringLiteral("rod"), QStringLiteral("12.8 W"));
    class_records::ClassRecords records;
    records.files.push_back(studentFile("ada/send_1207.txt", "ada", ada.bytes()));
    records.files.push_back(studentFile("carl/send_1207.txt", "carl", QByteArray()));
    records.files.push_back(studentFile("dora/send_1207.txt", "dora", "Hello,\r\nsee below\r\n"));
    records.unread.push_back({"/class/eve/send_1207.txt", "eve/send_1207.txt", "Permission denied"});
    const ClassModel model = class_model::build(std::move(records), {});
    const QString page = pageOf(model);
    QVERIFY(page.contains(QStringLiteral("1 student \u00b7 3 files")));
    QVERIFY(page.contains(QLatin1String("Not everything could be read: 2 problems (")));
    QVERIFY(page.contains(QLatin1String("href=\"report-files/problems.html#unreadable\"")));
    QVERIFY(!page.contains(QLatin1String("Permission denied")));
    const QString html = folderPageOf([&](QIODevice& out) { return folder_pages::writeProblems(model, {QStringLiteral("9.9")}, layout, out); });
    QVERIFY(html.contains(QLatin1String("<td class=\"file\">eve/<wbr/>send_1207.txt</td><td class=\"n\"></td><td>cannot be read: Permission denied</td>")));
    QVERIFY(html.contains(QLatin1String("lines 1 to 2 belong to no record, starting <span class=\"excerpt\">Hello,</span>")));
    QVERIFY(html.contains(QLatin1String("<td class=\"file\">carl/<wbr/>send_1207.txt</td><td>empty</td>")));
    QVERIFY(html.contains(QLatin1String("<td class=\"file\">dora/<wbr/>send_1207.txt</td><td>2 lines, none of them a record</td>")));
}

void ReportTest::pageTitleNamesTheCourse()
{
    SendFile whole;
    whole.open(QStringLiteral("011"), header(QStringLiteral("011")), QStringLiteral("12-07-2026"));
    const QByteArray cut = whole.bytes().left(whole.bytes().indexOf("Physics"));
    QVERIFY(pageOf(classOf({{"a/send.txt", cut}, {"b/send.txt", whole.bytes()}}))
                .contains(QStringLiteral("<title>Record report \u2014 Physics II</title>")));
    QVERIFY(pageOf(classOf({{"a/send.txt", cut}})).contains(QLatin1String("<title>Record report</title>")));
}

void ReportTest::problemLinesNameFileAndLine()
{
    SendFile cut;
    cut.time(QStringLiteral("10:00:00")).respond(QStringLiteral("item"), QStringLiteral("whole"))
        .time(QStringLiteral("10:01:00")).respond(QStringLiteral("item"), QStringLiteral("cut"));
    const QByteArray bytes = "stray\r\n" + cut.bytes().left(cut.bytes().size() - 40);
    class_records::ClassRecords records;
    records.files.push_back(studentFile("ada/send.txt", "ada", bytes));
    records.files.back().path = QStringLiteral("class/ada/send.txt");
    records.unread.push_back({"class/ben", "ben", "Permission denied"});
    QCOMPARE(summary::problemLines(class_model::build(std::move(records), {})),
             (QStringList{"class/ada/send.txt:1: line 1 belongs to no record",
                          "class/ada/send.txt:9: the response here is cut short: its closing rule is missing",
                          "class/ben: cannot be read: Permission denied"}));
}

void ReportTest::summaryCountsPerAssignment()
{
    QCOMPARE(summary::text(twoStudents()),
             QStringLiteral("Read 2 files of 2 students: 5 responses and 1 note.\n"
                            "Assignment 011: 2 students, 4 responses, 1 note, 10 min on task in all\n"
                            "Assignment 012: 2 students, 1 response, 0 notes, 0 min on task in all\n"));
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
    QTest::newRow("summary") << QStringList{"%D"} << 0 << "Read 1 file of 1 student: 1 response and 0 notes." << "";
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
    QTest::newRow("page into a folder that is a file") << QStringList{"-o", "%D/send_1207.txt/r.html", "%D"} << 1 << ""
                                                       << "cannot make the folder %D/send_1207.txt: Not a directory";
    QTest::newRow("spreadsheet into a folder that is a file") << QStringList{"--csv", "%D/send_1207.txt/r.csv", "%D"} << 1 << ""
                                                              << "cannot make the folder %D/send_1207.txt: Not a directory";
    QTest::newRow("page into a missing folder") << QStringList{"-o", "%D/new/r.html", "%D"} << 0 << "" << "";
    QTest::newRow("bank that cannot be used") << QStringList{"--bank", "%D/missing.drillbank", "%D"} << 1 << ""
                                              << "the bank %D/missing.drillbank cannot be used";
    QTest::newRow("both written, nothing printed") << QStringList{"-o", "%D/r.html", "--csv", "%D/r.csv", "%D"} << 0 << "" << "";
    QTest::newRow("page and spreadsheet on one file") << QStringList{"-o", "%D/r.html", "--csv", "%D/sub/../r.html", "%D"} << 2 << ""
                                                      << "cannot both be written to";
    QTest::newRow("spreadsheet and gradebook on one file") << QStringList{"--gradebook", "%D/r.csv", "--csv", "%D/r.csv", "%D"} << 2 << ""
                                                           << "two outputs cannot both be written to";
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
    // A path is shown as it was given, or in the system's own form where the
    // program made it (the folders of an output).
    const QString expectedErr = QString(err).replace(QLatin1String("%D"), folder.path());
    QVERIFY2(err.isEmpty() ? errText.isEmpty()
                           : errText.contains(expectedErr) || errText.contains(QDir::toNativeSeparators(expectedErr)),
             qPrintable(errText));
    if (status == 0 && args.contains(QStringLiteral("--csv"))) {
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("r.html"))));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("r-files/a1.html"))));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("r.csv"))));
    }
    if (status == 2)
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("r.html"))));
}

QTEST_GUILESS_MAIN(ReportTest)
#include "tst_report.moc"
