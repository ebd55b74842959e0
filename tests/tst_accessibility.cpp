#include "form_fixture.h"

#include <QAccessible>
#include <QListWidget>
#include <QtTest>

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void buttonsShowTheirCaptionAsTooltip();
    void tabWalksTheControlsInOrder();
    void spacePressesTheFocusedButton();
};

void AccessibilityTest::initTestCase()
{
    QAccessible::setActive(true);
}

void AccessibilityTest::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    QTest::newRow("question box") << "txt_question" << "Question" << int(QAccessible::EditableText);
    QTest::newRow("answer box") << "txt_answer" << "Your response" << int(QAccessible::EditableText);
    QTest::newRow("figure") << "Picture1" << "Figure" << int(QAccessible::Graphic);
    QTest::newRow("copied figure") << "Picture2" << "Copied figure" << int(QAccessible::Graphic);
    QTest::newRow("list") << "List1" << "List" << int(QAccessible::List);
    QTest::newRow("sliver") << "cmd_display_note_file" << "display notes" << int(QAccessible::Button);
    QTest::newRow("next") << "cmdNextQuestion" << "Next Question / Answer" << int(QAccessible::Button);
    QTest::newRow("enter") << "cmd_enter_response" << "Enter Response" << int(QAccessible::Button);
    QTest::newRow("notes") << "cmd_save_as_notes" << "Save as Notes" << int(QAccessible::Button);
    QTest::newRow("send file") << "cmd_displayCumulativeText" << "display SEND file" << int(QAccessible::Button);
    QTest::newRow("clear") << "cmd_clr_answer" << "clear answer" << int(QAccessible::Button);
    QTest::newRow("quit") << "cmd_quit" << "quit program" << int(QAccessible::Button);
    QTest::newRow("trigger") << "cmd_timerTrigger" << "Trigger Timer" << int(QAccessible::Button);
    QTest::newRow("pend exp") << "cmd_pend_exp" << "pend exp" << int(QAccessible::Button);
    QTest::newRow("next picture") << "cmd_next_picture" << "next picture" << int(QAccessible::Button);
    QTest::newRow("copy picture") << "cmd_copy_picture" << "copy picture" << int(QAccessible::Button);
    QTest::newRow("prompt label") << "lbl_only_if_prompted" << "click only if prompted" << int(QAccessible::StaticText);
    for (int i = 0; i < 4; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QString name = QStringLiteral("Parameter %1").arg(i + 1);
        QTest::newRow("parameter box " + n) << QString::fromLatin1("txt_parameter_" + n) << name << int(QAccessible::EditableText);
        QTest::newRow("parameter label " + n) << QString::fromLatin1("lbl_parameter_" + n) << name << int(QAccessible::StaticText);
    }
}

void AccessibilityTest::everyControlIsNamed()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    FormFixture f;
    MainForm& form = f.start();
    form.show();
    auto* widget = form.findChild<QWidget*>(control);
    QVERIFY(widget);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(int(accessible->role()), role);
}

void AccessibilityTest::buttonsShowTheirCaptionAsTooltip()
{
    ScriptedPlatform platform;
    MainForm form(platform);
    const auto buttons = form.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 11);
    for (auto* button : buttons)
        QCOMPARE(button->toolTip(), button->text());
}

void AccessibilityTest::tabWalksTheControlsInOrder()
{
    FormFixture f;
    MainForm& form = f.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ui.txt_question->setFocus();
    const QStringList order{"txt_answer", "cmdNextQuestion", "cmd_enter_response", "Picture1", "Picture2",
                            "cmd_save_as_notes", "cmd_timerTrigger", "List1", "txt_parameter_0", "txt_parameter_1",
                            "txt_parameter_2", "txt_parameter_3", "cmd_displayCumulativeText",
                            "cmd_display_note_file", "cmd_quit", "cmd_pend_exp", "cmd_next_picture",
                            "cmd_copy_picture", "cmd_clr_answer", "txt_question"};
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
}

void AccessibilityTest::spacePressesTheFocusedButton()
{
    FormFixture f;
    MainForm& form = f.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ui.cmdNextQuestion->setFocus();
    QTest::keyClick(form.ui.cmdNextQuestion, Qt::Key_Space);
    QVERIFY(f.questionText().startsWith(QStringLiteral("\r\n\r\nquery")));
    // The sliver works like any button: with no notes file yet, it shows the
    // question box's text once more after an empty line.
    const QString before = f.questionText();
    form.ui.cmd_display_note_file->setFocus();
    QTest::keyClick(form.ui.cmd_display_note_file, Qt::Key_Space);
    QCOMPARE(f.questionText(), before + QStringLiteral("\r\n\r\n") + before);
    QVERIFY(!form.hasEnded());
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
