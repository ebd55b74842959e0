#include "bank/picture_decoder.h"

#include <QSvgRenderer>

namespace picture_decoder {

namespace {

class SvgDrawing : public Drawing {
public:
    explicit SvgDrawing(const QByteArray& bytes) : renderer_(bytes) {}
    bool isValid() const { return renderer_.isValid() && !renderer_.defaultSize().isEmpty(); }
    QSize size() const override { return renderer_.defaultSize(); }
    void draw(QPainter& painter, const QRectF& target) const override { renderer_.render(&painter, target); }

private:
    // Rendering changes no state a caller sees, but the renderer's call is
    // not marked const.
    mutable QSvgRenderer renderer_;
};

}  // namespace

Decoded parseSvg(const QByteArray& bytes)
{
    auto drawing = std::make_shared<const SvgDrawing>(bytes);
    if (!drawing->isValid())
        return {Picture(), QStringLiteral("cannot be decoded: it is not an SVG picture of a size")};
    return {Picture(std::move(drawing), bytes.size()), QString()};
}

}  // namespace picture_decoder
