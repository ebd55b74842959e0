#include "platform/drill_error.h"
#include "platform/file_access.h"
#include "platform/record_journal.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

record_journal::Identity identityOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

// What happened to the master file after the stopped run.
enum class Fate { KeptInPlace, Replaced, Removed };

const QByteArray masterBefore = "earlier\r\n";
const QByteArray sendBefore = "day\r\n";
const QByteArray masterRecord = "RECORD for master\r\n";
const QByteArray sendRecord = "RECORD for send\r\n";
const QByteArray masterNext = "next for master\r\n";
const QByteArray sendNext = "next for send\r\n";

}  // namespace

class FileAccessTest : public QObject {
    Q_OBJECT
private slots:
    void recordReachesEveryFile();
    void leftoverJournalIsCompleted_data();
    void leftoverJournalIsCompleted();
    void oldJournalsAreDroppedWithoutCutting();
    void readingWhatIsNotAPlainFileFails();
};

void FileAccessTest::recordReachesEveryFile()
{
    QTemporaryDir dir;
    const QString master = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString send = dir.filePath(QStringLiteral("send_1207.txt"));
    QVERIFY(file_access::appendRecord({{master, "one\r\n"}, {send, "1\r\n"}}).isEmpty());
    QVERIFY(file_access::appendRecord({{master, "two\r\n"}, {send, "2\r\n"}}).isEmpty());
    QCOMPARE(contents(master), QByteArray("one\r\ntwo\r\n"));
    QCOMPARE(contents(send), QByteArray("1\r\n2\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("masterFile.txt"), QStringLiteral("send_1207.txt")}));
    QCOMPARE(QFileInfo(master).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

void FileAccessTest::leftoverJournalIsCompleted_data()
{
    // The master and send files as a run that was stopped in the middle of
    // a record left them (and as they were changed since), and what each
    // must hold before the next record once that record is written.
    QTest::addColumn<QByteArray>("master");
    QTest::addColumn<int>("masterFate");
    QTest::addColumn<QByteArray>("send");
    QTest::addColumn<bool>("journalWhole");
    QTest::addColumn<QByteArray>("masterAfter");
    QTest::addColumn<QByteArray>("sendAfter");
    QTest::addColumn<QStringList>("named");

    const int inPlace = int(Fate::KeptInPlace);
    const QByteArray masterWhole = masterBefore + masterRecord;
    const QByteArray sendWhole = sendBefore + sendRecord;
    QTest::newRow("stopped before any file was written")
        << masterBefore << inPlace << sendBefore << true << masterWhole << sendWhole << QStringList();
    QTest::newRow("stopped inside the master file's write")
        << masterBefore + masterRecord.left(4) << inPlace << sendBefore << true << masterWhole << sendWhole
        << QStringList();
    QTest::newRow("stopped before the journal was removed")
        << masterWhole << inPlace << sendWhole << true << masterWhole << sendWhole << QStringList();
    QTest::newRow("a torn journal completes nothing")
        << masterBefore << inPlace << sendBefore << false << masterBefore << sendBefore << QStringList();
    QTest::newRow("an edited master file is left alone")
        << masterBefore + "tidied" << inPlace << sendBefore + sendRecord.left(3) << true << masterBefore + "tidied"
        << sendWhole << QStringList({QStringLiteral("master")});
    QTest::newRow("a grown master file is left alone")
        << masterWhole + "more\r\n" << inPlace << sendBefore << true << masterWhole + "more\r\n" << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("a shrunk master file is left alone")
        << masterBefore.left(3) << inPlace << sendBefore << true << masterBefore.left(3) << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("a replaced master file is left alone")
        << masterBefore + masterRecord.left(4) << int(Fate::Replaced) << sendBefore << true
        << masterBefore + masterRecord.left(4) << sendWhole << QStringList({QStringLiteral("master")});
    QTest::newRow("a removed master file is named")
        << masterBefore << int(Fate::Removed) << sendBefore << true << QByteArray() << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("both files changed, each named once")
        << masterWhole + "x" << inPlace << sendBefore.left(1) << true << masterWhole + "x" << sendBefore.left(1)
        << QStringList({QStringLiteral("master"), QStringLiteral("send")});
}

void FileAccessTest::leftoverJournalIsCompleted()
{
    QFETCH(QByteArray, master);
    QFETCH(int, masterFate);
    QFETCH(QByteArray, send);
    QFETCH(bool, journalWhole);
    QFETCH(QByteArray, masterAfter);
    QFETCH(QByteArray, sendAfter);
    QFETCH(QStringList, named);

    QTemporaryDir dir;
    const QString masterPath = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString sendPath = dir.filePath(QStringLiteral("send_1207.txt"));
    const QString journalPath = dir.filePath(QStringLiteral(".record-journal"));
    writeFile(masterPath, masterBefore);
    writeFile(sendPath, sendBefore);
    const QByteArray journal = record_journal::encode({
        {QStringLiteral("masterFile.txt"), identityOf(masterPath), masterBefore.size(), masterRecord},
        {QStringLiteral("send_1207.txt"), identityOf(sendPath), sendBefore.size(), sendRecord},
    });
    writeFile(journalPath, journalWhole ? journal : journal.chopped(10));

    writeFile(masterPath, master);
    writeFile(sendPath, send);
    if (Fate(masterFate) == Fate::Replaced) {
        const QString other = dir.filePath(QStringLiteral("restored.txt"));
        writeFile(other, master);
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(masterPath).constData()) == 0);
    } else if (Fate(masterFate) == Fate::Removed) {
        QVERIFY(QFile::remove(masterPath));
    }

    const QStringList leftAlone = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QCOMPARE(contents(masterPath), masterAfter + masterNext);
    QCOMPARE(contents(sendPath), sendAfter + sendNext);
    QStringList expected;
    for (const QString& file : named)
        expected.append(file == QStringLiteral("master") ? masterPath : sendPath);
    QCOMPARE(leftAlone, expected);
    const QString notice = file_access::leftAloneNotice(leftAlone);
    for (const QString& path : expected)
        QCOMPARE(notice.count(path), 1);
    QVERIFY(!QFileInfo::exists(journalPath));

    // The journal is gone: the next record names nothing.
    QVERIFY(file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}}).isEmpty());
    QCOMPARE(contents(sendPath), sendAfter + sendNext + sendNext);
}

void FileAccessTest::oldJournalsAreDroppedWithoutCutting()
{
    // A journal of the program's earlier versions beside a master file that
    // was edited after it: it names an offset inside the file, which the
    // earlier versions cut the file back to.
    QTemporaryDir dir;
    const QString master = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString oldJournal = dir.filePath(QStringLiteral(".masterFile.txt.pending"));
    const QByteArray edited(9200, 'e');
    writeFile(master, edited);
    writeFile(oldJournal, "1000 300\n");
    QVERIFY(file_access::appendRecord({{master, masterNext}}).isEmpty());
    QCOMPARE(contents(master), edited + masterNext);
    QVERIFY(!QFileInfo::exists(oldJournal));
}

void FileAccessTest::readingWhatIsNotAPlainFileFails()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("notes_.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(pipe));
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::appendRecord({{pipe, "x"}}));  // no reader: fails at once
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(dir.path()));
    if (QFileInfo::exists(QStringLiteral("/dev/zero")))
        QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(QStringLiteral("/dev/zero")));
}

QTEST_GUILESS_MAIN(FileAccessTest)
#include "tst_file_access.moc"
