#include "bank/reader_rules.h"
#include "form_fixture.h"
#include "platform/text_box.h"

#include <QtTest>

using namespace reader_rules;

class ReaderTest : public QObject {
    Q_OBJECT
private slots:
    void remSpaces_data();
    void remSpaces();
    void expandLineBreaks_data();
    void expandLineBreaks();
    void routineNames_data();
    void routineNames();

    void blankItemIsShownAndEmptySlotsSkipped();
    void markersSetTheModeAndAreRemoved();
    void markerOnlySlotIsPassedOver();
    void promptIsArmedAndRestored();
    void routineLineLeavesThePromptUnarmed();
    void nextAssignmentEndsTheProgram_data();
    void nextAssignmentEndsTheProgram();
    void steppingPastTheLastSlotEndsNormally();

    void firstPressesShowItemsAfterAnEmptyLine();
    void routineLineDrawsAndShowsTheNextItem();
    void twoRoutineLinesInARow();
    void routineLinesOfEightAndNineCharacters();
    void lineBreakPairsShownButKeptInCurrentLine();
    void typedQuestionTextSurvivesAPress();
    void builtInAssignmentRunsToItsEnd();
};

void ReaderTest::remSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    QTest::newRow("blank before digit") << "graph 1" << "graph1";
    QTest::newRow("hyphen before digit") << "graph-1" << "graph1";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("tabs and breaks are kept") << "a\tb\r\n c" << "a\tb\r\nc";
    QTest::newRow("only blanks and hyphens") << " - -" << "";
}

void ReaderTest::remSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    QCOMPARE(reader_rules::remSpaces(text), kept);
}

void ReaderTest::expandLineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("pair") << "{}" << "\r\n";
    QTest::newRow("closing brace alone") << "}" << "}";
    QTest::newRow("between letters") << "a{}b" << "a\r\nb";
    QTest::newRow("brace then pair") << "{{}" << "{\r\n";
    QTest::newRow("pair then brace") << "{}}" << "\r\n}";
    QTest::newRow("two pairs") << "{}{}" << "\r\n\r\n";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("one character") << "x" << "x";
    QTest::newRow("reversed pair") << "}{" << "}{";
}

void ReaderTest::expandLineBreaks()
{
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    QCOMPARE(reader_rules::expandLineBreaks(text), expanded);
}

void ReaderTest::routineNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("routine");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "`routine graph2" << true << "graph2";
    QTest::newRow("capitals, two blanks, hyphen") << "`ROUTINE  Graph-2" << true << "graph2";
    QTest::newRow("trailing blank") << "`routine graph2 " << true << "graph2";
    QTest::newRow("capital R") << "`Routine Graph-3" << true << "graph3";
    QTest::newRow("no separator") << "`routinegraph1" << true << "raph1";
    QTest::newRow("marker alone") << "`routine" << true << "";
    QTest::newRow("marker and one character") << "`routine " << true << "";
    QTest::newRow("too short") << "`routin" << false << "";
    QTest::newRow("no back-quote") << "routine graph1" << false << "";
}

void ReaderTest::routineNames()
{
    QFETCH(QString, line);
    QFETCH(bool, routine);
    QFETCH(QString, name);
    QCOMPARE(isRoutineLine(line), routine);
    if (routine)
        QCOMPARE(routineName(line), name);
}

void ReaderTest::blankItemIsShownAndEmptySlotsSkipped()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"", "", " ", "", "second"});
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral(" "));
    QCOMPARE(form.lineIndex, 3LL);
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("second"));
    QCOMPARE(form.currentLine, QStringLiteral("second"));
    QCOMPARE(form.lineIndex, 5LL);
}

void ReaderTest::markersSetTheModeAndAreRemoved()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"plain", "`aThe answer", "`query 3", "`Q not a marker", "`A not either"});
    form.readNextQuestion();
    QCOMPARE(form.qaMode, QString());
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("The answer"));
    QCOMPARE(form.currentLine, QStringLiteral("The answer"));
    QCOMPARE(form.qaMode, QStringLiteral("answer"));
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("uery 3"));
    QCOMPARE(form.qaMode, QStringLiteral("question"));
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("`Q not a marker"));
    QCOMPARE(form.qaMode, QStringLiteral("question"));
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("`A not either"));
    QCOMPARE(form.qaMode, QStringLiteral("question"));
}

void ReaderTest::markerOnlySlotIsPassedOver()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"first", "`q", "", "content", "`a", "after"});
    form.readNextQuestion();
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("content"));
    QCOMPARE(form.qaMode, QStringLiteral("question"));
    QCOMPARE(form.currentLine, QStringLiteral("content"));
    form.readNextQuestion();
    QCOMPARE(form.displayLine, QStringLiteral("after"));
    QCOMPARE(form.qaMode, QStringLiteral("answer"));
}

void ReaderTest::promptIsArmedAndRestored()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"one", "two", "three"});
    QVERIFY(!form.promptPending);
    form.readNextQuestion();
    QVERIFY(form.promptPending);
    QCOMPARE(f.answerText(), QStringLiteral(" "));  // not yet restored
    f.typeAnswer(QStringLiteral("half an answer"));
    form.readNextQuestion();
    QCOMPARE(f.answerText(), form.responsePrompt);
    QVERIFY(form.promptPending);
}

void ReaderTest::routineLineLeavesThePromptUnarmed()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"`routine", "`ROUTINE graph1", "text"});
    form.readNextQuestion();
    QVERIFY(!form.promptPending);  // the bare marker counts here
    form.readNextQuestion();
    QVERIFY(!form.promptPending);
    form.readNextQuestion();
    QVERIFY(form.promptPending);
}

void ReaderTest::nextAssignmentEndsTheProgram_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("header line") << "012.  `query 2";
    QTest::newRow("any item with the number") << "0129 is not a header";
    QTest::newRow("after a marker") << "`q012 text";
}

void ReaderTest::nextAssignmentEndsTheProgram()
{
    QFETCH(QString, item);
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"first", item, "never read"});
    form.ui.cmdNextQuestion->click();
    form.ui.cmdNextQuestion->click();
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
    QVERIFY(f.platform.errors.isEmpty());
    QCOMPARE(form.lineIndex, 2LL);
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\nfirst"));
    form.ui.cmdNextQuestion->click();  // no handler runs after the end
    QCOMPARE(form.lineIndex, 2LL);
}

void ReaderTest::steppingPastTheLastSlotEndsNormally()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"only"});
    form.QuestionBank.store(TextBank::LastSlot, QStringLiteral("last"));
    form.ui.cmdNextQuestion->click();
    form.ui.cmdNextQuestion->click();
    QVERIFY(f.questionText().endsWith(QStringLiteral("\r\n\r\nlast")));
    QVERIFY(!form.hasEnded());
    form.ui.cmdNextQuestion->click();
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
    QVERIFY(f.platform.errors.isEmpty());
}

void ReaderTest::firstPressesShowItemsAfterAnEmptyLine()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"header", "", "question one", "answer one"});
    form.lineIndex = 1;
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\nquestion one"));
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\nquestion one\r\n\r\nanswer one"));
    QCOMPARE(form.boxText, f.questionText());
    QCOMPARE(form.displayLine, QString());
}

void ReaderTest::routineLineDrawsAndShowsTheNextItem()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"`routine graph1", "", "after the figure"});
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\nafter the figure"));
    QVERIFY(form.promptPending);
    QVERIFY(!form.hasEnded());
    const QImage shown = form.ui.Picture1->shownImage();
    const QPointF cross = form.ui.Picture1->toPixel(400, 700);
    QCOMPARE(shown.pixel(cross.toPoint()), QColor(Qt::black).rgb());
}

void ReaderTest::twoRoutineLinesInARow()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"`routine graph1", "`routine graph2", "after"});
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\n`routine graph2"));
    QVERIFY(!form.hasEnded());
    QCOMPARE(form.lineIndex, 2LL);
}

void ReaderTest::routineLinesOfEightAndNineCharacters()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"`routine", "`routine "});
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\n`routine"));
    QVERIFY(!form.hasEnded());
    form.ui.cmdNextQuestion->click();  // an empty routine name ends the program
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
}

void ReaderTest::lineBreakPairsShownButKeptInCurrentLine()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"a{}b}"});
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\na\r\nb}"));
    QCOMPARE(form.currentLine, QStringLiteral("a{}b}"));
}

void ReaderTest::typedQuestionTextSurvivesAPress()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"item"});
    text_box::setText(form.ui.txt_question, QStringLiteral("my scribble"));
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("my scribble\r\n\r\nitem"));
}

void ReaderTest::builtInAssignmentRunsToItsEnd()
{
    FormFixture f;
    MainForm& form = f.start();
    for (int press = 1; press <= 15; ++press) {
        form.ui.cmdNextQuestion->click();
        QVERIFY2(!form.hasEnded(), qPrintable(QString::number(press)));
        QVERIFY(!form.currentLine.isEmpty());
    }
    QVERIFY(form.lineIndex <= 29);
    form.ui.cmdNextQuestion->click();
    QVERIFY(form.hasEnded());
    QCOMPARE(form.lineIndex, 30LL);
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
}

QTEST_MAIN(ReaderTest)
#include "tst_reader.moc"
