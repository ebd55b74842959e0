#include "fault_injection.h"
#include "platform/drill_error.h"
#include "platform/file_access.h"
#include "platform/record_calls.h"
#include "platform/record_journal.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Moves the file's time of change on by `seconds`.
bool touchLater(const QString& path, int seconds)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    struct timespec times[2] = {info.st_atim, info.st_mtim};
    times[1].tv_sec += seconds;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
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
enum class Fate { KeptInPlace, CutBackByHand, CopiedInPlace, Replaced, Removed };

const QByteArray masterBefore = "earlier\r\n";
const QByteArray sendBefore = "day\r\n";
const QByteArray masterRecord = "RECORD for master\r\n";
const QByteArray sendRecord = "RECORD for send\r\n";
const QByteArray masterNext = "next for master\r\n";
const QByteArray sendNext = "next for send\r\n";

// The journal of a record of masterRecord and sendRecord after the files'
// "before" bytes.
QByteArray leftoverJournal(Kind kind)
{
    return record_journal::encode({kind,
                                   {entryFor(QStringLiteral("masterFile.txt"), masterBefore, masterRecord),
                                    entryFor(QStringLiteral("send_1207.txt"), sendBefore, sendRecord)}});
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

void FileAccessTest::leftoverJournalIsSettled_data()
{
    // The master and send files as a run that was stopped in the middle of
    // a record left them (and as they were changed since), and what each
    // must hold before the next record once that record is written.
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("master");
    QTest::addColumn<int>("masterFate");
    QTest::addColumn<QByteArray>("send");
    QTest::addColumn<QByteArray>("masterAfter");
    QTest::addColumn<QByteArray>("sendAfter");
    QTest::addColumn<QStringList>("named");

    const int inPlace = int(Fate::KeptInPlace);
    const QByteArray masterWhole = masterBefore + masterRecord;
    const QByteArray sendWhole = sendBefore + sendRecord;
    const Kind complete = Kind::Complete;
    QTest::newRow("stopped before any file was written")
        << complete << masterBefore << inPlace << sendBefore << masterWhole << sendWhole << QStringList();
    QTest::newRow("stopped inside the master file's write")
        << complete << masterBefore + masterRecord.left(4) << inPlace << sendBefore << masterWhole << sendWhole
        << QStringList();
    QTest::newRow("stopped before the journal was removed")
        << complete << masterWhole << inPlace << sendWhole << masterWhole << sendWhole << QStringList();
    QTest::newRow("a copy of the master file in its place is the same file")
        << complete << masterBefore + masterRecord.left(4) << int(Fate::CopiedInPlace) << sendBefore << masterWhole
        << sendWhole << QStringList();
    QTest::newRow("an edited master file is left alone")
        << complete << masterBefore + "tidied" << inPlace << sendBefore + sendRecord.left(3)
        << masterBefore + "tidied" << sendWhole << QStringList({QStringLiteral("master")});
    QTest::newRow("a grown master file is left alone")
        << complete << masterWhole + "more\r\n" << inPlace << sendBefore << masterWhole + "more\r\n" << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("a shrunk master file is left alone")
        << complete << masterBefore.left(3) << inPlace << sendBefore << masterBefore.left(3) << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("a torn record cut back by hand is left alone")
        << complete << masterBefore << int(Fate::CutBackByHand) << sendBefore << masterBefore << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("another file in the master file's place is left alone")
        << complete << "other\r\n" + masterRecord.left(4) << int(Fate::Replaced) << sendBefore
        << "other\r\n" + masterRecord.left(4) << sendWhole << QStringList({QStringLiteral("master")});
    QTest::newRow("a removed master file is named")
        << complete << masterBefore << int(Fate::Removed) << sendBefore << QByteArray() << sendWhole
        << QStringList({QStringLiteral("master")});
    QTest::newRow("both files changed, each named once")
        << complete << masterWhole + "x" << inPlace << sendBefore.left(1) << masterWhole + "x" << sendBefore.left(1)
        << QStringList({QStringLiteral("master"), QStringLiteral("send")});
    QTest::newRow("a record to take back is cut out of both files")
        << Kind::TakeBack << masterWhole << inPlace << sendBefore + sendRecord.left(5) << masterBefore << sendBefore
        << QStringList();
    QTest::newRow("a record to take back leaves an edited file alone")
        << Kind::TakeBack << masterWhole + "x" << inPlace << sendWhole << masterWhole + "x" << sendBefore
        << QStringList({QStringLiteral("master")});
}

void FileAccessTest::leftoverJournalIsSettled()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, master);
    QFETCH(int, masterFate);
    QFETCH(QByteArray, send);
    QFETCH(QByteArray, masterAfter);
    QFETCH(QByteArray, sendAfter);
    QFETCH(QStringList, named);

    QTemporaryDir dir;
    const QString masterPath = dir.filePath(QStringLiteral("masterFile.txt"));
    const QString sendPath = dir.filePath(QStringLiteral("send_1207.txt"));
    const QString journalPath = dir.filePath(QStringLiteral(".record-journal"));
    writeFile(masterPath, master);
    writeFile(sendPath, send);
    writeJournalAfterFiles(journalPath, leftoverJournal(kind));
    if (Fate(masterFate) == Fate::CopiedInPlace || Fate(masterFate) == Fate::Replaced) {
        const QString other = dir.filePath(QStringLiteral("restored.txt"));
        writeFile(other, master);
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(masterPath).constData()) == 0);
    } else if (Fate(masterFate) == Fate::Removed) {
        QVERIFY(QFile::remove(masterPath));
    } else if (Fate(masterFate) == Fate::CutBackByHand) {
        QVERIFY(touchLater(masterPath, 60));
    }

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QCOMPARE(contents(masterPath), masterAfter + masterNext);
    QCOMPARE(contents(sendPath), sendAfter + sendNext);
    QCOMPARE(notices.size(), named.isEmpty() ? 0 : 1);
    for (const QString& path : {masterPath, sendPath}) {
        const bool isNamed = named.contains(path == masterPath ? QStringLiteral("master") : QStringLiteral("send"));
        QCOMPARE(notices.join(u' ').count(path), isNamed ? 1 : 0);
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
    QVERIFY2(notices.first().contains(what) && notices.first().contains(aside), qPrintable(notices.first()));

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
            QVERIFY2(failure.text().contains(sendPath) && failure.text().contains(said)
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
    if (::geteuid() != 0 || !kernelHasIt || QStandardPaths::findExecutable(QStringLiteral("losetup")).isEmpty()
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
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(masterPath).constData(), &before), 0);
    QVERIFY(run(QStringLiteral("umount"), {mountPoint}));
    // The first device is still attached, so the image comes back on another.
    second = run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image}).value_or(QString());
    QVERIFY(!second.isEmpty() && second != first);
    QVERIFY(run(QStringLiteral("mount"), {second, mountPoint}));
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(masterPath).constData(), &after), 0);
    QVERIFY(after.st_dev != before.st_dev);

    const QStringList notices = file_access::appendRecord({{masterPath, masterNext}, {sendPath, sendNext}});
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u' ')));
    QCOMPARE(contents(masterPath), masterBefore + masterRecord + masterNext);
    QCOMPARE(contents(sendPath), sendBefore + sendRecord + sendNext);
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
