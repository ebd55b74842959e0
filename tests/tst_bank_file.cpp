#include "bank/bank_file.h"
#include "bank/bank_pictures.h"
#include "bank/picture_decoder.h"
#include "test_system.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>


using bank_file::Bank;
using bank_file::Problem;

namespace {

QByteArray lines(const QStringList& lines)
{
    return lines.join(u'\n').toUtf8() + '\n';
}

Bank parseOne(const QByteArray& text)
{
    return bank_file::parse(QStringLiteral("bank.txt"), {{QStringLiteral("bank.txt"), text}});
}

// "LINE:severity: text" for each problem, the form the expectations use.
QStringList described(const Bank& bank)
{
    QStringList found;
    for (const Problem& problem : bank.problems)
        found.append(QStringLiteral("%1:%2: %3")
                         .arg(problem.line)
                         .arg(problem.severity == Problem::Error ? QStringLiteral("error") : QStringLiteral("warning"),
                              problem.text));
    return found;
}

// Each expectation is "LINE:severity:" and a part of the problem's text.
bool matches(const QStringList& found, const QStringList& expected)
{
    if (found.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const qsizetype colon = expected[i].indexOf(u':', expected[i].indexOf(u':') + 1);
        if (!found[i].startsWith(expected[i].left(colon + 1)) || !found[i].contains(expected[i].mid(colon + 1)))
            return false;
    }
    return true;
}

QByteArray manySlots(int count)
{
    QByteArray text = "@@ item\n011.  `query 1\n";
    for (int i = 1; i < count; ++i)
        text += "@@ empty\n";
    return text;
}

const QString header = QStringLiteral("011.  `query 1");

}  // namespace

class BankFileTest : public QObject {
    Q_OBJECT
private slots:
    void problems_data();
    void problems();
    void slotTexts_data();
    void slotTexts();
    void courseLine();
    void summaryAndAssignments();
    void aFileOfJunkStopsAtAHundredProblems();
    void messageBoxListsTenProblemsThenHowManyMore();
    void countsAreTrue_data();
    void countsAreTrue();
    void badInputOnDisk_data();
    void badInputOnDisk();
    void folderFilesAreReadInNameOrder();
    void svgReferencesOutside_data();
    void svgReferencesOutside();
    void picturesTheDecoderComplainsOf_data();
    void picturesTheDecoderComplainsOf();
};

void BankFileTest::problems_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a clean bank") << lines({"@@ item", header, "@@ empty", "@@ item", "a question", "@@ unassigned"})
                                  << QStringList();
    QTest::newRow("course line after a slot") << lines({"@@ item", header, "@@ course Optics"})
                                              << QStringList{"3:error:before the bank's first slot"};
    QTest::newRow("second course line") << lines({"@@ course Optics", "@@ course Optics II", "@@ item", header})
                                        << QStringList{"2:error:a second course line"};
    QTest::newRow("course line without a name") << lines({"@@ course   ", "@@ item", header})
                                                << QStringList{"1:error:needs the course's name"};
    QTest::newRow("unknown @@ line, and no second problem for its text")
        << lines({"@@ item", header, "@@ iten", "text", "@@ item", "more"}) << QStringList{"3:error:unknown line \"@@ iten\""};
    QTest::newRow("words after a slot's keyword") << lines({"@@ item", header, "@@ empty slot"})
                                                  << QStringList{"3:error:unknown line \"@@ empty slot\""};
    QTest::newRow("text before the first slot") << lines({"Assignments for week 3", "@@ item", header})
                                                << QStringList{"1:error:text outside an item:"};
    QTest::newRow("a run of text after an empty slot")
        << lines({"@@ item", header, "@@ empty", "first", "", "second", "@@ item", "fine"})
        << QStringList{"4:error:text outside an item (lines 4 to 6)"};
    QTest::newRow("blank lines outside items") << lines({"  ", "@@ item", header, "@@ empty", "\t", ""}) << QStringList();
    QTest::newRow("comments outside items") << lines({"# week 3", "@@ course Optics", "  # lenses", "@@ item", header,
                                                      "@@ empty", "# the first question:", "@@ item", "a"})
                                            << QStringList();
    QTest::newRow("not UTF-8: the column and the byte named")
        << QByteArray("@@ item\n" + header.toUtf8() + "\n@@ item\ncaf\xe9\n\tna\xefve\n")
        << QStringList{QString::fromUtf8("4:error:the text is not UTF-8: the byte E9 at column 4 (\"\xc3\xa9\" in "
                                         "Windows-1252); save the file as UTF-8"),
                       "5:error:not UTF-8 either: the byte EF at column 4"};
    QTest::newRow("not UTF-8 after UTF-8 characters: columns count characters")
        << QByteArray("@@ item\n" + header.toUtf8() + "\n@@ item\n\xce\x94T = 5 \xb0" "C\n")
        << QStringList{"4:error:the byte B0 at column 8"};
    QTest::newRow("not UTF-8: the lines that decode are still checked")
        << QByteArray("@@ item\n" + header.toUtf8() +
                      "\n@@ item\ncaf\xe9\n@@ course Optics\n@@ itme\n@@ item\n`routine graph7\n")
        << QStringList{"4:error:not UTF-8", "5:error:before the bank's first slot", "6:error:unknown line",
                       "8:error:no routine \"graph7\""};
    QTest::newRow("twelve lines not UTF-8: ten named, then a count")
        << QByteArray("@@ item\n" + header.toUtf8() + "\n@@ item\n" + QByteArray("caf\xe9\n").repeated(12))
        << QStringList{"4:error:the text is not UTF-8: the byte E9", "5:error:either", "6:error:either",
                       "7:error:either", "8:error:either", "9:error:either", "10:error:either", "11:error:either",
                       "12:error:either",
                       "13:error:not UTF-8 either: the byte E9 at column 4 (\"\xc3\xa9\" in Windows-1252) (and on 2 "
                       "more lines)"};
    QTest::newRow("overlong UTF-8") << QByteArray("@@ item\n\xc0\xaf\n")
                                    << QStringList{"2:error:not UTF-8: the bytes C0 AF at column 1;"};
    QTest::newRow("a surrogate in UTF-8") << QByteArray("@@ item\n" + header.toUtf8() + "\n@@ item\n\xed\xa0\x80\n")
                                          << QStringList{"4:error:not UTF-8: the bytes ED A0 80 at column 1;"};
    QTest::newRow("a character cut short") << QByteArray("@@ item\n" + header.toUtf8() + "\n@@ item\nab\xe2\x82 c\n")
                                           << QStringList{"4:error:not UTF-8: the bytes E2 82 at column 3;"};
    QTest::newRow("a byte-order mark") << QByteArray("\xef\xbb\xbf@@ item\n" + header.toUtf8() + "\n") << QStringList();
    QTest::newRow("a NUL byte") << "@@ item\n" + header.toUtf8() + QByteArray("\nx\0y\n", 5)
                                << QStringList{"3:error:U+0000"};
    QTest::newRow("a CR inside a line") << QByteArray("@@ item\n" + header.toUtf8() + "\rmore\n")
                                        << QStringList{"2:error:carriage return"};
    QTest::newRow("no assignment header") << lines({"@@ item", "a question", "@@ item", "11. not a header"})
                                          << QStringList{"0:error:no assignment header"};
    QTest::newRow("an empty file") << QByteArray() << QStringList{"0:warning:empty", "0:error:no assignment header"};

    QTest::newRow("routine names graph4") << lines({"@@ item", header, "@@ item", "`routine graph4"})
                                          << QStringList{"4:error:no routine \"graph4\""};
    QTest::newRow("routine in capitals, blanks and a hyphen") << lines({"@@ item", header, "@@ item", "`ROUTINE  Graph-3 "})
                                                              << QStringList();
    QTest::newRow("routine without a separator") << lines({"@@ item", header, "@@ item", "`routinegraph1"})
                                                 << QStringList{"4:error:write \"`routine graph1\", with a blank after "
                                                                "\"`routine\": without it the name is taken to be "
                                                                "\"raph1\""};
    QTest::newRow("routine picture without a separator")
        << lines({"@@ item", header, "@@ item", "`routinePositionGraph.png"})
        << QStringList{"4:error:write \"`routine PositionGraph.png\", with a blank after"};
    QTest::newRow("routine with a colon for the blank") << lines({"@@ item", header, "@@ item", "`Routine:incline.png"})
                                                        << QStringList{"4:error:write \"`Routine incline.png\", with a "
                                                                       "blank in place of \":\""};
    QTest::newRow("routine naming a GIF picture")
        << lines({"@@ item", header, "@@ item", "`routine position-graph.gif"})
        << QStringList{"4:error:\"positiongraph.gif\" is a .gif file, which the program cannot draw: it draws PNG, JPEG "
                       "and SVG pictures (.png, .jpg, .jpeg, .svg); save the picture as \"positiongraph.png\""};
    QTest::newRow("routine naming a picture beside the bank") << lines({"@@ item", header, "@@ item", "`routine Incline.PNG"})
                                                              << QStringList();
    QTest::newRow("routine naming a picture in the folder above")
        << lines({"@@ item", header, "@@ item", "`routine ../incline.png"}) << QStringList{"4:error:beside the bank file"};
    QTest::newRow("routine naming a picture in a subfolder")
        << lines({"@@ item", header, "@@ item", "`routine figures/incline.svg"}) << QStringList{"4:error:without a folder"};
    QTest::newRow("bare routine marker, which next picture runs")
        << lines({"@@ item", header, "@@ item", "`routine"}) << QStringList{"4:error:without a routine's name"};
    QTest::newRow("routine marker and a blank") << lines({"@@ item", header, "@@ item", "`routine "})
                                                << QStringList{"4:error:without a routine's name"};
    QTest::newRow("marked routine of eight characters") << lines({"@@ item", header, "@@ item", "`q`routine"})
                                                        << QStringList{"4:warning:exactly eight characters"};
    QTest::newRow("marked routine with an unknown name") << lines({"@@ item", header, "@@ item", "`a`Routine graph9"})
                                                         << QStringList{"4:error:no routine \"graph9\""};
    QTest::newRow("routine line with a second line") << lines({"@@ item", header, "@@ item", "`routine graph1", "a caption"})
                                                     << QStringList{"4:error:alone in its item"};
    QTest::newRow("two routine lines in a row")
        << lines({"@@ item", header, "@@ item", "`routine graph1", "@@ item", "`routine graph2"})
        << QStringList{"6:warning:right after the one at slot 2, bank.txt:4"};
    QTest::newRow("routine lines with empty and marker-only slots between")
        << lines({"@@ item", header, "@@ item", "`routine graph1", "@@ empty", "@@ item", "`q", "@@ item", "`routine graph3"})
        << QStringList{"9:warning:right after the one at slot 2"};
    QTest::newRow("three routine lines in a row: the third runs again")
        << lines({"@@ item", header, "@@ item", "`routine graph1", "@@ item", "`routine graph2", "@@ item", "`routine graph3"})
        << QStringList{"6:warning:right after"};
    QTest::newRow("routine lines with an item between") << lines({"@@ item", header, "@@ item", "`routine graph1", "@@ item",
                                                                  "a question", "@@ item", "`routine graph2"})
                                                        << QStringList();

    QTest::newRow("a header twice")
        << lines({"@@ item", header, "@@ item", "012.  `query 2", "@@ item", "011.  `query 1 again"})
        << QStringList{"6:warning:assignment 011 has its header at slot 1, bank.txt:2 already"};
    QTest::newRow("another number's header next") << lines({"@@ item", header, "@@ item", "a question", "@@ item", "013.  `query 3"})
                                                   << QStringList{"2:warning:steps on into it"};
    QTest::newRow("an item beginning with the next number")
        << lines({"@@ item", header, "@@ item", "012 g of ice melts", "@@ item", "012.  `query 2"})
        << QStringList{"4:warning:begins with 012, the next assignment's number"};
    QTest::newRow("a marked item beginning with the next number") << lines({"@@ item", header, "@@ item", "`a012 g"})
                                                                  << QStringList{"4:warning:stops here"};

    QTest::newRow("a capital Q: no marker") << lines({"@@ item", header, "@@ item", "`QA ball is thrown"})
                                            << QStringList{"4:warning:begins with \"`Q\", which is no marker"};
    QTest::newRow("a capital A: no marker") << lines({"@@ item", header, "@@ item", "`A**12 m**"})
                                            << QStringList{"4:warning:the answer marker is \"`a\""};
    QTest::newRow("an apostrophe for the back-quote") << lines({"@@ item", header, "@@ item", "'qA ball is thrown"})
                                                      << QStringList{"4:warning:begins with \"'q\""};
    QTest::newRow("a typographic quote for the back-quote")
        << lines({"@@ item", header, "@@ item", QString::fromUtf8("\xe2\x80\x98" "a**12 m**")})
        << QStringList{"4:warning:the back-quote, \"`a\""};
    QTest::newRow("an apostrophe before routine") << lines({"@@ item", header, "@@ item", "'routine graph1"})
                                                  << QStringList{"4:warning:\"`routine\""};
    QTest::newRow("blanks before a marker") << lines({"@@ item", header, "@@ item", "  `qA ball"})
                                            << QStringList{"4:warning:begins with blanks before \"`q\""};
    QTest::newRow("a tab before a marker") << lines({"@@ item", header, "@@ item", "\t`a**12 m**"})
                                           << QStringList{"4:warning:white space before \"`a\""};
    QTest::newRow("a blank before a routine line") << lines({"@@ item", header, "@@ item", " `routine graph1"})
                                                   << QStringList{"4:warning:very start of an item"};
    QTest::newRow("an apostrophe before query") << lines({"@@ item", header, "@@ item", "'query 3: a ball"})
                                                << QStringList{"4:warning:\"'q\""};
    QTest::newRow("quoted words are no slips")
        << lines({"@@ item", header, "@@ item", "'quasi-static' means slow", "@@ item", "'a' is the acceleration"})
        << QStringList();
    QTest::newRow("a header without its point, and a word")
        << lines({"@@ item", header, "@@ item", "a", "@@ item", "012 Projectiles", "@@ item", "b"})
        << QStringList{"6:warning:reads like the header of assignment 012 without the point"};
    QTest::newRow("a header without its point, and a colon") << lines({"@@ item", header, "@@ item", "012:"})
                                                             << QStringList{"4:warning:write \"012.\""};
    QTest::newRow("a header without its point, and a hyphen") << lines({"@@ item", header, "@@ item", "012- Waves"})
                                                              << QStringList{"4:warning:no assignment 012"};
    QTest::newRow("a number alone") << lines({"@@ item", header, "@@ item", "013"})
                                    << QStringList{"4:warning:header of assignment 013"};
    QTest::newRow("a number that has its header elsewhere")
        << lines({"@@ item", header, "@@ item", "011 Heat", "@@ item", "a"}) << QStringList();
    QTest::newRow("a quantity is no header") << lines({"@@ item", header, "@@ item", "250 m of steel rail"}) << QStringList();
    QTest::newRow("assignments out of order")
        << lines({"@@ item", "012.  `query 2", "@@ item", "a", "@@ item", header, "@@ item", "b"})
        << QStringList{"6:warning:assignment 011 comes after assignment 012 (slot 1, bank.txt:2): the assignments are "
                       "out of order"};


    // A "#" line is a comment only between slots.
    QTest::newRow("a # line right after an item")
        << lines({"@@ item", header, "@@ item", "`qA ball is thrown", "# Next week: add an acceleration question here",
                  "@@ empty"})
        << QStringList{"5:warning:this \"#\" line is no comment but the end of the item at line 4 (slot 2), which the "
                       "student sees: a comment is one only between slots; write \"@@ empty\" on the line before it"};
    QTest::newRow("# lines after an item and a blank line")
        << lines({"@@ item", header, "@@ item", "`qA ball", "", "# one", "", "# two", "", "@@ empty"})
        << QStringList{"6:warning:the \"#\" lines 6 to 8 are no comment"};
    QTest::newRow("a # line that opens an item")
        << lines({"@@ item", header, "@@ empty", "@@ item", "# question 3", "`qA ball"})
        << QStringList{"5:warning:write \"@@ empty\" in place of the line \"@@ item\" above, and \"@@ item\" on the "
                       "line before line 6"};
    QTest::newRow("a # line inside an item")
        << lines({"@@ item", header, "@@ item", "`qA ball", "# check the numbers", "is thrown"})
        << QStringList{"5:warning:move it out of the item, after an \"@@ empty\" line"};
    QTest::newRow("an item of # lines only") << lines({"@@ item", header, "@@ item", "# to do", "@@ item", "`qA"})
                                             << QStringList{"4:warning:the whole text of the item of slot 2"};
    QTest::newRow("a # line under the header")
        << lines({"@@ item", header, "# week 3", "@@ item", "`qA"})
        << QStringList{"3:warning:which every student's opening record copies"};
    QTest::newRow("a # inside a line is text")
        << lines({"@@ item", header, "@@ item", "`qBall #3 is thrown", "at 12 m/s.", "@@ empty", "# a comment"})
        << QStringList();

    // An item that runs on because its "@@ item" line was forgotten.
    QTest::newRow("an answer in its question's item")
        << lines({"@@ item", header, "@@ item", "`qA ball is thrown.", "`a**12 m**"})
        << QStringList{"5:warning:this line begins with \"`a\", but it is still the text of the item that begins at line "
                       "4 (slot 2): the student sees it with that item, and \"`a\" marks nothing; write \"@@ item\" on "
                       "the line before it"};
    QTest::newRow("an answer after an empty line in its question's item")
        << lines({"@@ item", header, "@@ item", "`qA ball is thrown.", "", "`a**12 m**"})
        << QStringList{"6:warning:begins at line 4 (slot 2)"};
    QTest::newRow("a routine line in an item")
        << lines({"@@ item", header, "@@ item", "`qA ball is thrown.", "`routine graph1"})
        << QStringList{"5:warning:the student sees it as text, and no figure is drawn"};
    QTest::newRow("the next header in an item") << lines({"@@ item", header, "@@ item", "`a**12 m**", "012.  `query 2"})
                                                << QStringList{"5:warning:it opens no assignment"};

    // The header's item is never shown.
    QTest::newRow("a question under the header")
        << lines({"@@ item", header, "`qA ball leaves level ground.", "@@ item", "`a**1.57 s**"})
        << QStringList{"3:warning:this line begins with \"`q\", but it is still the text of the header's item that "
                       "begins at line 2 (slot 1): the student never sees it; write \"@@ item\" on the line before it"};
    QTest::newRow("text under the header")
        << lines({"@@ item", header, "", "Read chapter 3 first.", "And bring a ruler.", "@@ item", "`qA"})
        << QStringList{"4:warning:the student never sees this line: it is part of the header's item at line 2 (slot 1)"};

    // More marker look-alikes.
    QTest::newRow("a blank after the back-quote") << lines({"@@ item", header, "@@ item", "` qA ball is thrown"})
                                                  << QStringList{"4:warning:begins with \"` q\", which is no marker, so the "
                                                                 "student sees it as text: write \"`q\", without a blank "
                                                                 "after the back-quote"};
    QTest::newRow("a double quote for the back-quote") << lines({"@@ item", header, "@@ item", "\"qA ball is thrown"})
                                                       << QStringList{"4:warning:begins with \"\"q\""};
    QTest::newRow("a typographic double quote for the back-quote")
        << lines({"@@ item", header, "@@ item", QString::fromUtf8("\xe2\x80\x9c" "a**12 m**")})
        << QStringList{"4:warning:a marker begins with the back-quote, \"`a\""};
    QTest::newRow("a no-break space before a marker")
        << lines({"@@ item", header, "@@ item", QString::fromUtf8("\xc2\xa0`qA ball")})
        << QStringList{"4:warning:begins with a no-break space (U+00A0) before \"`q\": a marker counts only at the very "
                       "start of an item, so the student sees it as text; delete it"};
    QTest::newRow("an invisible character before a marker")
        << lines({"@@ item", header, "@@ item", QString::fromUtf8("\xe2\x80\x8b`a**12 m**")})
        << QStringList{"4:warning:an invisible character (U+200B) before \"`a\""};
    QTest::newRow("an empty line before a marker") << lines({"@@ item", header, "@@ item", "", "`qA ball"})
                                                   << QStringList{"4:warning:begins with an empty line before \"`q\""};
    QTest::newRow("a quoted sentence is no slip")
        << lines({"@@ item", header, "@@ item", "\"A ball,\" she said, \"is thrown.\"", "@@ item", "\"a\" is the acceleration"})
        << QStringList();

    // More header look-alikes, next to the bank's own numbers.
    QTest::newRow("a header of two digits")
        << lines({"@@ item", "021.  `query 1", "@@ item", "a", "@@ item", "22. Springs", "@@ item", "b"})
        << QStringList{"6:warning:this item reads like the header of assignment 022, but a header begins with three digits "
                       "and a point, so it is no header and the bank has no assignment 022: write \"022.\" in place of "
                       "\"22.\""};
    QTest::newRow("a header of two digits between two others")
        << lines({"@@ item", "021.  `query 1", "@@ item", "a", "@@ item", "22. Springs", "@@ item", "b", "@@ item",
                  "023.  `query 3"})
        << QStringList{"6:warning:write \"022.\" in place of \"22.\""};
    QTest::newRow("a word before a header's number")
        << lines({"@@ item", "201.  `query 1", "@@ item", "a", "@@ item", "Assignment 202. Springs", "@@ item", "b"})
        << QStringList{"6:warning:this item reads like the header of assignment 202, but a header begins with its number "
                       "and a point, so it is no header and the bank has no assignment 202: begin the item with "
                       "\"202.\", as \"202.  Springs\""};
    QTest::newRow("a blank before a header") << lines({"@@ item", header, "@@ item", "a", "@@ item", " 012.  `query 2"})
                                             << QStringList{"6:warning:this item begins with a blank before \"012.\", so it "
                                                            "is no header and the bank has no assignment 012: delete it"};
    QTest::newRow("numbered questions and quantities are no headers")
        << lines({"@@ item", "201.  `query 1", "@@ item", "2. A ball is thrown", "@@ item", "Problem 3. A ball",
                  "@@ item", "2.5 kg of ice", "@@ item", "Chapter 12. Fluids", "@@ item", "21. Heat flows"})
        << QStringList();
    QTest::newRow("a look-alike of a number the bank has")
        << lines({"@@ item", "021.  `query 1", "@@ item", "Assignment 21. Heat", "@@ item", "022.  `query 2"})
        << QStringList();

    // graph1 draws without clearing the box.
    QTest::newRow("graph1 after graph2")
        << lines({"@@ item", header, "@@ item", "`routine graph2", "@@ item", "`qa", "@@ item", "`routine graph1", "@@ item",
                  "`qb"})
        << QStringList{"8:warning:graph1 does not clear the picture box, so here it is drawn over the figure of the routine "
                       "line at slot 2, bank.txt:4 (\"`routine graph2\"), and neither can be read: put this routine line "
                       "and its question before that one"};
    QTest::newRow("graph1 after a picture, graph1 again")
        << lines({"@@ item", header, "@@ item", "`routine incline.png", "@@ item", "`qa", "@@ item", "`routine Graph-1",
                  "@@ item", "`qb", "@@ item", "`routine graph1", "@@ item", "`qc"})
        << QStringList{"8:warning:over the figure of the routine line at slot 2, bank.txt:4 (\"`routine incline.png\")"};
    QTest::newRow("graph1 after a routine line of two lines quotes its first line")
        << lines({"@@ item", header, "@@ item", "`routine figure", "incline.png", "@@ item", "`qa", "@@ item",
                  "`routine graph1", "@@ item", "`qb"})
        << QStringList{"4:error:a routine line must be alone in its item",
                       "9:warning:over the figure of the routine line at slot 2, bank.txt:4 (\"`routine figure\"), and"};
    QTest::newRow("graph1 first, graph1 again, then the others")
        << lines({"@@ item", header, "@@ item", "`routine graph1", "@@ item", "`qa", "@@ item", "`routine graph1", "@@ item",
                  "`qb", "@@ item", "`routine graph3", "@@ item", "`qc", "@@ item", "`routine graph2", "@@ item", "`qd"})
        << QStringList();
    QTest::newRow("graph1 in the next assignment")
        << lines({"@@ item", header, "@@ item", "`routine graph2", "@@ item", "`qa", "@@ item", "012.  `query 2", "@@ item",
                  "`routine graph1", "@@ item", "`qb"})
        << QStringList();

    QTest::newRow("exactly 5000 slots") << manySlots(5000) << QStringList();
    QTest::newRow("5001 slots") << manySlots(5001) << QStringList{"5002:error:slot 5001 is past the bank's last slot, 5000"};
}

void BankFileTest::problems()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    const Bank bank = parseOne(text);
    const QStringList found = described(bank);
    QVERIFY2(matches(found, expected), qPrintable(found.join(u'\n')));
    const bool errors = std::any_of(expected.begin(), expected.end(), [](const QString& e) { return e.contains(":error:"); });
    QCOMPARE(bank.usable(), !errors);
}

void BankFileTest::slotTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");  // "-" stands for an unassigned slot
    const QString h = header;
    QTest::newRow("items, empty and unassigned slots")
        << lines({"@@ item", h, "@@ empty", "@@ unassigned", "@@ item", "q"}) << QStringList{h, "", "-", "q"};
    QTest::newRow("lines joined with CR LF, empty lines at the end dropped")
        << lines({"@@ item", h, "first", "", "  ", "last", "", ""}) << QStringList{h + "\r\nfirst\r\n\r\n  \r\nlast"};
    QTest::newRow("CR LF line ends") << QByteArray("@@ item\r\n" + h.toUtf8() + "\r\nsecond\r\n@@ empty\r\n")
                                     << QStringList{h + "\r\nsecond", ""};
    QTest::newRow("no LF after the last line") << QByteArray("@@ item\n" + h.toUtf8() + "\nlast") << QStringList{h + "\r\nlast"};
    QTest::newRow("an item without lines") << lines({"@@ item", h, "@@ item", "@@ item", "x"}) << QStringList{h, "", "x"};
    QTest::newRow("a # line inside an item is its text") << lines({"@@ item", h, "# 3 moles", "@@ empty", "# note"})
                                                         << QStringList{h + "\r\n# 3 moles", ""};
    QTest::newRow("markers, braces and tabs kept") << lines({"@@ item", h, "@@ item", "`qa{}b\tc }"})
                                                   << QStringList{h, "`qa{}b\tc }"};
    QTest::newRow("@@ lines with blanks around the keyword") << lines({"@@item", h, "@@   empty  ", "@@ unassigned\t"})
                                                             << QStringList{h, "", "-"};
    QTest::newRow("UTF-8 text") << lines({"@@ item", h, "@@ item", QString::fromUtf8("\xce\x94T = 5 \xc2\xb0""C \xc2\xb7 \xe2\x88\x9a")})
                                << QStringList{h, QString::fromUtf8("\xce\x94T = 5 \xc2\xb0""C \xc2\xb7 \xe2\x88\x9a")};
}

void BankFileTest::slotTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    const Bank bank = parseOne(text);
    QVERIFY2(bank.usable(), qPrintable(bank_file::problemLines(bank)));
    QStringList found;
    for (const bank_file::Slot& slot : bank.bankSlots)
        found.append(slot.stores ? slot.text : QStringLiteral("-"));
    QCOMPARE(found, expected);
    QCOMPARE(bank.slotsUsed, int(expected.size()));
}

void BankFileTest::courseLine()
{
    QCOMPARE(parseOne(lines({"@@ course  Heat and Waves, section B ", "@@ item", header})).course,
             QStringLiteral("Heat and Waves, section B"));
    QCOMPARE(parseOne(lines({"", "@@ course Optics", "@@ item", header})).course, QStringLiteral("Optics"));
    QCOMPARE(parseOne(lines({"@@ item", header})).course, QString());
    // In a bank of several files, only the first may name the course.
    const Bank two = bank_file::parse(QStringLiteral("folder"), {{QStringLiteral("a.txt"), lines({"@@ item", header})},
                                                                 {QStringLiteral("b.txt"), lines({"@@ course Optics"})}});
    QCOMPARE(described(two), QStringList{"1:error: the course line must come before the bank's first slot"});
    QCOMPARE(two.problems.front().file, QStringLiteral("b.txt"));
}

void BankFileTest::summaryAndAssignments()
{
    const Bank bank = parseOne(lines({"@@ course Optics", "@@ item", header, "@@ empty", "@@ item", "`q", "@@ item", "a",
                                      "@@ item", "`routine graph1", "@@ item", "`qb", "@@ item", "`ac", "@@ item", "`qd",
                                      "@@ item", "012.  `query 2", "@@ unassigned", "@@ item", "b", "@@ item",
                                      "012. again"}));
    QCOMPARE(bank.assignments.size(), std::size_t(2));
    QCOMPARE(bank.assignments[0].number, QStringLiteral("011"));
    QCOMPARE(bank.assignments[0].headerSlot, 1);
    QCOMPARE(bank.assignments[0].items, 5);  // "`q" alone is never shown
    QCOMPARE(bank.assignments[1].headerSlot, 9);
    QCOMPARE(bank.assignments[1].items, 1);  // up to the repeated header
    const QString summary = bank_file::summary(bank);
    QVERIFY2(summary.contains(QStringLiteral("Course: Optics\n")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("Assignment 011: header in slot 1, 5 items: 2 questions, 1 answer, 1 "
                                             "unmarked, 1 routine line\n")),
             qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("Assignment 012: header in slot 9, 1 item: 0 questions, 0 answers, 1 "
                                             "unmarked, 0 routine lines\n")),
             qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("Slots used: 12 of 5000\n")), qPrintable(summary));
    QVERIFY2(summary.endsWith(QStringLiteral("The bank can be used (0 problems, 1 warning).\n")), qPrintable(summary));
    QVERIFY(bank_file::problemLines(bank).startsWith(QStringLiteral("bank.txt:23: warning: assignment 012 has its header")));
}

void BankFileTest::aFileOfJunkStopsAtAHundredProblems()
{
    QByteArray junk;
    for (int i = 0; i < 5000; ++i)
        junk += "@@ junk\n";
    const Bank bank = parseOne(junk);
    QCOMPARE(bank.errorCount(), 100);
    QCOMPARE(bank.problems[99].line, 100);
    QVERIFY(bank.problems[99].text.contains(QStringLiteral("too many problems")));
}

void BankFileTest::messageBoxListsTenProblemsThenHowManyMore()
{
    QByteArray text = "@@ item\n011.\n@@ item\n`routine graph1\n@@ item\n`routine graph2\n";  // and one warning
    for (int i = 0; i < 12; ++i)
        text += "@@ bad\n";
    const Bank bank = parseOne(text);
    const QStringList message = bank_file::unusableMessage(bank).split(u'\n');
    QCOMPARE(message.first(), QStringLiteral("The question bank bank.txt cannot be used:"));
    QCOMPARE(message.filter(QStringLiteral(": error: ")).size(), 10);
    QVERIFY(message.filter(QStringLiteral(": warning: ")).isEmpty());
    QCOMPARE(message[2], QStringLiteral("bank.txt:7: error: unknown line \"@@ bad\": a slot begins with \"@@ item\", "
                                        "\"@@ empty\" or \"@@ unassigned\""));
    QVERIFY(message.contains(QStringLiteral("and 2 more problems.")));
    QCOMPARE(message.last(), QStringLiteral("Every problem and warning is listed by: physics-drill --check-bank bank.txt"));
}

void BankFileTest::countsAreTrue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("verdict");  // the summary's last line
    QTest::addColumn<QString>("more");  // the message box's count of the problems it does not list

    const QByteArray valid = "@@ item\n011.  `query 1\n";
    QTest::newRow("twelve lines not UTF-8, ten of them named")
        << valid + "@@ item\n" + QByteArray("caf\xe9\n").repeated(12)
        << "The bank cannot be used (12 problems, 0 warnings)." << "";
    QTest::newRow("twelve lines not UTF-8 and three unknown lines")
        << valid + "@@ item\n" + QByteArray("caf\xe9\n").repeated(12) + QByteArray("@@ bad\n").repeated(3)
        << "The bank cannot be used (15 problems, 0 warnings)." << "and 3 more problems.";
    QTest::newRow("control characters on three lines")
        << valid + "@@ item\n" + QByteArray("a\x01\n").repeated(3)
        << "The bank cannot be used (3 problems, 0 warnings)." << "";
    QTest::newRow("more problems than are read") << QByteArray("@@ junk\n").repeated(150)
                                                 << "The bank cannot be used (at least 100 problems, 0 warnings)."
                                                 << "and 90 more problems.";
    QTest::newRow("warnings") << valid + "@@ item\n`qA ball\n# one\n@@ item\n`Qb\n"
                              << "The bank can be used (0 problems, 2 warnings)." << "";
}

void BankFileTest::countsAreTrue()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, verdict);
    QFETCH(QString, more);
    const Bank bank = parseOne(text);
    const QStringList summary = bank_file::summary(bank).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(summary.last(), verdict);
    if (bank.usable())
        return;
    const QStringList message = bank_file::unusableMessage(bank).split(u'\n');
    QCOMPARE(message.filter(QStringLiteral(" more problem")), more.isEmpty() ? QStringList() : QStringList{more});
}

namespace {

enum class OnDisk {
    Missing,
    EmptyFile,
    BinaryFile,
    HundredMegabyteLine,
    TenMegabyteLine,
    SlotsPastTheLast,
    ThousandFiles,
    LinkLoop,
    NamedPipe,
    PipeInAFolder,
    FolderWithoutBankFiles,
    UnreadableFile,
    MissingPicture,
    PictureNamedButForCase,
    PictureIsAFolder,
    PictureLinkLoop,
    HundredMegabytePicture,
    PictureBomb,
    SvgWithExternalReference,
    PictureInTheFolderAbove,
    PictureThatIsText,
    PictureAsANamedPipe,
};

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? 0xedb88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// A PNG of a few dozen bytes whose header claims 50000 by 50000 pixels.
QByteArray pictureBomb()
{
    const auto chunk = [](const QByteArray& type, const QByteArray& data) {
        QByteArray out;
        QDataStream stream(&out, QIODevice::WriteOnly);
        stream << quint32(data.size());
        stream.writeRawData((type + data).constData(), int(type.size() + data.size()));
        stream << crc32(type + data);
        return out;
    };
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream << quint32(50000) << quint32(50000) << quint8(8) << quint8(2) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", qCompress(QByteArray(4096, '\0')).mid(4)) +
           chunk("IEND", {});
}

// Makes the case in `dir` and returns the path to read.
QString make(OnDisk kind, const QString& dir)
{
    const QString file = dir + QStringLiteral("/bank.txt");
    const QByteArray valid = "@@ item\n011.  `query 1\n";
    const QString picture = dir + QStringLiteral("/incline.png");
    const auto withPicture = [&](const QByteArray& name) {
        write(file, valid + "@@ item\n`routine " + name + "\n@@ item\n`qWhat is the angle?\n");
        return file;
    };
    switch (kind) {
    case OnDisk::Missing:
        return file;
    case OnDisk::EmptyFile:
        write(file, {});
        return file;
    case OnDisk::BinaryFile: {
        QByteArray bytes(4096, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7919 + 13) % 256);
        write(file, bytes);
        return file;
    }
    case OnDisk::HundredMegabyteLine: {
        QFile huge(file);
        if (huge.open(QIODevice::WriteOnly))
            huge.resize(100 * 1024 * 1024);  // one line of 100 MB, without a line end
        return file;
    }
    case OnDisk::TenMegabyteLine:
        write(file, valid + "@@ empty\n" + QByteArray(10 * 1024 * 1024, 'x'));
        return file;
    case OnDisk::SlotsPastTheLast:
        write(file, manySlots(5003));
        return file;
    case OnDisk::ThousandFiles:
        for (int i = 0; i < 1000; ++i) {
            const QByteArray first = i == 0 ? valid : QByteArray("@@ item\nq\n");
            write(dir + QStringLiteral("/f%1.txt").arg(i, 4, 10, QLatin1Char('0')),
                  first + "@@ item\na\n@@ empty\n@@ item\nb\n@@ unassigned\n@@ empty\n");
        }
        return dir;
    case OnDisk::LinkLoop:
        return test_system::makeSymbolicLink(file, file) ? file : QString();
    case OnDisk::NamedPipe:
        return test_system::makeNamedPipe(file) ? file : QString();
    case OnDisk::PipeInAFolder:
        write(dir + QStringLiteral("/a.txt"), valid);
        return test_system::makeNamedPipe(dir + QStringLiteral("/b.txt")) ? dir : QString();
    case OnDisk::FolderWithoutBankFiles:
        write(dir + QStringLiteral("/notes.md"), valid);
        write(dir + QStringLiteral("/.hidden.txt"), valid);
        write(dir + QStringLiteral("/011.txt~"), valid);
        return dir;
    case OnDisk::UnreadableFile:
        write(file, valid);
        return test_system::makeUnreadable(file) && !test_system::isRoot() ? file : QString();
    case OnDisk::MissingPicture:
        return withPicture("incline.png");
    case OnDisk::PictureNamedButForCase:
        write(dir + QStringLiteral("/Incline Plane.png"), {});
        return withPicture("Incline Plane.png");
    case OnDisk::PictureIsAFolder:
        QDir(dir).mkdir(QStringLiteral("incline.png"));
        return withPicture("incline.png");
    case OnDisk::PictureLinkLoop:
        return test_system::makeSymbolicLink(picture, picture) ? withPicture("incline.png") : QString();
    case OnDisk::HundredMegabytePicture: {
        QFile huge(picture);
        if (huge.open(QIODevice::WriteOnly))
            huge.resize(100 * 1024 * 1024);
        return withPicture("incline.png");
    }
    case OnDisk::PictureBomb:
        write(picture, pictureBomb());
        return withPicture("incline.png");
    case OnDisk::SvgWithExternalReference:
        write(dir + QStringLiteral("/incline.svg"),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"40\" "
              "height=\"20\"><image xlink:href=\"/dev/zero\" width=\"40\" height=\"20\"/></svg>\n");
        return withPicture("incline.svg");
    case OnDisk::PictureInTheFolderAbove:
        return withPicture("../incline.png");
    case OnDisk::PictureThatIsText:
        write(picture, "@@ item\nnot a picture\n");
        return withPicture("incline.png");
    case OnDisk::PictureAsANamedPipe:
        return test_system::makeNamedPipe(picture) ? withPicture("incline.png") : QString();
    }
    return {};
}

}  // namespace

void BankFileTest::badInputOnDisk_data()
{
    QTest::addColumn<OnDisk>("kind");
    QTest::addColumn<QStringList>("expected");  // beginnings of the problem lines; %1 is the folder

    QTest::newRow("missing file") << OnDisk::Missing
                                  << QStringList{"%1/bank.txt: error: cannot be read: No such file or directory"};
    QTest::newRow("empty file") << OnDisk::EmptyFile
                                << QStringList{"%1/bank.txt: warning: the file is empty",
                                               "%1/bank.txt: error: the bank holds no assignment header"};
    // Ten lines named as not UTF-8, and the control characters of the rest.
    QTest::newRow("binary file") << OnDisk::BinaryFile
                                 << QStringList{"%1/bank.txt:1: error: the text is not UTF-8"} +
                                        QStringList(10, QStringLiteral("%1/bank.txt:"));
    QTest::newRow("a single 100 MB line") << OnDisk::HundredMegabyteLine
                                          << QStringList{"%1/bank.txt: error: is 100.0 MB, more than a bank may hold (32.0 MB)"};
    QTest::newRow("a single 10 MB line") << OnDisk::TenMegabyteLine
                                         << QStringList{"%1/bank.txt:4: error: text outside an item"};
    QTest::newRow("5003 slots") << OnDisk::SlotsPastTheLast
                                << QStringList{"%1/bank.txt:5002: error: slot 5001 is past the bank's last slot"};
    QTest::newRow("a folder of 1000 files") << OnDisk::ThousandFiles
                                            << QStringList{"%1/f0833.txt:5: error: slot 5001 is past the bank's last slot"};
    QTest::newRow("a link loop") << OnDisk::LinkLoop
                                 << QStringList{"%1/bank.txt: error: cannot be read: Too many levels of symbolic links"};
    QTest::newRow("a named pipe") << OnDisk::NamedPipe << QStringList{"%1/bank.txt: error: is a named pipe, not a bank file"};
    QTest::newRow("a named pipe in a folder") << OnDisk::PipeInAFolder
                                              << QStringList{"%1/b.txt: error: is a named pipe, not a bank file"};
    QTest::newRow("a folder without bank files")
        << OnDisk::FolderWithoutBankFiles << QStringList{"%1: error: is a folder without bank files (*.txt or *.drillbank)"};
    QTest::newRow("an unreadable file") << OnDisk::UnreadableFile
                                        << QStringList{"%1/bank.txt: error: cannot be read: Permission denied"};

    QTest::newRow("a missing picture") << OnDisk::MissingPicture
                                       << QStringList{"%1/bank.txt:4: error: there is no picture file \"incline.png\" "
                                                      "beside the bank, in %1"};
    QTest::newRow("a picture named but for case and blanks")
        << OnDisk::PictureNamedButForCase
        << QStringList{"%1/bank.txt:4: error: there is no picture file \"inclineplane.png\" beside the bank, in %1: "
                       "\"Incline Plane.png\" matches but for case, blanks or hyphens"};
    QTest::newRow("a picture that is a folder") << OnDisk::PictureIsAFolder
                                                << QStringList{"%1/bank.txt:4: error: the picture \"incline.png\" is a "
                                                               "folder, not a picture file"};
    QTest::newRow("a picture in a link loop") << OnDisk::PictureLinkLoop
                                              << QStringList{"%1/bank.txt:4: error: the picture \"incline.png\" cannot be "
                                                             "read: Too many levels of symbolic links"};
    QTest::newRow("a picture of 100 MB") << OnDisk::HundredMegabytePicture
                                         << QStringList{"%1/bank.txt:4: error: the picture \"incline.png\" is 100.0 MB, "
                                                        "more than a picture may take (16.0 MB)"};
    QTest::newRow("a small PNG that claims 50000 by 50000 pixels")
        << OnDisk::PictureBomb
        << QStringList{"%1/bank.txt:4: error: the picture \"incline.png\" is 50000 by 50000 pixels, more than"};
    QTest::newRow("an SVG that refers to another file")
        << OnDisk::SvgWithExternalReference
        << QStringList{"%1/bank.txt:4: error: the picture \"incline.svg\" refers to \"/dev/zero\" outside itself, which "
                       "is not followed"};
    QTest::newRow("a picture in the folder above") << OnDisk::PictureInTheFolderAbove
                                                   << QStringList{"%1/bank.txt:4: error: a picture must sit beside the "
                                                                  "bank file"};
    QTest::newRow("a picture that is text") << OnDisk::PictureThatIsText
                                            << QStringList{"%1/bank.txt:4: error: the picture \"incline.png\" is not a "
                                                           "PNG or JPEG picture"};
    QTest::newRow("a picture that is a named pipe") << OnDisk::PictureAsANamedPipe
                                                    << QStringList{"%1/bank.txt:4: error: the picture \"incline.png\" is a "
                                                                   "named pipe"};
}

void BankFileTest::badInputOnDisk()
{
    QFETCH(OnDisk, kind);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = make(kind, dir.path());
    if (path.isEmpty())
        QSKIP("not to be made here: a named pipe, a symbolic link, or a file that its owner cannot read (root reads every file)");
    const bank_pictures::LoadedBank loaded = bank_pictures::read(path);
    const Bank& bank = loaded.bank;
    QStringList found;
    for (const Problem& problem : bank.problems)
        found.append(problem.toString());
    QCOMPARE(found.size(), expected.size());
    for (qsizetype i = 0; i < found.size(); ++i)
        QVERIFY2(found[i].startsWith(expected[i].arg(dir.path())), qPrintable(found.join(u'\n')));
    QVERIFY(!bank.usable());
    QVERIFY(loaded.pictures.isEmpty());
    QVERIFY(bank.bankSlots.size() <= std::size_t(bank_file::LastSlot));
}

void BankFileTest::folderFilesAreReadInNameOrder()
{
    QTemporaryDir dir;
    write(dir.filePath(QStringLiteral("02-waves.txt")), "@@ item\n012.  `query 2\n");
    write(dir.filePath(QStringLiteral("01-heat.drillbank")), "@@ course Heat\n@@ item\n011.  `query 1\n@@ item\nq\n");
    write(dir.filePath(QStringLiteral("03-more.TXT")), "@@ item\n013.  `query 3\n");
    write(dir.filePath(QStringLiteral("README")), "not a bank file");
    write(dir.filePath(QStringLiteral(".01-draft.txt")), "an editor's copy");
    const Bank bank = bank_file::read(dir.path() + u'/');
    QVERIFY2(bank.usable(), qPrintable(bank_file::problemLines(bank)));
    QVERIFY(bank.problems.empty());
    QStringList names;
    for (const QString& file : bank.files)
        names.append(QFileInfo(file).fileName());
    QCOMPARE(names, (QStringList{"01-heat.drillbank", "02-waves.txt", "03-more.TXT"}));
    QCOMPARE(bank.course, QStringLiteral("Heat"));
    QCOMPARE(bank.bankSlots[2].text, QStringLiteral("012.  `query 2"));
    QCOMPARE(bank.bankSlots[2].line, 2);
    QCOMPARE(bank.files[bank.bankSlots[2].file], dir.path() + QStringLiteral("/02-waves.txt"));
}

// Reading an SVG picture's texts takes the toolkit's fonts.
void BankFileTest::svgReferencesOutside_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("outside");  // empty: nothing outside the picture
    QTest::newRow("parts of itself") << QByteArray("<defs><linearGradient id='g'/></defs><rect fill='url(#g)'/>"
                                                   "<use xlink:href='#g'/>")
                                     << "";
    QTest::newRow("data written into it") << QByteArray("<image xlink:href='data:image/png;base64,iVBORw0KGgo='/>") << "";
    QTest::newRow("another file") << QByteArray("<image xlink:href='photo.jpg'/>") << "photo.jpg";
    QTest::newRow("a web address, SVG 2 style") << QByteArray("<image href='https://example.org/a.png'/>")
                                                << "https://example.org/a.png";
    QTest::newRow("a fill from another file") << QByteArray("<rect style='fill: url( \"other.svg#g\" )'/>") << "other.svg#g";
    QTest::newRow("a style sheet that imports") << QByteArray("<style>@import 'a.css';</style>") << "@import";
    QTest::newRow("a use of another file") << QByteArray("<use xlink:href='parts.svg#arrow'/>") << "parts.svg#arrow";
}

void BankFileTest::svgReferencesOutside()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, outside);
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'>" + body +
                           "</svg>";
    QString error;
    QCOMPARE(picture_decoder::externalReference(svg, error), outside);
    QCOMPARE(error, QString());

    const QByteArray styled = "<?xml-stylesheet href='a.css'?>" + svg;
    QCOMPARE(picture_decoder::externalReference(styled, error), QStringLiteral("href='a.css'"));
    const QByteArray entity = "<!DOCTYPE svg [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>" + svg;
    QCOMPARE(picture_decoder::externalReference(entity, error), QStringLiteral("file:///etc/passwd"));
    QCOMPARE(picture_decoder::externalReference("<svg><g></svg>", error), QString());
    QVERIFY(!error.isEmpty());
}

namespace {

// What the code under test writes to standard error, the file behind it,
// from construction to finish().
class StandardErrorCapture {
public:
    StandardErrorCapture() : file_(std::tmpfile())
    {
        std::fflush(stderr);
        if (file_)
            saved_ = test_system::redirectStandardError(file_);
    }
    QByteArray finish()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            test_system::restoreStandardError(saved_);
            saved_ = -1;
        }
        QByteArray bytes;
        if (file_) {
            std::rewind(file_);
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0;)
                bytes.append(buffer, qsizetype(n));
        }
        return bytes;
    }
    ~StandardErrorCapture()
    {
        finish();
        if (file_)
            std::fclose(file_);
    }

private:
    std::FILE* file_;
    int saved_ = -1;
};

QByteArray encoded(const char* format)
{
    QImage image(120, 80, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 3, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray withByteChanged(QByteArray bytes, qsizetype at)
{
    bytes[at] = char(bytes[at] ^ 0x5a);
    return bytes;
}

}  // namespace

void BankFileTest::picturesTheDecoderComplainsOf_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");  // the problem at the routine line; empty: none

    const QByteArray png = encoded("PNG");
    const QByteArray jpeg = encoded("JPEG");
    const qsizetype imageData = png.indexOf("IDAT");
    QTest::newRow("a whole PNG") << "incline.png" << png << "";
    QTest::newRow("a whole JPEG") << "incline.jpg" << jpeg << "";
    QTest::newRow("a PNG cut short in its image data")
        << "incline.png" << png.left(imageData + 40)
        << QStringLiteral("error: the picture \"incline.png\" is cut short: its %1 bytes end inside its image data; copy "
                          "the picture again from where it was made")
               .arg(imageData + 40);
    QTest::newRow("a PNG without its end") << "incline.png" << png.chopped(12)
                                           << "error: the picture \"incline.png\" is cut short: its";
    QTest::newRow("a PNG with a byte changed in its image data")
        << "incline.png" << withByteChanged(png, imageData + 30)
        << QStringLiteral("error: the picture \"incline.png\" is damaged: its image data at byte %1 does not match its "
                          "checksum")
               .arg(imageData - 4);
    QTest::newRow("a PNG with a byte changed in its header")
        << "incline.png" << withByteChanged(png, 20) << "error: the picture \"incline.png\" is damaged: its header";
    QTest::newRow("a JPEG cut short") << "incline.jpg" << jpeg.left(jpeg.size() / 2)
                                      << "warning: the picture \"incline.jpg\" may not show as it was made: its decoder "
                                         "says \"";
    // Drawn where the toolkit has SVG, with a warning that the program for
    // Windows cannot draw it; refused where the toolkit has none.
    QTest::newRow("an SVG drawing")
        << "incline.svg"
        << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='48' height='30'><rect width='48' height='30' "
                      "fill='#8fb4d9'/></svg>")
        << QStringLiteral("%1: the picture \"incline.svg\" is an SVG drawing, which physics-drill for Windows cannot "
                          "draw")
               .arg(DRILL_DRAWS_SVG ? QStringLiteral("warning") : QStringLiteral("error"));
    // A GIF of one pixel; the toolkit reads GIF pictures but does not write them.
    const QByteArray gif = QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");
    QTest::newRow("a GIF named .png") << "incline.png" << gif
                                      << "error: the picture \"incline.png\" is a GIF picture, which the program does "
                                         "not read: save it as PNG or JPEG";
}

// The decoders' libraries print on standard error unless they are kept
// from it: no message goes there.
void BankFileTest::picturesTheDecoderComplainsOf()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    write(dir.filePath(name), bytes);
    const QString bank = dir.filePath(QStringLiteral("bank.txt"));
    write(bank, "@@ item\n011.  `query 1\n@@ item\n`routine " + name.toUtf8() + "\n@@ item\n`qWhat is the angle?\n");

    StandardErrorCapture standardError;
    const bank_pictures::LoadedBank loaded = bank_pictures::read(bank);
    QCOMPARE(standardError.finish(), QByteArray());

    QStringList found;
    for (const Problem& problem : loaded.bank.problems)
        found.append(problem.toString());
    if (expected.isEmpty()) {
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
        QCOMPARE(loaded.pictures.keys(), QStringList{name});
        return;
    }
    QCOMPARE(found.size(), 1);
    QVERIFY2(found[0].startsWith(bank + QStringLiteral(":4: ") + expected), qPrintable(found[0]));
    QCOMPARE(loaded.bank.usable(), expected.startsWith(QStringLiteral("warning")));
}

QTEST_MAIN(BankFileTest)
#include "tst_bank_file.moc"
