#include "record_check.h"
#include "writers.h"

#include <QtTest>

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <thread>

using namespace record_check;
using namespace std::chrono_literals;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class KilledWritersTest : public QObject {
    Q_OBJECT
private slots:
    void recordFilesStayWholeUnderKills();
    void killInsideOneLongWrite();
};

void KilledWritersTest::recordFilesStayWholeUnderKills()
{
    constexpr int wantedKills = 200;
    constexpr int writersAtOnce = 3;
    QRandomGenerator random(20261207);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QDeadlineTimer deadline(100s);

    // Writers are forked by a writer server, so that each starts in a few
    // milliseconds and most of the test's time goes into writing records.
    auto server = writers::start(home.path(), {QStringLiteral("serve"), QStringLiteral("4")});
    QCOMPARE(writers::waitUntilReady(*server), QByteArray("serving"));

    int kills = 0;
    int killsInStartUp = 0;
    int child = 0;
    const auto startWriter = [&] {
        const QByteArray started = writers::ask(*server, "start " + QByteArray::number(child++));
        return started.startsWith("started ") ? pid_t(started.mid(8).toInt()) : pid_t(0);
    };
    // How long a writer takes from its fork to its first record.
    QElapsedTimer timer;
    timer.start();
    const pid_t first = startWriter();
    QVERIFY2(first > 0 && writers::ask(*server, "await " + QByteArray::number(first)) == "ready",
             qPrintable(writers::howItEnded(*server)));
    const int startUpMicroseconds = int(timer.nsecsElapsed() / 1000);
    ::kill(first, SIGKILL);
    QCOMPARE(writers::ask(*server, "reap " + QByteArray::number(first)), QByteArray("signal 9"));
    ++kills;

    while (kills < wantedKills) {
        QVERIFY2(!deadline.hasExpired(), qPrintable(QStringLiteral("only %1 kills in time").arg(kills)));
        // Three writers share the files. One in four is killed at a moment
        // of its start-up (the opening record included), the others 0 to
        // 50 ms into writing records.
        std::vector<std::pair<qint64, pid_t>> inStartUp;  // when, from the round's start, and whom
        std::vector<std::pair<qint64, pid_t>> inWriting;  // how long after its "ready", and whom
        QElapsedTimer round;
        round.start();
        for (int i = 0; i < writersAtOnce; ++i) {
            const pid_t pid = startWriter();
            QVERIFY2(pid > 0, qPrintable(writers::howItEnded(*server)));
            if (random.bounded(4) == 0)
                inStartUp.emplace_back(round.nsecsElapsed() / 1000 + random.bounded(startUpMicroseconds), pid);
            else
                inWriting.emplace_back(random.bounded(50000), pid);
        }
        std::sort(inStartUp.begin(), inStartUp.end());
        for (const auto& [when, pid] : inStartUp) {
            std::this_thread::sleep_for(std::chrono::microseconds(when - round.nsecsElapsed() / 1000));
            ::kill(pid, SIGKILL);
        }
        for (const auto& [delay, pid] : inWriting) {
            QCOMPARE(writers::ask(*server, "await " + QByteArray::number(pid)), QByteArray("ready"));
            std::this_thread::sleep_for(std::chrono::microseconds(delay));
            ::kill(pid, SIGKILL);
        }
        for (const auto& [when, pid] : inStartUp)
            killsInStartUp += writers::ask(*server, "await " + QByteArray::number(pid)) == "gone";
        for (const auto& plan : {inStartUp, inWriting}) {
            for (const auto& [when, pid] : plan) {
                const QByteArray ended = writers::ask(*server, "reap " + QByteArray::number(pid));
                QVERIFY2(ended == "signal 9", qPrintable(QStringLiteral("a writer ended by itself (%1): %2")
                                                             .arg(QString::fromLatin1(ended), writers::howItEnded(*server))));
                ++kills;
            }
        }
    }
    server->closeWriteChannel();
    QVERIFY(server->waitForFinished(20000));

    // After all that, a writer that is left alone writes every record.
    const int lastChild = child;
    auto last = writers::start(home.path(), {QStringLiteral("window"), QString::number(lastChild), QStringLiteral("20"),
                                             QStringLiteral("4")});
    QVERIFY(last->waitForFinished(60000));
    QVERIFY2(last->exitStatus() == QProcess::NormalExit && last->exitCode() == 0, qPrintable(writers::howItEnded(*last)));

    // The files stay for a look when a check fails.
    home.setAutoRemove(false);
    const QString folder = home.path() + QStringLiteral("/korvelan/");
    qInfo("record files in %s", qPrintable(folder));
    const Tally master = readRecordFile(bytesOf(folder + QStringLiteral("masterFile.txt")), FileKind::Master);
    const Tally send = readRecordFile(bytesOf(folder + QStringLiteral("send_1207.txt")), FileKind::Send);
    const Tally notes = readRecordFile(bytesOf(folder + QStringLiteral("notes_.txt")), FileKind::Notes);
    QVERIFY2(master.error.isEmpty(), qPrintable(QStringLiteral("master file: ") + master.error));
    QVERIFY2(send.error.isEmpty(), qPrintable(QStringLiteral("send file: ") + send.error));
    QVERIFY2(notes.error.isEmpty(), qPrintable(QStringLiteral("notes file: ") + notes.error));
    QVERIFY2(checkRuns(master.records, QStringLiteral("master")).isEmpty(), qPrintable(checkRuns(master.records, QStringLiteral("master"))));
    QVERIFY2(checkRuns(send.records, QStringLiteral("send")).isEmpty(), qPrintable(checkRuns(send.records, QStringLiteral("send"))));

    // A kill inside the one write() of a record can cut the record off at a
    // page boundary; the next append completes such a record from its
    // journal, so none may be left.
    qsizetype cuts = 0;
    for (const Tally* tally : {&master, &send, &notes})
        cuts += tally->cuts.size();
    QCOMPARE(cuts, qsizetype(0));

    // A record reaches all of its files or none: the files agree record for
    // record, whatever the moment of the kill.
    QCOMPARE(send.openings, master.openings);
    QCOMPARE(send.records, master.records);
    QCOMPARE(notes.records, master.notes);
    QCOMPARE(master.records.value(lastChild).size(), 20);
    QCOMPARE(send.records.value(lastChild).size(), 20);
    QCOMPARE(notes.records.value(lastChild).size(), 5);
    QVERIFY(master.openings >= master.records.size());

    home.setAutoRemove(true);
    qInfo("figures: %d kills survived (seeded, %d writers at once; %d of them in a writer's start-up of %d ms); "
          "%d records checked whole: master %d, send %d, notes %d; %d opening records; "
          "%lld records cut at a page boundary by a kill",
          kills, writersAtOnce, killsInStartUp, startUpMicroseconds / 1000, master.total + send.total + notes.total,
          master.total, send.total, notes.total, master.openings, static_cast<long long>(cuts));
}

void KilledWritersTest::killInsideOneLongWrite()
{
    // Records of 2 MB on a memory file system, where fsync costs nothing, so
    // that most kills land inside the one write() of a record. After each
    // kill a later run appends one record, as the next start would; then
    // the file must hold whole records only.
    QTemporaryDir folder(QStringLiteral("/dev/shm/drill-faults-XXXXXX"));
    if (!folder.isValid())
        QSKIP("needs a writable /dev/shm");
    const QString path = folder.path() + QStringLiteral("/masterFile.txt");
    const QString length = QStringLiteral("2000000");
    QRandomGenerator random(7);

    int kills = 0;
    int torn = 0;
    qint64 recordSize = 0;
    while (kills < 100 && torn == 0) {
        QFile::remove(path);
        auto writer = writers::start(folder.path(), {QStringLiteral("direct"), path, length, QStringLiteral("-1")});
        const QByteArray ready = writers::waitUntilReady(*writer);
        QVERIFY2(ready.startsWith("ready "), qPrintable(writers::howItEnded(*writer)));
        recordSize = ready.mid(6).toLongLong();
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(2000, 40000)));
        QVERIFY2(writers::kill(*writer), qPrintable(writers::howItEnded(*writer)));
        ++kills;

        auto later = writers::start(folder.path(), {QStringLiteral("direct"), path, length, QStringLiteral("1")});
        QVERIFY(later->waitForFinished(20000));
        QVERIFY2(later->exitCode() == 0, qPrintable(writers::howItEnded(*later)));
        if (QFileInfo(path).size() % recordSize != 0)
            ++torn;
    }
    qInfo("figures: %d kills inside records of %lld bytes, %d left a torn record behind the next one", kills,
          static_cast<long long>(recordSize), torn);
    QVERIFY2(torn == 0, "a kill left a torn record");
}

QTEST_GUILESS_MAIN(KilledWritersTest)
#include "tst_killed_writers.moc"
