#include "platform/record_journal.h"

#include <QtTest>

using namespace record_journal;

namespace {

QByteArray tailOf(const QByteArray& before)
{
    return tailChecksum(QByteArrayView(before).sliced(tailStart(before.size())));
}

const QByteArray masterBefore(9200, 'm');
const Journal twoFiles = {Kind::Complete,
                          {
                              {QStringLiteral("masterFile.txt"), 9200, tailOf(masterBefore),
                               QByteArray("......!!!!\r\n\r\n\r\nRESPONSE -->  \r\n")},
                              {QStringLiteral("send_1207.txt"), 0, tailOf(QByteArray()), QByteArray("\x01\xff\r\n", 4)},
                          }};

QByteArray sealed(const QByteArray& body)
{
    return body + "sha256 " + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n';
}

// A file whose reads may fail from a given offset on.
FileNow fileHolding(const QByteArray& bytes, bool modifiedSinceJournal = false, qint64 unreadableFrom = -1)
{
    return {bytes.size(), modifiedSinceJournal, [=](qint64 offset, qint64 length) {
                if (unreadableFrom >= 0 && offset + length > unreadableFrom)
                    return FileNow::Read{{}, EIO};
                return FileNow::Read{bytes.mid(offset, length), 0};
            }};
}

}  // namespace

Q_DECLARE_METATYPE(record_journal::Journal)
Q_DECLARE_METATYPE(record_journal::Kind)
Q_DECLARE_METATYPE(record_journal::Step)

class RecordJournalTest : public QObject {
    Q_OBJECT
private slots:
    void entriesComeBackAsWritten_data();
    void entriesComeBackAsWritten();
    void everyTornOrDamagedJournalIsRefused();
    void wellSealedNonsenseIsImpossible_data();
    void wellSealedNonsenseIsImpossible();
    void settlement_data();
    void settlement();
};

void RecordJournalTest::entriesComeBackAsWritten_data()
{
    QTest::addColumn<Journal>("journal");
    QTest::newRow("no file") << Journal{Kind::Complete, {}};
    QTest::newRow("one file, no bytes, to take back")
        << Journal{Kind::TakeBack, {{QStringLiteral("notes_.txt"), 5, tailOf("12345"), QByteArray()}}};
    QTest::newRow("two files, blank lines and high bytes in the record") << twoFiles;
    QTest::newRow("names with blanks, accents and a percent sign")
        << Journal{Kind::Complete,
                   {{QStringLiteral("my notes %20 n\u00e9e.txt"), 1, tailOf("a"), "a"},
                    {QStringLiteral("send 0101.txt"), 2, tailOf("ab"), "b\nc"}}};
}

void RecordJournalTest::entriesComeBackAsWritten()
{
    QFETCH(Journal, journal);
    const Decoded read = decode(encode(journal));
    QCOMPARE(read.verdict, Decoded::Verdict::Whole);
    QCOMPARE(checksumOf(encode(journal)), read.checksum);
    QCOMPARE(read.journal.kind, journal.kind);
    QCOMPARE(read.journal.entries.size(), journal.entries.size());
    for (qsizetype i = 0; i < journal.entries.size(); ++i) {
        QCOMPARE(read.journal.entries[i].name, journal.entries[i].name);
        QCOMPARE(read.journal.entries[i].sizeBefore, journal.entries[i].sizeBefore);
        QCOMPARE(read.journal.entries[i].tailChecksum, journal.entries[i].tailChecksum);
        QCOMPARE(read.journal.entries[i].bytes, journal.entries[i].bytes);
    }
    // Two journals that differ in their kind alone differ in their checksum.
    const Journal other{journal.kind == Kind::Complete ? Kind::TakeBack : Kind::Complete, journal.entries};
    QVERIFY(decode(encode(other)).checksum != read.checksum);
}

void RecordJournalTest::everyTornOrDamagedJournalIsRefused()
{
    // A journal cut off anywhere, as a crash inside its write leaves it, is
    // torn; one with any one byte changed, as a failing disk may return it,
    // is damaged, never torn, so that it is never dropped in silence.
    const QByteArray journal = encode(twoFiles);
    for (qsizetype size = 0; size < journal.size(); ++size) {
        QVERIFY2(decode(journal.left(size)).verdict == Decoded::Verdict::Torn,
                 qPrintable(QStringLiteral("cut to %1 bytes").arg(size)));
    }
    for (qsizetype at = 0; at < journal.size(); ++at) {
        QByteArray damaged = journal;
        damaged[at] = char(damaged[at] ^ 0x20);
        QVERIFY2(decode(damaged).verdict == Decoded::Verdict::Damaged,
                 qPrintable(QStringLiteral("byte %1 changed").arg(at)));
    }
    QCOMPARE(decode(journal + "\n").verdict, Decoded::Verdict::Damaged);
    // Cut short and changed as well: it cannot be told from a damaged one.
    QByteArray cutAndChanged = journal.chopped(100);
    cutAndChanged.append("\nsha256 " + QByteArray(64, 'a') + '\n');
    QCOMPARE(decode(cutAndChanged).verdict, Decoded::Verdict::Damaged);
}

void RecordJournalTest::wellSealedNonsenseIsImpossible_data()
{
    // Bodies with a correct checksum line that still do not describe a
    // record that the program writes: each must be refused, not half read.
    QTest::addColumn<QByteArray>("body");
    const QByteArray tail = tailOf("");
    QTest::newRow("the earlier versions' journal")
        << QByteArray("record journal 1\nfile 2049 131077 0 1 masterFile.txt\n\nx");
    QTest::newRow("another kind") << QByteArray("record journal 2\nredo\nfile 0 1 " + tail + " a\n\nx");
    QTest::newRow("no kind") << QByteArray("record journal 2\n\n");
    QTest::newRow("bytes missing") << QByteArray("record journal 2\ncomplete\nfile 0 5 " + tail + " a\n\nabc");
    QTest::newRow("bytes left over") << QByteArray("record journal 2\ncomplete\nfile 0 2 " + tail + " a\n\nabc");
    QTest::newRow("a length beyond all memory")
        << QByteArray("record journal 2\ncomplete\nfile 0 9223372036854775807 " + tail + " a\n\nx");
    QTest::newRow("a negative size") << QByteArray("record journal 2\ncomplete\nfile -1 1 " + tail + " a\n\nx");
    QTest::newRow("a field missing") << QByteArray("record journal 2\ncomplete\nfile 0 1 a\n\nx");
    QTest::newRow("a word for a number") << QByteArray("record journal 2\ncomplete\nfile one 1 " + tail + " a\n\nx");
    QTest::newRow("a short tail checksum") << QByteArray("record journal 2\ncomplete\nfile 0 1 abc a\n\nx");
    QTest::newRow("no name") << QByteArray("record journal 2\ncomplete\nfile 0 1 " + tail + " \n\nx");
    QTest::newRow("a name in the folder above")
        << QByteArray("record journal 2\ncomplete\nfile 0 1 " + tail + " ..%2Foutside.txt\n\nx");
    QTest::newRow("the folder above itself") << QByteArray("record journal 2\ncomplete\nfile 0 1 " + tail + " ..\n\nx");
    QTest::newRow("an absolute name")
        << QByteArray("record journal 2\ncomplete\nfile 0 1 " + tail + " %2Fetc%2Fpasswd\n\nx");
    QTest::newRow("no end of the file lines") << QByteArray("record journal 2\ncomplete\nfile 0 1 " + tail + " a\n");
}

void RecordJournalTest::wellSealedNonsenseIsImpossible()
{
    QFETCH(QByteArray, body);
    QCOMPARE(decode(sealed(body)).verdict, Decoded::Verdict::Impossible);
    // The same seal over a body that does describe a record is accepted.
    const QByteArray good = "record journal 2\ncomplete\nfile 0 1 " + tailOf("") + " a\n\nx";
    QCOMPARE(decode(sealed(good)).verdict, Decoded::Verdict::Whole);
}

void RecordJournalTest::settlement_data()
{
    // The entry: "RECORD\r\n" after the 6 bytes of "before".
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("modifiedSinceJournal");
    QTest::addColumn<Step>("step");
    QTest::addColumn<qint64>("from");
    const Kind complete = Kind::Complete;
    const Kind takeBack = Kind::TakeBack;
    QTest::newRow("nothing written yet") << complete << QByteArray("before") << false << Step::AppendRest << qint64(0);
    QTest::newRow("a torn record") << complete << QByteArray("beforeREC") << true << Step::AppendRest << qint64(3);
    QTest::newRow("all but the last byte") << complete << QByteArray("beforeRECORD\r") << true << Step::AppendRest
                                           << qint64(7);
    QTest::newRow("the whole record") << complete << QByteArray("beforeRECORD\r\n") << true << Step::Nothing
                                      << qint64(8);
    QTest::newRow("a copy of the file, say after a remount")
        << complete << QByteArray("beforeREC") << true << Step::AppendRest << qint64(3);
    QTest::newRow("cut back by hand to its old size") << complete << QByteArray("before") << true << Step::LeaveAlone
                                                      << qint64(0);
    QTest::newRow("fewer bytes than before") << complete << QByteArray("befor") << false << Step::LeaveAlone
                                             << qint64(0);
    QTest::newRow("other bytes after it") << complete << QByteArray("beforeRED") << true << Step::LeaveAlone
                                          << qint64(0);
    QTest::newRow("bytes after the whole record")
        << complete << QByteArray("beforeRECORD\r\nX") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("another file of the same size before")
        << complete << QByteArray("BEFOREREC") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("to take back, nothing written") << takeBack << QByteArray("before") << true << Step::Nothing
                                                   << qint64(0);
    QTest::newRow("to take back, a torn record") << takeBack << QByteArray("beforeREC") << true << Step::CutBack
                                                 << qint64(0);
    QTest::newRow("to take back, the whole record") << takeBack << QByteArray("beforeRECORD\r\n") << true
                                                    << Step::CutBack << qint64(0);
    QTest::newRow("to take back, other bytes after it")
        << takeBack << QByteArray("beforeRED") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("to take back, more after the record")
        << takeBack << QByteArray("beforeRECORD\r\nnext") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("to take back, another file") << takeBack << QByteArray("BEFOREREC") << true << Step::LeaveAlone
                                                << qint64(0);
}

void RecordJournalTest::settlement()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, file);
    QFETCH(bool, modifiedSinceJournal);
    QFETCH(Step, step);
    QFETCH(qint64, from);
    const Entry entry{QStringLiteral("masterFile.txt"), 6, tailOf("before"), QByteArray("RECORD\r\n")};
    const Settlement settlement = settle(kind, entry, fileHolding(file, modifiedSinceJournal));
    QCOMPARE(settlement.step, step);
    if (step == Step::AppendRest || step == Step::Nothing)
        QCOMPARE(settlement.from, from);

    // Where the bytes that decide cannot be read, nothing is decided.
    const Settlement unread = settle(kind, entry, fileHolding(file, modifiedSinceJournal, 5));
    QCOMPARE(unread.step, file.size() < 6 ? Step::LeaveAlone : Step::Unreadable);
    QCOMPARE(unread.error, unread.step == Step::Unreadable ? EIO : 0);
}

QTEST_GUILESS_MAIN(RecordJournalTest)
#include "tst_record_journal.moc"
