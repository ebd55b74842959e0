#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

class QPainter;

// Turns the bytes of an instructor's picture file into the image that the
// program keeps with the bank, or into the reason why it cannot.
namespace picture_decoder {

// A picture file may take this much; a bigger one is refused unread.
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
// A PNG or JPEG with more pixels than these is refused before it is decoded,
// so that a small file cannot claim a huge image.
constexpr int MaxSide = 10000;
constexpr qint64 MaxPixels = 25'000'000;
// Kept no larger than this, which fills a picture box even on a screen of
// twice the usual pixel density.
constexpr int MaxKeptSide = 800;

// A picture drawn anew at each size it is shown: an SVG drawing.
class Drawing {
public:
    virtual ~Drawing() = default;
    virtual QSize size() const = 0;
    virtual void draw(QPainter& painter, const QRectF& target) const = 0;
};

// A picture as the program keeps it: a PNG or JPEG decoded into an image,
// or an SVG parsed into a drawing, which is drawn at the size it is shown.
class Picture {
public:
    Picture() = default;
    explicit Picture(QImage image);
    explicit Picture(std::shared_ptr<const Drawing> drawing, qint64 bytes);

    bool isNull() const { return image_.isNull() && !drawing_; }
    // The size it is drawn at by its own measure: only its proportions count.
    QSize size() const;
    // The memory it takes.
    qint64 keptBytes() const;
    void draw(QPainter& painter, const QRectF& target) const;

private:
    QImage image_;
    std::shared_ptr<const Drawing> drawing_;
    qint64 drawingBytes_ = 0;
};

struct Decoded {
    Picture picture;  // null when the picture cannot be used
    QString problem;  // why not, as a sentence fragment about the picture
    // For a picture that can be used: what its decoder said about it, which
    // may mean that it does not show as it was made ("Premature end of JPEG
    // file"); empty when it said nothing, or only about a PNG's other parts.
    QString doubt{};
};

enum class Kind { Raster, Svg };

// A name ending in .svg is an SVG picture; others are PNG or JPEG, as their
// content shows.
Kind kindOf(const QString& name);

Decoded decode(const QByteArray& bytes, Kind kind);

// The drawing of an SVG picture that refers to nothing outside itself, or
// why there is none. Builds without the toolkit's SVG module have none.
Decoded parseSvg(const QByteArray& bytes);

// For an SVG picture: the first reference to something outside it (another
// file, a web address), which is never followed; empty when there is none.
// `error` is set when the text is no well-formed XML.
QString externalReference(const QByteArray& svg, QString& error);

}  // namespace picture_decoder
