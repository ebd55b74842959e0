#include "bank/picture_decoder.h"

namespace picture_decoder {

Decoded parseSvg(const QByteArray&)
{
    return {Picture(),
            QStringLiteral("is an SVG drawing, which physics-drill for Windows cannot draw: save it as a PNG picture "
                           "(682 by 442 pixels, twice the picture box) and name that in the routine "
                           "line")};
}

}  // namespace picture_decoder
