#pragma once

#include "bank/picture_decoder.h"

#include <QFrame>
#include <QImage>

// A picture box: draws lines, circles and texts in a user scale into a white
// backing image, so its drawings survive every repaint. It can also be
// assigned a picture, which it shows from its top-left corner.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The drawing area measures `width` units across and `height` down.
    void setScaleHeight(double height);
    void setScaleWidth(double width);
    double scaleWidth() const;
    double scaleHeight() const;

    // Without a colour, lines are drawn in the foreground colour.
    void line(double x1, double y1, double x2, double y2);
    void line(double x1, double y1, double x2, double y2, const QColor& color);
    // A true circle; its radius is measured in horizontal units.
    void circle(double x, double y, double radius);
    // Text with its top-left corner at (x, y), over what is there.
    void print(double x, double y, const QString& text);
    // Back to the plain white background.
    void blank();
    // On the plain white background, the picture as large as the box holds
    // it with its proportions kept, in the middle.
    void showFitted(const picture_decoder::Picture& picture);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

    // What the box shows, at device-pixel resolution.
    QImage shownImage() const;
    // The point of the drawing area, in logical pixels, for user coordinates.
    QPointF toPixel(double x, double y) const;
    QColor foreground() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage blankCanvas() const;
    // The backing image, fitted to the box's current size and pixel ratio;
    // what was drawn stays at its place.
    QImage& canvas() const;
    void drawn(const QRectF& pixelArea);

    mutable QImage canvas_;
    QImage picture_;
    // Zero until a scale is set: the box then measures in twips.
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
};
