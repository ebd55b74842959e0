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

// Reads bytes held in memory, failing from a given offset on.
ReadAt readerOf(const QByteArray& bytes, qint64 unreadableFrom = -1)
{
    return [=](qint64 offset, qint64 length, QByteArray* read) {
        if (unreadableFrom >= 0 && offset + length > unreadableFrom)
            return EIO;
        *read = bytes.mid(offset, length);
        return 0;
    };
}

FileNow fileHolding(const QByteArray& bytes, qint64 unreadableFrom = -1)
{
    return {bytes.size(), readerOf(bytes, unreadableFrom)};
}

// A journal of one part, "RECORD\r\n" after the 6 bytes of "before", with
// the given marks after it.
struct OnePart {
    QByteArray journal;
    Part part;
};
OnePart onePart(const QByteArray& record, const QByteArrayList& marks = {})
{
    QByteArray journal = encode({Kind::Complete, {{QStringLiteral("masterFile.txt"), 6, tailOf("before"), record}}});
    for (const QByteArray& mark : marks)
        journal += mark;
    const Decoded decoded = decode(journal);
    return {journal, decoded.parts.value(0)};
}

}  // namespace

Q_DECLARE_METATYPE(record_journal::Journal)
Q_DECLARE_METATYPE(record_journal::Kind)
Q_DECLARE_METATYPE(record_journal::Step)
Q_DECLARE_METATYPE(record_journal::Decoded::Verdict)

class RecordJournalTest : public QObject {
    Q_OBJECT
private slots:
    void entriesComeBackAsWritten_data();
    void entriesComeBackAsWritten();
    void everyTornOrDamagedJournalIsRefused();
    void wellSealedNonsenseIsImpossible_data();
    void wellSealedNonsenseIsImpossible();
    void marksFollowTheSeal_data();
    void marksFollowTheSeal();
    void aFailedReadDecidesNothing();
    void settlement_data();
    void settlement();
    void settlementInPieces_data();
    void settlementInPieces();
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
    // Read, and its checksum taken, in several pieces.
    QByteArray large(qsizetype(2.5 * pieceSize), 'x');
    large[qsizetype(pieceSize)] = '\n';
    QTest::newRow("a record larger than a piece of reading")
        << Journal{Kind::Complete, {{QStringLiteral("masterFile.txt"), 0, tailOf(""), "head"}, {QStringLiteral("send_1207.txt"), 0, tailOf(""), large}}};
}

void RecordJournalTest::entriesComeBackAsWritten()
{
    QFETCH(Journal, journal);
    const QByteArray text = encode(journal);
    const Decoded read = decode(text);
    QCOMPARE(read.verdict, Decoded::Verdict::Whole);
    QCOMPARE(read.kind, journal.kind);
    QCOMPARE(read.parts.size(), journal.entries.size());
    for (qsizetype i = 0; i < journal.entries.size(); ++i) {
        QCOMPARE(read.parts[i].name, journal.entries[i].name);
        QCOMPARE(read.parts[i].sizeBefore, journal.entries[i].sizeBefore);
        QCOMPARE(read.parts[i].tailChecksum, journal.entries[i].tailChecksum);
        QCOMPARE(text.mid(read.parts[i].offset, read.parts[i].length), journal.entries[i].bytes);
        QVERIFY(!read.parts[i].reached);
    }
    // Two journals that differ in their kind alone differ in their checksum.
    const Journal other{journal.kind == Kind::Complete ? Kind::TakeBack : Kind::Complete, journal.entries};
    QVERIFY(checksumOf(encode(other)) != checksumOf(text));
}

void RecordJournalTest::everyTornOrDamagedJournalIsRefused()
{
    // A journal cut off anywhere, as a crash inside its write leaves it, is
    // torn; one with any one byte changed, as a failing disk may return it,
    // is damaged, never torn, so that it is never dropped in silence.
    const QByteArray journal = encode(twoFiles);
    for (qsizetype size = 0; size < journal.size() - 1; ++size) {
        QVERIFY2(decode(journal.left(size)).verdict == Decoded::Verdict::Torn,
                 qPrintable(QStringLiteral("cut to %1 bytes").arg(size)));
    }
    // Without the line end of its checksum line it is still sealed: it was
    // written whole, and files may hold its record.
    QCOMPARE(decode(journal.chopped(1)).verdict, Decoded::Verdict::Whole);
    QCOMPARE(decode(journal.chopped(1)).parts.size(), 2);
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

void RecordJournalTest::marksFollowTheSeal_data()
{
    // Marks after the journal of twoFiles: what the journal then says.
    QTest::addColumn<QByteArray>("marks");
    QTest::addColumn<Decoded::Verdict>("verdict");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QList<bool>>("reached");
    const QByteArray sum = checksumOf(encode(twoFiles));
    const QByteArray first = reachedMark(sum, 0);
    const QByteArray second = reachedMark(sum, 1);
    const QByteArray takeBack = takeBackMark(sum);
    const QByteArray otherSum = checksumOf(encode(Journal{Kind::Complete, twoFiles.entries.mid(1)}));
    QByteArray flipped = second;
    flipped[3] = char(flipped[3] ^ 0x20);
    using V = Decoded::Verdict;
    const QList<bool> none{false, false};
    QTest::newRow("none") << QByteArray() << V::Whole << Kind::Complete << none;
    QTest::newRow("the master file reached") << first << V::Whole << Kind::Complete << QList<bool>{true, false};
    QTest::newRow("both reached") << first + second << V::Whole << Kind::Complete << QList<bool>{true, true};
    QTest::newRow("reached, then to take back")
        << first + takeBack << V::Whole << Kind::TakeBack << QList<bool>{true, false};
    QTest::newRow("a mark cut short in its write is no mark")
        << first + takeBack.first(30) << V::Whole << Kind::Complete << QList<bool>{true, false};
    QTest::newRow("the last mark without its line end")
        << first + takeBack.chopped(1) << V::Whole << Kind::TakeBack << QList<bool>{true, false};
    QTest::newRow("a mark of another journal") << reachedMark(otherSum, 0) << V::Damaged << Kind::Complete << none;
    QTest::newRow("a file that the journal does not name") << reachedMark(sum, 2) << V::Damaged << Kind::Complete << none;
    QTest::newRow("a byte of a mark changed") << first + flipped << V::Damaged << Kind::Complete << none;
    QTest::newRow("a whole line that is no mark") << first + "reached\n" << V::Damaged << Kind::Complete << none;
    QTest::newRow("more after the marks than any journal holds")
        << first + QByteArray(70000, 'x') << V::Damaged << Kind::Complete << none;
}

void RecordJournalTest::marksFollowTheSeal()
{
    QFETCH(QByteArray, marks);
    QFETCH(Decoded::Verdict, verdict);
    QFETCH(Kind, kind);
    QFETCH(QList<bool>, reached);
    const Decoded decoded = decode(encode(twoFiles) + marks);
    QCOMPARE(decoded.verdict, verdict);
    if (verdict != Decoded::Verdict::Whole)
        return;
    QCOMPARE(decoded.kind, kind);
    QCOMPARE(decoded.parts.size(), reached.size());
    for (qsizetype i = 0; i < reached.size(); ++i)
        QCOMPARE(decoded.parts[i].reached, reached[i]);
}

void RecordJournalTest::aFailedReadDecidesNothing()
{
    // Wherever the read of a journal fails, its error is the verdict.
    const QByteArray journal = encode(twoFiles) + reachedMark(checksumOf(encode(twoFiles)), 0);
    for (qint64 from : {qint64(0), qint64(40), qint64(journal.size() - 100), qint64(journal.size() - 10)}) {
        const Decoded decoded = decode(journal.size(), readerOf(journal, from));
        QCOMPARE(decoded.verdict, Decoded::Verdict::Unreadable);
        QCOMPARE(decoded.error, EIO);
    }
}

void RecordJournalTest::settlement_data()
{
    // The part: "RECORD\r\n" after the 6 bytes of "before".
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("reached");
    QTest::addColumn<Step>("step");
    QTest::addColumn<qint64>("from");
    const Kind complete = Kind::Complete;
    const Kind takeBack = Kind::TakeBack;
    QTest::newRow("nothing written yet") << complete << QByteArray("before") << false << Step::AppendRest << qint64(0);
    QTest::newRow("a torn record") << complete << QByteArray("beforeREC") << false << Step::AppendRest << qint64(3);
    QTest::newRow("all but the last byte") << complete << QByteArray("beforeRECORD\r") << false << Step::AppendRest
                                           << qint64(7);
    QTest::newRow("the whole record") << complete << QByteArray("beforeRECORD\r\n") << false << Step::Nothing
                                      << qint64(8);
    QTest::newRow("the whole record, marked") << complete << QByteArray("beforeRECORD\r\n") << true << Step::Nothing
                                              << qint64(8);
    QTest::newRow("marked, then cut back by hand to its old size")
        << complete << QByteArray("before") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("marked, then cut back by hand into the record")
        << complete << QByteArray("beforeREC") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("fewer bytes than before") << complete << QByteArray("befor") << false << Step::LeaveAlone
                                             << qint64(0);
    QTest::newRow("other bytes after it") << complete << QByteArray("beforeRED") << false << Step::LeaveAlone
                                          << qint64(0);
    QTest::newRow("bytes after the whole record")
        << complete << QByteArray("beforeRECORD\r\nX") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("another file of the same size before")
        << complete << QByteArray("BEFOREREC") << false << Step::LeaveAlone << qint64(0);
    QTest::newRow("to take back, nothing written") << takeBack << QByteArray("before") << false << Step::Nothing
                                                   << qint64(0);
    QTest::newRow("to take back, a torn record") << takeBack << QByteArray("beforeREC") << false << Step::CutBack
                                                 << qint64(0);
    QTest::newRow("to take back, the whole record, marked")
        << takeBack << QByteArray("beforeRECORD\r\n") << true << Step::CutBack << qint64(0);
    QTest::newRow("to take back, marked and cut back already")
        << takeBack << QByteArray("before") << true << Step::Nothing << qint64(0);
    QTest::newRow("to take back, other bytes after it")
        << takeBack << QByteArray("beforeRED") << false << Step::LeaveAlone << qint64(0);
    QTest::newRow("to take back, more after the record")
        << takeBack << QByteArray("beforeRECORD\r\nnext") << true << Step::LeaveAlone << qint64(0);
    QTest::newRow("to take back, another file") << takeBack << QByteArray("BEFOREREC") << false << Step::LeaveAlone
                                                << qint64(0);
}

void RecordJournalTest::settlement()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, file);
    QFETCH(bool, reached);
    QFETCH(Step, step);
    QFETCH(qint64, from);
    OnePart journal = onePart("RECORD\r\n");
    journal.part.reached = reached;
    const Settlement settlement = settle(kind, journal.part, fileHolding(file), readerOf(journal.journal));
    QCOMPARE(settlement.step, step);
    if (step == Step::AppendRest || step == Step::Nothing)
        QCOMPARE(settlement.from, from);

    // Where the bytes that decide cannot be read, nothing is decided.
    const Settlement unread = settle(kind, journal.part, fileHolding(file, 5), readerOf(journal.journal));
    QCOMPARE(unread.step, file.size() < 6 ? Step::LeaveAlone : Step::Unreadable);
    QCOMPARE(unread.error, unread.step == Step::Unreadable ? EIO : 0);
    if (step != Step::LeaveAlone && file.size() > 6) {
        const Settlement journalUnread =
            settle(kind, journal.part, fileHolding(file), readerOf(journal.journal, journal.part.offset + 1));
        QCOMPARE(journalUnread.step, Step::Unreadable);
    }
}

void RecordJournalTest::settlementInPieces_data()
{
    // A record of several pieces, part of which is in the file: the pieces
    // are compared one by one, the last one short.
    QTest::addColumn<qint64>("written");
    QTest::addColumn<qint64>("changedAt");  // a byte of the file changed there; -1 for none
    QTest::addColumn<Step>("step");
    const qint64 piece = pieceSize;
    QTest::newRow("a piece and a half written") << piece + piece / 2 << qint64(-1) << Step::AppendRest;
    QTest::newRow("two pieces exactly") << 2 * piece << qint64(-1) << Step::AppendRest;
    QTest::newRow("all of it") << 3 * piece + 5 << qint64(-1) << Step::Nothing;
    QTest::newRow("a byte changed in the second piece") << piece + piece / 2 << piece + 7 << Step::LeaveAlone;
    QTest::newRow("the last byte written changed") << 2 * piece + 1 << 2 * piece << Step::LeaveAlone;
}

void RecordJournalTest::settlementInPieces()
{
    QFETCH(qint64, written);
    QFETCH(qint64, changedAt);
    QFETCH(Step, step);
    QByteArray record(3 * pieceSize + 5, '\0');
    for (qsizetype i = 0; i < record.size(); ++i)
        record[i] = char('a' + (i * 7 + i / 1000) % 26);
    const OnePart journal = onePart(record);
    QByteArray file = "before" + record.first(written);
    if (changedAt >= 0)
        file[6 + changedAt] = '#';
    const Settlement settlement = settle(Kind::Complete, journal.part, fileHolding(file), readerOf(journal.journal));
    QCOMPARE(settlement.step, step);
    if (step != Step::LeaveAlone)
        QCOMPARE(settlement.from, written);
}

QTEST_GUILESS_MAIN(RecordJournalTest)
#include "tst_record_journal.moc"
