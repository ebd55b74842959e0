#include "bank/picture_decoder.h"

#include "bank/decoder_messages.h"
#include "bank/png_structure.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QXmlStreamReader>

namespace picture_decoder {

namespace {

QSize keptSize(const QSize& size)
{
    const QSize bounds(MaxKeptSide, MaxKeptSide);
    return size.width() > MaxKeptSide || size.height() > MaxKeptSide ? size.scaled(bounds, Qt::KeepAspectRatio) : size;
}

Decoded failed(const QString& problem)
{
    return {Picture(), problem, {}};
}

// The decoder's own words, when it said something, else the reader's.
QString reason(const QImageReader& reader, const decoder_messages::Capture& capture)
{
    return capture.messages().isEmpty() ? reader.errorString() : capture.messages().join(QStringLiteral("; "));
}

Decoded decodeRaster(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot be opened in memory"));
    const decoder_messages::Capture capture;
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg") {
        if (!format.isEmpty()) {
            return failed(QStringLiteral("is a %1 picture, which the program does not read: save it as PNG or JPEG")
                              .arg(QString::fromLatin1(format.toUpper())));
        }
        return failed(QStringLiteral("is not a PNG or JPEG picture (nor SVG, which needs a name ending in .svg)"));
    }
    if (format == "png") {
        if (const QString damage = png_structure::damage(bytes); !damage.isEmpty())
            return failed(damage);
    }
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return failed(QStringLiteral("cannot be decoded: %1").arg(reason(reader, capture)));
    if (size.width() > MaxSide || size.height() > MaxSide || qint64(size.width()) * size.height() > MaxPixels) {
        return failed(QStringLiteral("is %1 by %2 pixels, more than a picture may have (%3 on a side, %4 million in all)")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(MaxSide)
                          .arg(MaxPixels / 1'000'000));
    }
    if (keptSize(size) != size)
        reader.setScaledSize(keptSize(size));
    QImage image;
    if (!reader.read(&image))
        return failed(QStringLiteral("cannot be decoded: %1").arg(reason(reader, capture)));
    // A PNG that is whole decodes as it was made; its decoder speaks only of
    // its other parts (a colour profile, a text).
    const QString doubt = format == "png" ? QString() : capture.messages().join(QStringLiteral("; "));
    return {Picture(std::move(image)), QString(), doubt};
}

Decoded decodeSvg(const QByteArray& bytes)
{
    QString error;
    const QString reference = externalReference(bytes, error);
    if (!error.isEmpty())
        return failed(QStringLiteral("cannot be decoded: %1").arg(error));
    if (!reference.isEmpty()) {
        return failed(QStringLiteral("refers to \"%1\" outside itself, which is not followed: an SVG picture must hold "
                                     "all that it shows")
                          .arg(reference));
    }
    return parseSvg(bytes);
}

// A reference within the picture: to one of its own parts, or data written
// into it.
bool isInside(QStringView target)
{
    const QStringView trimmed = target.trimmed();
    return trimmed.startsWith(u'#') || trimmed.startsWith(u"data:", Qt::CaseInsensitive);
}

// The first url(...) in a style text that points outside the picture.
QString outsideUrl(QStringView text)
{
    for (qsizetype at = text.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        const qsizetype end = text.indexOf(u')', at);
        QStringView target = text.mid(at + 4, end < 0 ? -1 : end - at - 4).trimmed();
        if (target.size() >= 2 && (target.front() == u'\'' || target.front() == u'"') && target.back() == target.front())
            target = target.sliced(1, target.size() - 2);
        if (!isInside(target))
            return target.toString();
    }
    if (text.contains(u"@import", Qt::CaseInsensitive))
        return QStringLiteral("@import");
    return {};
}

}  // namespace

Picture::Picture(QImage image) : image_(std::move(image)) {}

Picture::Picture(std::shared_ptr<const Drawing> drawing, qint64 bytes) : drawing_(std::move(drawing)), drawingBytes_(bytes)
{
}

QSize Picture::size() const
{
    return drawing_ ? drawing_->size() : image_.size();
}

qint64 Picture::keptBytes() const
{
    return drawing_ ? drawingBytes_ : image_.sizeInBytes();
}

void Picture::draw(QPainter& painter, const QRectF& target) const
{
    if (drawing_) {
        drawing_->draw(painter, target);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
}

Kind kindOf(const QString& name)
{
    return name.endsWith(QStringLiteral(".svg")) ? Kind::Svg : Kind::Raster;
}

Decoded decode(const QByteArray& bytes, Kind kind)
{
    return kind == Kind::Svg ? decodeSvg(bytes) : decodeRaster(bytes);
}

QString externalReference(const QByteArray& svg, QString& error)
{
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            for (const QXmlStreamEntityDeclaration& entity : xml.entityDeclarations()) {
                if (!entity.systemId().isEmpty())
                    return entity.systemId().toString();
            }
            break;
        case QXmlStreamReader::StartElement:
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                const bool link = attribute.name() == u"href";
                if (link && !isInside(attribute.value()))
                    return attribute.value().toString();
                if (const QString url = outsideUrl(attribute.value()); !link && !url.isEmpty())
                    return url;
            }
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (xml.processingInstructionTarget() == u"xml-stylesheet")
                return xml.processingInstructionData().trimmed().toString();
            break;
        case QXmlStreamReader::Characters:
            if (const QString url = outsideUrl(xml.text()); !url.isEmpty())
                return url;
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        error = QStringLiteral("%1 (line %2 of the picture)").arg(xml.errorString()).arg(xml.lineNumber());
    return {};
}

}  // namespace picture_decoder
