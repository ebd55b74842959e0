#pragma once

#include "bank/bank_file.h"
#include "bank/picture_decoder.h"

#include <QHash>
#include <QString>

// The pictures that an instructor's bank names in its routine lines, read
// and decoded with the bank, so that a press that shows one never waits for
// the disk.
namespace bank_pictures {

// Decoded pictures by their routine names ("incline.png").
using Pictures = QHash<QString, picture_decoder::Picture>;

struct LoadedBank {
    bank_file::Bank bank;
    Pictures pictures;  // every picture the bank names, when it is usable
};

// Reads and checks a bank as bank_file::read() does, and each picture file
// that its routine lines name, beside the bank file of the line. A picture
// that cannot be used is an error at every line that names it.
LoadedBank read(const QString& path);

// Kept pictures may take this much memory in all.
constexpr qint64 MaxKeptBytes = 256 * 1024 * 1024;

}  // namespace bank_pictures
