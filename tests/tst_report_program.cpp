// The report program as an instructor runs it: a process over a folder.
#include "platform/posix_file.h"
#include "records/record_lines.h"
#include "send_file.h"
#include "test_system.h"
#include "zip_file.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>


namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Fails the test instead of waiting for ever: a pipe or a device read to its
// end would hang the program.
Run runReport(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(REPORT_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// RFC 4180: fields split at commas, quoted fields may hold commas, doubled
// quotes and line breaks; rows end in CR LF.
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

QString confidence(const QString& rating)
{
    return record_lines::confidenceLine(rating);
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

SendFile goodFile()
{
    SendFile file;
    file.open(QStringLiteral("011"), QStringLiteral("011.  `query 1"), QStringLiteral("12-07-2026"))
        .clock(QStringLiteral("12-07-2026"), QStringLiteral("14:05:09"))
        .respond(QStringLiteral("rod"), QStringLiteral("P = 12.8 W"), confidence(QStringLiteral("3")));
    return file;
}

enum class Setup {
    EmptyFile,
    BinaryFile,
    HugeLine,
    CutRecords,
    ManyFiles,
    UnreadableFile,
    UnreadableFolder,
    PipeInFolder,
    PipeGiven,
    DeviceGiven,
    DanglingLink,
    LinkLoop,
    NotUtf8Names,
    DamagedArchive,
    ArchiveClimbingOut,
    ArchiveTooLarge,
};

enum class Layout {
    FolderPerStudent,
    NestedDataFolder,
    SiteFolders,
    SiteFlat,
    MailAttachments,
    Archive,
    Latin1AndUtf8,
    ComposedAndDecomposed,
    TwoMasterFiles,
    TwoSendFilesOfADay,
};

// One run of a student: an opening and one response at this time.
SendFile run(const QString& time, const QString& text)
{
    SendFile file;
    file.open(QStringLiteral("011"), QStringLiteral("011.  `query 1"), QStringLiteral("12-07-2026"))
        .clock(QStringLiteral("12-07-2026"), time)
        .respond(QStringLiteral("rod"), text, confidence(QStringLiteral("2")));
    return file;
}

// A file named by bytes below the folder; false where the system cannot
// name a file so (Windows names are Unicode: no name is Latin-1 bytes).
bool writeNative(const QString& folder, const QByteArray& path, const QByteArray& bytes)
{
    return test_system::writeFileByBytes(posix_file::nativePath(folder) + path, bytes);
}

const char* const noByteNames = "file names on this system are Unicode: no name can be made of Latin-1 bytes";

// "name#id:records" for each student of the spreadsheet and the gradebook,
// in the order of their names.
QString studentsOf(const QString& csvPath, const QString& gradebookPath)
{
    QFile csv(csvPath);
    QFile gradebook(gradebookPath);
    if (!csv.open(QIODevice::ReadOnly) || !gradebook.open(QIODevice::ReadOnly))
        return QStringLiteral("no output");
    QMap<QString, int> records;
    for (const QStringList& row : parseCsv(QString::fromUtf8(csv.readAll())).mid(1))
        ++records[row.value(0)];
    QStringList described;
    for (const QStringList& row : parseCsv(QString::fromUtf8(gradebook.readAll())).mid(1))
        described.append(QStringLiteral("%1#%2:%3").arg(row.value(0), row.value(1)).arg(records.value(row.value(0))));
    return described.join(u' ');
}

}  // namespace

class ReportProgramTest : public QObject {
    Q_OBJECT
private slots:
    void pageAndSpreadsheetOfAClass();
    void badInput_data();
    void badInput();
    void layouts_data();
    void layouts();
    void outputsForTheirOwnerOnly();
};

void ReportProgramTest::pageAndSpreadsheetOfAClass()
{
    QTemporaryDir folder;
    const QString script = QStringLiteral("<script>alert('graded')</script>");
    const QString multi = QStringLiteral("Q = m c \u0394T, with c = 4186 J/(kg K),\r\n\"so\" Q = 1.49 x 10^4 J");
    SendFile ada = goodFile();
    ada.clock(QStringLiteral("12-07-2026"), QStringLiteral("14:09:40")).respond(QStringLiteral("block, water"), multi, confidence(QString()));
    ada.save(folder.filePath(QStringLiteral("class/ada/send_1207.txt")));
    SendFile ben;
    ben.open(QStringLiteral("011"), QStringLiteral("011.  `query 1"), QStringLiteral("12-07-2026"))
        .clock(QStringLiteral("12-08-2026"), QStringLiteral("09:00:00"))
        .note(QStringLiteral("rod"), script)
        .clock(QStringLiteral("12-08-2026"), QStringLiteral("09:03:00"))
        .respond(QStringLiteral("rod"), QStringLiteral("1.28 x 10^5 W"), record_lines::selfCritiqueLine(QStringLiteral("1")));
    ben.save(folder.filePath(QStringLiteral("class/ben/send_1208.txt")));

    const QString page = folder.filePath(QStringLiteral("report.html"));
    const QString csv = folder.filePath(QStringLiteral("rows.csv"));
    const Run run = runReport({QStringLiteral("-o"), page, QStringLiteral("--csv"), csv, folder.filePath(QStringLiteral("class"))});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QString());

    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(csvFile.readAll()));
    const QList<QStringList> expected = {
        {"student", "files", "assignment", "date", "time", "kind", "item", "text", "rating", "item number", "rating kind"},
        {"ada", "send_1207.txt", "011", "12-07-2026", "14:05:09", "response", "rod", "P = 12.8 W", "3", "16", "confidence"},
        {"ada", "send_1207.txt", "011", "12-07-2026", "14:09:40", "response", "block, water", multi, "", "17", "confidence"},
        {"ben", "send_1208.txt", "011", "12-08-2026", "09:00:00", "notes", "rod", script, "", "16", ""},
        {"ben", "send_1208.txt", "011", "12-08-2026", "09:03:00", "response", "rod", "1.28 x 10^5 W", "1", "16", "self critique"},
    };
    QCOMPARE(rows, expected);

    QString html;
    // The built-in course's assignment 011 has 15 items; these two are not
    // among them and follow them.
    for (const char* name : {"report-files/a1-i16.html", "report-files/a1-i17.html"}) {
        QFile pageFile(folder.filePath(QLatin1String(name)));
        QVERIFY(pageFile.open(QIODevice::ReadOnly));
        html += QString::fromUtf8(pageFile.readAll());
    }
    QVERIFY(html.contains(QStringLiteral("&lt;script&gt;alert('graded')&lt;/script&gt;")));
    QVERIFY(!html.contains(QLatin1String("<script"), Qt::CaseInsensitive));
    QVERIFY(html.contains(QStringLiteral("Q = m c \u0394T")));
    QVERIFY(html.endsWith(QLatin1String("</html>")));
    QFile first(page);
    QVERIFY(first.open(QIODevice::ReadOnly));
    QVERIFY(first.readAll().contains("href=\"report-files/a1.html\""));
}

void ReportProgramTest::badInput_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");  // in the summary
    QTest::addColumn<QString>("err");  // in the problems; %D is the folder
    QTest::addColumn<bool>("needsNonRoot");
    QTest::newRow("empty file") << Setup::EmptyFile << 0 << "Read 2 files of 1 student: 1 response" << "" << false;
    QTest::newRow("binary file") << Setup::BinaryFile << 0 << "Read 2 files of 1 student: 1 response"
                                 << "%D/binary.txt:1: lines 1 to " << false;
    QTest::newRow("a single 100 MB line") << Setup::HugeLine << 0 << "Read 2 files of 1 student: 1 response"
                                          << "%D/huge.txt:1: line 1 belongs to no record" << false;
    QTest::newRow("records cut in the middle") << Setup::CutRecords << 0 << "Read 2 files of 1 student: 3 responses"
                                               << "%D/cut.txt:14: the response here is cut short" << false;
    QTest::newRow("a folder of 10,000 files") << Setup::ManyFiles << 0 << "Read 10001 files of 2 students: 2 responses" << "" << false;
    QTest::newRow("unreadable file") << Setup::UnreadableFile << 0 << "Read 1 file of 1 student: 1 response"
                                     << "%D/locked.txt: cannot be read: Permission denied" << true;
    QTest::newRow("unreadable folder") << Setup::UnreadableFolder << 0 << "Read 1 file of 1 student: 1 response"
                                       << "%D/locked: cannot be read: Permission denied" << true;
    QTest::newRow("named pipe in the folder") << Setup::PipeInFolder << 0 << "Read 1 file of 1 student: 1 response"
                                              << "%D/pipe.txt: cannot be read: not a plain file" << false;
    QTest::newRow("named pipe given") << Setup::PipeGiven << 0 << "Read 1 file of 1 student: 1 response"
                                      << "%D/fifo: cannot be read: not a plain file" << false;
    QTest::newRow("device given") << Setup::DeviceGiven << 0 << "Read 1 file of 1 student: 1 response"
                                  << "/dev/zero: cannot be read: not a plain file" << false;
    QTest::newRow("link to nothing") << Setup::DanglingLink << 0 << "Read 1 file of 1 student: 1 response"
                                     << "%D/gone.txt: cannot be read: No such file or directory" << false;
    QTest::newRow("link back up the tree") << Setup::LinkLoop << 0 << "Read 1 file of 1 student: 1 response" << "" << false;
    QTest::newRow("names that are not UTF-8") << Setup::NotUtf8Names << 0 << "Read 2 files of 2 students: 3 responses"
                                              << QString::fromUtf8("%D/\xc3\xa9l\xc3\xa8ve/send_\xc3\xa9t\xc3\xa9.txt:1: line 1 belongs to no record")
                                              << false;
    QTest::newRow("a damaged zip archive") << Setup::DamagedArchive << 0 << "Read 1 file of 1 student: 1 response"
                                           << "%D/class.zip: cannot be read: it is no zip archive, or a damaged one" << false;
    QTest::newRow("a zip entry that climbs out") << Setup::ArchiveClimbingOut << 0 << "Read 2 files of 2 students: 2 responses"
                                                 << "%D/class.zip/../../evil.txt: left out: its name leads out of the archive's folder"
                                                 << false;
    QTest::newRow("a zip entry larger than any record file") << Setup::ArchiveTooLarge << 0 << "Read 2 files of 2 students: 2 responses"
                                                             << "%D/class.zip/big/send_1207.txt: cannot be read: unpacked it would be"
                                                             << false;
}

// Whatever else is in the folder, the readable file is reported, nothing
// hangs, and what cannot be read is named with the system's reason.
void ReportProgramTest::badInput()
{
    QFETCH(Setup, setup);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(bool, needsNonRoot);
    if (needsNonRoot && test_system::isRoot())
        QSKIP("root reads files and folders whatever their modes");

    QTemporaryDir temporary;
    const QString folder = temporary.filePath(QStringLiteral("class"));
    goodFile().save(folder + QStringLiteral("/good.txt"));
    QStringList extra;
    switch (setup) {
    case Setup::EmptyFile:
        writeBytes(folder + QStringLiteral("/empty.txt"), QByteArray());
        break;
    case Setup::BinaryFile: {
        QByteArray noise(64 * 1024, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        writeBytes(folder + QStringLiteral("/binary.txt"), noise);
        break;
    }
    case Setup::HugeLine:
        writeBytes(folder + QStringLiteral("/huge.txt"), QByteArray(100 * 1024 * 1024, 'x'));
        break;
    case Setup::CutRecords: {
        // An opening and a response, the same response cut inside its
        // closing rule, and the response once more; the first is the one
        // of good.txt, a file of the same student.
        const QByteArray whole = goodFile().bytes();
        const QByteArray response = whole.mid(whole.indexOf("......!!"));
        writeBytes(folder + QStringLiteral("/cut.txt"), whole + response.left(response.size() - 20) + "\r\n" + response);
        break;
    }
    case Setup::ManyFiles: {
        const QByteArray bytes = goodFile().bytes();
        for (int i = 0; i < 10000; ++i)
            writeBytes(folder + QStringLiteral("/many/%1.txt").arg(i), bytes);
        break;
    }
    case Setup::UnreadableFile:
        writeBytes(folder + QStringLiteral("/locked.txt"), goodFile().bytes());
        if (!test_system::makeUnreadable(folder + QStringLiteral("/locked.txt")))
            QSKIP("on this system a file cannot be made unreadable by its modes");
        break;
    case Setup::UnreadableFolder:
        writeBytes(folder + QStringLiteral("/locked/send.txt"), goodFile().bytes());
        if (!test_system::makeUnreadable(folder + QStringLiteral("/locked")))
            QSKIP("on this system a folder cannot be made unreadable by its modes");
        break;
    case Setup::PipeInFolder:
        if (!test_system::makeNamedPipe(folder + QStringLiteral("/pipe.txt")))
            QSKIP("folders on this system hold no named pipes");
        break;
    case Setup::PipeGiven:
        if (!test_system::makeNamedPipe(folder + QStringLiteral("/fifo")))
            QSKIP("folders on this system hold no named pipes");
        extra.append(folder + QStringLiteral("/fifo"));
        break;
    case Setup::DeviceGiven:
        if (test_system::endlessDevice().isEmpty())
            QSKIP("devices on this system have no path among the files (a device name is refused by name)");
        extra.append(test_system::endlessDevice());
        break;
    case Setup::DanglingLink:
        if (!test_system::makeSymbolicLink(folder + QStringLiteral("/nowhere.txt"), folder + QStringLiteral("/gone.txt")))
            QSKIP("no symbolic link can be made here");
        break;
    case Setup::LinkLoop:
        if (!test_system::makeSymbolicLink(folder, folder + QStringLiteral("/again")))
            QSKIP("no symbolic link can be made here");
        break;
    case Setup::NotUtf8Names: {
        // A folder and a file named in Latin-1, as an old system or a zip
        // file may name them.
        SendFile other = goodFile();
        other.clock(QStringLiteral("12-07-2026"), QStringLiteral("14:06:00")).respond(QStringLiteral("pane"), QStringLiteral("0.96 W"));
        if (!writeNative(folder, "/\xe9l\xe8ve/send_\xe9t\xe9.txt", "stray\r\n" + other.bytes()))
            QSKIP(noByteNames);
        break;
    }
    case Setup::DamagedArchive: {
        const QByteArray whole = zip_file::archive({{"ada/send_1207.txt", goodFile().bytes(), -1}});
        writeBytes(folder + QStringLiteral("/class.zip"), whole.left(whole.size() / 2) + QByteArray(40, 'x'));
        extra.append(folder + QStringLiteral("/class.zip"));
        break;
    }
    case Setup::ArchiveClimbingOut:
        writeBytes(folder + QStringLiteral("/class.zip"),
                   zip_file::archive({{"ada/send_1207.txt", goodFile().bytes(), -1}, {"../../evil.txt", goodFile().bytes(), -1},
                                      {"/etc/evil.txt", goodFile().bytes(), -1}, {"C:\\evil.txt", goodFile().bytes(), -1}}));
        extra.append(folder + QStringLiteral("/class.zip"));
        break;
    case Setup::ArchiveTooLarge:
        writeBytes(folder + QStringLiteral("/class.zip"),
                   zip_file::archive({{"ada/send_1207.txt", goodFile().bytes(), -1}, {"big/send_1207.txt", "x", 1LL << 31}}));
        extra.append(folder + QStringLiteral("/class.zip"));
        break;
    }

    const Run run = runReport(QStringList{folder} + extra);
    if (setup == Setup::UnreadableFolder)
        test_system::makeReadableAgain(folder + QStringLiteral("/locked"));
    QCOMPARE(run.status, status);
    QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
    const QString expectedErr = QString(err).replace(QLatin1String("%D"), folder);
    QVERIFY2(expectedErr.isEmpty() ? run.err.isEmpty() : run.err.contains(expectedErr), qPrintable(run.err.left(2000)));
}

void ReportProgramTest::layouts_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("students");  // name#ID:records, by name
    QTest::addColumn<QString>("warning");
    QTest::newRow("a folder per student") << Layout::FolderPerStudent << "ada#:2 ben#:1" << "";
    QTest::newRow("a data folder in a student's folder") << Layout::NestedDataFolder << "ada#:2 ben#:1" << "";
    QTest::newRow("a course site's folders") << Layout::SiteFolders << "Ada Lovelace#12345:2 Bob Stone#23456:1" << "";
    QTest::newRow("a course site's flat download") << Layout::SiteFlat << "Ada Lovelace#12345:2 Bob Stone#23456:1" << "";
    QTest::newRow("mail attachments in one folder") << Layout::MailAttachments << "ada#:2 bob#:1" << "";
    QTest::newRow("a zip archive of the class") << Layout::Archive << "ada#:2 ben#:1" << "";
    QTest::newRow("a Latin-1 name and its UTF-8 twin")
        << Layout::Latin1AndUtf8 << QStringLiteral("\u00e9l\u00e8ve#:1 \u00e9l\u00e8ve (2)#:1") << "names look the same";
    QTest::newRow("one name composed and decomposed")
        << Layout::ComposedAndDecomposed << QStringLiteral("Jose\u0301#:1 Jos\u00e9 (2)#:1") << "names look the same";
    QTest::newRow("two master files in one folder")
        << Layout::TwoMasterFiles << "ada/masterFile.txt#:1 ada/old/masterFile.txt#:1"
        << "cannot be one student's: two master files (masterFile.txt, old/masterFile.txt)";
    QTest::newRow("two send files of one day")
        << Layout::TwoSendFilesOfADay << "class/send_1207 (1).txt#:1 class/send_1207.txt#:1"
        << "cannot be one student's: two send files of 1207";
}

// The students of each layout an instructor is handed, each with the
// records that are theirs, counted once.
void ReportProgramTest::layouts()
{
    QFETCH(Layout, layout);
    QFETCH(QString, students);
    QFETCH(QString, warning);
    QTemporaryDir temporary;
    const QString folder = temporary.filePath(QStringLiteral("class"));
    const SendFile ada = run(QStringLiteral("14:00:00"), QStringLiteral("12.8 W"));
    SendFile adaLater = run(QStringLiteral("14:00:00"), QStringLiteral("12.8 W"));
    adaLater.clock(QStringLiteral("12-07-2026"), QStringLiteral("14:10:00")).respond(QStringLiteral("pane"), QStringLiteral("960 W"));
    const SendFile other = run(QStringLiteral("15:00:00"), QStringLiteral("1.28e5 W"));
    const auto put = [&](const QString& name, const QByteArray& bytes) { writeBytes(folder + u'/' + name, bytes); };
    QString argument = folder;
    switch (layout) {
    case Layout::FolderPerStudent:
        put(QStringLiteral("ada/masterFile.txt"), adaLater.masterBytes());
        put(QStringLiteral("ada/send_1207.txt"), ada.bytes());
        put(QStringLiteral("ben/send_1207.txt"), other.bytes());
        break;
    case Layout::NestedDataFolder:
        put(QStringLiteral("ada/send_1207.txt"), ada.bytes());
        put(QStringLiteral("ada/korvelan/masterFile.txt"), adaLater.masterBytes());
        put(QStringLiteral("ben/korvelan/send_1207.txt"), other.bytes());
        break;
    case Layout::SiteFolders:
        put(QStringLiteral("Ada Lovelace_12345_assignsubmission_file_/masterFile.txt"), adaLater.masterBytes());
        put(QStringLiteral("Ada Lovelace_12345_assignsubmission_file_/korvelan/send_1207.txt"), ada.bytes());
        put(QStringLiteral("Bob Stone_23456_assignsubmission_file_/send_1207.txt"), other.bytes());
        break;
    case Layout::SiteFlat:
        put(QStringLiteral("Ada Lovelace_12345_assignsubmission_file_masterFile.txt"), adaLater.masterBytes());
        put(QStringLiteral("Ada Lovelace_12345_assignsubmission_file_send_1207.txt"), ada.bytes());
        put(QStringLiteral("Bob Stone_23456_assignsubmission_file_send_1207.txt"), other.bytes());
        break;
    case Layout::MailAttachments:
        put(QStringLiteral("ada_masterFile.txt"), adaLater.masterBytes());
        put(QStringLiteral("ada_send_1207.txt"), ada.bytes());
        put(QStringLiteral("bob_send_1207.txt"), other.bytes());
        break;
    case Layout::Archive:
        writeBytes(temporary.filePath(QStringLiteral("class.zip")),
                   zip_file::archive({{"class/ada/masterFile.txt", adaLater.masterBytes(), -1},
                                      {"class/ada/send_1207.txt", ada.bytes(), -1},
                                      {"class/ben/send_1207.txt", other.bytes(), -1}}));
        argument = temporary.filePath(QStringLiteral("class.zip"));
        break;
    case Layout::Latin1AndUtf8:
        if (!writeNative(folder, "/\xe9l\xe8ve/send_1207.txt", ada.bytes()))
            QSKIP(noByteNames);
        if (!writeNative(folder, "/\xc3\xa9l\xc3\xa8ve/send_1207.txt", other.bytes()))
            QSKIP(noByteNames);
        break;
    case Layout::ComposedAndDecomposed:
        if (!writeNative(folder, "/Jos\xc3\xa9/send_1207.txt", ada.bytes()))
            QSKIP(noByteNames);
        if (!writeNative(folder, "/Jose\xcc\x81/send_1207.txt", other.bytes()))
            QSKIP(noByteNames);
        break;
    case Layout::TwoMasterFiles:
        put(QStringLiteral("ada/masterFile.txt"), ada.masterBytes());
        put(QStringLiteral("ada/old/masterFile.txt"), other.masterBytes());
        put(QStringLiteral("x/notes_.txt"), QByteArray());
        break;
    case Layout::TwoSendFilesOfADay:
        put(QStringLiteral("send_1207.txt"), ada.bytes());
        put(QStringLiteral("send_1207 (1).txt"), other.bytes());
        break;
    }
    const QString csv = temporary.filePath(QStringLiteral("out/records.csv"));
    const QString gradebook = temporary.filePath(QStringLiteral("out/grades.csv"));
    const Run result = runReport({QStringLiteral("--csv"), csv, QStringLiteral("--gradebook"), gradebook, argument});
    QCOMPARE(result.status, 0);
    QCOMPARE(studentsOf(csv, gradebook), students);
    QVERIFY2(warning.isEmpty() ? result.err.isEmpty() : result.err.contains(warning), qPrintable(result.err));
}

// The pages, the spreadsheet and the gradebook hold the students' work:
// readable by their owner only, in folders made for them when missing.
void ReportProgramTest::outputsForTheirOwnerOnly()
{
    QTemporaryDir temporary;
    goodFile().save(temporary.filePath(QStringLiteral("class/ada/send_1207.txt")));
    const QString out = temporary.filePath(QStringLiteral("new/deeper"));
    const Run run = runReport({QStringLiteral("-o"), out + QStringLiteral("/r.html"), QStringLiteral("--csv"), out + QStringLiteral("/r.csv"),
                               QStringLiteral("--gradebook"), out + QStringLiteral("/g.csv"), temporary.filePath(QStringLiteral("class"))});
    QCOMPARE(run.status, 0);
    for (const QString& name : {QStringLiteral("r.html"), QStringLiteral("r.csv"), QStringLiteral("g.csv"), QStringLiteral("r-files/a1.html"),
                                QStringLiteral("r-files/students.html"), QStringLiteral("r-files/a1-i16.html")}) {
        QVERIFY2(QFileInfo(out + u'/' + name).isFile(), qPrintable(name));
        if (test_system::hasModes())
            QCOMPARE(test_system::modeOf(out + u'/' + name), 0600);
    }
    if (test_system::hasModes())
        QCOMPARE(test_system::modeOf(out + QStringLiteral("/r-files")), 0700);

    const Run blocked = runReport({QStringLiteral("-o"), temporary.filePath(QStringLiteral("class/ada/send_1207.txt/r.html")),
                                   temporary.filePath(QStringLiteral("class"))});
    QCOMPARE(blocked.status, 1);
    const QString file = QDir::toNativeSeparators(temporary.filePath(QStringLiteral("class/ada/send_1207.txt")));
    QVERIFY2(blocked.err.contains(QStringLiteral("cannot make the folder ") + file + QStringLiteral(": Not a directory")),
             qPrintable(blocked.err));
}

QTEST_GUILESS_MAIN(ReportProgramTest)
#include "tst_report_program.moc"
