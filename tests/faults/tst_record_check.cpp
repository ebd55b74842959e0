#include "record_check.h"

#include <QtTest>

using namespace record_check;

namespace {

QByteArray response(FileKind file, int child, int record)
{
    return responseRecord(file, typedText(child, record).toLatin1());
}

QByteArray note(FileKind file, int child, int record)
{
    return notesRecord(file, typedText(child, record).toLatin1());
}

const QByteArray opening = QByteArray(25, 'x') + openingRecordTail();

}  // namespace

// The reader that the fault tests rely on: it must find every kind of damage
// and accept only whole records (and the one known kind of cut).
class RecordCheckTest : public QObject {
    Q_OBJECT
private slots:
    void wholeRecordsAreRead();
    void damagedFilesAreFound_data();
    void damagedFilesAreFound();
    void cutAtAPageBoundaryIsListed();
    void runsWithGapsOrRepeatsAreFound();
};

void RecordCheckTest::wholeRecordsAreRead()
{
    const QByteArray master = opening + response(FileKind::Master, 1, 0) + note(FileKind::Master, 1, 1) + opening
                              + response(FileKind::Master, 2, 0) + response(FileKind::Master, 1, 2);
    const Tally tally = readRecordFile(master, FileKind::Master);
    QVERIFY2(tally.error.isEmpty(), qPrintable(tally.error));
    QCOMPARE(tally.total, 6);
    QCOMPARE(tally.openings, 2);
    QCOMPARE(tally.records[1], QList<int>({0, 1, 2}));
    QCOMPARE(tally.notes[1], QList<int>({1}));
    QCOMPARE(tally.records[2], QList<int>({0}));

    // In the send and notes files a notes record leaves its last line open.
    const QByteArray notes = note(FileKind::Notes, 3, 0) + note(FileKind::Notes, 3, 4);
    QVERIFY(!notes.contains(QByteArray(49, '.') + "\r\n"));
    const Tally notesTally = readRecordFile(notes, FileKind::Notes);
    QVERIFY2(notesTally.error.isEmpty(), qPrintable(notesTally.error));
    QCOMPARE(notesTally.records[3], QList<int>({0, 4}));
}

void RecordCheckTest::damagedFilesAreFound_data()
{
    const QByteArray a = response(FileKind::Send, 1, 0);
    const QByteArray b = response(FileKind::Send, 2, 0);
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("last byte missing") << a.chopped(1);
    QTest::newRow("cut, then another record") << a.left(100) + b;
    QTest::newRow("one record inside another") << a.left(300) + b + a.mid(300);
    QTest::newRow("a byte changed") << QByteArray(a).replace("record 0", "record 0!");
    QTest::newRow("a master record in the send file") << response(FileKind::Master, 1, 0);
    QTest::newRow("a short code line") << QByteArray(18, 'x') + openingRecordTail();
    QTest::newRow("stray bytes between records") << a + "\r\n" + b;
}

void RecordCheckTest::damagedFilesAreFound()
{
    QFETCH(QByteArray, bytes);
    const Tally tally = readRecordFile(bytes, FileKind::Send);
    QVERIFY(!tally.error.isEmpty());
}

void RecordCheckTest::cutAtAPageBoundaryIsListed()
{
    // Whole records up to 400 bytes short of a page boundary, then a record
    // cut at the boundary, then a whole record.
    QByteArray bytes = response(FileKind::Master, 1, 0);
    const qsizetype keep = 400;
    const qsizetype openings = 30;
    const qsizetype room = 4096 - keep - bytes.size();
    for (qsizetype i = 0; i < openings; ++i) {
        const qsizetype size = room / openings + (i < room % openings ? 1 : 0);
        bytes += QByteArray(size - openingRecordTail().size(), 'x') + openingRecordTail();
    }
    QCOMPARE(bytes.size(), 4096 - keep);
    const QByteArray cut = response(FileKind::Master, 2, 0);
    QVERIFY(keep < cut.size());
    const QByteArray after = response(FileKind::Master, 3, 0);

    const Tally tally = readRecordFile(bytes + cut.left(keep) + after, FileKind::Master);
    QVERIFY2(tally.error.isEmpty(), qPrintable(tally.error));
    QCOMPARE(tally.cuts.size(), 1);
    QCOMPARE(tally.cuts[0].to, qsizetype(4096));
    // The cut record is named when its text's first line survived the cut.
    const qsizetype named = cut.indexOf("child 2 record 0") + 16;
    QCOMPARE(tally.cuts[0].child, keep >= named ? 2 : -1);
    QCOMPARE(tally.records[3], QList<int>({0}));
    QVERIFY(!tally.records.contains(2));

    // The same cut a few bytes off the boundary is damage.
    QVERIFY(!readRecordFile(bytes + cut.left(keep - 5) + after, FileKind::Master).error.isEmpty());
    QVERIFY(!readRecordFile(bytes + "xx" + cut.left(keep - 2) + after, FileKind::Master).error.isEmpty());
}

void RecordCheckTest::runsWithGapsOrRepeatsAreFound()
{
    QVERIFY(checkRuns({{1, {0, 1, 2}}, {2, {0}}}, QStringLiteral("f")).isEmpty());
    QVERIFY(!checkRuns({{1, {0, 2}}}, QStringLiteral("f")).isEmpty());
    QVERIFY(!checkRuns({{1, {0, 1, 1}}}, QStringLiteral("f")).isEmpty());
    QVERIFY(!checkRuns({{1, {1}}}, QStringLiteral("f")).isEmpty());
}

QTEST_GUILESS_MAIN(RecordCheckTest)
#include "tst_record_check.moc"
