#include "app/command_line.h"
#include "bank/built_in_table.h"
#include "form_fixture.h"
#include "records/record_prompts.h"

#include <QDir>
#include <QtTest>

namespace {

const QString exampleBank = QStringLiteral(EXAMPLES_DIR "/graphs-and-rates.drillbank");

bank_pictures::LoadedBank example()
{
    return bank_pictures::read(exampleBank);
}

QStringList answersFor(const QString& assignment)
{
    return {QStringLiteral("A. Student"), QString(), assignment};
}

// What Picture1 shows after the graph routine alone, in a fresh window.
QImage drawnBy(void (MainForm::*graph)())
{
    FormFixture f;
    MainForm& form = f.start();
    (form.*graph)();
    return form.ui.Picture1->shownImage();
}

}  // namespace

class InstructorBankTest : public QObject {
    Q_OBJECT
private slots:
    void builtInTextThroughTheReaderIsTheCompiledTable();
    void exportedCourseRunsAsTheBuiltInText();
    void exampleBankChecksClean();
    void aPassThroughTheExampleBank();
    void routineLinesDrawTheirGraphs_data();
    void routineLinesDrawTheirGraphs();
    void unusableBankIsReportedBeforeAnyDialog();
};

void InstructorBankTest::builtInTextThroughTheReaderIsTheCompiledTable()
{
    const QDir data(QStringLiteral(DATA_DIR));
    QStringList files;
    for (const QString& name : data.entryList({QStringLiteral("0??.txt")}, QDir::Files, QDir::Name))
        files.append(data.filePath(name));
    QCOMPARE(files.size(), 10);
    const bank_file::Bank bank = bank_file::readFiles(files);
    QVERIFY2(bank.problems.empty(), qPrintable(bank_file::problemLines(bank)));
    QCOMPARE(bank.assignments.size(), std::size_t(10));

    QCOMPARE(bank.bankSlots.size(), builtInTableSize);
    for (std::size_t i = 0; i < builtInTableSize; ++i) {
        const BankEntry& entry = builtInTable[i];
        QCOMPARE(bank.bankSlots[i].stores, entry.kind == BankEntry::Store);
        QCOMPARE(bank.bankSlots[i].text, entry.kind == BankEntry::Store ? QString::fromUtf8(entry.text) : QString());
    }

    // Installed by the loader, both give the same bank, slot for slot.
    FormFixture builtIn;
    FormFixture read;
    const MainForm& a = builtIn.start();
    const MainForm& b = read.startWithBank(bank, answersFor(QStringLiteral("11")));
    for (int slot = 0; slot <= TextBank::LastSlot; ++slot)
        QCOMPARE(b.QuestionBank.at(slot), a.QuestionBank.at(slot));
    QCOMPARE(b.courseName, QStringLiteral("Physics II"));
    QCOMPARE(b.lineIndex, a.lineIndex);
}

void InstructorBankTest::exportedCourseRunsAsTheBuiltInText()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("start.drillbank"));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QCOMPARE(command_line::exportBank(path, outStream, errStream), 0);
    QVERIFY(out.isEmpty() && err.isEmpty());
    QCOMPARE(command_line::exportBank(QString(), outStream, errStream), 0);
    outStream.flush();
    QCOMPARE(out.toUtf8(), FormFixture::bytesOf(path));

    const bank_file::Bank bank = bank_file::read(path);
    QVERIFY2(bank.problems.empty(), qPrintable(bank_file::problemLines(bank)));
    QCOMPARE(bank.course, QStringLiteral("Physics II"));
    QCOMPARE(bank.assignments.size(), std::size_t(10));
    QCOMPARE(bank.assignments.back().number, QStringLiteral("020"));
    // The unassigned slot, the single braces and the middle dot come through.
    QVERIFY(!bank.bankSlots[156].stores);
    QVERIFY(std::any_of(bank.bankSlots.begin(), bank.bankSlots.end(),
                        [](const bank_file::Slot& slot) { return slot.text.contains(u'\u00b7'); }));

    FormFixture builtIn;
    FormFixture exported;
    const MainForm& a = builtIn.start(answersFor(QStringLiteral("20")));
    const MainForm& b = exported.startWithBank(bank, answersFor(QStringLiteral("20")));
    for (int slot = 0; slot <= TextBank::LastSlot; ++slot)
        QCOMPARE(b.QuestionBank.at(slot), a.QuestionBank.at(slot));
    QCOMPARE(b.courseName, a.courseName);
    QCOMPARE(b.lineIndex, a.lineIndex);
    QCOMPARE(FormFixture::bytesOf(b.masterFileName).size(), FormFixture::bytesOf(a.masterFileName).size());
}

void InstructorBankTest::exampleBankChecksClean()
{
    const bank_pictures::LoadedBank loaded = example();
    const bank_file::Bank& bank = loaded.bank;
    QVERIFY2(bank.problems.empty(), qPrintable(bank_file::problemLines(bank)));
    QCOMPARE(bank.assignments.size(), std::size_t(2));
    QCOMPARE(loaded.pictures.keys(), QStringList{QStringLiteral("incline.png")});
    QVERIFY(!bank.course.isEmpty());
    bool question = false;
    bool answer = false;
    bool lineBreak = false;
    for (const bank_file::Slot& slot : bank.bankSlots) {
        question = question || slot.text.startsWith(QStringLiteral("`q"));
        answer = answer || slot.text.startsWith(QStringLiteral("`a"));
        lineBreak = lineBreak || slot.text.contains(QStringLiteral("{}"));
    }
    QVERIFY(question && answer && lineBreak);
}

void InstructorBankTest::aPassThroughTheExampleBank()
{
    const bank_pictures::LoadedBank loaded = example();
    const bank_file::Bank& bank = loaded.bank;
    FormFixture f;
    MainForm& form = f.startWithBank(bank, answersFor(QStringLiteral("101")), loaded.pictures);
    QVERIFY(!form.hasEnded());

    // The opening record names the bank's course and the assignment's header.
    const QByteArray opening = FormFixture::bytesOf(form.masterFileName);
    QVERIFY(opening.contains("\r\n" + bank.course.toLatin1() + "\r\n"));
    QVERIFY(opening.contains("\r\n101.  `query 1  Reading a velocity graph\r\n"));

    // The first press draws the figure and shows the question, its marker
    // gone and its line-break pairs turned into line breaks.
    form.ui.cmdNextQuestion->click();
    QCOMPARE(form.ui.Picture1->shownImage(), drawnBy(&MainForm::graph1));
    QCOMPARE(form.qaMode, QStringLiteral("question"));
    QVERIFY(f.questionText().startsWith(QStringLiteral("\r\n\r\nThe figure shows the velocity v")));
    QVERIFY(f.questionText().contains(QStringLiteral(" t = 3 s.\r\n(a) What is the cart's acceleration?\r\n(b)")));
    QVERIFY(!f.questionText().contains(QStringLiteral("{}")));

    // A response to a question asks for the confidence rating.
    f.typeAnswer(QStringLiteral("a = 4/6 = 0.67 m/s^2"));
    f.platform.answers.push_back(QStringLiteral("2"));
    form.ui.cmd_enter_response->click();
    QCOMPARE(f.platform.prompts.last(), record_prompts::confidencePrompt());
    QVERIFY(FormFixture::bytesOf(form.sendFileName).contains("a = 4/6 = 0.67 m/s^2\r\nconfidence assessment:  2\r\n"));

    // The given answer: a response to it asks for the self-critique rating.
    form.ui.cmdNextQuestion->click();
    QCOMPARE(form.qaMode, QStringLiteral("answer"));
    QVERIFY(f.questionText().startsWith(QStringLiteral("\r\n\r\n**(a) The graph is a straight line")));
    f.typeAnswer(QStringLiteral("I left out the units."));
    f.platform.answers.push_back(QStringLiteral("1"));
    form.ui.cmd_enter_response->click();
    QCOMPARE(f.platform.prompts.last(), record_prompts::selfCritiquePrompt());
    QVERIFY(FormFixture::bytesOf(form.sendFileName).contains("I left out the units.\r\nself critique assessment: 1\r\n"));

    // The second question and its answer; then the picture with the third
    // question, its answer, and the press after them reaches the next
    // assignment's header, which ends the pass.
    form.ui.cmdNextQuestion->click();
    form.ui.cmdNextQuestion->click();
    QVERIFY(f.questionText().contains(QStringLiteral("theta = 3.9 degrees")));
    form.ui.cmdNextQuestion->click();
    QVERIFY(f.questionText().contains(QStringLiteral("\r\n\r\nThe picture shows a 2.0 kg block")));
    // The picture, drawn for twice the box, is shrunk to it: its ramp fills a
    // good part of it.
    const QImage shown = form.ui.Picture1->shownImage();
    // The size that instructors are told to draw their pictures for.
    QCOMPARE(shown.size(), QSize(341, 221));
    int ramp = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ramp += shown.pixel(x, y) == qRgb(0xe8, 0xe0, 0xc8) ? 1 : 0;
    QVERIFY2(ramp > shown.width() * shown.height() / 5, qPrintable(QString::number(ramp)));
    QVERIFY(!f.questionText().contains(QStringLiteral("`routine")));
    form.ui.cmdNextQuestion->click();
    QVERIFY(!form.hasEnded());
    form.ui.cmdNextQuestion->click();
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
    QVERIFY(f.platform.errors.isEmpty());
}

void InstructorBankTest::routineLinesDrawTheirGraphs_data()
{
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("graph");
    QTest::addColumn<QString>("question");
    QTest::newRow("graph1") << "101" << 1 << "graph1" << "The figure shows the velocity v";
    QTest::newRow("graph2") << "102" << 1 << "graph2" << "The figure shows the running total y";
    QTest::newRow("graph3") << "102" << 3 << "graph3" << "The figure shows the depth y";
}

void InstructorBankTest::routineLinesDrawTheirGraphs()
{
    QFETCH(QString, assignment);
    QFETCH(int, presses);
    QFETCH(QString, graph);
    QFETCH(QString, question);
    FormFixture f;
    const bank_pictures::LoadedBank loaded = example();
    MainForm& form = f.startWithBank(loaded.bank, answersFor(assignment), loaded.pictures);
    for (int i = 0; i < presses; ++i)
        form.ui.cmdNextQuestion->click();
    QVERIFY(!form.hasEnded());
    const auto routine = graph == QStringLiteral("graph1")   ? &MainForm::graph1
                         : graph == QStringLiteral("graph2") ? &MainForm::graph2
                                                             : &MainForm::graph3;
    QCOMPARE(form.ui.Picture1->shownImage(), drawnBy(routine));
    // The routine line itself is never shown; the question after it is.
    QVERIFY(!f.questionText().contains(QStringLiteral("`routine")));
    QVERIFY(f.questionText().contains(QStringLiteral("\r\n\r\n") + question));
}

void InstructorBankTest::unusableBankIsReportedBeforeAnyDialog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("week3.drillbank"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("@@ course Optics\n@@ item\n031.  `query 1\n@@ item\n`routine graph 4\n@@ itme\nA lens...\n");
    file.close();

    FormFixture f;
    QVERIFY(!command_line::openBank(path, f.platform));
    QCOMPARE(f.platform.errors.size(), 1);
    const QString message = f.platform.errors.first();
    QVERIFY2(message.contains(path + QStringLiteral(":5: error: there is no routine \"graph4\"")), qPrintable(message));
    QVERIFY2(message.contains(path + QStringLiteral(":6: error: unknown line \"@@ itme\"")), qPrintable(message));
    QVERIFY2(!message.contains(path + QStringLiteral(":7:")), qPrintable(message));
    // Nothing asked, no folder made, no file written.
    QVERIFY(f.platform.prompts.isEmpty());
    QVERIFY(f.platform.foldersMade.isEmpty());
    QVERIFY(QDir(f.home()).isEmpty());

    QVERIFY(command_line::openBank(exampleBank, f.platform).has_value());
    QCOMPARE(f.platform.errors.size(), 1);
}

QTEST_MAIN(InstructorBankTest)
#include "tst_instructor_bank.moc"
