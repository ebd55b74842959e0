// The report program as an instructor runs it: a process over a folder.
#include "records/record_lines.h"
#include "send_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
};

}  // namespace

class ReportProgramTest : public QObject {
    Q_OBJECT
private slots:
    void pageAndSpreadsheetOfAClass();
    void badInput_data();
    void badInput();
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
        {"student", "files", "assignment", "date", "time", "kind", "item", "text", "rating"},
        {"ada", "send_1207.txt", "011", "12-07-2026", "14:05:09", "response", "rod", "P = 12.8 W", "3"},
        {"ada", "send_1207.txt", "011", "12-07-2026", "14:09:40", "response", "block, water", multi, ""},
        {"ben", "send_1208.txt", "011", "12-08-2026", "09:00:00", "notes", "rod", script, ""},
        {"ben", "send_1208.txt", "011", "12-08-2026", "09:03:00", "response", "rod", "1.28 x 10^5 W", "1"},
    };
    QCOMPARE(rows, expected);

    QFile pageFile(folder.filePath(QStringLiteral("report-files/a1.html")));
    QVERIFY(pageFile.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(pageFile.readAll());
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
    if (needsNonRoot && ::geteuid() == 0)
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
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("/locked.txt"), {}));
        break;
    case Setup::UnreadableFolder:
        writeBytes(folder + QStringLiteral("/locked/send.txt"), goodFile().bytes());
        QVERIFY(::chmod(QFile::encodeName(folder + QStringLiteral("/locked")).constData(), 0) == 0);
        break;
    case Setup::PipeInFolder:
        QVERIFY(::mkfifo(QFile::encodeName(folder + QStringLiteral("/pipe.txt")).constData(), 0600) == 0);
        break;
    case Setup::PipeGiven:
        QVERIFY(::mkfifo(QFile::encodeName(folder + QStringLiteral("/fifo")).constData(), 0600) == 0);
        extra.append(folder + QStringLiteral("/fifo"));
        break;
    case Setup::DeviceGiven:
        extra.append(QStringLiteral("/dev/zero"));
        break;
    case Setup::DanglingLink:
        QVERIFY(QFile::link(folder + QStringLiteral("/nowhere.txt"), folder + QStringLiteral("/gone.txt")));
        break;
    case Setup::LinkLoop:
        QVERIFY(QFile::link(folder, folder + QStringLiteral("/again")));
        break;
    case Setup::NotUtf8Names: {
        // A folder and a file named in Latin-1, as an old system or a zip
        // file may name them.
        SendFile other = goodFile();
        other.clock(QStringLiteral("12-07-2026"), QStringLiteral("14:06:00")).respond(QStringLiteral("pane"), QStringLiteral("0.96 W"));
        const QByteArray student = QFile::encodeName(folder) + "/\xe9l\xe8ve";
        QVERIFY(::mkdir(student.constData(), 0700) == 0);
        const int fd = ::open((student + "/send_\xe9t\xe9.txt").constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        const QByteArray bytes = "stray\r\n" + other.bytes();
        QCOMPARE(::write(fd, bytes.constData(), std::size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
        break;
    }
    }

    const Run run = runReport(QStringList{folder} + extra);
    if (setup == Setup::UnreadableFolder)
        ::chmod(QFile::encodeName(folder + QStringLiteral("/locked")).constData(), 0700);
    QCOMPARE(run.status, status);
    QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
    const QString expectedErr = QString(err).replace(QLatin1String("%D"), folder);
    QVERIFY2(expectedErr.isEmpty() ? run.err.isEmpty() : run.err.contains(expectedErr), qPrintable(run.err.left(2000)));
}

QTEST_GUILESS_MAIN(ReportProgramTest)
#include "tst_report_program.moc"
