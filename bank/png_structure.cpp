#include "bank/png_structure.h"

#include <QtEndian>

#include <array>

namespace png_structure {

namespace {

constexpr qsizetype SignatureBytes = 8;
constexpr qsizetype ChunkFrame = 12;  // length, type and checksum around a chunk's data
constexpr qsizetype HeaderBytes = 13;

quint32 crc32(QByteArrayView bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> entries{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes)
        crc = table[(crc ^ quint8(byte)) & 0xff] ^ (crc >> 8);
    return ~crc;
}

quint32 bigEndianAt(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.data() + at);
}

// The chunk's name as the file's writer knows it.
QString partName(QByteArrayView type)
{
    if (type == "IHDR")
        return QStringLiteral("its header");
    if (type == "IDAT")
        return QStringLiteral("its image data");
    if (type == "IEND")
        return QStringLiteral("its end");
    if (type == "PLTE")
        return QStringLiteral("its palette");
    return QStringLiteral("its part \"%1\"").arg(QString::fromLatin1(type));
}

// The header's size and colour format are ones that PNG allows.
bool headerIsValid(QByteArrayView data)
{
    const quint32 width = bigEndianAt(data, 0);
    const quint32 height = bigEndianAt(data, 4);
    const int depth = quint8(data[8]);
    const int colour = quint8(data[9]);
    const bool sized = width > 0 && height > 0 && width <= 0x7fffffffu && height <= 0x7fffffffu;
    bool depthFits = false;
    switch (colour) {
    case 0:
        depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 3:
        depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 2:
    case 4:
    case 6:
        depthFits = depth == 8 || depth == 16;
        break;
    default:
        break;
    }
    return sized && depthFits && data[10] == 0 && data[11] == 0 && quint8(data[12]) <= 1;
}

bool isCritical(QByteArrayView type)
{
    return (type[0] & 0x20) == 0;
}

}  // namespace

QString damage(QByteArrayView bytes)
{
    const auto cutShort = [&](const QString& where) {
        return QStringLiteral("is cut short: its %1 bytes end %2; copy the picture again from where it was made")
            .arg(bytes.size())
            .arg(where);
    };
    const auto damaged = [](const QString& what) {
        return QStringLiteral("is damaged: %1; copy the picture again from where it was made, or save it again")
            .arg(what);
    };
    bool palette = false;
    bool imageData = false;
    qsizetype at = SignatureBytes;
    for (; bytes.size() - at >= ChunkFrame; at += ChunkFrame + qsizetype(bigEndianAt(bytes, at))) {
        const quint32 length = bigEndianAt(bytes, at);
        const QByteArrayView type = bytes.sliced(at + 4, 4);
        if (length > quint32(bytes.size() - at - ChunkFrame))
            return cutShort(QStringLiteral("inside %1").arg(partName(type)));
        if (crc32(bytes.sliced(at + 4, 4 + length)) != bigEndianAt(bytes, at + 8 + length))
            return damaged(QStringLiteral("%1 at byte %2 does not match its checksum").arg(partName(type)).arg(at));
        const bool first = at == SignatureBytes;
        const bool header = type == "IHDR";
        if (first != header || (header && (length != HeaderBytes || !headerIsValid(bytes.sliced(at + 8, length)))))
            return damaged(QStringLiteral("it does not begin with one header that gives its size and colour format"));
        if (type == "IEND")
            return imageData ? QString() : damaged(QStringLiteral("it holds no image data"));
        if (type == "PLTE" && (palette || imageData))
            return damaged(QStringLiteral("its palette is out of place"));
        if (type == "IDAT" && quint8(bytes[SignatureBytes + 8 + 9]) == 3 && !palette)
            return damaged(QStringLiteral("its image data comes before its palette"));
        if (isCritical(type) && type != "IHDR" && type != "PLTE" && type != "IDAT")
            return damaged(QStringLiteral("it holds a part \"%1\" that the program cannot read")
                               .arg(QString::fromLatin1(type)));
        palette = palette || type == "PLTE";
        imageData = imageData || type == "IDAT";
    }
    // The decoder takes an end without its checksum, as some programs write it.
    if (imageData && bytes.sliced(at) == QByteArrayView("\0\0\0\0IEND", 8))
        return {};
    return cutShort(imageData ? QStringLiteral("before its end") : QStringLiteral("before its image data"));
}

}  // namespace png_structure
