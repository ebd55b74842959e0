#include "form_fixture.h"
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

QString writeError(const QString& path, const char* reason)
{
    return QStringLiteral("Error 75: The record file %1 could not be written: %2.").arg(path, QLatin1String(reason));
}

void chmodOrFail(const QString& path, mode_t mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
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

class WriteFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void sendFileOnAFullDisk();
    void notesFileOnAFullDisk();
    void masterFileOnAFullDiskAtStart();
    void displayOfANotesFileOnAFullDisk();
    void recordThatFitsOnlyInPartIsCutOff();
    void folderWithoutWritePermission();
    void recordFileWithoutWritePermission();
    void recordPathIsAFolderAtStart();
    void notesPathIsAFolder();

    void deletedSendFileIsMadeAnew();
    void replacedMasterFileTakesTheNextRecord();
    void deletedFolderEndsWithAMessage();

private:
    static void expectEndedWith(FormFixture& f, const QString& message);

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

void WriteFaultsTest::expectEndedWith(FormFixture& f, const QString& message)
{
    QVERIFY(f.form->hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 1);
    QCOMPARE(f.platform.errors, QStringList{message});
}

void WriteFaultsTest::sendFileOnAFullDisk()
{
    if (!QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("first"));
    form.ui.cmd_enter_response->click();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);

    QVERIFY(QFile::remove(form.sendFileName));
    QVERIFY(QFile::link(fullDevice, form.sendFileName));
    f.typeAnswer(QStringLiteral("second"));
    form.ui.cmd_enter_response->click();
    expectEndedWith(f, writeError(form.sendFileName, "No space left on device"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::responseRecord(FileKind::Master, "second"));
}

void WriteFaultsTest::notesFileOnAFullDisk()
{
    if (!QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    FormFixture f;
    MainForm& form = f.start();
    QVERIFY(QFile::link(fullDevice, form.notesFileName));
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);

    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    expectEndedWith(f, writeError(form.notesFileName, "No space left on device"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::notesRecord(FileKind::Master, "a note"));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send + record_check::notesRecord(FileKind::Send, "a note"));
}

void WriteFaultsTest::masterFileOnAFullDiskAtStart()
{
    if (!QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/korvelan");
    QVERIFY(QDir().mkpath(folder));
    const QString master = folder + QStringLiteral("/masterFile.txt");
    QVERIFY(QFile::link(fullDevice, master));
    const Ending ending = runCapped(home.path(), {QStringLiteral("window"), QStringLiteral("1"), QStringLiteral("1"),
                                                  QStringLiteral("0")});
    QCOMPARE(ending.status, 1);
    QCOMPARE(ending.said, QStringLiteral("the writer ended: ") + writeError(master, "No space left on device"));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/send_1207.txt")));
}

void WriteFaultsTest::displayOfANotesFileOnAFullDisk()
{
    if (!QFileInfo::exists(fullDevice))
        QSKIP("needs /dev/full");
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/korvelan");
    QVERIFY(QDir().mkpath(folder));
    const QString notes = folder + QStringLiteral("/notes_.txt");
    QVERIFY(QFile::link(fullDevice, notes));
    const Ending ending = runCapped(home.path(), {QStringLiteral("display"), QStringLiteral("notes")});
    QCOMPARE(ending.status, 1);
    QVERIFY2(ending.said.contains(notes), qPrintable(ending.said));
}

void WriteFaultsTest::recordThatFitsOnlyInPartIsCutOff()
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
    expectEndedWith(f, writeError(form.masterFileName, "File too large"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master);
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send);
}

void WriteFaultsTest::folderWithoutWritePermission()
{
    if (::geteuid() == 0)
        QSKIP("root may write in any folder");
    FormFixture f;
    MainForm& form = f.start();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);
    // The files there can still be appended to; the notes file cannot be made.
    chmodOrFail(f.defaultFolder(), 0500);
    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    chmodOrFail(f.defaultFolder(), 0700);
    expectEndedWith(f, writeError(form.notesFileName, "Permission denied"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::notesRecord(FileKind::Master, "a note"));
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send + record_check::notesRecord(FileKind::Send, "a note"));
    QVERIFY(!QFileInfo::exists(form.notesFileName));
}

void WriteFaultsTest::recordFileWithoutWritePermission()
{
    if (::geteuid() == 0)
        QSKIP("root may write any file");
    FormFixture f;
    MainForm& form = f.start();
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);
    chmodOrFail(form.masterFileName, 0400);
    f.typeAnswer(QStringLiteral("a response"));
    form.ui.cmd_enter_response->click();
    expectEndedWith(f, writeError(form.masterFileName, "Permission denied"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master);
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), send);
}

void WriteFaultsTest::recordPathIsAFolderAtStart()
{
    FormFixture f;
    const QString master = f.defaultFolder() + QStringLiteral("/masterFile.txt");
    QVERIFY(QDir().mkpath(master));
    f.start();
    expectEndedWith(f, writeError(master, "Is a directory"));
    QVERIFY(!QFileInfo::exists(f.defaultFolder() + QStringLiteral("/send_1207.txt")));
}

void WriteFaultsTest::notesPathIsAFolder()
{
    FormFixture f;
    MainForm& form = f.start();
    QVERIFY(QDir().mkdir(form.notesFileName));
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    expectEndedWith(f, writeError(form.notesFileName, "Is a directory"));
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master + record_check::notesRecord(FileKind::Master, "a note"));
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
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("restored\r\n");
    file.close();
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(form.masterFileName).constData()) == 0);

    f.typeAnswer(QStringLiteral("after the restore"));
    form.ui.cmd_enter_response->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(FormFixture::bytesOf(form.masterFileName),
             "restored\r\n" + record_check::responseRecord(FileKind::Master, "after the restore"));
    QVERIFY(f.platform.errors.isEmpty());
}

void WriteFaultsTest::deletedFolderEndsWithAMessage()
{
    FormFixture f;
    MainForm& form = f.start();
    QVERIFY(QDir(f.defaultFolder()).removeRecursively());
    form.ui.cmd_display_note_file->click();
    form.ui.cmd_displayCumulativeText->click();
    QVERIFY(!form.hasEnded());
    f.typeAnswer(QStringLiteral("into nowhere"));
    form.ui.cmd_enter_response->click();
    expectEndedWith(f, writeError(form.masterFileName, "No such file or directory"));
}

QTEST_MAIN(WriteFaultsTest)
#include "tst_write_faults.moc"
