#include "fault_injection.h"
#include "form_fixture.h"
#include "platform/text_box.h"
#include "record_check.h"
#include "test_system.h"
#include "writers.h"

#include <QtTest>


using record_check::FileKind;

namespace {

const QString fullDevice = QStringLiteral("/dev/full");

using record_calls::Call;

using Fault = FaultInjection::Fault;

// What stands in a record file's place when its record is written, or
// what befalls it.
enum class Cause { Folder, FullDisk, ReadOnly, Link, InUse };

QString reasonOf(Cause cause)
{
    switch (cause) {
    case Cause::Folder:
        return QStringLiteral("Is a directory");
    case Cause::FullDisk:
        return QStringLiteral("No space left on device");
    case Cause::ReadOnly:
        return QStringLiteral("Permission denied");
    case Cause::Link:
        return QStringLiteral("it is a symbolic link");
    case Cause::InUse:
        return QStringLiteral("it is in use by another program");
    }
    return {};
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool setModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
}

// What keeps a cause standing until it is put right: for a full disk, a
// fault injected into the file's writes; for a file in use, another
// program's hold on it, as a spreadsheet that shows it.
struct Standing {
    std::optional<FaultInjection> fault;
    std::unique_ptr<test_system::Hold> otherProgram;
};

bool bringAbout(Cause cause, const QString& path, Standing& standing)
{
    switch (cause) {
    case Cause::Folder:
        return QFile::remove(path) && QDir().mkdir(path);
    case Cause::FullDisk:
        standing.fault.emplace(QList<Fault>{{Call::Write, QFileInfo(path).fileName().toUtf8(), ENOSPC}});
        return true;
    case Cause::ReadOnly:
        return test_system::makeReadOnly(path);
    case Cause::Link:
        return QFile::remove(path) && test_system::makeSymbolicLink(fullDevice, path);
    case Cause::InUse:
        standing.otherProgram = test_system::holdWithoutSharing(path);
        return standing.otherProgram != nullptr;
    }
    return false;
}

bool putRight(Cause cause, const QString& path, const QByteArray& bytes, Standing& standing)
{
    switch (cause) {
    case Cause::Folder:
        return QDir().rmdir(path) && writeWhole(path, bytes);
    case Cause::FullDisk:
        standing.fault.reset();
        return true;
    case Cause::ReadOnly:
        return test_system::makeWritable(path);
    case Cause::Link:
        return QFile::remove(path) && writeWhole(path, bytes);
    case Cause::InUse:
        standing.otherProgram.reset();
        return true;
    }
    return false;
}

// Puts a link to /dev/full in the place of a record file of the default
// data folder under `home`; returns the file's path, or "" on failure.
QString fullDeviceInPlaceOf(const QTemporaryDir& home, const QString& fileName)
{
    const QString folder = home.path() + QStringLiteral("/korvelan");
    const QString path = folder + u'/' + fileName;
    return QDir().mkpath(folder) && test_system::makeSymbolicLink(fullDevice, path) ? path : QString();
}

// Starts the window and saves a first note, so that all three record files
// exist; returns their paths.
QMap<FileKind, QString> startWithThreeFiles(FormFixture& f)
{
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("a first note"));
    form.ui.cmd_save_as_notes->click();
    return {{FileKind::Master, form.masterFileName}, {FileKind::Send, form.sendFileName},
            {FileKind::Notes, form.notesFileName}};
}

QMap<FileKind, QByteArray> bytesOfAll(const QMap<FileKind, QString>& paths)
{
    QMap<FileKind, QByteArray> bytes;
    for (auto file = paths.cbegin(); file != paths.cend(); ++file)
        bytes[file.key()] = FormFixture::bytesOf(*file);
    return bytes;
}

// A message that a student reads: plain sentences, no error number.
void expectPlainMessage(const QString& message, const QString& path, const QString& reason)
{
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY2(!message.contains(QRegularExpression(QStringLiteral("Error \\d"))), qPrintable(message));
}

}  // namespace

Q_DECLARE_METATYPE(Cause)
Q_DECLARE_METATYPE(FileKind)
Q_DECLARE_METATYPE(QList<Fault>)

class WriteFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void failedRecordKeepsFilesAndText_data();
    void failedRecordKeepsFilesAndText();
    void failingCallsThenPressAgain_data();
    void failingCallsThenPressAgain();
    void straceFaultsInTheProgram_data();
    void straceFaultsInTheProgram();
    void anotherCopyCompletesARecordThatStands();
    void recordCutBackByHandStaysCut_data();
    void recordCutBackByHandStaysCut();
    void recordThatFitsOnlyInPartIsTakenBack();
    void folderWithoutWritePermission();
    void deletedFolderKeepsTheText();
    void masterFileOnAFullDiskAtStart();
    void recordPathIsAFolderAtStart();
    void displayOfANotesFileOnAFullDisk();
    void deletedSendFileIsMadeAnew();
    void replacedMasterFileTakesTheNextRecord();

private:
    struct Ending {
        int status = -1;
        QString said;  // the last line of the error output
        QString all;   // the whole error output
    };
    // Runs a writer child whose memory is capped, so that a read without end
    // runs it out of memory instead of taking the machine's; under strace
    // with these options, if any.
    static Ending runCapped(const QString& home, const QStringList& arguments, const QStringList& strace = {});
};

WriteFaultsTest::Ending WriteFaultsTest::runCapped(const QString& home, const QStringList& arguments,
                                                   const QStringList& strace)
{
    QProcess writer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer cannot start under an address-space cap; it caps
    // single allocations instead.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS"))
                           + QStringLiteral(":max_allocation_size_mb=512:allocator_may_return_null=1"));
#else
    test_system::capMemory(writer);
#endif
    writer.setProcessEnvironment(environment);
    if (strace.isEmpty())
        writer.start(QStringLiteral(RECORD_WRITER), arguments);
    else
        writer.start(writers::straceProgram(), writers::underStrace(strace, arguments));
    if (!writer.waitForFinished(30000))
        writers::kill(writer);
    const QString all = QString::fromLocal8Bit(writer.readAllStandardError());
    if (writer.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("the writer crashed or hung: ") + all, all};
    // Only the writer's own last line: Qt may say more before it.
    return {writer.exitCode(), all.trimmed().split(u'\n').last(), all};
}

void WriteFaultsTest::failedRecordKeepsFilesAndText_data()
{
    QTest::addColumn<FileKind>("failing");
    QTest::addColumn<Cause>("cause");
    QTest::addColumn<bool>("note");
    const std::pair<FileKind, const char*> files[] = {
        {FileKind::Master, "master"}, {FileKind::Send, "send"}, {FileKind::Notes, "notes"}};
    const std::pair<Cause, const char*> causes[] = {
        {Cause::Folder, "a folder in its place"},
        {Cause::FullDisk, "a full disk"},
        {Cause::ReadOnly, "read-only"},
        {Cause::Link, "a link to /dev/full"},
        {Cause::InUse, "held by another program"},
    };
    for (const auto& [file, fileName] : files) {
        for (const auto& [cause, causeName] : causes) {
            for (const bool note : {false, true}) {
                if (file == FileKind::Notes && !note)
                    continue;  // a response does not touch the notes file
                QTest::addRow("%s file %s, %s", fileName, causeName, note ? "Save as Notes" : "Enter Response")
                    << file << cause << note;
            }
        }
    }
}

void WriteFaultsTest::failedRecordKeepsFilesAndText()
{
    QFETCH(FileKind, failing);
    QFETCH(Cause, cause);
    QFETCH(bool, note);
    if (cause == Cause::ReadOnly && test_system::isRoot())
        QSKIP("root may write any file");
    if (cause == Cause::Link && !QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full, a device that fails every write");

    FormFixture f;
    const QMap<FileKind, QString> paths = startWithThreeFiles(f);
    MainForm& form = *f.form;
    const QMap<FileKind, QByteArray> before = bytesOfAll(paths);
    Standing standing;
    const bool broughtAbout = bringAbout(cause, paths[failing], standing);
    if (!broughtAbout && cause == Cause::InUse)
        QSKIP("every program that opens a file here shares it");
    QVERIFY(broughtAbout);

    // Fields and boxes as a student may leave them before the press.
    const QString typed = QStringLiteral("half an hour of writing\r\nQ = m c dT");
    form.promptPending = true;
    form.boxText = QStringLiteral("scratch");
    text_box::setText(form.ui.txt_question, QStringLiteral("the item shown"));
    f.typeAnswer(typed);
    const long long lineIndex = form.lineIndex;
    QPushButton* button = note ? form.ui.cmd_save_as_notes : form.ui.cmd_enter_response;
    button->click();

    QVERIFY(!form.hasEnded());
    QCOMPARE(f.platform.errors.size(), 1);
    expectPlainMessage(f.platform.errors.first(), paths[failing], reasonOf(cause));
    QVERIFY(f.platform.errors.first().contains(QStringLiteral("Nothing was recorded")));
    QVERIFY(f.platform.errors.first().contains(QStringLiteral("still in the answer box")));
    for (auto file = paths.cbegin(); file != paths.cend(); ++file) {
        if (file.key() != failing || cause == Cause::ReadOnly || cause == Cause::FullDisk)
            QCOMPARE(FormFixture::bytesOf(*file), before[file.key()]);
    }
    QCOMPARE(f.answerText(), typed);
    QCOMPARE(f.questionText(), QStringLiteral("the item shown"));
    QVERIFY(form.promptPending);
    QCOMPARE(form.boxText, QStringLiteral("scratch"));
    QCOMPARE(form.lineIndex, lineIndex);

    // Once the cause is put right, one more press records the text once.
    QVERIFY(putRight(cause, paths[failing], before[failing], standing));
    button->click();
    QCOMPARE(f.platform.errors.size(), 1);
    const QByteArray text = typed.toLatin1();
    const auto record = [&](FileKind kind) {
        return note ? record_check::notesRecord(kind, text) : record_check::responseRecord(kind, text);
    };
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), before[FileKind::Master] + record(FileKind::Master));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), before[FileKind::Send] + record(FileKind::Send));
    QCOMPARE(FormFixture::bytesOf(form.notesFileName),
             before[FileKind::Notes] + (note ? record(FileKind::Notes) : QByteArray()));
    QCOMPARE(f.answerText(), QString());
    QVERIFY(!form.promptPending);
    QCOMPARE(form.boxText, note ? QStringLiteral("NOTES -------> ") + typed : typed);
}

void WriteFaultsTest::cleanup()
{
    FaultInjection::clear();
}

void WriteFaultsTest::failingCallsThenPressAgain_data()
{
    // A press while some system calls of the record layer fail, then one
    // more press once they work again: the record must end up in every file
    // exactly once, whatever the first press left behind.
    QTest::addColumn<QList<Fault>>("faults");
    QTest::addColumn<bool>("note");
    QTest::addColumn<bool>("recorded");     // the first press records, and the second records anew
    QTest::addColumn<QString>("said");      // part of the message after the first press; "" for none
    QTest::addColumn<QStringList>("held");  // files that hold the record between the presses
    const QByteArray master = "masterFile.txt";
    const QByteArray send = "send_1207.txt";
    const QByteArray notes = "notes_.txt";
    const QByteArray journal = ".record-journal";
    const QStringList none;
    const QStringList masterOnly{QStringLiteral("master")};
    const QStringList every{QStringLiteral("master"), QStringLiteral("send"), QStringLiteral("notes")};
    // The journal's writes: its record, then a mark for each file the record
    // reaches, then one to take the record back.
    const int marksSpared = 2;

    QTest::newRow("the send file fails, the master file is cut back")
        << QList<Fault>{{Call::Write, send, EIO}} << false << false << QStringLiteral("Nothing was recorded.") << none;
    QTest::newRow("the master file cannot be cut back either (a stick pulled out)")
        << QList<Fault>{{Call::Write, send, EIO}, {Call::Truncate, master, EIO}} << false << false
        << QStringLiteral("could not be taken back out yet") << masterOnly;
    QTest::newRow("an append-only master file and a full disk")
        << QList<Fault>{{Call::Sync, send, ENOSPC}, {Call::Truncate, master, EPERM}} << false << false
        << QStringLiteral("Operation not permitted") << masterOnly;
    // No file is cut back unless the journal says first that the record is
    // to be taken back: the record stands, and is completed.
    QTest::newRow("the journal cannot be marked to take the record back: it stands")
        << QList<Fault>{{Call::Write, send, EIO}, {Call::Truncate, master, EIO}, {Call::Write, journal, EIO, marksSpared}}
        << false << true << QStringLiteral("the record stands") << masterOnly;
    QTest::newRow("a note stands, the notes file failing")
        << QList<Fault>{{Call::Write, notes, EIO}, {Call::Write, journal, ENOSPC, marksSpared + 1}} << true << true
        << QStringLiteral("It is recorded") << QStringList{QStringLiteral("master"), QStringLiteral("send")};
    QTest::newRow("the mark to take back can be neither synced nor taken out: the journal decides")
        << QList<Fault>{{Call::Write, send, EIO},
                        {Call::Sync, journal, EIO, marksSpared},
                        {Call::Truncate, journal, EIO}}
        << false << false << QStringLiteral("whichever the journal on the disk then says") << masterOnly;
    QTest::newRow("a file's mark cannot be synced: the record is written all the same")
        << QList<Fault>{{Call::Sync, journal, EIO, 1}} << true << true << QString() << every;
    QTest::newRow("a note: the notes file fails, master and send cannot be cut back")
        << QList<Fault>{{Call::Write, notes, EIO}, {Call::Truncate, master, EIO}, {Call::Truncate, send, EIO}} << true
        << false << QStringLiteral("could not be taken back out yet")
        << QStringList{QStringLiteral("master"), QStringLiteral("send")};
    QTest::newRow("cut back, but the journal cannot be emptied: it is removed")
        << QList<Fault>{{Call::Write, send, EIO}, {Call::Truncate, journal, EIO}} << false << false
        << QStringLiteral("Nothing was recorded.") << none;
    QTest::newRow("cut back, and the journal to take back can be neither removed nor emptied")
        << QList<Fault>{{Call::Write, send, EIO}, {Call::Remove, journal, EACCES}, {Call::Truncate, journal, EACCES}}
        << false << false << QStringLiteral("Nothing was recorded.") << none;
    QTest::newRow("the journal cannot be written (a full disk)")
        << QList<Fault>{{Call::Write, journal, ENOSPC}} << false << false
        << QStringLiteral("could not be written: No space left on device. Nothing was recorded.") << none;
    QTest::newRow("the journal cannot be synced")
        << QList<Fault>{{Call::Sync, journal, EIO}} << true << false
        << QStringLiteral("record journal") << none;
    QTest::newRow("the journal cannot be synced, nor emptied for certain")
        << QList<Fault>{{Call::Sync, journal, EIO}, {Call::Sync, QByteArray(), EIO}} << false << false
        << QStringLiteral("could not be cleared for certain") << none;
    // The first open of the journal looks for one that an earlier run left.
    QTest::newRow("a leftover journal cannot be read") << QList<Fault>{{Call::Open, journal, EIO}} << false << false
                                                       << QStringLiteral("could not be read: Input/output") << none;
    QTest::newRow("the journal cannot be made") << QList<Fault>{{Call::Open, journal, EIO, 1}} << false << false
                                                << QStringLiteral("could not be written: Input/output") << none;
    QTest::newRow("a folder that lets no file be made: no journal")
        << QList<Fault>{{Call::Open, journal, EACCES, 1}} << false << true << QString() << every;
    QTest::newRow("the journal cannot be removed: it is emptied")
        << QList<Fault>{{Call::Remove, journal, EACCES}} << true << true << QString() << every;
    QTest::newRow("the journal can be neither removed nor emptied")
        << QList<Fault>{{Call::Remove, journal, EACCES}, {Call::Truncate, journal, EACCES}} << false << true
        << QStringLiteral("could not be removed: Permission denied") << every;
    QTest::newRow("the folder cannot be locked") << QList<Fault>{{Call::Lock, {}, EINVAL}} << false << false
                                                 << QStringLiteral("could not be locked") << none;
    QTest::newRow("a network folder locks only files open for writing")
        << QList<Fault>{{Call::Lock, {}, EBADF}} << true << true << QString() << every;
    QTest::newRow("a network folder that locks nothing open for writing either")
        << QList<Fault>{{Call::Lock, {}, EBADF}, {Call::Lock, master, EBADF}} << false << false
        << QStringLiteral("could not be locked") << none;
    QTest::newRow("a file system without locks") << QList<Fault>{{Call::Lock, {}, ENOLCK}} << false << true << QString()
                                                 << every;
}

void WriteFaultsTest::failingCallsThenPressAgain()
{
    QFETCH(QList<Fault>, faults);
    QFETCH(bool, note);
    QFETCH(bool, recorded);
    QFETCH(QString, said);
    QFETCH(QStringList, held);

    FormFixture f;
    const QMap<FileKind, QString> paths = startWithThreeFiles(f);
    MainForm& form = *f.form;
    const QMap<FileKind, QString> names{
        {FileKind::Master, QStringLiteral("master")}, {FileKind::Send, QStringLiteral("send")},
        {FileKind::Notes, QStringLiteral("notes")}};
    const QMap<FileKind, QByteArray> before = bytesOfAll(paths);
    const QString typed = QStringLiteral("Q = m c dT\r\n= 0.50 kg * 4186 J/(kg K) * 20 K = 42 kJ");
    const auto record = [&](FileKind kind) -> QByteArray {
        if (kind == FileKind::Notes && !note)
            return {};
        return note ? record_check::notesRecord(kind, typed.toLatin1()) : record_check::responseRecord(kind, typed.toLatin1());
    };
    QPushButton* button = note ? form.ui.cmd_save_as_notes : form.ui.cmd_enter_response;

    f.typeAnswer(typed);
    {
        const FaultInjection injection(faults);
        button->click();
    }
    QVERIFY(!form.hasEnded());
    if (said.isEmpty()) {
        QVERIFY2(f.platform.errors.isEmpty(), qPrintable(f.platform.errors.join(u'\n')));
    } else {
        QCOMPARE(f.platform.errors.size(), 1);
        QVERIFY2(f.platform.errors.first().contains(said), qPrintable(f.platform.errors.first()));
    }
    const int errorsSeen = int(f.platform.errors.size());
    for (auto file = paths.cbegin(); file != paths.cend(); ++file) {
        const bool holds = held.contains(names[file.key()]);
        QCOMPARE(FormFixture::bytesOf(*file), before[file.key()] + (holds ? record(file.key()) : QByteArray()));
    }
    QCOMPARE(f.answerText(), recorded ? QString() : typed);

    // Once the calls work again: one more press, the same text.
    f.typeAnswer(typed);
    button->click();
    QCOMPARE(f.platform.errors.size(), errorsSeen);
    for (auto file = paths.cbegin(); file != paths.cend(); ++file) {
        const QByteArray once = record(file.key());
        QCOMPARE(FormFixture::bytesOf(*file), before[file.key()] + once + (recorded ? once : QByteArray()));
    }
    const QString journal = f.defaultFolder() + QStringLiteral("/.record-journal");
    QVERIFY(!QFileInfo::exists(journal) || QFileInfo(journal).size() == 0);

    // A new start finds nothing left to do: it only adds its opening record.
    const QByteArray masterNow = FormFixture::bytesOf(form.masterFileName);
    f.start();
    QCOMPARE(f.platform.errors.size(), errorsSeen);
    const QByteArray masterAfter = FormFixture::bytesOf(paths[FileKind::Master]);
    QVERIFY(masterAfter.startsWith(masterNow));
    QVERIFY(masterAfter.endsWith(record_check::openingRecordTail()));
    QVERIFY(masterAfter.size() - masterNow.size() < record_check::openingRecordTail().size() + 300);
}

void WriteFaultsTest::straceFaultsInTheProgram_data()
{
    // The same faults, injected by strace into the system calls of a whole
    // writer program: it presses once or twice, then maybe a new start
    // follows. {master}, {send}, {notes}, {journal} and {folder} stand for
    // the paths in the writer's data folder.
    QTest::addColumn<QStringList>("strace");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::addColumn<bool>("restart");
    QTest::addColumn<int>("kept");  // how many copies of the pressed record each file holds at the end
    const auto options = [](const QString& paths, const QString& calls, const QStringList& injections) {
        QStringList list;
        for (const QString& path : paths.split(u' '))
            list << QStringLiteral("-P") << path;
        list << QStringLiteral("-e") << QStringLiteral("trace=") + calls;
        for (const QString& injection : injections)
            list << QStringLiteral("-e") << QStringLiteral("inject=") + injection;
        return list;
    };
    // The opening record writes the master and send files once each: the
    // response's writes are the third and fourth.
    const QStringList stickPulled = options(QStringLiteral("{master} {send}"), QStringLiteral("write,ftruncate"),
                                            {QStringLiteral("write:error=EIO:when=4"), QStringLiteral("ftruncate:error=EIO:when=1")});
    QTest::newRow("the send file fails, the master file cannot be cut back: pressed again")
        << stickPulled << QStringLiteral("response") << 2 << 0 << QStringLiteral("could not be taken back out yet")
        << false << 1;
    QTest::newRow("the same, then the program is closed: the next start takes it back")
        << stickPulled << QStringLiteral("response") << 1 << 1 << QStringLiteral("Nothing was recorded") << true << 0;
    QTest::newRow("a note: the notes file fails, master and send cannot be cut back")
        << options(QStringLiteral("{master} {send} {notes}"), QStringLiteral("write,ftruncate"),
                   {QStringLiteral("write:error=EIO:when=5"), QStringLiteral("ftruncate:error=EIO:when=1..2")})
        << QStringLiteral("note") << 2 << 0 << QStringLiteral("could not be taken back out yet") << true << 1;
    QTest::newRow("the cut back's sync fails")
        << options(QStringLiteral("{master} {send}"), QStringLiteral("write,fsync"),
                   {QStringLiteral("write:error=EIO:when=4"), QStringLiteral("fsync:error=EIO:when=4")})
        << QStringLiteral("response") << 2 << 0 << QStringLiteral("could not be taken back out yet") << true << 1;
    // The opening record writes its journal, then a mark for each of its
    // two files: the response's journal is the fourth write.
    QTest::newRow("the disk is full as the journal is written")
        << options(QStringLiteral("{journal}"), QStringLiteral("write"), {QStringLiteral("write:error=ENOSPC:when=4")})
        << QStringLiteral("response") << 2 << 0 << QStringLiteral("No space left on device") << false << 1;
    QTest::newRow("the folder cannot be locked")
        << options(QStringLiteral("{folder}"), QStringLiteral("flock"), {QStringLiteral("flock:error=EINVAL:when=2")})
        << QStringLiteral("response") << 2 << 0 << QStringLiteral("could not be locked") << false << 1;
    QTest::newRow("the journal can never be removed, then a new start")
        << options(QStringLiteral("{journal}"), QStringLiteral("unlinkat"), {QStringLiteral("unlinkat:error=EACCES")})
        << QStringLiteral("response") << 1 << 0 << QString() << true << 1;
    // A wait for the lock that signals break off without end fails the
    // record instead of hanging the window.
    QTest::newRow("the folder's lock is interrupted without end")
        << options(QStringLiteral("{folder}"), QStringLiteral("flock"), {QStringLiteral("flock:error=EINTR:when=2+")})
        << QStringLiteral("response") << 2 << 1 << QStringLiteral("could not be locked") << false << 0;
}

void WriteFaultsTest::straceFaultsInTheProgram()
{
    QFETCH(QStringList, strace);
    QFETCH(QString, kind);
    QFETCH(int, presses);
    QFETCH(int, status);
    QFETCH(QString, said);
    QFETCH(bool, restart);
    QFETCH(int, kept);
    if (writers::straceProgram().isEmpty())
        QSKIP("strace is missing or this machine does not permit ptrace");
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/korvelan");
    const QMap<QString, QString> places{{QStringLiteral("{master}"), folder + QStringLiteral("/masterFile.txt")},
                                        {QStringLiteral("{send}"), folder + QStringLiteral("/send_1207.txt")},
                                        {QStringLiteral("{notes}"), folder + QStringLiteral("/notes_.txt")},
                                        {QStringLiteral("{journal}"), folder + QStringLiteral("/.record-journal")},
                                        {QStringLiteral("{folder}"), folder}};
    for (QString& option : strace)
        option = places.value(option, option);

    const Ending ending = runCapped(home.path(), {QStringLiteral("press"), kind, QString::number(presses)}, strace);
    QCOMPARE(ending.status, status);
    if (!said.isEmpty()) {
        QVERIFY2(ending.all.contains(QStringLiteral("error: ")) && ending.all.contains(said), qPrintable(ending.all));
    } else {
        QVERIFY2(!ending.all.contains(QStringLiteral("error: ")), qPrintable(ending.all));
    }
    if (restart) {
        const Ending next = runCapped(home.path(), {QStringLiteral("window"), QStringLiteral("2"), QStringLiteral("0"),
                                                    QStringLiteral("0")});
        QVERIFY2(next.status == 0, qPrintable(next.all));
    }

    // Every file is whole records, the pressed one as often as expected in
    // each, master and send agreeing record for record.
    const auto tally = [&](const QString& place, FileKind file) {
        return record_check::readRecordFile(FormFixture::bytesOf(places[place]), file);
    };
    const record_check::Tally master = tally(QStringLiteral("{master}"), FileKind::Master);
    const record_check::Tally send = tally(QStringLiteral("{send}"), FileKind::Send);
    const record_check::Tally notes = tally(QStringLiteral("{notes}"), FileKind::Notes);
    for (const record_check::Tally* file : {&master, &send, &notes}) {
        QVERIFY2(file->error.isEmpty(), qPrintable(file->error));
        QVERIFY(file->cuts.isEmpty());
    }
    QCOMPARE(master.openings, restart ? 2 : 1);
    QCOMPARE(send.openings, master.openings);
    QCOMPARE(master.records.value(1).size(), kept);
    QCOMPARE(send.records, master.records);
    QCOMPARE(notes.records, master.notes);
    QCOMPARE(master.notes.value(1).size(), kind == QStringLiteral("note") ? kept : 0);
    const QString journal = places[QStringLiteral("{journal}")];
    QVERIFY(!QFileInfo::exists(journal) || QFileInfo(journal).size() == 0);
}

void WriteFaultsTest::anotherCopyCompletesARecordThatStands()
{
    // The send file fails, the master file cannot be cut back, and the
    // journal cannot be marked to take the record back (nor, as the
    // program's earlier versions did, be replaced): the record stands. A
    // second copy of the program started then completes it; the first
    // copy's next press records only its new text.
    FormFixture f;
    MainForm& form = f.start();
    const QByteArray masterBefore = FormFixture::bytesOf(form.masterFileName);
    const QByteArray sendBefore = FormFixture::bytesOf(form.sendFileName);
    const QByteArray first = "Q = m c dT = 0.50 kg * 4186 J/(kg K) * 20 K";
    const QByteArray second = "about 42 kJ";
    f.typeAnswer(QString::fromLatin1(first));
    {
        const FaultInjection faults({{Call::Write, "send_1207.txt", EIO},
                                     {Call::Truncate, "masterFile.txt", EIO},
                                     {Call::Open, ".record-journal.take-back", EIO},
                                     {Call::Write, ".record-journal", EIO, 2}});
        form.ui.cmd_enter_response->click();
    }
    QCOMPARE(f.platform.errors.size(), 1);
    const QString said = f.platform.errors.first();

    auto other = writers::start(f.home(), {QStringLiteral("window"), QStringLiteral("2"), QStringLiteral("0"),
                                           QStringLiteral("0")});
    QVERIFY(other->waitForFinished(30000));
    QVERIFY2(other->exitStatus() == QProcess::NormalExit && other->exitCode() == 0, qPrintable(writers::howItEnded(*other)));

    // The student presses again: with what the answer box still holds, or
    // with the next text.
    const bool kept = !f.answerText().isEmpty();
    if (!kept)
        f.typeAnswer(QString::fromLatin1(second));
    form.ui.cmd_enter_response->click();
    for (const auto& [path, before, kind] : {std::tuple{form.masterFileName, masterBefore, FileKind::Master},
                                             std::tuple{form.sendFileName, sendBefore, FileKind::Send}}) {
        const QByteArray bytes = FormFixture::bytesOf(path);
        QCOMPARE(bytes.count(first), 1);
        const QByteArray start = before + record_check::responseRecord(kind, first);
        const QByteArray end = record_check::openingRecordTail() + record_check::responseRecord(kind, second);
        QVERIFY2(bytes.startsWith(start) && bytes.endsWith(end), qPrintable(path));
        QVERIFY(bytes.size() - start.size() - end.size() < 300);  // the other copy's code line
    }
    QVERIFY2(said.contains(QStringLiteral("the record stands")) && !kept, qPrintable(said));
    QCOMPARE(f.platform.errors.size(), 1);
}

void WriteFaultsTest::recordCutBackByHandStaysCut_data()
{
    // A record is written to both files, but its journal stays behind; the
    // master file is then cut back by hand to where the record began. The
    // next record leaves it so, whatever its time of change says.
    QTest::addColumn<QString>("how");
    QTest::newRow("at once, in the same second") << QStringLiteral("at once");
    QTest::newRow("its time set back an hour, as touch -d does") << QStringLiteral("set back");
    QTest::newRow("a copy made before the record restored with its time, as cp -p does") << QStringLiteral("restored");
}

void WriteFaultsTest::recordCutBackByHandStaysCut()
{
    QFETCH(QString, how);
    FormFixture f;
    MainForm& form = f.start();
    const QByteArray masterBefore = FormFixture::bytesOf(form.masterFileName);
    const QByteArray sendBefore = FormFixture::bytesOf(form.sendFileName);
    const QString backup = f.home() + QStringLiteral("/masterFile.backup");
    const QDateTime backupTime = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(writeWhole(backup, masterBefore) && setModified(backup, backupTime));

    f.typeAnswer(QStringLiteral("first"));
    {
        const FaultInjection stuck({{Call::Remove, ".record-journal", EACCES}, {Call::Truncate, ".record-journal", EACCES}});
        form.ui.cmd_enter_response->click();
    }
    QCOMPARE(f.platform.errors.size(), 1);
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), masterBefore + record_check::responseRecord(FileKind::Master, "first"));
    if (how == QStringLiteral("restored")) {
        QVERIFY(test_system::replaceFile(backup, form.masterFileName));
    } else {
        QVERIFY(writeWhole(form.masterFileName, masterBefore));
        if (how == QStringLiteral("set back"))
            QVERIFY(setModified(form.masterFileName, backupTime));
    }

    f.typeAnswer(QStringLiteral("second"));
    form.ui.cmd_enter_response->click();
    QCOMPARE(FormFixture::bytesOf(form.masterFileName),
             masterBefore + record_check::responseRecord(FileKind::Master, "second"));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), sendBefore + record_check::responseRecord(FileKind::Send, "first")
                                                          + record_check::responseRecord(FileKind::Send, "second"));
    QCOMPARE(f.platform.errors.size(), 2);
    expectPlainMessage(f.platform.errors.last(), form.masterFileName, QStringLiteral("changed since"));
}

void WriteFaultsTest::recordThatFitsOnlyInPartIsTakenBack()
{
    FormFixture f;
    MainForm& form = f.start();
    // A long first response, so that the master file is longer than the
    // next record's journal, which is written before it.
    f.typeAnswer(QString(8000, u'x'));
    form.ui.cmd_enter_response->click();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);

    // A file size limit 100 bytes past the master file's end: the record's
    // first 100 bytes are written, the rest fails as on a full disk.
    f.typeAnswer(QStringLiteral("second"));
    {
        const auto limit = test_system::limitFileSize(master.size() + 100);
        if (!limit)
            QSKIP("this system sets no limit on the size of a process's files");
        form.ui.cmd_enter_response->click();
    }
    QVERIFY(!form.hasEnded());
    QCOMPARE(f.platform.errors.size(), 1);
    expectPlainMessage(f.platform.errors.first(), form.masterFileName, QStringLiteral("File too large"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master);
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send);

    form.ui.cmd_enter_response->click();
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::responseRecord(FileKind::Master, "second"));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send + record_check::responseRecord(FileKind::Send, "second"));
}

void WriteFaultsTest::folderWithoutWritePermission()
{
    if (test_system::isRoot())
        QSKIP("root may write in any folder");
    FormFixture f;
    MainForm& form = f.start();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);
    // The files there can still be appended to, without a journal beside
    // them; the notes file cannot be made, so a note reaches no file.
    if (!test_system::makeFolderUnwritable(f.defaultFolder()))
        QSKIP("on this system a folder's flags do not keep new files out");
    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    f.typeAnswer(QStringLiteral("a response"));
    form.ui.cmd_enter_response->click();
    test_system::makeFolderWritable(f.defaultFolder());
    QVERIFY(!form.hasEnded());
    QCOMPARE(f.platform.errors.size(), 1);
    expectPlainMessage(f.platform.errors.first(), form.notesFileName, QStringLiteral("Permission denied"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::responseRecord(FileKind::Master, "a response"));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send + record_check::responseRecord(FileKind::Send, "a response"));
    QVERIFY(!QFileInfo::exists(form.notesFileName));
}

void WriteFaultsTest::deletedFolderKeepsTheText()
{
    FormFixture f;
    MainForm& form = f.start();
    QVERIFY(QDir(f.defaultFolder()).removeRecursively());
    form.ui.cmd_display_note_file->click();
    form.ui.cmd_displayCumulativeText->click();
    QVERIFY(f.platform.errors.isEmpty());
    f.typeAnswer(QStringLiteral("into nowhere"));
    form.ui.cmd_enter_response->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(f.platform.errors.size(), 1);
    expectPlainMessage(f.platform.errors.first(), form.masterFileName, QStringLiteral("No such file or directory"));
    QCOMPARE(f.answerText(), QStringLiteral("into nowhere"));

    QVERIFY(QDir().mkpath(f.defaultFolder()));
    form.ui.cmd_enter_response->click();
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), record_check::responseRecord(FileKind::Master, "into nowhere"));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), record_check::responseRecord(FileKind::Send, "into nowhere"));
}

void WriteFaultsTest::masterFileOnAFullDiskAtStart()
{
    if (writers::straceProgram().isEmpty())
        QSKIP("strace is missing or this machine does not permit ptrace");
    QTemporaryDir home;
    const QString master = home.path() + QStringLiteral("/korvelan/masterFile.txt");
    // Every write to the master file fails as on a full disk.
    const Ending ending = runCapped(home.path(),
                                    {QStringLiteral("window"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("0")},
                                    {QStringLiteral("-P"), master, QStringLiteral("-e"), QStringLiteral("trace=write"),
                                     QStringLiteral("-e"), QStringLiteral("inject=write:error=ENOSPC")});
    QCOMPARE(ending.status, 1);
    expectPlainMessage(ending.said, master, QStringLiteral("No space left on device"));
    QCOMPARE(FormFixture::bytesOf(home.path() + QStringLiteral("/korvelan/send_1207.txt")), QByteArray());
}

void WriteFaultsTest::recordPathIsAFolderAtStart()
{
    FormFixture f;
    const QString master = f.defaultFolder() + QStringLiteral("/masterFile.txt");
    QVERIFY(QDir().mkpath(master));
    f.start();
    QVERIFY(f.form->hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 1);
    QCOMPARE(f.platform.errors.size(), 1);
    expectPlainMessage(f.platform.errors.first(), master, QStringLiteral("Is a directory"));
    QVERIFY(!QFileInfo::exists(f.defaultFolder() + QStringLiteral("/send_1207.txt")));
}

void WriteFaultsTest::displayOfANotesFileOnAFullDisk()
{
    if (!QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    QTemporaryDir home;
    const QString notes = fullDeviceInPlaceOf(home, QStringLiteral("notes_.txt"));
    QVERIFY(!notes.isEmpty());
    // The display is refused at once, and the program runs on.
    const Ending ending = runCapped(home.path(), {QStringLiteral("display"), QStringLiteral("notes")});
    QCOMPARE(ending.status, 1);
    expectPlainMessage(ending.said, notes, QStringLiteral("not a plain file"));
}

void WriteFaultsTest::deletedSendFileIsMadeAnew()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("first"));
    form.ui.cmd_enter_response->click();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    QVERIFY(QFile::remove(form.sendFileName));

    f.typeAnswer(QStringLiteral("second"));
    form.ui.cmd_enter_response->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), record_check::responseRecord(FileKind::Send, "second"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::responseRecord(FileKind::Master, "second"));
    form.ui.cmd_displayCumulativeText->click();
    QVERIFY(f.questionText().endsWith(QStringLiteral("RESPONSE -->  \r\nsecond\r\n") + QString(49, u'.')));
    QVERIFY(f.platform.errors.isEmpty());
}

void WriteFaultsTest::replacedMasterFileTakesTheNextRecord()
{
    FormFixture f;
    MainForm& form = f.start();
    // Another file is moved into the master file's place, as a restore from
    // a copy or a sync tool would do.
    const QString other = f.home() + QStringLiteral("/restored.txt");
    QVERIFY(writeWhole(other, "restored\r\n"));
    QVERIFY(test_system::replaceFile(other, form.masterFileName));

    f.typeAnswer(QStringLiteral("after the restore"));
    form.ui.cmd_enter_response->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(FormFixture::bytesOf(form.masterFileName),
             "restored\r\n" + record_check::responseRecord(FileKind::Master, "after the restore"));
    QVERIFY(f.platform.errors.isEmpty());
}

QTEST_MAIN(WriteFaultsTest)
#include "tst_write_faults.moc"
