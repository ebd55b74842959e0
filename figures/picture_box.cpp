#include "figures/picture_box.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// Until a scale is set, the box measures in twips, 15 to the pixel.
constexpr double twipsPerPixel = 15.0;

// Screen readers announce a picture box as a graphic, under its accessible name.
QAccessibleInterface* pictureBoxAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("PictureBox") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(pictureBoxAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    // The box is white whatever the desktop theme, so it draws in black.
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage PictureBox::blankCanvas() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize area = contentsRect().size().expandedTo(QSize(1, 1));
    QImage image(area * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

QImage& PictureBox::canvas() const
{
    const QSize wanted = contentsRect().size().expandedTo(QSize(1, 1)) * devicePixelRatioF();
    if (canvas_.size() != wanted) {
        QImage fitted = blankCanvas();
        QPainter painter(&fitted);
        painter.drawImage(0, 0, canvas_);
        canvas_ = fitted;
    }
    return canvas_;
}

QImage PictureBox::shownImage() const
{
    return canvas();
}

double PictureBox::scaleWidth() const
{
    return scaleWidth_ > 0 ? scaleWidth_ : contentsRect().width() * twipsPerPixel;
}

double PictureBox::scaleHeight() const
{
    return scaleHeight_ > 0 ? scaleHeight_ : contentsRect().height() * twipsPerPixel;
}

void PictureBox::setScaleHeight(double height)
{
    scaleHeight_ = height;
}

void PictureBox::setScaleWidth(double width)
{
    scaleWidth_ = width;
}

QPointF PictureBox::toPixel(double x, double y) const
{
    const QSize area = contentsRect().size();
    return {x * area.width() / scaleWidth(), y * area.height() / scaleHeight()};
}

QColor PictureBox::foreground() const
{
    return palette().color(QPalette::WindowText);
}

void PictureBox::line(double x1, double y1, double x2, double y2)
{
    line(x1, y1, x2, y2, foreground());
}

void PictureBox::line(double x1, double y1, double x2, double y2, const QColor& color)
{
    const QPointF from = toPixel(x1, y1);
    const QPointF to = toPixel(x2, y2);
    QPainter painter(&canvas());
    painter.setPen(QPen(color, 1));
    painter.drawLine(from, to);
    drawn(QRectF(from, to).normalized());
}

void PictureBox::circle(double x, double y, double radius)
{
    const QPointF centre = toPixel(x, y);
    const double pixels = radius * contentsRect().width() / scaleWidth();
    QPainter painter(&canvas());
    painter.setPen(QPen(foreground(), 1));
    painter.setBrush(Qt::NoBrush);
    if (pixels < 0.5)
        painter.drawPoint(centre);  // a circle too small to draw is its centre
    else
        painter.drawEllipse(centre, pixels, pixels);
    drawn(QRectF(centre.x() - pixels, centre.y() - pixels, 2 * pixels, 2 * pixels));
}

void PictureBox::print(double x, double y, const QString& text)
{
    const QPointF corner = toPixel(x, y);
    // Plain, unsmoothed text: a figure drawn twice over itself looks the same.
    QFont face = font();
    face.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&canvas());
    painter.setFont(face);
    painter.setPen(foreground());
    const QFontMetricsF metrics(face);
    painter.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), text);
    drawn(QRectF(corner, QSizeF(metrics.horizontalAdvance(text), metrics.height())));
}

void PictureBox::blank()
{
    canvas_ = blankCanvas();
    update();
}

void PictureBox::showFitted(const picture_decoder::Picture& picture)
{
    canvas_ = blankCanvas();
    const QSizeF area = contentsRect().size();
    QRectF target(QPointF(), QSizeF(picture.size()).scaled(area, Qt::KeepAspectRatio));
    target.moveCenter(QRectF(QPointF(), area).center());
    QPainter painter(&canvas_);
    picture.draw(painter, target);
    update();
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    canvas_ = blankCanvas();
    if (!picture.isNull()) {
        QPainter painter(&canvas());
        painter.drawImage(0, 0, picture);
    }
    update();
}

void PictureBox::drawn(const QRectF& pixelArea)
{
    update(pixelArea.toAlignedRect().adjusted(-2, -2, 2, 2).translated(contentsRect().topLeft()));
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), canvas());
}

