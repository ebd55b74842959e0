#include "form_fixture.h"
#include "platform/record_encoding.h"
#include "platform/text_box.h"
#include "records/line_writer.h"
#include "records/record_lines.h"
#include "records/record_prompts.h"

#include <QtTest>

namespace {

const QByteArray openingRule = "......!!!!!!!!...................................";
const QByteArray closingRule(49, '.');

QByteArray timeLine(const char* time)
{
    return QByteArray(56, ' ') + time + "\r\n";
}

QByteArray dateAndTimeLine(const char* date, const char* time)
{
    return QByteArray(42, ' ') + date + QByteArray(4, ' ') + time + "\r\n";
}

QByteArray expectedQuestionNumberLine(const char* value)
{
    return QByteArray("\r\n\r\n`questionNumber") + QByteArray(13, ' ') + ' ' + value + " \r\n";
}

// Everything after the opening record that start-up wrote.
QByteArray afterOpening(const QString& path)
{
    const QByteArray bytes = FormFixture::bytesOf(path);
    const qsizetype end = bytes.indexOf("12-07-2026\r\n") + 12;
    return bytes.mid(end);
}

}  // namespace

class RecordsTest : public QObject {
    Q_OBJECT
private slots:
    void printZones_data();
    void printZones();
    void stampLinesPutTheTimeAtColumn57();
    void questionNumberLine_data();
    void questionNumberLine();
    void workedExampleByteForByte();
    void untouchedPromptRecordsNothing();
    void promptWithOneCharacterMoreOrLessIsRecorded();
    void emptyBlankAndMultiLineResponses();
    void ratings_data();
    void ratings();
    void cancelledRatingEndsAfterItsLabel();
    void notesRecordInAllThreeFiles();
    void noteThenResponseShareALineInSendAndNotesFiles();
    void twoRunsOnOneDayShareTheSendFile();
    void unicodeBecomesReferences();
    void displayNotesAfterAResponse();
    void displayNotesTwiceRepeatsBoxText();
    void displaySendFile();
    void displayOfMissingFilesShowsThemEmpty();
    void clearAnswerTouchesNothingElse();
    void quitEndsAtOnce();
    void largeResponseIsKeptWhole();
    void timeLinesShowThePressNotTheRating_data();
    void timeLinesShowThePressNotTheRating();
    void scriptedSessionGivesTheStoredFiles();
};

void RecordsTest::printZones_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("37 to 43") << 37 << 43;
    QTest::newRow("43 to 57") << 43 << 57;
    QTest::newRow("53 to 57") << 53 << 57;
    QTest::newRow("1 to 15") << 1 << 15;
    QTest::newRow("14 to 15") << 14 << 15;
    QTest::newRow("16 to 29") << 16 << 29;
}

void RecordsTest::printZones()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QCOMPARE(LineWriter::nextZone(from), qsizetype(to));
}

void RecordsTest::stampLinesPutTheTimeAtColumn57()
{
    LineWriter file;
    record_lines::timeLine(file, QStringLiteral("14:05:09"));
    record_lines::dateAndTimeLine(file, QStringLiteral("12-07-2026"), QStringLiteral("14:05:10"));
    QCOMPARE(file.bytes(), timeLine("14:05:09") + dateAndTimeLine("12-07-2026", "14:05:10"));
    const QList<QByteArray> lines = file.bytes().split('\n');
    QCOMPARE(lines[0].indexOf("14"), 56);
    QCOMPARE(lines[1].indexOf("14"), 56);
    QCOMPARE(lines[1].indexOf("12-07"), 42);
    QCOMPARE(file.column(), 1);
}

void RecordsTest::questionNumberLine_data()
{
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("011") << "011" << QByteArray("110000");
    QTest::newRow("005") << "005" << QByteArray("50000");
    QTest::newRow("not a number") << "abc" << QByteArray("0");
}

void RecordsTest::questionNumberLine()
{
    QFETCH(QString, assignment);
    QFETCH(QByteArray, value);
    LineWriter file;
    record_lines::questionNumberLine(file, record_lines::questionValue(assignment));
    QCOMPARE(file.bytes(), expectedQuestionNumberLine(value.constData()));
}

void RecordsTest::workedExampleByteForByte()
{
    FormFixture f;
    f.platform.now = QDateTime(QDate(2026, 12, 7), QTime(14, 2, 0));
    MainForm& form = f.start();
    form.ui.cmdNextQuestion->click();
    f.platform.now = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9));
    f.typeAnswer(QStringLiteral("Rate = k A dT / L"));
    form.ui.cmd_enter_response->click();

    const QByteArray item = form.QuestionBank.at(3).toLatin1();
    const QByteArray send = FormFixture::bytesOf(form.sendFileName);
    const QByteArray tail = openingRule + "\r\n" + timeLine("14:05:09") + item + "\r\n" + openingRule
                            + "\r\nRESPONSE -->  \r\nRate = k A dT / L\r\n" + closingRule + "\r\n";
    QVERIFY(send.endsWith("\r\nassignment #011\r\n011.  `query 1\r\nPhysics II\r\n12-07-2026\r\n" + tail));
    QCOMPARE(form.sendFileName, f.defaultFolder() + QDir::separator() + QStringLiteral("send_1207.txt"));
    const QByteArray masterTail = openingRule + "\r\n" + timeLine("14:05:09") + expectedQuestionNumberLine("110000") + item
                                  + "\r\n" + openingRule + "\r\nRESPONSE -->  \r\nRate = k A dT / L\r\n" + closingRule
                                  + "\r\n";
    QCOMPARE(afterOpening(form.masterFileName), masterTail);
    QCOMPARE(f.questionText(), QString());
    QCOMPARE(f.answerText(), QString());
    QVERIFY(f.platform.prompts.size() == 3);  // no rating asked
}

void RecordsTest::untouchedPromptRecordsNothing()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmdNextQuestion->click();
    form.ui.cmdNextQuestion->click();  // puts the instruction text back
    QCOMPARE(f.answerText(), form.responsePrompt);
    const QByteArray master = FormFixture::bytesOf(form.masterFileName);
    form.ui.cmd_enter_response->click();
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(form.responsePrompt);
    form.ui.cmd_save_as_notes->click();
    QCOMPARE(FormFixture::bytesOf(form.masterFileName), master);
    QVERIFY(!QFileInfo::exists(form.notesFileName));
    QCOMPARE(f.questionText(), QString());
    QCOMPARE(f.answerText(), QString());
    QVERIFY(form.promptPending);
}

void RecordsTest::promptWithOneCharacterMoreOrLessIsRecorded()
{
    FormFixture f;
    MainForm& form = f.start();
    const QStringList variants{form.responsePrompt + QStringLiteral("!"), form.responsePrompt.chopped(1)};
    for (const QString& text : variants) {
        f.typeAnswer(text);
        form.ui.cmd_enter_response->click();
        QVERIFY(afterOpening(form.sendFileName).contains(text.toLatin1() + "\r\n" + closingRule));
    }
    QVERIFY(!form.promptPending);
}

void RecordsTest::emptyBlankAndMultiLineResponses()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmd_enter_response->click();  // the start-up blank
    form.ui.cmd_enter_response->click();  // the box is empty now
    f.typeAnswer(QStringLiteral("line one\r\nline two\r\nline three"));
    form.ui.cmd_enter_response->click();
    const QByteArray send = afterOpening(form.sendFileName);
    const QByteArray record = openingRule + "\r\n" + timeLine("14:02:00") + "\r\n" + openingRule + "\r\nRESPONSE -->  \r\n";
    QCOMPARE(send, record + " \r\n" + closingRule + "\r\n" + record + "\r\n" + closingRule + "\r\n" + record
                       + "line one\r\nline two\r\nline three\r\n" + closingRule + "\r\n");
}

void RecordsTest::ratings_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QByteArray>("ratingLine");
    QTest::newRow("question") << "`qA question" << record_prompts::confidencePrompt()
                              << QByteArray("confidence assessment:  5 or so\r\n");
    QTest::newRow("answer") << "`aAn answer" << record_prompts::selfCritiquePrompt()
                            << QByteArray("self critique assessment: 5 or so\r\n");
    QTest::newRow("no marker") << "Plain" << QString() << QByteArray();
}

void RecordsTest::ratings()
{
    QFETCH(QString, item);
    QFETCH(QString, prompt);
    QFETCH(QByteArray, ratingLine);
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({item});
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QStringLiteral("my answer"));
    f.platform.answers.push_back(QStringLiteral("5 or so"));
    form.ui.cmd_enter_response->click();
    QCOMPARE(f.platform.prompts.size(), prompt.isEmpty() ? 3 : 4);
    if (!prompt.isEmpty())
        QCOMPARE(f.platform.prompts.last(), prompt);
    const QByteArray tail = "RESPONSE -->  \r\nmy answer\r\n" + ratingLine + closingRule + "\r\n";
    QVERIFY(afterOpening(form.masterFileName).endsWith(tail));
    QVERIFY(afterOpening(form.sendFileName).endsWith(tail));
}

void RecordsTest::cancelledRatingEndsAfterItsLabel()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"`qOne", "`aTwo"});
    form.qaMode = QStringLiteral("Question");  // a capital Q asks nothing
    form.ui.cmd_enter_response->click();
    QCOMPARE(f.platform.prompts.size(), 3);
    form.ui.cmdNextQuestion->click();
    form.ui.cmd_enter_response->click();
    form.ui.cmdNextQuestion->click();
    form.ui.cmd_enter_response->click();
    const QByteArray send = afterOpening(form.sendFileName);
    QVERIFY(send.contains("\r\nconfidence assessment:  \r\n" + closingRule));
    QVERIFY(send.endsWith("\r\nself critique assessment: \r\n" + closingRule + "\r\n"));
}

void RecordsTest::notesRecordInAllThreeFiles()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"The item"});
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QStringLiteral("remember the units"));
    f.platform.tickSeconds = 1;
    f.platform.now = QDateTime(QDate(2026, 12, 7), QTime(15, 0, 0));
    form.ui.cmd_save_as_notes->click();
    // Each line goes to master, send and notes before the next line; the
    // clock is read for every file.
    const QByteArray common = "\r\nThe item\r\n" + openingRule + "\r\nNOTES -------> remember the units\r\n" + closingRule;
    QCOMPARE(afterOpening(form.masterFileName), openingRule + "\r\n" + timeLine("15:00:00")
                                                    + dateAndTimeLine("12-07-2026", "15:00:04").chopped(2) + common
                                                    + "\r\n");
    QCOMPARE(afterOpening(form.sendFileName), openingRule + "\r\n" + timeLine("15:00:01")
                                                  + dateAndTimeLine("12-07-2026", "15:00:06").chopped(2) + common);
    QCOMPARE(FormFixture::bytesOf(form.notesFileName), openingRule + "\r\n" + timeLine("15:00:02")
                                                           + dateAndTimeLine("12-07-2026", "15:00:08").chopped(2)
                                                           + common);
    QCOMPARE(form.boxText, QStringLiteral("NOTES -------> remember the units"));
    QVERIFY(!form.promptPending);
    QCOMPARE(f.questionText(), QString());
    QCOMPARE(f.answerText(), QString());
}

void RecordsTest::noteThenResponseShareALineInSendAndNotesFiles()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("a note"));
    form.ui.cmd_save_as_notes->click();
    f.typeAnswer(QStringLiteral("a response"));
    form.ui.cmd_enter_response->click();
    f.typeAnswer(QStringLiteral("second note"));
    form.ui.cmd_save_as_notes->click();
    QVERIFY(afterOpening(form.sendFileName).contains("NOTES -------> a note\r\n" + closingRule + openingRule + "\r\n"));
    QVERIFY(afterOpening(form.masterFileName).contains("NOTES -------> a note\r\n" + closingRule + "\r\n" + openingRule));
    QVERIFY(FormFixture::bytesOf(form.notesFileName).contains(closingRule + openingRule + "\r\n"));
    QVERIFY(!FormFixture::bytesOf(form.notesFileName).contains("a response"));
    QCOMPARE(afterOpening(form.masterFileName).count("`questionNumber"), 1);
    QCOMPARE(FormFixture::bytesOf(form.sendFileName).count("`questionNumber"), 0);
}

void RecordsTest::twoRunsOnOneDayShareTheSendFile()
{
    FormFixture f;
    MainForm& first = f.start();
    f.typeAnswer(QStringLiteral("first run"));
    first.ui.cmd_enter_response->click();
    const QByteArray afterFirst = FormFixture::bytesOf(first.sendFileName);

    ScriptedPlatform second;
    second.answers = {QStringLiteral("n"), QString(), QStringLiteral("12")};
    second.now = QDateTime(QDate(2027, 12, 7), QTime(8, 0, 0));  // same day, next year
    MainForm again(second);
    again.load();
    QCOMPARE(again.sendFileName, first.sendFileName);
    const QByteArray both = FormFixture::bytesOf(first.sendFileName);
    QVERIFY(both.startsWith(afterFirst));
    QVERIFY(both.mid(afterFirst.size()).contains("\r\nassignment #012\r\n012.  `query 2\r\nPhysics II\r\n12-07-2027\r\n"));
}

void RecordsTest::unicodeBecomesReferences()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QString::fromUtf8("\xce\x94T = 5 \xc2\xb0""C \xf0\x9f\x99\x82 \xe2\x82\xac"));
    form.ui.cmd_enter_response->click();
    QVERIFY(afterOpening(form.sendFileName).contains("\r\n&#916;T = 5 \xb0""C &#128578; \x80\r\n"));
}

void RecordsTest::displayNotesAfterAResponse()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("note one"));
    form.ui.cmd_save_as_notes->click();
    f.typeAnswer(QStringLiteral("the response"));
    form.ui.cmd_enter_response->click();
    form.ui.cmd_display_note_file->click();
    const QString notes = record_encoding::decode(FormFixture::bytesOf(form.notesFileName));
    const QString joined = record_encoding::splitLines(notes).join(QString());
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\nthe response") + joined);
    QVERIFY(joined.contains(QStringLiteral("NOTES -------> note one.....")));
}

void RecordsTest::displayNotesTwiceRepeatsBoxText()
{
    FormFixture f;
    MainForm& form = f.start();
    f.typeAnswer(QStringLiteral("n"));
    form.ui.cmd_save_as_notes->click();
    form.ui.cmd_display_note_file->click();
    const QString once = f.questionText();
    form.ui.cmd_display_note_file->click();
    const QString lines = once.mid(4 + 16);  // after CR LF CR LF and "NOTES -------> n"
    QCOMPARE(f.questionText(), once + QStringLiteral("\r\n\r\nNOTES -------> n") + lines + lines);
}

void RecordsTest::displaySendFile()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmd_displayCumulativeText->click();
    const QStringList lines = record_encoding::splitLines(record_encoding::decode(FormFixture::bytesOf(form.sendFileName)));
    QCOMPARE(lines.size(), 5);
    QCOMPARE(f.questionText(), QStringLiteral("\r\n") + lines.join(QStringLiteral("\r\n")));
    QVERIFY(f.questionText().endsWith(QStringLiteral("\r\n12-07-2026")));
    form.ui.cmd_displayCumulativeText->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")
                                   + lines.join(QStringLiteral("\r\n")));
}

void RecordsTest::displayOfMissingFilesShowsThemEmpty()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmd_display_note_file->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\n"));
    QFile::remove(form.sendFileName);
    form.ui.cmd_displayCumulativeText->click();
    QVERIFY(!form.hasEnded());
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\n"));
    QVERIFY(f.platform.errors.isEmpty());
}

void RecordsTest::clearAnswerTouchesNothingElse()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmdNextQuestion->click();
    const QString question = f.questionText();
    f.typeAnswer(QStringLiteral("draft"));
    form.ui.cmd_clr_answer->click();
    QCOMPARE(f.answerText(), QString());
    QCOMPARE(f.questionText(), question);
    QVERIFY(form.promptPending);
}

void RecordsTest::quitEndsAtOnce()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmd_pend_exp->click();
    form.ui.cmd_quit->click();
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
    QVERIFY(!form.tmr_pend_exp.isActive());
}

void RecordsTest::largeResponseIsKeptWhole()
{
    FormFixture f;
    MainForm& form = f.start();
    QString big;
    for (int i = 0; big.size() < 1'000'000; ++i)
        big += QStringLiteral("line %1 with a tab\there\r\n").arg(i);
    f.typeAnswer(big);
    form.ui.cmd_enter_response->click();
    QVERIFY(afterOpening(form.sendFileName).contains("RESPONSE -->  \r\n" + big.toLatin1() + "\r\n" + closingRule));
}

void RecordsTest::timeLinesShowThePressNotTheRating_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("confidence") << "`qA question";
    QTest::newRow("self-critique") << "`aAn answer";
}

void RecordsTest::timeLinesShowThePressNotTheRating()
{
    QFETCH(QString, item);
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({item});
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QStringLiteral("my answer"));
    f.platform.answers.push_back(QStringLiteral("2"));
    // The clock moves a second at every reading and two minutes while the
    // student thinks over the rating.
    f.platform.now = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9));
    f.platform.tickSeconds = 1;
    f.platform.dialogSeconds = 120;
    form.ui.cmd_enter_response->click();
    QCOMPARE(f.platform.prompts.size(), 4);
    QVERIFY(afterOpening(form.masterFileName).startsWith(openingRule + "\r\n" + timeLine("14:05:09") + "\r\n\r\n"));
    QVERIFY(afterOpening(form.sendFileName).startsWith(openingRule + "\r\n" + timeLine("14:05:10") + item.mid(2).toLatin1()));
}

// One session of every kind of record, with the clock and the random numbers
// fixed, gives the stored files byte for byte: on every system the program
// is built for, the same bytes reach the instructor.
void RecordsTest::scriptedSessionGivesTheStoredFiles()
{
    FormFixture f;
    f.platform.now = QDateTime(QDate(2026, 12, 7), QTime(9, 41, 30));
    f.platform.tickSeconds = 1;
    MainForm& form = f.start();
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QString::fromUtf8("Q = m c \xce\x94T: 2 kg \xc3\x97 4186 J/(kg\xc2\xb7\xc2\xb0""C) \xc3\x97 5 \xc2\xb0""C\r\n= 41 860 J"));
    form.ui.cmd_enter_response->click();
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QStringLiteral("Ask about the sign of the work \u2013 caf\u00e9 example"));
    form.ui.cmd_save_as_notes->click();
    f.useBank({QStringLiteral("`qA rated question"), QStringLiteral("`aIts worked answer")});
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QStringLiteral("v = 3 m/s"));
    f.platform.answers = {QStringLiteral("3")};
    form.ui.cmd_enter_response->click();
    form.ui.cmdNextQuestion->click();
    f.typeAnswer(QStringLiteral("Right, units checked"));
    f.platform.answers = {QStringLiteral("4")};
    form.ui.cmd_enter_response->click();

    // Kept for a look at what differs: build/test-artifacts/session.
    const QDir written(f.defaultFolder());
    const QStringList names{QStringLiteral("masterFile.txt"), QStringLiteral("send_1207.txt"), QStringLiteral("notes_.txt")};
    QDir().mkpath(QStringLiteral(TEST_ARTIFACTS_DIR "/session"));
    for (const QString& name : names)
        QFile::copy(written.filePath(name), QStringLiteral(TEST_ARTIFACTS_DIR "/session/") + name);
    const QDir stored(QStringLiteral(SESSIONS_DIR));
    for (const QString& name : names)
        QCOMPARE(FormFixture::bytesOf(written.filePath(name)), FormFixture::bytesOf(stored.filePath(name)));
}

QTEST_MAIN(RecordsTest)
#include "tst_records.moc"
