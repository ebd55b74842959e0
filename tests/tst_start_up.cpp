#include "app/start_up_rules.h"
#include "form_fixture.h"

#include <QtTest>

using namespace start_up_rules;

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void padding_data();
    void padding();
    void recordFileNamesOnAFixedDate();
    void codeNumberStaysFrom19To28();
    void dialogsComeInOrderWithTheirExactPrompts();
    void folderQuestion_data();
    void folderQuestion();
    void typedFolderThatDoesNotExistIsCreated();
    void fieldsAfterStartUp();
    void oddAnswersDoNotCrash_data();
    void oddAnswersDoNotCrash();
    void sendFileNameUsesOneReadingOfTheDate();
};

void StartUpTest::padding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("next");
    QTest::newRow("7") << "7" << "007" << "008";
    QTest::newRow("12") << "12" << "012" << "013";
    QTest::newRow("011") << "011" << "011" << "012";
    QTest::newRow("99") << "99" << "099" << "100";
    QTest::newRow("999") << "999" << "999" << "1000";
    QTest::newRow("1234") << "1234" << "1234" << "1235";
    QTest::newRow("abc") << "abc" << "abc" << "001";
    QTest::newRow("empty") << "" << "" << "001";
    QTest::newRow("one blank") << " " << "00 " << "001";
}

void StartUpTest::padding()
{
    QFETCH(QString, typed);
    QFETCH(QString, number);
    QFETCH(QString, next);
    QCOMPARE(padAssignmentNumber(typed), number);
    QCOMPARE(nextAssignmentNumber(number), next);
}

void StartUpTest::recordFileNamesOnAFixedDate()
{
    // The system's own separator joins the names: "c:\korvelan\masterFile.txt"
    // on Windows, as the student sees the folder.
    const QString separator = QDir::separator();
    const FileNames names = recordFileNames(QStringLiteral("/data/k"), QStringLiteral("01-31-2027"));
    QCOMPARE(names.master, QStringLiteral("/data/k") + separator + QStringLiteral("masterFile.txt"));
    QCOMPARE(names.send, QStringLiteral("/data/k") + separator + QStringLiteral("send_0131.txt"));
    QCOMPARE(names.notes, QStringLiteral("/data/k") + separator + QStringLiteral("notes_.txt"));
    // A trailing separator is kept, giving a doubled one.
    QCOMPARE(recordFileNames(QStringLiteral("/work/"), QStringLiteral("12-07-2026")).master,
             QStringLiteral("/work/") + separator + QStringLiteral("masterFile.txt"));
}

void StartUpTest::codeNumberStaysFrom19To28()
{
    QCOMPARE(codeNumberFrom(0.0f), 19);
    QCOMPARE(codeNumberFrom(0.09999f), 19);
    QCOMPARE(codeNumberFrom(0.5f), 24);
    QCOMPARE(codeNumberFrom(0.99999994f), 28);
}

void StartUpTest::dialogsComeInOrderWithTheirExactPrompts()
{
    FormFixture f;
    f.start({QStringLiteral("A. Student"), QStringLiteral("1"), QString(), QStringLiteral("11")});
    const QString folder = f.defaultFolder();
    const QStringList expected{
        QStringLiteral("Your full name:  "),
        QStringLiteral("Enter 1 if you want to change the folder to which your files will be written.  The current "
                       "default folder is ")
            + folder + QStringLiteral(".  If you wish to use this folder, just hit the Enter key"),
        QStringLiteral("You have chosen to change the folder to which your files will be written on your hard drive "
                       "from the default ")
            + folder + QStringLiteral(".  Enter the path to the folder you wish to use.  You may just hit the Enter "
                                      "key to retain the default path."),
        QStringLiteral("Assignment Number:  "),
    };
    QCOMPARE(f.platform.prompts, expected);
}

void StartUpTest::folderQuestion_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<bool>("typedFolderUsed");
    QTest::newRow("Enter keeps the default") << QStringList{"n", "", "11"} << 3 << false;
    QTest::newRow("1 asks for the folder") << QStringList{"n", "1", "TYPED", "11"} << 4 << true;
    QTest::newRow("blank before 1") << QStringList{"n", " 1", "11"} << 3 << false;
    QTest::newRow("blank after 1") << QStringList{"n", "1 ", "11"} << 3 << false;
    QTest::newRow("1 then an empty path") << QStringList{"n", "1", "", "11"} << 4 << false;
    // Past the 260 characters of a classic Windows path.
    QTest::newRow("a folder 300 characters deep")
        << QStringList{"n", "1", "TYPED" + QString(QStringLiteral("/nineteen-characters")).repeated(15), "11"} << 4
        << true;
}

void StartUpTest::folderQuestion()
{
    QFETCH(QStringList, answers);
    QFETCH(int, dialogs);
    QFETCH(bool, typedFolderUsed);
    FormFixture f;
    answers.replaceInStrings(QStringLiteral("TYPED"), f.home() + QStringLiteral("/typed"));
    MainForm& form = f.start(answers);
    QCOMPARE(f.platform.prompts.size(), dialogs);
    QCOMPARE(form.dataFolder, typedFolderUsed ? answers[2] : f.defaultFolder());
    QCOMPARE(form.masterFileName, form.dataFolder + QDir::separator() + QStringLiteral("masterFile.txt"));
    QVERIFY(f.platform.errors.isEmpty());
    QVERIFY(QFileInfo(form.masterFileName).size() > 0);
    QCOMPARE(form.assignmentNumber, QStringLiteral("011"));
    QVERIFY(!form.hasEnded());
}

void StartUpTest::typedFolderThatDoesNotExistIsCreated()
{
    FormFixture f;
    const QString typed = f.home() + QStringLiteral("/term/physics");
    MainForm& form = f.start({QStringLiteral("n"), QStringLiteral("1"), typed, QStringLiteral("11")});
    QVERIFY(QFileInfo(typed).isDir());
    QVERIFY(QFileInfo(f.defaultFolder()).isDir());
    QVERIFY(QFileInfo::exists(form.masterFileName));
    QVERIFY(!form.hasEnded());
}

void StartUpTest::fieldsAfterStartUp()
{
    FormFixture f;
    f.platform.now = QDateTime(QDate(2027, 1, 31), QTime(9, 30, 15));
    MainForm& form = f.start();
    QCOMPARE(form.courseName, QStringLiteral("Physics II"));
    QCOMPARE(form.assignmentNumber, QStringLiteral("011"));
    QCOMPARE(form.nextAssignmentNumber, QStringLiteral("012"));
    QCOMPARE(form.sendFileName, f.defaultFolder() + QDir::separator() + QStringLiteral("send_0131.txt"));
    QCOMPARE(form.notesFileName, f.defaultFolder() + QDir::separator() + QStringLiteral("notes_.txt"));
    QVERIFY(form.codeNumber >= 19 && form.codeNumber <= 28);
    QCOMPARE(f.platform.seededWith.value_or(-1), 9 * 3600 + 30 * 60 + 15.0);
    QVERIFY(form.responsePrompt.contains(QStringLiteral("just an OK.\r\n\r\nAlways critique")));
    QVERIFY(form.responsePrompt.contains(QStringLiteral("errors you makde, and")));
    QCOMPARE(form.ui.Picture1->scaleWidth(), 1000.0);
    QCOMPARE(form.ui.Picture1->scaleHeight(), 1000.0);
    QCOMPARE(form.ui.Picture2->scaleWidth(), 1000.0);
    QCOMPARE(form.ui.Picture2->scaleHeight(), 1000.0);
    QCOMPARE(form.lineIndex, 1LL);  // on the header line of 011
}

void StartUpTest::oddAnswersDoNotCrash_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("very long") << QString(100000, u'7');
    QTest::newRow("control characters") << QStringLiteral("\x01\t\r\n\x7f");
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("letters") << QStringLiteral("eleven");
}

void StartUpTest::oddAnswersDoNotCrash()
{
    QFETCH(QString, answer);
    FormFixture f;
    MainForm& form = f.start({answer, answer, answer});
    // None of these is an assignment: the student is told so and the
    // program ends with status 1, before any record is written.
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 1);
    QCOMPARE(f.platform.errors.size(), 1);
    QVERIFY(f.platform.errors.first().contains(QStringLiteral("011, 012")));
    QVERIFY(!QFileInfo::exists(form.masterFileName));
}

void StartUpTest::sendFileNameUsesOneReadingOfTheDate()
{
    // A clock that moves past midnight while the name is built must not give
    // the month of one day and the day of the next.
    FormFixture f;
    f.platform.now = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
    f.platform.tickSeconds = 1;
    MainForm& form = f.start();
    QVERIFY(form.sendFileName.endsWith(QDir::separator() + QStringLiteral("send_1231.txt")));
}

QTEST_MAIN(StartUpTest)
#include "tst_start_up.moc"
