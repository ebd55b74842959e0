#include "bank/bank_pictures.h"

#include "bank/picture_decoder.h"
#include "bank/reader_rules.h"
#include "platform/on_all_cores.h"
#include "platform/posix_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace bank_pictures {

namespace {

using bank_file::Bank;
using bank_file::Problem;
using picture_decoder::Decoded;

struct PictureFile {
    QString folder;  // the bank file's, "." for a file named without one
    QString name;
    Decoded decoded;
};

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

// A file in the folder whose name is the picture's but for case, blanks and
// hyphens, which a routine line's name loses.
QString nearMatch(const QString& folder, const QString& name)
{
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    const auto match = std::find_if(files.begin(), files.end(), [&](const QString& file) {
        return reader_rules::remSpaces(file).toLower() == name;
    });
    return match == files.end() ? QString() : *match;
}

QString missing(const PictureFile& picture)
{
    QString text =
        QStringLiteral("there is no picture file \"%1\" beside the bank, in %2").arg(picture.name, picture.folder);
    if (const QString near = nearMatch(picture.folder, picture.name); !near.isEmpty()) {
        text += QStringLiteral(": \"%1\" matches but for case, blanks or hyphens, which a routine line's name loses; "
                               "rename the file \"%2\"")
                    .arg(near, picture.name);
    }
    return text;
}

Decoded readAndDecode(const PictureFile& picture)
{
    using posix_file::PlainFile;
    const QString path = picture.folder + u'/' + picture.name;
    const PlainFile file = posix_file::readPlainFile(path, picture_decoder::MaxFileBytes);
    const auto failed = [&](const QString& why) {
        return Decoded{{}, QStringLiteral("the picture \"%1\" %2").arg(picture.name, why)};
    };
    switch (file.failure) {
    case PlainFile::Failure::None:
        break;
    case PlainFile::Failure::System:
        if (file.error == ENOENT)
            return {{}, missing(picture)};
        return failed(QStringLiteral("cannot be read: %1").arg(posix_file::reason(file.error)));
    case PlainFile::Failure::NotPlain:
        return failed(QStringLiteral("is %1, not a picture file").arg(posix_file::kindOf(file.mode)));
    case PlainFile::Failure::TooLarge:
        return failed(QStringLiteral("is %1, more than a picture may take (%2)")
                          .arg(megabytes(file.size), megabytes(picture_decoder::MaxFileBytes)));
    }
    Decoded decoded = picture_decoder::decode(file.bytes, picture_decoder::kindOf(picture.name));
    if (decoded.picture.isNull())
        return failed(decoded.problem);
    return decoded;
}

// Each picture once: PNG and JPEG pictures on as many threads as there are
// cores, SVG pictures on this thread, which the drawings belong to.
void decodeAll(std::vector<PictureFile>& pictures)
{
    std::vector<PictureFile*> raster;
    for (PictureFile& picture : pictures) {
        if (picture_decoder::kindOf(picture.name) == picture_decoder::Kind::Svg)
            picture.decoded = readAndDecode(picture);
        else
            raster.push_back(&picture);
    }
    forEachOnAllCores(raster.size(), [&raster](std::size_t i) { raster[i]->decoded = readAndDecode(*raster[i]); });
}

// The program for Windows draws no SVG: a bank that names one is refused
// there, so its maker hears of it wherever the bank is checked.
QString svgOnWindows(const QString& name)
{
    return QStringLiteral("the picture \"%1\" is an SVG drawing, which physics-drill for Windows cannot draw, so "
                          "students on Windows cannot open this bank: save it as a PNG picture (682 by 442 pixels, "
                          "twice the picture box) and name that in the routine line")
        .arg(name);
}

Pictures check(Bank& bank)
{
    std::vector<PictureFile> pictures;
    std::vector<std::size_t> pictureOfUse;
    QHash<QString, std::size_t> known;  // by folder and name
    for (const bank_file::PictureUse& use : bank.pictureUses) {
        const QString folder = QFileInfo(bank.files[bank.bankSlots[std::size_t(use.slot - 1)].file]).path();
        const QString key = folder + u'/' + use.name;
        if (!known.contains(key)) {
            known.insert(key, pictures.size());
            pictures.push_back({folder, use.name, {}});
        }
        pictureOfUse.push_back(known.value(key));
    }
    decodeAll(pictures);

    qint64 kept = 0;
    for (PictureFile& picture : pictures) {
        kept += picture.decoded.picture.keptBytes();
        if (kept > MaxKeptBytes) {
            picture.decoded = {{}, QStringLiteral("the picture \"%1\" takes the bank's pictures past the %2 they "
                                                        "may take in all once decoded: use fewer or smaller pictures")
                                             .arg(picture.name, megabytes(MaxKeptBytes))};
        }
    }
    Pictures decoded;
    for (std::size_t i = 0; i < bank.pictureUses.size(); ++i) {
        const PictureFile& picture = pictures[pictureOfUse[i]];
        const bank_file::Slot& slot = bank.bankSlots[std::size_t(bank.pictureUses[i].slot - 1)];
        if (picture.decoded.picture.isNull()) {
            bank.problems.push_back({Problem::Error, bank.files[slot.file], slot.line, picture.decoded.problem});
            continue;
        }
        decoded.insert(picture.name, picture.decoded.picture);
        if (picture_decoder::kindOf(picture.name) == picture_decoder::Kind::Svg) {
            bank.problems.push_back({Problem::Warning, bank.files[slot.file], slot.line, svgOnWindows(picture.name)});
        }
        if (!picture.decoded.doubt.isEmpty()) {
            bank.problems.push_back(
                {Problem::Warning, bank.files[slot.file], slot.line,
                 QStringLiteral("the picture \"%1\" may not show as it was made: its decoder says \"%2\"; open it in "
                                "a picture editor and save it again")
                     .arg(picture.name, picture.decoded.doubt)});
        }
    }
    return decoded;
}

}  // namespace

LoadedBank read(const QString& path)
{
    Pictures pictures;
    Bank bank = bank_file::read(path, [&pictures](Bank& read) { pictures = check(read); });
    if (!bank.usable())
        pictures.clear();
    return {std::move(bank), std::move(pictures)};
}

}  // namespace bank_pictures
