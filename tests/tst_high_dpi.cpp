#include "form_fixture.h"

#include <QtTest>

// Runs with QT_SCALE_FACTOR=2: the window doubles in device pixels, the
// picture boxes draw at device-pixel resolution, and the user scale stays
// 1000 by 1000.
class HighDpiTest : public QObject {
    Q_OBJECT
private slots:
    void pictureBoxesDrawAtDevicePixelResolution();
};

void HighDpiTest::pictureBoxesDrawAtDevicePixelResolution()
{
    FormFixture f;
    MainForm& form = f.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.devicePixelRatioF(), 2.0);
    QCOMPARE(form.size(), QSize(725, 573));  // device-independent pixels

    PictureBox* box = form.ui.Picture1;
    box->line(0, 500, 1000, 500);
    const QImage image = box->shownImage();
    QCOMPARE(image.devicePixelRatio(), 2.0);
    QCOMPARE(image.size(), box->contentsRect().size() * 2);
    QCOMPARE(box->scaleWidth(), 1000.0);
    QCOMPARE(box->scaleHeight(), 1000.0);

    // One device-independent pixel wide: two device rows, crisp black.
    const int x = image.width() / 2;
    const int y = int(box->toPixel(0, 500).y() * 2);
    int dark = 0;
    for (int row = y - 3; row <= y + 3; ++row) {
        const QRgb pixel = image.pixel(x, row);
        QVERIFY(pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255));
        dark += pixel == qRgb(0, 0, 0) ? 1 : 0;
    }
    QCOMPARE(dark, 2);

    // A circle of radius 250 units reaches 250 units to the right.
    box->circle(500, 500, 250);
    const QImage circled = box->shownImage();
    const QPointF edge = box->toPixel(750, 500) * 2;
    bool found = false;
    for (int dx = -2; dx <= 2; ++dx)
        found = found || circled.pixel(int(edge.x()) + dx, int(edge.y()) - 10) == qRgb(0, 0, 0)
                || circled.pixel(int(edge.x()) + dx, int(edge.y())) == qRgb(0, 0, 0);
    QVERIFY(found);
}

QTEST_MAIN(HighDpiTest)
#include "tst_high_dpi.moc"
