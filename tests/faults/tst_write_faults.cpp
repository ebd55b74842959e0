#include "form_fixture.h"
#include "platform/text_box.h"
#include "record_check.h"
#include "writers.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using record_check::FileKind;

namespace {

const QString fullDevice = QStringLiteral("/dev/full");

// What stands in a record file's place when its record is written.
enum class Cause { Folder, FullDevice, ReadOnly };

QString reasonOf(Cause cause)
{
    switch (cause) {
    case Cause::Folder:
        return QStringLiteral("Is a directory");
    case Cause::FullDevice:
        return QStringLiteral("No space left on device");
    case Cause::ReadOnly:
        return QStringLiteral("Permission denied");
    }
    return {};
}

bool chmodded(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool bringAbout(Cause cause, const QString& path)
{
    switch (cause) {
    case Cause::Folder:
        return QFile::remove(path) && QDir().mkdir(path);
    case Cause::FullDevice:
        return QFile::remove(path) && QFile::link(fullDevice, path);
    case Cause::ReadOnly:
        return chmodded(path, 0400);
    }
    return false;
}

bool putRight(Cause cause, const QString& path, const QByteArray& bytes)
{
    switch (cause) {
    case Cause::Folder:
        return QDir().rmdir(path) && writeWhole(path, bytes);
    case Cause::FullDevice:
        return QFile::remove(path) && writeWhole(path, bytes);
    case Cause::ReadOnly:
        return chmodded(path, 0600);
    }
    return false;
}

// Puts a link to /dev/full in the place of a record file of the default
// data folder under `home`; returns the file's path, or "" on failure.
QString fullDeviceInPlaceOf(const QTemporaryDir& home, const QString& fileName)
{
    const QString folder = home.path() + QStringLiteral("/korvelan");
    const QString path = folder + u'/' + fileName;
    return QDir().mkpath(folder) && QFile::link(fullDevice, path) ? path : QString();
}

// A message that a student reads: plain sentences, no error number.
void expectPlainMessage(const QString& message, const QString& path, const QString& reason)
{
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY2(!message.contains(QRegularExpression(QStringLiteral("Error \\d"))), qPrintable(message));
}

// Restores the file size limit and SIGXFSZ when the test leaves its scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

}  // namespace

Q_DECLARE_METATYPE(Cause)
Q_DECLARE_METATYPE(FileKind)

class WriteFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void failedRecordKeepsFilesAndText_data();
    void failedRecordKeepsFilesAndText();
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
        QString said;
    };
    // Runs a writer child whose memory is capped, so that a read without end
    // runs it out of memory instead of taking the machine's.
    static Ending runCapped(const QString& home, const QStringList& arguments);
};

WriteFaultsTest::Ending WriteFaultsTest::runCapped(const QString& home, const QStringList& arguments)
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
    writer.setChildProcessModifier([] {
        const rlimit cap{rlim_t(1) << 30, rlim_t(1) << 30};
        ::setrlimit(RLIMIT_AS, &cap);
    });
#endif
    writer.setProcessEnvironment(environment);
    writer.start(QStringLiteral(RECORD_WRITER), arguments);
    if (!writer.waitForFinished(30000))
        writers::kill(writer);
    if (writer.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("the writer crashed or hung: ") + QString::fromLocal8Bit(writer.readAllStandardError())};
    // Only the writer's own last line: Qt may say more before it.
    const QStringList lines = QString::fromLocal8Bit(writer.readAllStandardError()).trimmed().split(u'\n');
    return {writer.exitCode(), lines.last()};
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
        {Cause::FullDevice, "a link to /dev/full"},
        {Cause::ReadOnly, "read-only"},
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
    if (cause == Cause::FullDevice && !QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    if (cause == Cause::ReadOnly && ::geteuid() == 0)
        QSKIP("root may write any file");

    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("a first note"));
    form.ui.cmd_save_as_notes->click();  // so that all three files exist
    const QMap<FileKind, QString> paths{
        {FileKind::Master, form.masterFileName}, {FileKind::Send, form.sendFileName}, {FileKind::Notes, form.notesFileName}};
    QMap<FileKind, QByteArray> before;
    for (auto file = paths.cbegin(); file != paths.cend(); ++file)
        before[file.key()] = FormFixture::bytesOf(*file);
    QVERIFY(bringAbout(cause, paths[failing]));

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
        if (file.key() != failing || cause == Cause::ReadOnly)
            QCOMPARE(FormFixture::bytesOf(*file), before[file.key()]);
    }
    QCOMPARE(f.answerText(), typed);
    QCOMPARE(f.questionText(), QStringLiteral("the item shown"));
    QVERIFY(form.promptPending);
    QCOMPARE(form.boxText, QStringLiteral("scratch"));
    QCOMPARE(form.lineIndex, lineIndex);

    // Once the cause is put right, one more press records the text once.
    QVERIFY(putRight(cause, paths[failing], before[failing]));
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

void WriteFaultsTest::recordThatFitsOnlyInPartIsTakenBack()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("first"));
    form.ui.cmd_enter_response->click();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);

    // A file size limit 100 bytes past the master file's end: the record's
    // first 100 bytes are written, the rest fails as on a full disk.
    f.typeAnswer(QStringLiteral("second"));
    {
        const FileSizeLimit limit(rlim_t(master.size() + 100));
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
    if (::geteuid() == 0)
        QSKIP("root may write in any folder");
    FormFixture f;
    MainForm& form = f.start();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);
    // The files there can still be appended to, without a journal beside
    // them; the notes file cannot be made, so a note reaches no file.
    QVERIFY(chmodded(f.defaultFolder(), 0500));
    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    f.typeAnswer(QStringLiteral("a response"));
    form.ui.cmd_enter_response->click();
    QVERIFY(chmodded(f.defaultFolder(), 0700));
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
    if (!QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    QTemporaryDir home;
    const QString master = fullDeviceInPlaceOf(home, QStringLiteral("masterFile.txt"));
    QVERIFY(!master.isEmpty());
    const Ending ending = runCapped(home.path(), {QStringLiteral("window"), QStringLiteral("1"), QStringLiteral("1"),
                                                  QStringLiteral("0")});
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
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(form.masterFileName).constData()) == 0);

    f.typeAnswer(QStringLiteral("after the restore"));
    form.ui.cmd_enter_response->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(FormFixture::bytesOf(form.masterFileName),
             "restored\r\n" + record_check::responseRecord(FileKind::Master, "after the restore"));
    QVERIFY(f.platform.errors.isEmpty());
}

QTEST_MAIN(WriteFaultsTest)
#include "tst_write_faults.moc"
