#include "form_fixture.h"

#include <QtTest>

class QuestionBankTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void assignments_data();
    void assignments();
    void fixedSlots();
    void sizeAndCharacters();
    void itemsFollowTheConventions();
    void outOfBoundsRaisesTheProgramsError();

private:
    FormFixture fixture_;
    const TextBank* bank_ = nullptr;
};

void QuestionBankTest::initTestCase()
{
    bank_ = &fixture_.start().QuestionBank;
    QVERIFY(!fixture_.form->hasEnded());
    QCOMPARE(fixture_.form->lineIndex, 1LL);
}

void QuestionBankTest::assignments_data()
{
    QTest::addColumn<int>("headerSlot");
    QTest::addColumn<int>("lastSlot");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("items");
    QTest::newRow("011") << 1 << 29 << "011.  `query 1" << 15;
    QTest::newRow("012") << 30 << 58 << "012.  `query 2" << 12;
    QTest::newRow("013") << 59 << 89 << "013.  `query 3" << 16;
    QTest::newRow("014") << 90 << 113 << "014.  `query 4" << 10;
    QTest::newRow("015") << 114 << 166 << "015.  `query 5" << 26;
    QTest::newRow("016") << 167 << 183 << "016.  `query 6" << 8;
    QTest::newRow("017") << 184 << 235 << "017.  `query 7" << 27;
    QTest::newRow("018") << 236 << 248 << "018.  `query 8" << 6;
    QTest::newRow("019") << 249 << 291 << "019.  `query 9" << 16;
    QTest::newRow("020") << 292 << 325 << "020.  `Query 10" << 18;
}

void QuestionBankTest::assignments()
{
    QFETCH(int, headerSlot);
    QFETCH(int, lastSlot);
    QFETCH(QString, header);
    QFETCH(int, items);
    QCOMPARE(bank_->at(headerSlot), header);
    const QString next = QString::number(header.left(3).toInt() + 1).rightJustified(3, u'0');
    int nonEmpty = 0;
    for (int slot = headerSlot + 1; slot <= lastSlot; ++slot) {
        // An item starting with the next number would end the pass early.
        QVERIFY2(!bank_->at(slot).startsWith(next), qPrintable(QString::number(slot)));
        if (!bank_->at(slot).isEmpty())
            ++nonEmpty;
    }
    QCOMPARE(nonEmpty, items);
    const bool last = lastSlot == 325;
    QVERIFY(last || bank_->at(lastSlot + 1).left(4) == next + u'.');
}

void QuestionBankTest::fixedSlots()
{
    QCOMPARE(bank_->at(0), QString());
    QCOMPARE(bank_->at(2), QString());
    QCOMPARE(bank_->at(157), QString());
    QCOMPARE(bank_->at(215), QStringLiteral("."));
    QVERIFY(!bank_->at(325).isEmpty());
    for (int slot = 326; slot <= TextBank::LastSlot; ++slot)
        QVERIFY(bank_->at(slot).isEmpty());
}

void QuestionBankTest::sizeAndCharacters()
{
    qsizetype total = 0;
    qsizetype longest = 0;
    QList<int> withMiddleDot;
    for (int slot = 1; slot <= 325; ++slot) {
        const QString& item = bank_->at(slot);
        total += item.size();
        longest = std::max(longest, item.size());
        for (const QChar c : item) {
            if (c == QChar(0x00b7)) {
                if (!withMiddleDot.contains(slot))
                    withMiddleDot.append(slot);
                continue;
            }
            const bool plain = (c.unicode() >= 32 && c.unicode() < 127) || c == u'\r' || c == u'\n';
            QVERIFY2(plain, qPrintable(QStringLiteral("slot %1 holds U+%2").arg(slot).arg(c.unicode(), 4, 16)));
        }
        // Line breaks come in CR LF pairs only.
        QCOMPARE(item.count(u'\r'), item.count(QStringLiteral("\r\n")));
        QCOMPARE(item.count(u'\n'), item.count(QStringLiteral("\r\n")));
    }
    QCOMPARE(withMiddleDot.size(), 1);
    QVERIFY2(total > 62000 && total < 76000, qPrintable(QString::number(total)));
    QVERIFY(longest > 2000);
}

void QuestionBankTest::itemsFollowTheConventions()
{
    bool loneBrace = false;
    bool paragraphs = false;
    for (int slot = 1; slot <= 325; ++slot) {
        const QString& item = bank_->at(slot);
        QVERIFY2(!item.contains(QStringLiteral("{}")), qPrintable(QString::number(slot)));
        const bool header = item.size() > 4 && item[3] == u'.' && item.left(3).toInt() >= 11;
        QVERIFY2(header || !item.startsWith(u'`'), qPrintable(QString::number(slot)));
        // Shown items are never mistaken for empty ones: no item is only blanks.
        QVERIFY(item.isEmpty() || !item.trimmed().isEmpty());
        loneBrace = loneBrace || item.split(QStringLiteral("\r\n")).contains(QStringLiteral("}"));
        paragraphs = paragraphs || item.contains(QStringLiteral("\r\n\r\n"));
    }
    QVERIFY(loneBrace);
    QVERIFY(paragraphs);
}

void QuestionBankTest::outOfBoundsRaisesTheProgramsError()
{
    TextBank bank;
    QVERIFY_THROWS_EXCEPTION(DrillError, bank.at(5001));
    QVERIFY_THROWS_EXCEPTION(DrillError, bank.at(-1));
    QVERIFY_THROWS_EXCEPTION(DrillError, bank.store(5001, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(DrillError, bank.append(-1, QStringLiteral("x")));
    bank.store(5000, QStringLiteral("last"));
    bank.append(5000, QStringLiteral(" piece"));
    QCOMPARE(bank.at(5000), QStringLiteral("last piece"));
    try {
        bank.at(5001);
    } catch (const DrillError& error) {
        QVERIFY(error.text().contains(QStringLiteral("5001")));
    }
}

QTEST_MAIN(QuestionBankTest)
#include "tst_question_bank.moc"
