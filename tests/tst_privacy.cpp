#include "form_fixture.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

}  // namespace

class PrivacyTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ::umask(022); }
    void newFoldersAndFilesAreOwnerOnly();
    void typedFolderAndItsParentsAreOwnerOnly();
    void existingFoldersAndFilesKeepTheirModes();
};

void PrivacyTest::newFoldersAndFilesAreOwnerOnly()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    QCOMPARE(modeOf(f.defaultFolder()), mode_t(0700));
    QCOMPARE(modeOf(form.masterFileName), mode_t(0600));
    QCOMPARE(modeOf(form.sendFileName), mode_t(0600));
    QCOMPARE(modeOf(form.notesFileName), mode_t(0600));
}

void PrivacyTest::typedFolderAndItsParentsAreOwnerOnly()
{
    FormFixture f;
    const QString typed = f.home() + QStringLiteral("/course/records");
    MainForm& form = f.start({QStringLiteral("n"), QStringLiteral("1"), typed, QStringLiteral("11")});
    QVERIFY(!form.hasEnded());
    QCOMPARE(modeOf(f.home() + QStringLiteral("/course")), mode_t(0700));
    QCOMPARE(modeOf(typed), mode_t(0700));
    QCOMPARE(modeOf(form.masterFileName), mode_t(0600));
}

void PrivacyTest::existingFoldersAndFilesKeepTheirModes()
{
    FormFixture f;
    QVERIFY(QDir().mkpath(f.defaultFolder()));
    QVERIFY(::chmod(QFile::encodeName(f.defaultFolder()).constData(), 0755) == 0);
    const QString master = f.defaultFolder() + QStringLiteral("/masterFile.txt");
    QFile file(master);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(::chmod(QFile::encodeName(master).constData(), 0644) == 0);
    MainForm& form = f.start();
    QVERIFY(!form.hasEnded());
    QCOMPARE(modeOf(f.defaultFolder()), mode_t(0755));
    QCOMPARE(modeOf(master), mode_t(0644));
    QCOMPARE(modeOf(form.sendFileName), mode_t(0600));
}

QTEST_MAIN(PrivacyTest)
#include "tst_privacy.moc"
