#pragma once

#include <QByteArrayView>
#include <QString>

// Whether the bytes of a PNG file are whole: the toolkit's PNG decoder lets
// its library print its own message on standard error for a file that is
// not, so such a file is told apart first and never decoded.
namespace png_structure {

// Why the file is not whole, as a sentence fragment about the picture ("is
// cut short: ..."); empty when every chunk is within the file and matches
// its checksum, the header comes first and describes a picture, and the
// image data and the end follow.
QString damage(QByteArrayView bytes);

}  // namespace png_structure
