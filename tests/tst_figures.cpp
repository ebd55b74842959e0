#include "figures/graph_steps.h"
#include "form_fixture.h"

#include <QtTest>

#include <cmath>

namespace {

QRgb pixelAt(const PictureBox* box, double x, double y)
{
    const QImage image = box->shownImage();
    const QPointF p = box->toPixel(x, y) * image.devicePixelRatio();
    return image.pixel(int(std::floor(p.x())), int(std::floor(p.y())));
}

// Whether any pixel of this colour lies within `radius` pixels of the point.
bool colourNear(const PictureBox* box, double x, double y, const QColor& colour, int radius = 1)
{
    const QImage image = box->shownImage();
    const QPoint p = (box->toPixel(x, y) * image.devicePixelRatio()).toPoint();
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && image.pixel(q) == colour.rgb())
                return true;
        }
    return false;
}

int countColour(const QImage& image, const QRect& area, const QColor& colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour.rgb() ? 1 : 0;
    return n;
}

void saveArtifact(const PictureBox* box, const QString& name)
{
    QDir().mkpath(QStringLiteral(TEST_ARTIFACTS_DIR));
    box->shownImage().save(QStringLiteral(TEST_ARTIFACTS_DIR "/") + name + QStringLiteral(".png"));
}

const QColor black(Qt::black);
const QColor white(Qt::white);
const QColor red(255, 0, 0);
const QColor green(0, 255, 0);

}  // namespace

class FiguresTest : public QObject {
    Q_OBJECT
private slots:
    void stepTablesHaveEveryStep();
    void graph1Rendered();
    void graph2Rendered();
    void graph3Rendered();
    void graph1TwiceLooksLikeOnce();
    void dispatchKnowsExactlyThreeNames_data();
    void dispatchKnowsExactlyThreeNames();
    void nextPictureProbes_data();
    void nextPictureProbes();
    void nextPictureNeverReadsPastTheBank();
    void nextPictureOnABareMarkerEndsTheProgram();
    void copyPictureShowsPicture1InPicture2();
    void bankPictureIsDrawnFittedInPicture1();
    void pendExpBeepsAndDrawsCirclesAboutTheCentre();
    void secondPendExpClickAddsNoTimer();
};

void FiguresTest::stepTablesHaveEveryStep()
{
    // One step per value of each row: graph1 14 rows make 30 steps; graph2
    // and graph3 open with their white step on the window.
    QCOMPARE(graph_steps::graph1().size(), std::size_t(30));
    QCOMPARE(graph_steps::graph2().size(), std::size_t(1 + 6 + 5 + 6 + 6 + 19));
    QCOMPARE(graph_steps::graph3().size(), std::size_t(1 + 5 + 5 + 5 + 6 + 19));
    QCOMPARE(graph_steps::graph2().front().kind, DrawStep::WindowBox);
    const DrawStep slope = graph_steps::graph3()[1 + 5 + 5 + 5 + 6 + 8];
    QCOMPARE(slope.text, QStringLiteral("slope -1.33"));
    QCOMPARE(graph_steps::graph3()[graph_steps::graph3().size() - 5].text, QStringLiteral("slope -.4"));
    QCOMPARE(graph_steps::graph2()[1 + 6 + 5 + 4].text, QStringLiteral("10"));
    QCOMPARE(graph_steps::graph2()[1 + 6 + 5 + 4].x1, 590);
}

void FiguresTest::graph1Rendered()
{
    FormFixture f;
    MainForm& form = f.start();
    form.runRoutine(QStringLiteral("graph1"));
    const PictureBox* box = form.ui.Picture1;
    saveArtifact(box, QStringLiteral("graph1"));
    // The cross is centred on the line at (400, 700).
    QVERIFY(colourNear(box, 400, 700, black));
    QVERIFY(colourNear(box, 370, 670, black));
    QVERIFY(colourNear(box, 430, 730, black));
    QVERIFY(colourNear(box, 250, 800, black));  // the line at t = 1.5, v = 1
    QVERIFY(colourNear(box, 100, 990, black));  // the vertical axis runs to the bottom
    QCOMPARE(pixelAt(box, 850, 450), white.rgb());
    QCOMPARE(pixelAt(box, 950, 300), white.rgb());
    // The title stands near (300, 50).
    const QImage image = box->shownImage();
    const QPointF title = box->toPixel(300, 50);
    QVERIFY(countColour(image, QRect(title.toPoint(), QSize(120, 12)), black) > 50);
    QVERIFY(countColour(image, image.rect(), red) == 0);
}

void FiguresTest::graph2Rendered()
{
    FormFixture f;
    MainForm& form = f.start();
    form.runRoutine(QStringLiteral("graph1"));
    form.runRoutine(QStringLiteral("graph2"));
    const PictureBox* box = form.ui.Picture1;
    saveArtifact(box, QStringLiteral("graph2"));
    // Red run and rise lines, drawn over the axis and the grid.
    QVERIFY(colourNear(box, 350, 900, red));
    QVERIFY(colourNear(box, 450, 750, red));
    QVERIFY(colourNear(box, 600, 600, red));
    QVERIFY(colourNear(box, 700, 500, red));
    QVERIFY(colourNear(box, 350, 750, black));  // on the first segment
    // graph1's cross is gone: the box was blanked first.
    QCOMPARE(pixelAt(box, 425, 725), white.rgb());
    // The white opening step lands on the window's background, not the box.
    QCOMPARE(form.background().pixel(5, 5), white.rgb());
    QCOMPARE(form.background().pixelColor(80, 80).alpha(), 0);
    QCOMPARE(countColour(box->shownImage(), box->shownImage().rect(), green), 0);
}

void FiguresTest::graph3Rendered()
{
    FormFixture f;
    MainForm& form = f.start();
    form.runRoutine(QStringLiteral("graph3"));
    const PictureBox* box = form.ui.Picture1;
    saveArtifact(box, QStringLiteral("graph3"));
    QVERIFY(colourNear(box, 225, 500, red));
    QVERIFY(colourNear(box, 300, 600, red));
    QVERIFY(colourNear(box, 425, 700, green));  // along the second segment's run
    QVERIFY(colourNear(box, 550, 750, green));
    QVERIFY(colourNear(box, 425, 750, black));  // on the second segment
    QVERIFY(!colourNear(box, 425, 700, red));
    QCOMPARE(pixelAt(box, 850, 200), white.rgb());
}

void FiguresTest::graph1TwiceLooksLikeOnce()
{
    FormFixture f;
    MainForm& form = f.start();
    form.graph1();
    const QImage once = form.ui.Picture1->shownImage();
    form.graph1();
    QCOMPARE(form.ui.Picture1->shownImage(), once);
}

void FiguresTest::dispatchKnowsExactlyThreeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ends");
    QTest::newRow("graph1") << "graph1" << false;
    QTest::newRow("graph3") << "graph3" << false;
    QTest::newRow("graph4") << "graph4" << true;
    QTest::newRow("capital") << "Graph1" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("raph1") << "raph1" << true;
}

void FiguresTest::dispatchKnowsExactlyThreeNames()
{
    QFETCH(QString, name);
    QFETCH(bool, ends);
    FormFixture f;
    MainForm& form = f.start();
    form.guarded([&] { form.runRoutine(name); });
    QCOMPARE(form.hasEnded(), ends);
    if (ends) {
        QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
        QVERIFY(f.platform.errors.isEmpty());
    }
}

void FiguresTest::nextPictureProbes_data()
{
    QTest::addColumn<QStringList>("bank");
    QTest::addColumn<QList<long long>>("afterPresses");
    const QString r1 = QStringLiteral("`routine graph1");
    const QString r3 = QStringLiteral("`Routine  Graph-3");
    QTest::newRow("p+1") << QStringList{"x", r1, "y", "z"} << QList<long long>{2, 2};
    QTest::newRow("p+2 only") << QStringList{"x", "y", r1, "z"} << QList<long long>{3, 3};
    QTest::newRow("p+1 and p+2") << QStringList{"x", r1, r3, "z", "w"} << QList<long long>{2, 3, 3};
    QTest::newRow("p+1 and p+3") << QStringList{"x", r1, "y", r3, "z"} << QList<long long>{4, 4};
    QTest::newRow("none") << QStringList{"x", "y", "z", r1} << QList<long long>{1};
}

void FiguresTest::nextPictureProbes()
{
    QFETCH(QStringList, bank);
    QFETCH(QList<long long>, afterPresses);
    FormFixture f;
    MainForm& form = f.start();
    f.useBank(bank);
    form.lineIndex = 1;
    for (const long long expected : afterPresses) {
        form.ui.cmd_next_picture->click();
        QCOMPARE(form.lineIndex, expected);
    }
    QVERIFY(!form.hasEnded());
    QCOMPARE(f.questionText(), QString());
}

void FiguresTest::nextPictureNeverReadsPastTheBank()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({});
    form.QuestionBank.store(TextBank::LastSlot, QStringLiteral("`routine graph1"));
    form.lineIndex = TextBank::LastSlot - 1;
    form.ui.cmd_next_picture->click();
    QCOMPARE(form.lineIndex, qlonglong(TextBank::LastSlot));
    form.ui.cmd_next_picture->click();
    QCOMPARE(form.lineIndex, qlonglong(TextBank::LastSlot));
    QVERIFY(!form.hasEnded());
    QVERIFY(f.platform.errors.isEmpty());
}

void FiguresTest::nextPictureOnABareMarkerEndsTheProgram()
{
    FormFixture f;
    MainForm& form = f.start();
    f.useBank({"x", "`routine"});
    form.lineIndex = 1;
    form.ui.cmd_next_picture->click();
    QVERIFY(form.hasEnded());
    QCOMPARE(f.platform.exitStatus.value_or(-1), 0);
}

void FiguresTest::copyPictureShowsPicture1InPicture2()
{
    FormFixture f;
    MainForm& form = f.start();
    form.graph2();
    const QImage picture1 = form.ui.Picture1->shownImage();
    form.ui.cmd_copy_picture->click();
    QCOMPARE(form.ui.Picture1->shownImage(), picture1);
    QCOMPARE(f.platform.clipboard, picture1);
    const QImage picture2 = form.ui.Picture2->shownImage();
    // Unscaled from the top-left corner: Picture2 is narrower, so it shows
    // Picture1's left part.
    const QRect common = picture1.rect().intersected(picture2.rect());
    QCOMPARE(picture2.copy(common), picture1.copy(common));
    QCOMPARE(form.ui.Picture1->picture(), QImage());
}

void FiguresTest::bankPictureIsDrawnFittedInPicture1()
{
    QTemporaryDir dir;
    QImage redBox(80, 40, QImage::Format_RGB32);
    redBox.fill(red);
    QVERIFY(redBox.save(dir.filePath(QStringLiteral("redbox.png"))));
    QFile file(dir.filePath(QStringLiteral("bank.drillbank")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("@@ item\n011.  `query 1\n@@ item\n`routine Red-Box.PNG\n@@ item\n`qWhat colour is the box?\n"
               "@@ item\n`routine graph1\n@@ item\n`routine redbox.png\n");
    file.close();
    const bank_pictures::LoadedBank loaded = bank_pictures::read(file.fileName());
    QVERIFY2(loaded.bank.usable(), qPrintable(bank_file::problemLines(loaded.bank)));

    FormFixture f;
    MainForm& form = f.startWithBank(loaded.bank, {QStringLiteral("A. Student"), QString(), QStringLiteral("11")},
                                     loaded.pictures);
    form.ui.cmdNextQuestion->click();
    QCOMPARE(f.questionText(), QStringLiteral("\r\n\r\nWhat colour is the box?"));
    const PictureBox* box = form.ui.Picture1;
    saveArtifact(box, QStringLiteral("bank_picture"));
    // Twice as wide as high, it fills the box's width, in the middle of
    // its height, with white above and below.
    QCOMPARE(pixelAt(box, 500, 500), red.rgb());
    QCOMPARE(pixelAt(box, 5, 500), red.rgb());
    QCOMPARE(pixelAt(box, 995, 500), red.rgb());
    QCOMPARE(pixelAt(box, 500, 20), white.rgb());
    QCOMPARE(pixelAt(box, 500, 980), white.rgb());

    // "next picture" finds the graph's line and draws graph1 over the
    // picture; at the next press, the picture's line, which covers graph1.
    form.ui.cmd_next_picture->click();
    QCOMPARE(form.lineIndex, 4);
    QVERIFY(colourNear(box, 400, 700, black));
    QCOMPARE(pixelAt(box, 850, 450), red.rgb());
    form.ui.cmd_next_picture->click();
    QCOMPARE(form.lineIndex, 5);
    QVERIFY(!colourNear(box, 400, 700, black));
    form.ui.cmd_copy_picture->click();
    QCOMPARE(form.ui.Picture2->shownImage().pixel(5, 100), red.rgb());
    QVERIFY(!form.hasEnded());
}

void FiguresTest::pendExpBeepsAndDrawsCirclesAboutTheCentre()
{
    FormFixture f;
    MainForm& form = f.start();
    f.platform.randomValues = {0.5f, 0.0f, 0.99999994f};
    form.ui.cmd_pend_exp->click();
    QVERIFY(form.tmr_pend_exp.isActive());
    form.tmr_pend_exp_Timer();
    form.tmr_pend_exp_Timer();
    form.tmr_pend_exp_Timer();
    QCOMPARE(f.platform.beeps, 3);
    const PictureBox* box = form.ui.Picture1;
    saveArtifact(box, QStringLiteral("pend_exp"));
    QVERIFY(colourNear(box, 750, 500, black));  // radius 250 units across
    QVERIFY(colourNear(box, 500, 500, black));  // radius 0: a dot at the centre
    // The largest circle runs out almost to the left edge.
    QVERIFY(colourNear(box, 1, 500, black, 2));
    QCOMPARE(pixelAt(box, 700, 500), white.rgb());
}

void FiguresTest::secondPendExpClickAddsNoTimer()
{
    FormFixture f;
    MainForm& form = f.start();
    form.ui.cmd_pend_exp->click();
    form.ui.cmd_pend_exp->click();
    QVERIFY(form.tmr_pend_exp.isActive());
    QCOMPARE(form.tmr_pend_exp.interval(), 15);
    QSignalSpy ticks(&form.tmr_pend_exp, &QTimer::timeout);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, 2000);
    QCOMPARE(f.platform.beeps, int(ticks.count()));
}

QTEST_MAIN(FiguresTest)
#include "tst_figures.moc"
