#include "bank/opening_rules.h"
#include "form_fixture.h"
#include "records/record_lines.h"

#include <QtTest>

using namespace opening_rules;

namespace {

// Random values that give codeNumber 19 and a known code line: a first
// round with a letter and the highest code, then rounds of code 186.
void queueKnownCodeLine(ScriptedPlatform& platform)
{
    platform.randomValues = {0.05f, 0.05f, 0.0f, 0.99999994f};
    for (int i = 1; i < 19; ++i) {
        platform.randomValues.push_back(0.5f);
        platform.randomValues.push_back(0.5f);
    }
}

QByteArray knownCodeLine()
{
    return QByteArray("B\xff") + QByteArray(18, '\xba');
}

QByteArray openingRecordFor011()
{
    return knownCodeLine() + "\r\nassignment #011\r\n011.  `query 1\r\nPhysics II\r\n12-07-2026\r\n";
}

}  // namespace

class OpeningTest : public QObject {
    Q_OBJECT
private slots:
    void codeLineLengthAndBytesOverManySeeds();
    void codeLineDrawOrderAndRounding();
    void codeIsTheIdentity();
    void headerSearch_data();
    void headerSearch();
    void openingRecordInANewFolder();
    void openingRecordAppendsToAnExistingMasterFile();
    void unknownAssignmentTouchesNoFile();
    void unwritableFolderIsReportedWithItsReason_data();
    void unwritableFolderIsReportedWithItsReason();
};

void OpeningTest::codeLineLengthAndBytesOverManySeeds()
{
    for (int seed = 0; seed < 300; ++seed) {
        RandomSequence random(seed);
        const int count = 19 + seed % 10;
        const QByteArray line = makeCodeLine(count, [&] { return random.next(); });
        QVERIFY(line.size() >= count && line.size() <= 2 * count);
        int high = 0;
        for (const char c : line) {
            const int code = static_cast<unsigned char>(c);
            QVERIFY2((code >= 66 && code <= 116) || code >= 118, qPrintable(QString::number(code)));
            if (code >= 118)
                ++high;
        }
        QCOMPARE(high, count);
    }
    QCOMPARE(makeCodeLine(0, [] { return 0.0f; }), QByteArray());
    QCOMPARE(makeCodeLine(-3, [] { return 0.0f; }), QByteArray());
}

void OpeningTest::codeLineDrawOrderAndRounding()
{
    std::deque<float> draws{0.05f, 0.0f, 0.99999994f, 0.5f, 0.5f, 0.09f, 0.99f, 0.0f};
    const QByteArray line = makeCodeLine(3, [&] {
        const float r = draws.front();
        draws.pop_front();
        return r;
    });
    // 0.5 * 137 + 118 = 186.5 rounds to the even 186; 0.99 * 50 + 66 = 115.5 to 116.
    QCOMPARE(line, QByteArray("B\xff\xba\x74\x76"));
    QVERIFY(draws.empty());
}

void OpeningTest::codeIsTheIdentity()
{
    QCOMPARE(code(QStringLiteral("Rate = k A dT / L"), 23), QStringLiteral("Rate = k A dT / L"));
    QCOMPARE(code(QString(), 19), QString());
}

void OpeningTest::headerSearch_data()
{
    QTest::addColumn<QStringList>("bank");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("slot");
    QTest::newRow("header in slot 1") << QStringList{"011.  `query 1", "", "q"} << "011" << 1;
    QTest::newRow("four digits never match") << QStringList{"0111. no", "011.x"} << "011" << 2;
    QTest::newRow("text after the point is free") << QStringList{"a", "020.  `Query 10"} << "020" << 2;
    QTest::newRow("empty number matches a lone point") << QStringList{"a", "b", "."} << "" << 3;
    QTest::newRow("first match wins") << QStringList{"015. one", "015. two"} << "015" << 1;
}

void OpeningTest::headerSearch()
{
    QFETCH(QStringList, bank);
    QFETCH(QString, number);
    QFETCH(int, slot);
    FormFixture f;
    MainForm& form = f.start();
    f.useBank(bank);
    form.assignmentNumber = number;
    form.guarded([&] { form.openAssignment(); });
    QVERIFY(!form.hasEnded());
    QCOMPARE(form.lineIndex, qlonglong(slot));
}

void OpeningTest::openingRecordInANewFolder()
{
    FormFixture f;
    queueKnownCodeLine(f.platform);
    MainForm& form = f.start();
    QCOMPARE(form.codeNumber, 19);
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), openingRecordFor011());
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), openingRecordFor011());
    QVERIFY(!QFileInfo::exists(form.notesFileName));
    // The built-in 020 is found by its number alone, capital Q and all.
    FormFixture g;
    g.start({QStringLiteral("n"), QString(), QStringLiteral("20")});
    QCOMPARE(g.form->lineIndex, 292LL);
    QVERIFY(FormFixture::bytesOf(g.form->masterFileName).contains("\r\n020.  `Query 10\r\n"));
    // An empty number starts at the lone point inside 017.
    FormFixture h;
    h.start({QStringLiteral("n"), QString(), QString()});
    QCOMPARE(h.form->lineIndex, 215LL);
    QCOMPARE(h.form->nextAssignmentNumber, QStringLiteral("001"));
}

void OpeningTest::openingRecordAppendsToAnExistingMasterFile()
{
    FormFixture f;
    QDir().mkpath(f.defaultFolder());
    QFile earlier(f.defaultFolder() + QStringLiteral("/masterFile.txt"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier run\r\n.................................................\r\n");
    earlier.close();
    queueKnownCodeLine(f.platform);
    MainForm& form = f.start();
    QCOMPARE(FormFixture::bytesOf(form.masterFileName),
             QByteArray("earlier run\r\n.................................................\r\n") + openingRecordFor011());
    QCOMPARE(FormFixture::bytesOf(form.sendFileName), openingRecordFor011());
}

void OpeningTest::unknownAssignmentTouchesNoFile()
{
    FormFixture f;
    MainForm& form = f.start({QStringLiteral("n"), QString(), QStringLiteral("21")});
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 1);
    QCOMPARE(f.platform.errors.size(), 1);
    QCOMPARE(f.platform.errors.first(),
             QStringLiteral("The question bank has no assignment \"021\". The assignments are 011, 012, "
                            "013, 014, 015, 016, 017, 018, 019, 020."));
    QVERIFY(!QFileInfo::exists(form.masterFileName));
    QVERIFY(!QFileInfo::exists(form.sendFileName));
}

void OpeningTest::unwritableFolderIsReportedWithItsReason_data()
{
    // %H: the home folder, which holds a file "blocked"; %D: a drive letter
    // that the machine does not have.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("windowsOnly");  // names that mean nothing special elsewhere
    QTest::newRow("a file where the folder should be") << "%H/blocked" << "Not a directory" << false;
    QTest::newRow("a device's name in the path") << "%H/CON/physics" << "a name that Windows keeps for a device"
                                                 << true;
    QTest::newRow("a drive that does not exist") << "%D:/physics" << "No such file or directory" << true;
}

void OpeningTest::unwritableFolderIsReportedWithItsReason()
{
    // The folder cannot be made, and the first record cannot be written:
    // the program says why and ends before anything is typed.
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QFETCH(bool, windowsOnly);
    if (windowsOnly && QDir::separator() != u'\\')
        QSKIP("an ordinary name on this system");
    FormFixture f;
    QFile file(f.home() + QStringLiteral("/blocked"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QString missingDrive;
    for (char16_t letter = u'Y'; letter > u'D' && missingDrive.isEmpty(); --letter) {
        if (!QFileInfo::exists(QString(QChar(letter)) + QStringLiteral(":/")))
            missingDrive = QChar(letter);
    }
    folder.replace(QLatin1String("%H"), f.home()).replace(QLatin1String("%D"), missingDrive);
    MainForm& form = f.start({QStringLiteral("n"), QStringLiteral("1"), folder, QStringLiteral("11")});
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 1);
    QCOMPARE(f.platform.errors.size(), 1);
    const QString& error = f.platform.errors.first();
    QVERIFY2(error.contains(QDir::toNativeSeparators(folder + QStringLiteral("/masterFile.txt"))), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(FormFixture::bytesOf(f.home() + QStringLiteral("/blocked")), QByteArray());
}

QTEST_MAIN(OpeningTest)
#include "tst_opening.moc"
