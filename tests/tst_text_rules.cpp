#include "platform/drill_error.h"
#include "platform/random_sequence.h"
#include "platform/record_encoding.h"
#include "platform/text_rules.h"
#include "platform/windows_names.h"

#include <QtTest>

#include <cmath>

class TextRulesTest : public QObject {
    Q_OBJECT
private slots:
    void clockTextsAreFixedWidthWhateverTheLocale();
    void leadingNumber_data();
    void leadingNumber();
    void leadingNumberPlusOne_data();
    void leadingNumberPlusOne();
    void numberTextIsPlainDecimal();
    void roundHalfEven_data();
    void roundHalfEven();
    void randomSequenceStaysBelowOne();
    void reseedingRepeatsTheSequence();
    void encodeKeepsWindows1252AsSingleBytes();
    void encodeWritesOtherCharactersAsReferences();
    void decodeReadsWindows1252();
    void splitLines_data();
    void splitLines();
    void windowsNames_data();
    void windowsNames();
    void windowsPathsWithDevices_data();
    void windowsPathsWithDevices();
};

void TextRulesTest::clockTextsAreFixedWidthWhateverTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(text_rules::dateText(QDate(2024, 3, 7)), QStringLiteral("03-07-2024"));
    QCOMPARE(text_rules::dateText(QDate(2026, 12, 31)), QStringLiteral("12-31-2026"));
    QCOMPARE(text_rules::timeText(QTime(14, 5, 9)), QStringLiteral("14:05:09"));
    QCOMPARE(text_rules::timeText(QTime(0, 0, 0)), QStringLiteral("00:00:00"));
    QCOMPARE(text_rules::timeText(QTime(23, 59, 59)), QStringLiteral("23:59:59"));
    QLocale::setDefault(QLocale::c());
}

void TextRulesTest::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("padded number") << "011" << 11.0;
    QTest::newRow("leading blanks skipped") << "  42" << 42.0;
    QTest::newRow("letters after digits") << "12abc" << 12.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("fraction") << "2.5x" << 2.5;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("lone point") << "." << 0.0;
}

void TextRulesTest::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(text_rules::leadingNumber(text), value);
}

void TextRulesTest::leadingNumberPlusOne_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("next");
    QTest::newRow("011") << "011" << "12";
    QTest::newRow("999") << "999" << "1000";
    QTest::newRow("letters") << "abc" << "1";
    QTest::newRow("empty") << "" << "1";
    QTest::newRow("negative") << "-5" << "-4";
    QTest::newRow("fraction") << "1.5" << "2.5";
    QTest::newRow("forty nines") << QString(40, u'9') << QStringLiteral("1") + QString(40, u'0');
}

void TextRulesTest::leadingNumberPlusOne()
{
    QFETCH(QString, text);
    QFETCH(QString, next);
    QCOMPARE(text_rules::leadingNumberPlusOne(text), next);
}

void TextRulesTest::numberTextIsPlainDecimal()
{
    QCOMPARE(text_rules::numberText(12), QStringLiteral("12"));
    QCOMPARE(text_rules::numberText(2.5), QStringLiteral("2.5"));
    QCOMPARE(text_rules::numberText(-3), QStringLiteral("-3"));
    QCOMPARE(text_rules::numberText(110000), QStringLiteral("110000"));
    QCOMPARE(text_rules::numberText(0), QStringLiteral("0"));
    QVERIFY_THROWS_EXCEPTION(DrillError, text_rules::numberText(INFINITY));
}

void TextRulesTest::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qlonglong>("rounded");
    QTest::newRow("2.5 to 2") << 2.5 << 2LL;
    QTest::newRow("3.5 to 4") << 3.5 << 4LL;
    QTest::newRow("2.4 to 2") << 2.4 << 2LL;
    QTest::newRow("2.6 to 3") << 2.6 << 3LL;
    QTest::newRow("-2.5 to -2") << -2.5 << -2LL;
    QTest::newRow("116 stays") << 116.0 << 116LL;
}

void TextRulesTest::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(qlonglong, rounded);
    QCOMPARE(text_rules::roundHalfEven(value), rounded);
}

void TextRulesTest::randomSequenceStaysBelowOne()
{
    RandomSequence random(7);
    float lowest = 1;
    float highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const float r = random.next();
        QVERIFY(r >= 0.0f && r < 1.0f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    QVERIFY(lowest < 0.001f);
    QVERIFY(highest > 0.999f);
}

void TextRulesTest::reseedingRepeatsTheSequence()
{
    RandomSequence a;
    RandomSequence b;
    a.reseed(50400.125);
    b.reseed(50400.125);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(a.next(), b.next());
    b.reseed(50400.126);
    a.reseed(50400.125);
    bool differs = false;
    for (int i = 0; i < 10; ++i)
        differs = differs || a.next() != b.next();
    QVERIFY(differs);
}

void TextRulesTest::encodeKeepsWindows1252AsSingleBytes()
{
    QCOMPARE(record_encoding::encode(QStringLiteral("N\u00b7m")), QByteArray("N\xb7m"));
    QCOMPARE(record_encoding::encode(QStringLiteral("\u20ac \u00e9")), QByteArray("\x80 \xe9"));
    QCOMPARE(record_encoding::encode(QStringLiteral("a\tb\rc\nd")), QByteArray("a\tb\rc\nd"));
}

void TextRulesTest::encodeWritesOtherCharactersAsReferences()
{
    QCOMPARE(record_encoding::encode(QStringLiteral("\u0394T")), QByteArray("&#916;T"));
    // An emoji is one reference for its whole code point, not one per half.
    QCOMPARE(record_encoding::encode(QString::fromUtf8("\xf0\x9f\x98\x80")), QByteArray("&#128512;"));
    QCOMPARE(record_encoding::encode(QStringLiteral("\u03c0r\u00b2")), QByteArray("&#960;r\xb2"));
}

void TextRulesTest::decodeReadsWindows1252()
{
    QCOMPARE(record_encoding::decode(QByteArray("\x80\xb7\xe9")), QStringLiteral("\u20ac\u00b7\u00e9"));
}

void TextRulesTest::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << "" << QStringList();
    QTest::newRow("CR LF ends") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("open last line") << "a\r\n....." << QStringList{"a", "....."};
    QTest::newRow("lone CR") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("empty lines kept") << "\r\n\r\nx\r\n" << QStringList{"", "", "x"};
    QTest::newRow("lone LF stays in the line") << "a\nb\r\n" << QStringList{"a\nb"};
}

void TextRulesTest::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(record_encoding::splitLines(text), lines);
}

void TextRulesTest::windowsNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("plain");
    QTest::newRow("record file") << "send_1207.txt" << false << true;
    QTest::newRow("journal") << ".record-journal" << false << true;
    QTest::newRow("accented") << QString::fromUtf8("Zo\xc3\xab.txt") << false << true;
    QTest::newRow("CON") << "CON" << true << false;
    QTest::newRow("con in lower case") << "con" << true << false;
    QTest::newRow("NUL with an extension") << "nul.txt" << true << false;
    QTest::newRow("AUX with blanks before its point") << "AUX  .log" << true << false;
    QTest::newRow("COM1") << "COM1" << true << false;
    QTest::newRow("LPT9") << "lpt9.txt" << true << false;
    QTest::newRow("COM0 is no device") << "COM0" << false << true;
    QTest::newRow("COM10 is no device") << "COM10" << false << true;
    QTest::newRow("CONSOLE is no device") << "CONSOLE" << false << true;
    QTest::newRow("CONOUT$") << "CONOUT$" << true << false;
    QTest::newRow("drive") << "c:masterFile.txt" << false << false;
    QTest::newRow("stream") << "masterFile.txt:hidden" << false << false;
    QTest::newRow("backslash") << "..\\masterFile.txt" << false << false;
    QTest::newRow("slash") << "../masterFile.txt" << false << false;
    QTest::newRow("share") << "\\\\server\\share" << false << false;
    QTest::newRow("dot dot") << ".." << false << false;
    QTest::newRow("trailing point") << "masterFile.txt." << false << false;
    QTest::newRow("trailing blank") << "masterFile.txt " << false << false;
    QTest::newRow("empty") << "" << false << false;
}

// Names that Windows reads as devices, drives, streams or other folders never
// reach its calls as the name of a record file.
void TextRulesTest::windowsNames()
{
    QFETCH(QString, name);
    QFETCH(bool, device);
    QFETCH(bool, plain);
    QCOMPARE(windows_names::isDeviceName(name), device);
    QCOMPARE(windows_names::isPlainName(name), plain);
}

void TextRulesTest::windowsPathsWithDevices_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("device");
    QTest::newRow("default folder") << "c:\\korvelan" << false;
    QTest::newRow("typed with slashes") << "d:/work/physics" << false;
    QTest::newRow("a device as the folder") << "CON" << true;
    QTest::newRow("a device inside") << "c:\\work\\nul\\drill" << true;
    QTest::newRow("device namespace") << "\\\\.\\PhysicalDrive0" << true;
    QTest::newRow("share") << "\\\\server\\class\\ada" << false;
    QTest::newRow("a device's name inside a longer one") << "c:\\console\\auxiliary" << false;
}

void TextRulesTest::windowsPathsWithDevices()
{
    QFETCH(QString, path);
    QFETCH(bool, device);
    QCOMPARE(windows_names::hasDeviceName(path), device);
}

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_text_rules.moc"
