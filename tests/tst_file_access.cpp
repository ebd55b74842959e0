#include "fault_injection.h"
#include "platform/drill_error.h"
#include "platform/file_access.h"
#include "platform/record_calls.h"
#include "platform/posix_file.h"
#include "platform/record_journal.h"
#include "test_system.h"

#include <QtTest>

#include <optional>

using record_journal::Kind;

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

// A path as the program's messages show it: with the system's separators.
QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Moves the file's time of change on by `seconds` (back, when negative).
bool touchLater(const QString& path, int seconds)
{
    QFile file(path);
    const QDateTime changed = QFileInfo(path).lastModified();
    return file.open(QIODevice::ReadWrite)
           && file.setFileTime(changed.addSecs(seconds), QFileDevice::FileModificationTime);
}

// Writes a leftover journal as the stopped run left it: after the files
// that it names were last written.
void writeJournalAfterFiles(const QString& path, const QByteArray& journal)
{
    writeFile(path, journal);
    QVERIFY(touchLater(path, 30));
}

record_journal::Entry entryFor(const QString& name, const QByteArray& before, const QByteArray& record)
{
    const QByteArrayView tail = QByteArrayView(before).sliced(record_journal::tailStart(before.size()));
    return {name, before.size(), record_journal::tailChecksum(tail), record};
}

// What happened to the master file after the stopped run.
enum class Fate {
    KeptInPlace,
    CutBackByHand,       // at once, in the second the journal was written
    CutBackByHandLater,  // a minute later
    CutBackTimeSetBack,  // and its time set back a minute, as touch -d does
    CopiedInPlace,
    Replaced,
    Removed,
    // The data folder copied elsewhere: its files, then the journal, kept
    // their times; or they got the times of the copy, the journal first.
    FolderCopiedWithTimes,
    FolderCopiedWithoutTimes,
};

const QByteArray masterBefore = "earlier\r\n";
const QByteArray sendBefore = "day\r\n";
const QByteArray masterRecord = "RECORD for master\r\n";
const QByteArray sendRecord = "RECORD for send\r\n";
const QByteArray masterNext = "next for master\r\n";
const QByteArray sendNext = "next for send\r\n";

// The journal of a record of masterRecord and sendRecord after the files'
// "before" bytes, with marks after it: "master" and "send" for the files
// the record reached, "take back" for a record to take back.
QByteArray leftoverJournal(Kind kind, const QStringList& marks = {})
{
    QByteArray journal = record_journal::encode({kind,
                                                 {entryFor(QStringLiteral("masterFile.txt"), masterBefore, masterRecord),
                                                  entryFor(QStringLiteral("send_1207.txt"), sendBefore, sendRecord)}});
    const QByteArray sum = record_journal::checksumOf(journal);
    for (const QString& mark : marks) {
        if (mark == QStringLiteral("take back"))
            journal += record_journal::takeBackMark(sum);
        else
            journal += record_journal::reachedMark(sum, mark == QStringLiteral("master") ? 0 : 1);
    }
    return journal;
}

// Copies every file of `from` into `to`; with times, as cp -p does.
bool copyFolder(const QString& from, const QString& to, bool withTimes)
{
    if (!QDir().mkpath(to))
        return false;
    const QStringList names = QDir(from).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        QFile source(from + u'/' + name);
        QFile copy(to + u'/' + name);
        if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) || copy.write(source.readAll()) < 0)
            return false;
        if (withTimes && !copy.setFileTime(source.fileTime(QFileDevice::FileModificationTime),
                                           QFileDevice::FileModificationTime))
            return false;
    }
    return true;
}

// The peak of this process's resident memory since the last reset, in
// bytes; none where the system does not tell it.
std::optional<qint64> peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return std::nullopt;
}

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

}  // namespace

Q_DECLARE_METATYPE(record_journal::Kind)
Q_DECLARE_METATYPE(record_calls::Call)

class FileAccessTest : public QObject {
    Q_OBJECT
private slots:
    void recordReachesEveryFile();
    void leftoverJournalIsSettled_data();
    void leftoverJournalIsSettled();
    void unusableJournalIsSetAside_data();
    void unusableJournalIsSetAside();
    void leftoverThatCannotBeSettledNowIsKept_data();
    void leftoverThatCannotBeSettledNowIsKept();
    void leftoverJournalSurvivesARemount_data();
    void leftoverJournalSurvivesARemount();
    void oldJournalsAreDroppedWithoutCutting_data();
    void oldJournalsAreDroppedWithoutCutting();
    void journalNamingWhatIsNotAFileIsSetAside_data();
    void journalNamingWhatIsNotAFileIsSetAside();
    void largeJournalIsReadInPieces_data();
    void largeJournalIsReadInPieces();
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
    if (test_system::hasModes())
        QCOMPARE(test_system::modeOf(master) & 0077, 0);
}

void FileAccessTest::leftoverJournalIsSettled_data()
{
    // The master and send files as a run that was stopped in the middle of
    // a record left them (and as they were changed since), the marks of its
    // journal, and what each file must hold before the next record once
    // that record is written.
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("marks");
    QTest::addColumn<bool>("lastByteLost");  // the journal's last byte did not survive
    QTest::addColumn<QByteArray>("master");
    QTest::addColumn<int>("masterFate");
    QTest::addColumn<QByteArray>("send");
    QTest::addColumn<QByteArray>("masterAfter");
    QTest::addColumn<QByteArray>("sendAfter");
    QTest::addColumn<QStringList>("named");

    const QByteArray masterWhole = masterBefore + masterRecord;
    const QByteArray sendWhole = sendBefore + sendRecord;
    const QStringList none;
    const QStringList masterNamed{QStringLiteral("master")};
    const QStringList masterReached{QStringLiteral("master")};
    struct Row {
        const char* name;
        QByteArray master;
        Fate fate;
        QByteArray send;
        QByteArray masterAfter;
        QByteArray sendAfter;
        QStringList named;
        QStringList marks = {};
        Kind kind = Kind::Complete;
        bool lastByteLost = false;
    };
    const Fate inPlace = Fate::KeptInPlace;
    const Row rows[] = {
        {"stopped before any file was written", masterBefore, inPlace, sendBefore, masterWhole, sendWhole, none},
        {"stopped inside the master file's write", masterBefore + masterRecord.left(4), inPlace, sendBefore,
         masterWhole, sendWhole, none},
        {"stopped after the master file was marked", masterWhole, inPlace, sendBefore + sendRecord.left(2), masterWhole,
         sendWhole, none, masterReached},
        {"stopped before the journal was removed", masterWhole, inPlace, sendWhole, masterWhole, sendWhole, none,
         {QStringLiteral("master"), QStringLiteral("send")}},
        {"a copy of the master file in its place is the same file", masterBefore + masterRecord.left(4),
         Fate::CopiedInPlace, sendBefore, masterWhole, sendWhole, none},
        {"an edited master file is left alone", masterBefore + "tidied", inPlace, sendBefore + sendRecord.left(3),
         masterBefore + "tidied", sendWhole, masterNamed},
        {"a grown master file is left alone", masterWhole + "more\r\n", inPlace, sendBefore, masterWhole + "more\r\n",
         sendWhole, masterNamed},
        {"a shrunk master file is left alone", masterBefore.left(3), inPlace, sendBefore, masterBefore.left(3),
         sendWhole, masterNamed},
        // Once the journal marks the record as whole in a file, a file that
        // lacks it was cut back by hand, whatever its time says.
        {"marked, then cut back by hand a minute later: left alone", masterBefore, Fate::CutBackByHandLater, sendBefore,
         masterBefore, sendWhole, masterNamed, masterReached},
        {"marked, then cut back by hand at once: left alone", masterBefore, Fate::CutBackByHand, sendBefore,
         masterBefore, sendWhole, masterNamed, masterReached},
        {"marked, then cut back by hand and its time set back: left alone", masterBefore, Fate::CutBackTimeSetBack,
         sendBefore, masterBefore, sendWhole, masterNamed, masterReached},
        {"marked, then cut back by hand into the record: left alone", masterBefore + masterRecord.left(4),
         Fate::CutBackByHand, sendBefore, masterBefore + masterRecord.left(4), sendWhole, masterNamed, masterReached},
        {"never marked: a file at its old size is completed, whatever its time", masterBefore, Fate::CutBackByHandLater,
         sendBefore, masterWhole, sendWhole, none},
        {"another file in the master file's place is left alone", "other\r\n" + masterRecord.left(4), Fate::Replaced,
         sendBefore, "other\r\n" + masterRecord.left(4), sendWhole, masterNamed},
        {"a removed master file is named", masterBefore, Fate::Removed, sendBefore, QByteArray(), sendWhole,
         masterNamed},
        {"both files changed, each named once", masterWhole + "x", inPlace, sendBefore.left(1), masterWhole + "x",
         sendBefore.left(1), {QStringLiteral("master"), QStringLiteral("send")}},
        // A copy of the data folder completes as the folder itself would.
        {"the folder copied with its times", masterBefore + masterRecord.left(4), Fate::FolderCopiedWithTimes,
         sendBefore, masterWhole, sendWhole, none},
        {"the folder copied without its times, the journal first", masterBefore + masterRecord.left(4),
         Fate::FolderCopiedWithoutTimes, sendBefore, masterWhole, sendWhole, none},
        {"the folder copied without its times, the master file marked and cut back by hand", masterBefore,
         Fate::FolderCopiedWithoutTimes, sendBefore, masterBefore, sendWhole, masterNamed, masterReached},
        // Written whole and synced, the journal holds its record although
        // its last byte was lost since.
        {"the journal lost its last byte", masterBefore + masterRecord.left(4), inPlace, sendBefore, masterWhole,
         sendWhole, none, {}, Kind::Complete, true},
        {"the journal lost the last byte of its mark", masterBefore, inPlace, sendBefore, masterBefore, sendWhole,
         masterNamed, masterReached, Kind::Complete, true},
        {"a record to take back is cut out of both files", masterWhole, inPlace, sendBefore + sendRecord.left(5),
         masterBefore, sendBefore, none, {}, Kind::TakeBack},
        {"a record to take back leaves an edited file alone", masterWhole + "x", inPlace, sendWhole, masterWhole + "x",
         sendBefore, masterNamed, {}, Kind::TakeBack},
        {"a record marked to take back is cut out of both files", masterWhole, inPlace, sendBefore + sendRecord.left(5),
         masterBefore, sendBefore, none, {QStringLiteral("master"), QStringLiteral("take back")}},
        {"a record marked to take back, the master file cut back already", masterBefore, inPlace, sendBefore,
         masterBefore, sendBefore, none, {QStringLiteral("master"), QStringLiteral("take back")}},
    };
    for (const Row& row : rows) {
        QTest::newRow(row.name) << row.kind << row.marks << row.lastByteLost << row.master << int(row.fate) << row.send
                                << row.masterAfter << row.sendAfter << row.named;
    }
}

void FileAccessTest::leftoverJournalIsSettled()
{
    QFETCH(Kind, kind);
    QFETCH(QStringList, marks);
    QFETCH(bool, lastByteLost);
    QFETCH(QByteArray, master);
    QFETCH(int, masterFate);
    QFETCH(QByteArray, send);
    QFETCH(QByteArray, masterAfter);
    QFETCH(QByteArray, sendAfter);
    QFETCH(QStringList, named);

    QTemporaryDir home;
    QString folder = home.filePath(QStringLiteral("korvelan"));
    QVERIFY(QDir().mkpath(folder));
    const auto paths = [&folder] {
        return std::tuple{folder + QStringLiteral("/masterFile.txt"), folder + QStringLiteral("/send_1207.txt"),
                          folder + QStringLiteral("/.record-journal")};
    };
    auto [masterPath, sendPath, journalPath] = paths();
    writeFile(masterPath, master);
    writeFile(sendPath, send);
    const QByteArray journal = leftoverJournal(kind, marks);
    writeJournalAfterFiles(journalPath, lastByteLost ? journal.chopped(1) : journal);
    switch (Fate(masterFate)) {
    case Fate::KeptInPlace:
        break;
    case Fate::CopiedInPlace:
    case Fate::Replaced: {
        const QString other = home.filePath(QStringLiteral("restored.txt"));
        writeFile(other, master);
        QVERIFY(test_system::replaceFile(other, masterPath));
        break;
    }
    case Fate::Removed:
        QVERIFY(QFile::remove(masterPath));
        break;
    case Fate::CutBackByHand:
        QVERIFY(touchLater(masterPath, 30));
        break;
    case Fate::CutBackByHandLater:
        QVERIFY(touchLater(masterPath, 90));
        break;
    case Fate::CutBackTimeSetBack:
        QVERIFY(touchLater(masterPath, -60));
        break;
    case Fate::FolderCopiedWithTimes:
    case Fate::FolderCopiedWithoutTimes: {
        const bool withTimes = Fate(masterFate) == Fate::FolderCopiedWithTimes;
        const QString copy = home.filePath(QStringLiteral("copy"));
        QVERIFY(copyFolder(folder, copy, withTimes));
        folder = copy;
        std::tie(masterPath, sendPath, journalPath) = paths();
        // A slow copy of a large master file: it and the send file come
        // well after the journal.
        if (!withTimes)
            QVERIFY(touchLater(masterPath, 60) && touchLater(sendPath, 60));
        break;
    }
    }

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QCOMPARE(contents(masterPath), masterAfter + masterNext);
    QCOMPARE(contents(sendPath), sendAfter + sendNext);
    QCOMPARE(notices.size(), named.isEmpty() ? 0 : 1);
    for (const QString& path : {masterPath, sendPath}) {
        const bool isNamed = named.contains(path == masterPath ? QStringLiteral("master") : QStringLiteral("send"));
        QCOMPARE(notices.join(u' ').count(shown(path)), isNamed ? 1 : 0);
    }
    QVERIFY(!QFileInfo::exists(journalPath));

    // The journal is gone: the next record names nothing.
    QVERIFY(file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}}).isEmpty());
    QCOMPARE(contents(sendPath), sendAfter + sendNext + sendNext);
}

void FileAccessTest::unusableJournalIsSetAside_data()
{
    // Journals that cannot say what to do: none is applied, none is lost
    // (but for one cut short in its write, after which no file was touched).
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QString>("what");  // "" for a journal that is removed
    const QByteArray whole = leftoverJournal(Kind::Complete);
    QByteArray flipped = whole;
    flipped[whole.size() / 2] = char(flipped[whole.size() / 2] ^ 0x01);
    const QByteArray outside = "record journal 2\ncomplete\nfile 0 6 " + record_journal::tailChecksum("")
                               + " ..%2Foutside.txt\n\nappend";
    const QByteArray huge = "record journal 2\ncomplete\nfile 0 9223372036854775807 "
                            + record_journal::tailChecksum("") + " masterFile.txt\n\nx";
    const auto seal = [](const QByteArray& body) {
        return body + "sha256 " + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n';
    };
    QTest::newRow("cut short in its write") << whole.chopped(10) << QString();
    QTest::newRow("some other file by that name") << QByteArray("notes to self\n") << QStringLiteral("is damaged");
    QTest::newRow("cut short and changed") << whole.chopped(100) + "\nsha256 " + QByteArray(64, '0') + '\n'
                                           << QStringLiteral("is damaged");
    QTest::newRow("one bit flipped after it was synced") << flipped << QStringLiteral("is damaged");
    QTest::newRow("a name outside the folder") << seal(outside) << QStringLiteral("does not describe a record");
    QTest::newRow("a length beyond all memory") << seal(huge) << QStringLiteral("does not describe a record");
    QTest::newRow("the earlier versions' journal")
        << seal("record journal 1\nfile 2049 131077 9 19 masterFile.txt\n\n" + masterRecord)
        << QStringLiteral("does not describe a record");
}

void FileAccessTest::unusableJournalIsSetAside()
{
    QFETCH(QByteArray, journal);
    QFETCH(QString, what);
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("korvelan")));
    const QString folder = home.filePath(QStringLiteral("korvelan"));
    const QString masterPath = folder + QStringLiteral("/masterFile.txt");
    const QString sendPath = folder + QStringLiteral("/send_1207.txt");
    const QString outsidePath = home.filePath(QStringLiteral("outside.txt"));
    writeFile(masterPath, masterBefore + masterRecord.left(4));
    writeFile(sendPath, sendBefore);
    writeFile(outsidePath, "mine\r\n");
    writeFile(folder + QStringLiteral("/.record-journal"), journal);

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QCOMPARE(contents(masterPath), masterBefore + masterRecord.left(4) + masterNext);
    QCOMPARE(contents(sendPath), sendBefore + sendNext);
    QCOMPARE(contents(outsidePath), QByteArray("mine\r\n"));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/.record-journal")));
    const QString aside = folder + QStringLiteral("/.record-journal.damaged");
    if (what.isEmpty()) {
        QCOMPARE(notices, QStringList());
        QVERIFY(!QFileInfo::exists(aside));
        return;
    }
    QCOMPARE(contents(aside), journal);
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(what) && notices.first().contains(shown(aside)), qPrintable(notices.first()));

    // A second one is set aside beside the first, which is kept.
    writeFile(folder + QStringLiteral("/.record-journal"), journal);
    QCOMPARE(file_access::appendRecord({{masterPath, masterNext}}).size(), 1);
    QCOMPARE(contents(aside + QStringLiteral("-2")), journal);
    QCOMPARE(contents(aside), journal);
}

void FileAccessTest::leftoverThatCannotBeSettledNowIsKept_data()
{
    // The send file cannot be used for a moment when the stopped run's
    // record is to be completed: nothing is written, nothing is decided.
    QTest::addColumn<record_calls::Call>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QByteArray>("sendMeanwhile");
    using record_calls::Call;
    QTest::newRow("made read-only") << Call::Open << EACCES << QStringLiteral("could not be opened: Permission denied")
                                    << sendBefore;
    QTest::newRow("too many open files") << Call::Open << EMFILE << QStringLiteral("could not be opened: Too many")
                                         << sendBefore;
    QTest::newRow("a read error") << Call::Read << EIO << QStringLiteral("could not be read: Input/output error")
                                  << sendBefore;
    QTest::newRow("a full disk") << Call::Write << ENOSPC << QStringLiteral("could not be written: No space left")
                                 << sendBefore;
    // The bytes stay: the journal still says that they belong there.
    QTest::newRow("a failing sync") << Call::Sync << EIO << QStringLiteral("could not be written: Input/output error")
                                    << sendBefore + sendRecord;
}

void FileAccessTest::leftoverThatCannotBeSettledNowIsKept()
{
    QFETCH(record_calls::Call, call);
    QFETCH(int, error);
    QFETCH(QString, said);
    QFETCH(QByteArray, sendMeanwhile);
    QTemporaryDir dir;
    const QString masterPath = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString sendPath = dir.filePath(QStringLiteral("send_1207.txt"));
    const QString journalPath = dir.filePath(QStringLiteral(".record-journal"));
    const QByteArray journal = leftoverJournal(Kind::Complete);
    writeFile(masterPath, masterBefore + masterRecord.left(4));
    writeFile(sendPath, sendBefore);
    writeJournalAfterFiles(journalPath, journal);
    {
        const FaultInjection fault({{call, "send_1207.txt", error}});
        try {
            file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
            QFAIL("the record was written while the leftover could not be settled");
        } catch (const DrillError& failure) {
            QVERIFY2(failure.text().contains(shown(sendPath)) && failure.text().contains(said)
                         && failure.text().contains(QStringLiteral("Nothing was recorded"))
                         && !failure.text().contains(QStringLiteral("changed")),
                     qPrintable(failure.text()));
        }
        QCOMPARE(contents(journalPath), journal);
        QCOMPARE(contents(sendPath), sendMeanwhile);
    }
    // Once the file can be used again, the record is completed, then the
    // next one written.
    QVERIFY(file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}}).isEmpty());
    QCOMPARE(contents(masterPath), masterBefore + masterRecord + masterNext);
    QCOMPARE(contents(sendPath), sendBefore + sendRecord + sendNext);
    QVERIFY(!QFileInfo::exists(journalPath));
}

void FileAccessTest::leftoverJournalSurvivesARemount_data()
{
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<QStringList>("makeIt");
    QTest::newRow("ext4") << QStringLiteral("ext4") << QStringList{QStringLiteral("mkfs.ext4"), QStringLiteral("-q")};
    // FAT makes up its inode numbers anew at each mount.
    QTest::newRow("vfat") << QStringLiteral("vfat") << QStringList{QStringLiteral("mkfs.vfat")};
}

void FileAccessTest::leftoverJournalSurvivesARemount()
{
    // A stick that comes back as another device after a power cut: the
    // folder's files have new device numbers, and must still be known.
    QFETCH(QString, fileSystem);
    QFETCH(QStringList, makeIt);
    QFile known(QStringLiteral("/proc/filesystems"));
    const bool kernelHasIt = known.open(QIODevice::ReadOnly) && known.readAll().contains("\t" + fileSystem.toLatin1() + '\n');
    if (!test_system::isRoot() || !kernelHasIt || QStandardPaths::findExecutable(QStringLiteral("losetup")).isEmpty()
        || QStandardPaths::findExecutable(makeIt.first()).isEmpty())
        QSKIP("needs root, losetup, the file system in the kernel and its mkfs");
    QTemporaryDir dir;
    // What the command printed, or nothing when it failed.
    const auto run = [](const QString& program, const QStringList& arguments) -> std::optional<QString> {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(20000);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return std::nullopt;
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    };
    const QString image = dir.filePath(QStringLiteral("stick.img"));
    const QString mountPoint = dir.filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(mountPoint));
    writeFile(image, {});
    QVERIFY(QFile::resize(image, 8 << 20));
    QVERIFY(run(makeIt.first(), makeIt.mid(1) + QStringList{image}));
    const QString first =
        run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image}).value_or(QString());
    if (first.isEmpty() || !run(QStringLiteral("mount"), {first, mountPoint}))
        QSKIP("this machine does not permit loop mounts");
    // Unmounted and detached however the test ends.
    QString second;
    const auto cleanUp = qScopeGuard([&] {
        run(QStringLiteral("umount"), {mountPoint});
        for (const QString& device : {first, second}) {
            if (!device.isEmpty())
                run(QStringLiteral("losetup"), {QStringLiteral("-d"), device});
        }
    });

    const QString masterPath = mountPoint + QStringLiteral("/masterFile.txt");
    const QString sendPath = mountPoint + QStringLiteral("/send_1207.txt");
    writeFile(masterPath, masterBefore + masterRecord.left(4));
    writeFile(sendPath, sendBefore);
    writeJournalAfterFiles(mountPoint + QStringLiteral("/.record-journal"), leftoverJournal(Kind::Complete));
    posix_file::PathInfo before;
    QCOMPARE(posix_file::pathInfo(posix_file::nativePath(masterPath), &before), 0);
    QVERIFY(run(QStringLiteral("umount"), {mountPoint}));
    // The first device is still attached, so the image comes back on another.
    second = run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image}).value_or(QString());
    QVERIFY(!second.isEmpty() && second != first);
    QVERIFY(run(QStringLiteral("mount"), {second, mountPoint}));
    posix_file::PathInfo after;
    QCOMPARE(posix_file::pathInfo(posix_file::nativePath(masterPath), &after), 0);
    QVERIFY(after.device != before.device);

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u' ')));
    QCOMPARE(contents(masterPath), masterBefore + masterRecord + masterNext);
    QCOMPARE(contents(sendPath), sendBefore + sendRecord + sendNext);
}

void FileAccessTest::oldJournalsAreDroppedWithoutCutting_data()
{
    // Journals of the program's earlier versions beside a master file that
    // was edited after them: each is removed, and no file is touched.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("journal");
    // It names an offset inside the file, which the earlier versions cut the
    // file back to.
    QTest::newRow("a journal of one file") << QStringLiteral(".masterFile.txt.pending") << QByteArray("1000 300\n");
    // Left by a kill before it was renamed into the journal's place, it was
    // never in force.
    QTest::newRow("a journal to take back, never put in place")
        << QStringLiteral(".record-journal.take-back")
        << record_journal::encode({Kind::TakeBack,
                                   {entryFor(QStringLiteral("masterFile.txt"), QByteArray(9000, 'e'),
                                             QByteArray(200, 'e'))}});
}

void FileAccessTest::oldJournalsAreDroppedWithoutCutting()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, journal);
    QTemporaryDir dir;
    const QString master = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString oldJournal = dir.filePath(name);
    const QByteArray edited(9200, 'e');
    writeFile(master, edited);
    writeFile(oldJournal, journal);
    QVERIFY(file_access::appendRecord({{master, masterNext}}).isEmpty());
    QCOMPARE(contents(master), edited + masterNext);
    QVERIFY(!QFileInfo::exists(oldJournal));
}

void FileAccessTest::journalNamingWhatIsNotAFileIsSetAside_data()
{
    // A note's journal, and something other than a plain file at the notes
    // file's name: the journal is set aside unapplied, and the next record,
    // which does not write the notes file, is written.
    QTest::addColumn<QString>("thing");
    QTest::addColumn<QString>("said");
    QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("which is a folder");
    QTest::newRow("a symbolic link") << QStringLiteral("link") << QStringLiteral("which is a symbolic link");
    QTest::newRow("a named pipe") << QStringLiteral("pipe") << QStringLiteral("which is not a plain file");
}

void FileAccessTest::journalNamingWhatIsNotAFileIsSetAside()
{
    QFETCH(QString, thing);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString masterPath = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString sendPath = dir.filePath(QStringLiteral("send_1207.txt"));
    const QString notesPath = dir.filePath(QStringLiteral("notes_.txt"));
    const QString journalPath = dir.filePath(QStringLiteral(".record-journal"));
    writeFile(masterPath, masterBefore + masterRecord.left(4));
    writeFile(sendPath, sendBefore);
    const QByteArray journal =
        record_journal::encode({Kind::Complete,
                                {entryFor(QStringLiteral("masterFile.txt"), masterBefore, masterRecord),
                                 entryFor(QStringLiteral("send_1207.txt"), sendBefore, sendRecord),
                                 entryFor(QStringLiteral("notes_.txt"), QByteArray(), "a note")}});
    writeFile(journalPath, journal);
    if (thing == QStringLiteral("folder"))
        QVERIFY(QDir().mkdir(notesPath));
    else if (thing == QStringLiteral("link") && !test_system::makeSymbolicLink(masterPath, notesPath))
        QSKIP("no symbolic link can be made here");
    else if (thing == QStringLiteral("pipe") && !test_system::makeNamedPipe(notesPath))
        QSKIP("folders on this system hold no named pipes");

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QCOMPARE(contents(masterPath), masterBefore + masterRecord.left(4) + masterNext);
    QCOMPARE(contents(sendPath), sendBefore + sendNext);
    QCOMPARE(contents(dir.filePath(QStringLiteral(".record-journal.damaged"))), journal);
    QVERIFY(!QFileInfo::exists(journalPath));
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(shown(notesPath)) && notices.first().contains(said), qPrintable(notices.first()));
}

void FileAccessTest::largeJournalIsReadInPieces_data()
{
    // Journals of 200 MiB beside a record's files, their bytes a hole in the
    // file: neither is applied, and neither is read into memory whole.
    QTest::addColumn<qint64>("promised");  // the bytes its file line promises
    QTest::addColumn<bool>("sealed");      // a checksum line follows the bytes
    QTest::addColumn<QString>("aside");    // "" when it is removed as torn
    const qint64 size = qint64(200) << 20;
    QTest::newRow("cut short in its write") << 3 * size / 2 << false << QString();
    QTest::newRow("sealed, its checksum wrong") << size << true << QStringLiteral("is damaged");
}

void FileAccessTest::largeJournalIsReadInPieces()
{
    QFETCH(qint64, promised);
    QFETCH(bool, sealed);
    QFETCH(QString, aside);
    QTemporaryDir dir;
    const QString masterPath = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString journalPath = dir.filePath(QStringLiteral(".record-journal"));
    writeFile(masterPath, masterBefore);
    const QByteArray heading = "record journal 2\ncomplete\nfile 9 " + QByteArray::number(promised) + ' '
                               + record_journal::tailChecksum(masterBefore) + " masterFile.txt\n\n";
    writeFile(journalPath, heading);
    const qint64 bodyEnd = heading.size() + (qint64(200) << 20);
    QVERIFY(QFile::resize(journalPath, bodyEnd));
    if (sealed) {
        QFile file(journalPath);
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.write("sha256 " + QByteArray(64, '0') + '\n') == 72);
    }
    if (!resetPeakMemory() || !peakMemory())
        QSKIP("this system does not tell a process's peak memory");
    const qint64 before = *peakMemory();

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}});
    const qint64 grown = *peakMemory() - before;
    QCOMPARE(contents(masterPath), masterBefore + masterNext);
    QVERIFY(!QFileInfo::exists(journalPath));
    QCOMPARE(notices.size(), aside.isEmpty() ? 0 : 1);
    if (!aside.isEmpty())
        QVERIFY2(notices.first().contains(shown(aside)), qPrintable(notices.first()));
    QVERIFY2(grown < qint64(32) << 20, qPrintable(QStringLiteral("memory grew by %1 MiB").arg(grown >> 20)));
}

void FileAccessTest::readingWhatIsNotAPlainFileFails()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("notes_.txt"));
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(dir.path()));
    if (!test_system::makeNamedPipe(pipe))
        QSKIP("folders on this system hold no named pipes");
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(pipe));
    QVERIFY_THROWS_EXCEPTION(DrillError, file_access::appendRecord({{pipe, "x"}}));  // no reader: fails at once
    if (QFileInfo::exists(QStringLiteral("/dev/zero")))
        QVERIFY_THROWS_EXCEPTION(DrillError, file_access::readBytes(QStringLiteral("/dev/zero")));
}

QTEST_GUILESS_MAIN(FileAccessTest)
#include "tst_file_access.moc"
