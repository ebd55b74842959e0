#include "platform/drill_error.h"
#include "platform/file_access.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

}  // namespace

class FileAccessTest : public QObject {
    Q_OBJECT
private slots:
    void appendCreatesAndExtends();
    void tornRecordIsCutOffByTheNextAppend_data();
    void tornRecordIsCutOffByTheNextAppend();
    void readingWhatIsNotAPlainFileFails();
};

void FileAccessTest::appendCreatesAndExtends()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("masterFile.txt"));
    file_access::appendBytes(path, "one\r\n");
    file_access::appendBytes(path, "two\r\n");
    QCOMPARE(contents(path), QByteArray("one\r\ntwo\r\n"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral(".masterFile.txt.pending"))));
    QCOMPARE(file_access::readBytes(dir.filePath(QStringLiteral("none.txt"))), QByteArray());
}

void FileAccessTest::tornRecordIsCutOffByTheNextAppend_data()
{
    // What a killed append left behind: the file and its journal.
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("torn record cut off") << QByteArray("whole\r\ntor") << QByteArray("7 9\n") << QByteArray("whole\r\nnext\r\n");
    QTest::newRow("whole record kept") << QByteArray("whole\r\nrecord\r\n") << QByteArray("7 8\n")
                                       << QByteArray("whole\r\nrecord\r\nnext\r\n");
    QTest::newRow("nothing written yet") << QByteArray("whole\r\n") << QByteArray("7 9\n") << QByteArray("whole\r\nnext\r\n");
    QTest::newRow("unreadable journal ignored") << QByteArray("whole\r\n") << QByteArray("?") << QByteArray("whole\r\nnext\r\n");
}

void FileAccessTest::tornRecordIsCutOffByTheNextAppend()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, journal);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("send_1207.txt"));
    const QString pending = dir.filePath(QStringLiteral(".send_1207.txt.pending"));
    writeFile(path, left);
    writeFile(pending, journal);
    file_access::appendBytes(path, "next\r\n");
    QCOMPARE(contents(path), after);
    QVERIFY(!QFileInfo::exists(pending));
}

void FileAccessTest::readingWhatIsNotAPlainFileFails()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("notes_.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(pipe));
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::appendBytes(pipe, "x"));  // no reader: fails at once
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(dir.path()));
    if (QFileInfo::exists(QStringLiteral("/dev/zero")))
        QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(QStringLiteral("/dev/zero")));
}

QTEST_GUILESS_MAIN(FileAccessTest)
#include "tst_file_access.moc"
