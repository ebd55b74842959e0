#include "record_check.h"
#include "writers.h"

#include <QtTest>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace record_check;

namespace {

// How a writer is stopped at its Nth crash point: by the file layer's own
// hook, counted inside the writer, or by strace killing it at its Nth
// fsync from outside.
enum class Method { Hook, Strace };

struct Run {
    bool killed = false;
    int exitCode = -1;
    QString said;
};

Run runWriter(const QString& home, Method method, const QString& kind, int stopAt)
{
    QProcess writer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    writer.setProcessEnvironment(environment);
    const QStringList arguments{QStringLiteral("crash"), kind};
    if (method == Method::Strace && stopAt > 0) {
        writer.start(writers::straceProgram(),
                     writers::underStrace({QStringLiteral("-e"), QStringLiteral("trace=fsync"), QStringLiteral("-e"),
                                           QStringLiteral("inject=fsync:signal=KILL:when=%1").arg(stopAt)},
                                          arguments + QStringList{QStringLiteral("0")}));
    } else {
        writer.start(QStringLiteral(RECORD_WRITER), arguments + QStringList{QString::number(stopAt)});
    }
    const bool ended = writer.waitForFinished(60000);
    if (!ended) {
        writer.kill();
        writer.waitForFinished(5000);
    }
    QString said = QString::fromLocal8Bit(writer.readAllStandardError()).trimmed();
    if (!ended)
        said += QStringLiteral(" (the writer did not end within 60 s and was killed)");
    return {ended && writer.exitStatus() == QProcess::CrashExit, ended ? writer.exitCode() : -1, said};
}

struct Files {
    Tally master;
    Tally send;
    Tally notes;
};

Files readFiles(const QString& home)
{
    const QString folder = home + QStringLiteral("/korvelan/");
    const auto read = [&](const char* name, FileKind kind) {
        QFile file(folder + QLatin1String(name));
        return readRecordFile(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), kind);
    };
    return {read("masterFile.txt", FileKind::Master), read("send_1207.txt", FileKind::Send),
            read("notes_.txt", FileKind::Notes)};
}

// Every record whole, none cut, and the same records in every file.
QString disagreement(const Files& files)
{
    for (const auto& [name, tally] : {std::pair{"master", &files.master}, std::pair{"send", &files.send},
                                      std::pair{"notes", &files.notes}}) {
        if (!tally->error.isEmpty())
            return QStringLiteral("%1 file: %2").arg(QLatin1String(name), tally->error);
        if (!tally->cuts.isEmpty())
            return QStringLiteral("%1 file: a record was cut off").arg(QLatin1String(name));
    }
    if (files.send.openings != files.master.openings)
        return QStringLiteral("%1 opening records in the master file, %2 in the send file")
            .arg(files.master.openings)
            .arg(files.send.openings);
    if (files.send.records != files.master.records)
        return QStringLiteral("the send file's records differ from the master file's");
    if (files.notes.records != files.master.notes)
        return QStringLiteral("the notes file's records differ from the master file's notes");
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Method)

class CrashPointsTest : public QObject {
    Q_OBJECT
private slots:
    void filesAgreeAfterACrashAtEveryPoint_data();
    void filesAgreeAfterACrashAtEveryPoint();
};

void CrashPointsTest::filesAgreeAfterACrashAtEveryPoint_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Method>("method");
    // "retry": a response that fails in the send file and can be neither
    // cut back nor marked to take back, then pressed again.
    for (const char* kind : {"opening", "response", "note", "retry"}) {
        QTest::addRow("%s, stopped by the file layer's hook", kind) << QString::fromLatin1(kind) << Method::Hook;
        QTest::addRow("%s, killed by strace at an fsync", kind) << QString::fromLatin1(kind) << Method::Strace;
    }
}

void CrashPointsTest::filesAgreeAfterACrashAtEveryPoint()
{
    QFETCH(QString, kind);
    QFETCH(Method, method);
    if (method == Method::Strace && writers::straceProgram().isEmpty())
        QSKIP("strace is missing or this machine does not permit ptrace");
    const bool pressed = kind != QStringLiteral("opening");
    // The records that the run makes besides its opening.
    const int made = kind == QStringLiteral("retry") ? 2 : pressed ? 1 : 0;

    // The writer is stopped at its first crash point, then at its second,
    // and so on, each time in a fresh folder, until it gets through.
    int crashes = 0;
    int firstKept = 0;
    int lastKept = 0;
    for (int stopAt = 1;; ++stopAt) {
        QVERIFY2(stopAt <= 40, "the writer never got through its records");
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const Run first = runWriter(home.path(), method, kind, stopAt);
        if (!first.killed) {
            QVERIFY2(first.exitCode == 0, qPrintable(first.said));
            const Files files = readFiles(home.path());
            QVERIFY2(disagreement(files).isEmpty(), qPrintable(disagreement(files)));
            QVERIFY2(files.master.openings == 1,
                     qPrintable(QStringLiteral("%1 opening records after a run that stopped at no crash point %2: %3")
                                    .arg(files.master.openings)
                                    .arg(stopAt)
                                    .arg(first.said)));
            QCOMPARE(files.master.records.value(1).size(), made);
            break;
        }
        ++crashes;

        // The next start is stopped at its own first crash point, inside the
        // completion of what the first run left; the one after runs through.
        const Run second = runWriter(home.path(), method, QStringLiteral("opening"), 1);
        QVERIFY2(second.killed, qPrintable(second.said));
        const Run third = runWriter(home.path(), method, QStringLiteral("opening"), 0);
        QVERIFY2(!third.killed && third.exitCode == 0, qPrintable(third.said));

        const Files files = readFiles(home.path());
        const QString fault = disagreement(files);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("stopped at point %1: %2").arg(stopAt).arg(fault)));
        // Every crash point comes after a record's journal was written
        // whole, so the record that the run had begun is kept: the first
        // run's opening always, its responses or note once each was begun,
        // each once and in order.
        QCOMPARE(files.master.openings, 2);
        const QString runs = checkRuns(files.master.records, QStringLiteral("master"));
        QVERIFY2(runs.isEmpty(), qPrintable(QStringLiteral("stopped at point %1: %2").arg(stopAt).arg(runs)));
        const int kept = int(files.master.records.value(1).size());
        if (kept > 0 && firstKept == 0)
            firstKept = stopAt;
        QVERIFY2(kept >= lastKept && kept <= made,
                 qPrintable(QStringLiteral("%1 records kept at point %2, %3 at the point before")
                                .arg(kept)
                                .arg(stopAt)
                                .arg(lastKept)));
        lastKept = kept;
    }
    if (pressed)
        QVERIFY2(firstKept > 1 && firstKept <= crashes, "the pressed record was never kept");
    qInfo("figures: %s, %s: %d crash points, the files agreed after each", qPrintable(kind),
          method == Method::Hook ? "hook" : "strace", crashes);
}

QTEST_GUILESS_MAIN(CrashPointsTest)
#include "tst_crash_points.moc"
