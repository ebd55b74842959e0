#include "record_check.h"
#include "writers.h"

#include <QtTest>

#include <QTemporaryDir>

using namespace record_check;

class TwoCopiesTest : public QObject {
    Q_OBJECT
private slots:
    void twoCopiesAppendToTheSameFiles();
};

void TwoCopiesTest::twoCopiesAppendToTheSameFiles()
{
    constexpr int recordsEach = 500;
    QTemporaryDir home;
    QVERIFY(home.isValid());
    // Both copies are started before either is waited for, and they write
    // to the master and send files of one folder and one day.
    auto first = writers::start(home.path(), {QStringLiteral("window"), QStringLiteral("1"),
                                              QString::number(recordsEach), QStringLiteral("0")});
    auto second = writers::start(home.path(), {QStringLiteral("window"), QStringLiteral("2"),
                                               QString::number(recordsEach), QStringLiteral("0")});
    for (QProcess* copy : {first.get(), second.get()}) {
        QVERIFY(copy->waitForFinished(90000));
        QVERIFY2(copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0, qPrintable(writers::howItEnded(*copy)));
    }

    int switches = 0;
    int checked = 0;
    const QString folder = home.path() + QStringLiteral("/korvelan/");
    for (const auto& [name, kind] : {std::pair{QStringLiteral("masterFile.txt"), FileKind::Master},
                                     std::pair{QStringLiteral("send_1207.txt"), FileKind::Send}}) {
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const Tally tally = readRecordFile(bytes, kind);
        QVERIFY2(tally.error.isEmpty(), qPrintable(name + QStringLiteral(": ") + tally.error));
        QVERIFY(tally.cuts.isEmpty());
        QCOMPARE(tally.openings, 2);
        QCOMPARE(tally.records.keys(), QList<int>({1, 2}));
        QCOMPARE(tally.records[1].size(), recordsEach);
        QCOMPARE(tally.records[2].size(), recordsEach);
        QVERIFY2(checkRuns(tally.records, name).isEmpty(), qPrintable(checkRuns(tally.records, name)));
        checked += tally.total;

        // How often the file passes from one copy's record to the other's.
        if (kind == FileKind::Master) {
            qsizetype at = 0;
            int previous = 0;
            while ((at = bytes.indexOf("RESPONSE -->  \r\nchild ", at)) >= 0) {
                at += 22;
                const int writer = bytes.at(at) - '0';
                switches += previous != 0 && writer != previous;
                previous = writer;
            }
        }
    }
    QVERIFY2(switches > 0, "the two copies did not write at the same time");
    qInfo("figures: 2 copies wrote %d records each at once; %d records checked whole and in order; "
          "the master file passes %d times from one copy's record to the other's",
          recordsEach, checked, switches);
}

QTEST_GUILESS_MAIN(TwoCopiesTest)
#include "tst_two_copies.moc"
