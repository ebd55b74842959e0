#include "bank/picture_decoder.h"

#include "bank/decoder_messages.h"

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
    const decoder_messages::Capture capture;
    auto drawing = std::make_shared<const SvgDrawing>(bytes);
    const QString said = capture.messages().join(QStringLiteral("; "));
    if (!drawing->isValid()) {
        QString why = QStringLiteral("it is not an SVG picture of a size");
        if (!said.isEmpty())
            why += QStringLiteral(" (%1)").arg(said);
        return {Picture(), QStringLiteral("cannot be decoded: %1").arg(why)};
    }
    return {Picture(std::move(drawing), bytes.size()), QString(), said};
}

}  // namespace picture_decoder
