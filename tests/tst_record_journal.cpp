#include "platform/record_journal.h"

#include <QtTest>

using namespace record_journal;

namespace {

const QList<Entry> twoFiles = {
    {QStringLiteral("masterFile.txt"), {2049, 131077}, 9200, QByteArray("......!!!!\r\n\r\n\r\nRESPONSE -->  \r\n")},
    {QStringLiteral("send_1207.txt"), {2049, 131078}, 0, QByteArray("\x01\xff\r\n", 4)},
};

FileNow fileHolding(const QByteArray& bytes, Identity identity = {2049, 131077})
{
    return {identity, bytes.size(), [bytes](qint64 offset, qint64 length) { return bytes.mid(offset, length); }};
}

}  // namespace

Q_DECLARE_METATYPE(QList<record_journal::Entry>)
Q_DECLARE_METATYPE(record_journal::Step)

class RecordJournalTest : public QObject {
    Q_OBJECT
private slots:
    void entriesComeBackAsWritten_data();
    void entriesComeBackAsWritten();
    void everyTornOrDamagedJournalIsRefused();
    void wellSealedNonsenseIsRefused_data();
    void wellSealedNonsenseIsRefused();
    void completion_data();
    void completion();
};

void RecordJournalTest::entriesComeBackAsWritten_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    QTest::newRow("no file") << QList<Entry>();
    QTest::newRow("one file, no bytes") << QList<Entry>({{QStringLiteral("notes_.txt"), {1, 2}, 5, QByteArray()}});
    QTest::newRow("two files, blank lines and high bytes in the record") << twoFiles;
    QTest::newRow("names with blanks, accents and a parent folder")
        << QList<Entry>({{QStringLiteral("my notes %20/n\u00e9e.txt"), {7, 8}, 1, "a"},
                         {QStringLiteral("../other folder/send_0101.txt"), {7, 9}, 2, "b\nc"}});
}

void RecordJournalTest::entriesComeBackAsWritten()
{
    QFETCH(QList<Entry>, entries);
    const std::optional<QList<Entry>> read = decode(encode(entries));
    QVERIFY(read.has_value());
    QCOMPARE(read->size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QCOMPARE(read->at(i).name, entries[i].name);
        QVERIFY(read->at(i).identity == entries[i].identity);
        QCOMPARE(read->at(i).sizeBefore, entries[i].sizeBefore);
        QCOMPARE(read->at(i).bytes, entries[i].bytes);
    }
}

void RecordJournalTest::everyTornOrDamagedJournalIsRefused()
{
    // A journal cut off anywhere, as a crash inside its write leaves it, or
    // with any one byte changed, as a failing disk may return it.
    const QByteArray journal = encode(twoFiles);
    for (qsizetype size = 0; size < journal.size(); ++size)
        QVERIFY2(!decode(journal.left(size)), qPrintable(QStringLiteral("cut to %1 bytes").arg(size)));
    for (qsizetype at = 0; at < journal.size(); ++at) {
        QByteArray damaged = journal;
        damaged[at] = char(damaged[at] ^ 0x20);
        QVERIFY2(!decode(damaged), qPrintable(QStringLiteral("byte %1 changed").arg(at)));
    }
    QVERIFY(!decode(journal + "\n"));
}

void RecordJournalTest::wellSealedNonsenseIsRefused_data()
{
    // Bodies with a correct checksum line that still do not describe a
    // record: each must be refused, not half read.
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("another heading") << QByteArray("record journal 2\n\n");
    QTest::newRow("bytes missing") << QByteArray("record journal 1\nfile 1 2 0 5 a\n\nabc");
    QTest::newRow("bytes left over") << QByteArray("record journal 1\nfile 1 2 0 2 a\n\nabc");
    QTest::newRow("a negative size") << QByteArray("record journal 1\nfile 1 2 -1 1 a\n\nx");
    QTest::newRow("a field missing") << QByteArray("record journal 1\nfile 1 2 1 a\n\nx");
    QTest::newRow("a word for a number") << QByteArray("record journal 1\nfile 1 two 0 1 a\n\nx");
    QTest::newRow("no name") << QByteArray("record journal 1\nfile 1 2 0 1 \n\nx");
    QTest::newRow("no end of the file lines") << QByteArray("record journal 1\nfile 1 2 0 1 a\n");
}

void RecordJournalTest::wellSealedNonsenseIsRefused()
{
    QFETCH(QByteArray, body);
    const QByteArray sealed = body + "sha256 " + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n';
    QVERIFY(!decode(sealed));
    // The same seal over a body that does describe a record is accepted.
    const QByteArray good = "record journal 1\nfile 1 2 0 1 a\n\nx";
    QVERIFY(decode(good + "sha256 " + QCryptographicHash::hash(good, QCryptographicHash::Sha256).toHex() + '\n'));
}

void RecordJournalTest::completion_data()
{
    // The entry: "RECORD\r\n" after the 6 bytes of "before".
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("sameFile");
    QTest::addColumn<Step>("step");
    QTest::addColumn<qint64>("from");
    QTest::newRow("nothing written yet") << QByteArray("before") << true << Step::AppendRest << qint64(0);
    QTest::newRow("a torn record") << QByteArray("beforeREC") << true << Step::AppendRest << qint64(3);
    QTest::newRow("all but the last byte") << QByteArray("beforeRECORD\r") << true << Step::AppendRest << qint64(7);
    QTest::newRow("the whole record") << QByteArray("beforeRECORD\r\n") << true << Step::Nothing << qint64(8);
    QTest::newRow("another file in its place") << QByteArray("beforeREC") << false << Step::LeaveAlone << qint64(0);
    QTest::newRow("fewer bytes than before") << QByteArray("befor") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("other bytes after it") << QByteArray("beforeRED") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("bytes after the whole record") << QByteArray("beforeRECORD\r\nX") << true << Step::LeaveAlone
                                                  << qint64(0);
    QTest::newRow("edited before the record") << QByteArray("BEFOREREC") << true << Step::AppendRest << qint64(3);
}

void RecordJournalTest::completion()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, sameFile);
    QFETCH(Step, step);
    QFETCH(qint64, from);
    const Entry entry{QStringLiteral("masterFile.txt"), {2049, 131077}, 6, QByteArray("RECORD\r\n")};
    const Completion completion = complete(entry, fileHolding(file, sameFile ? entry.identity : Identity{2049, 99}));
    QCOMPARE(completion.step, step);
    if (step != Step::LeaveAlone)
        QCOMPARE(completion.from, from);
}

QTEST_GUILESS_MAIN(RecordJournalTest)
#include "tst_record_journal.moc"
