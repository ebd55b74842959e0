#include "platform/record_journal.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>

namespace record_journal {
namespace {

// A journal is its heading, its kind, a line per file, an empty line, the
// bytes of every file one after the other, and a checksum line over all of
// that:
//
//   record journal 2
//   complete                  (or: take back)
//   file SIZE_BEFORE LENGTH TAIL_SHA256 NAME
//   ...
//   (empty line)
//   BYTES...
//   sha256 HEX
const QByteArray heading = "record journal 2";
const QByteArray completeLine = "complete";
const QByteArray takeBackLine = "take back";
const QByteArray checksumLabel = "sha256 ";
constexpr qsizetype checksumSize = 64;
constexpr qsizetype checksumLineSize = 7 + checksumSize + 1;
constexpr qint64 tailLength = 4096;

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool isChecksum(const QByteArray& text)
{
    return text.size() == checksumSize
           && std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// One "file" line; the entry's bytes stay empty, with their length apart.
struct FileLine {
    Entry entry;
    qint64 length = 0;
};

std::optional<FileLine> fileLineFrom(const QByteArray& line)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 5 || fields[0] != "file")
        return std::nullopt;
    bool sizeOk = false;
    bool lengthOk = false;
    FileLine file;
    file.entry.sizeBefore = fields[1].toLongLong(&sizeOk);
    file.length = fields[2].toLongLong(&lengthOk);
    file.entry.tailChecksum = fields[3];
    file.entry.name = QFile::decodeName(QByteArray::fromPercentEncoding(fields[4]));
    if (!sizeOk || !lengthOk || file.entry.sizeBefore < 0 || file.length < 0 || !isChecksum(file.entry.tailChecksum)
        || !isPlainName(file.entry.name))
        return std::nullopt;
    return file;
}

Decoded impossible()
{
    return {Decoded::Verdict::Impossible, {}, {}};
}

bool endsWithChecksumLine(const QByteArray& text)
{
    return text.size() >= checksumLineSize && text.endsWith('\n')
           && text.sliced(text.size() - checksumLineSize, checksumLabel.size()) == checksumLabel
           && isChecksum(text.sliced(text.size() - checksumSize - 1, checksumSize));
}

// A journal whose checksum fails was cut short in its write when it ends
// before its checksum line and before the end that its file lines promise;
// anything else was changed after it was written whole.
Decoded unsealed(const QByteArray& text)
{
    const Decoded damaged{Decoded::Verdict::Damaged, {}, {}};
    const Decoded torn{Decoded::Verdict::Torn, {}, {}};
    const bool beginsAsJournal = text.startsWith(heading) || heading.startsWith(text);
    if (endsWithChecksumLine(text) || !beginsAsJournal)
        return damaged;
    const qsizetype headEnd = text.indexOf("\n\n");
    if (headEnd < 0)
        return torn;
    const QList<QByteArray> lines = text.left(headEnd).split('\n');
    if (lines.size() < 2)
        return damaged;
    qint64 promised = headEnd + 2 + checksumLineSize;
    for (const QByteArray& line : lines.sliced(2)) {
        const std::optional<FileLine> file = fileLineFrom(line);
        if (!file)
            return damaged;
        if (file->length > text.size())
            return torn;
        promised += file->length;
    }
    return text.size() < promised ? torn : damaged;
}

}  // namespace

qint64 tailStart(qint64 sizeBefore)
{
    return std::max<qint64>(0, sizeBefore - tailLength);
}

QByteArray tailChecksum(QByteArrayView tail)
{
    return checksum(tail);
}

bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..") && !name.contains(u'/')
           && !name.contains(QChar(0));
}

QByteArray encode(const Journal& journal)
{
    QByteArray text = heading + '\n' + (journal.kind == Kind::Complete ? completeLine : takeBackLine) + '\n';
    for (const Entry& entry : journal.entries) {
        text += "file " + QByteArray::number(entry.sizeBefore) + ' ' + QByteArray::number(entry.bytes.size()) + ' '
                + entry.tailChecksum + ' ' + QFile::encodeName(entry.name).toPercentEncoding() + '\n';
    }
    text += '\n';
    for (const Entry& entry : journal.entries)
        text += entry.bytes;
    return text + checksumLabel + checksum(text) + '\n';
}

QByteArray checksumOf(const QByteArray& encoded)
{
    return encoded.right(checksumSize + 1).left(checksumSize);
}

Decoded decode(const QByteArray& text)
{
    if (text.size() < checksumLineSize)
        return unsealed(text);
    const qsizetype bodySize = text.size() - checksumLineSize;
    const QByteArray sum = checksum(QByteArrayView(text.constData(), bodySize));
    if (text.mid(bodySize) != checksumLabel + sum + '\n')
        return unsealed(text);

    const qsizetype headEnd = text.indexOf("\n\n");
    if (headEnd < 0 || headEnd + 2 > bodySize)
        return impossible();
    QList<QByteArray> lines = text.left(headEnd).split('\n');
    if (lines.size() < 2 || lines.takeFirst() != heading)
        return impossible();
    Decoded decoded{Decoded::Verdict::Whole, {}, sum};
    const QByteArray kind = lines.takeFirst();
    if (kind == completeLine)
        decoded.journal.kind = Kind::Complete;
    else if (kind == takeBackLine)
        decoded.journal.kind = Kind::TakeBack;
    else
        return impossible();
    qsizetype at = headEnd + 2;
    for (const QByteArray& line : lines) {
        std::optional<FileLine> file = fileLineFrom(line);
        // The length is checked against what the journal holds before any
        // memory is taken for it.
        if (!file || file->length > bodySize - at)
            return impossible();
        file->entry.bytes = text.mid(at, file->length);
        at += file->length;
        decoded.journal.entries.append(std::move(file->entry));
    }
    if (at != bodySize)
        return impossible();
    return decoded;
}

Settlement settle(Kind kind, const Entry& entry, const FileNow& file)
{
    const Settlement leaveAlone{Step::LeaveAlone, 0, 0};
    if (file.size < entry.sizeBefore)
        return leaveAlone;
    const qint64 start = tailStart(entry.sizeBefore);
    const FileNow::Read tail = file.read(start, entry.sizeBefore - start);
    if (tail.error != 0)
        return {Step::Unreadable, 0, tail.error};
    if (tail.bytes.size() != entry.sizeBefore - start || tailChecksum(tail.bytes) != entry.tailChecksum)
        return leaveAlone;

    const qint64 written = file.size - entry.sizeBefore;
    if (written > entry.bytes.size())
        return leaveAlone;
    if (written > 0) {
        const FileNow::Read record = file.read(entry.sizeBefore, written);
        if (record.error != 0)
            return {Step::Unreadable, 0, record.error};
        if (record.bytes != QByteArrayView(entry.bytes).first(written))
            return leaveAlone;
    }
    if (kind == Kind::TakeBack)
        return {written == 0 ? Step::Nothing : Step::CutBack, 0, 0};
    if (written == 0 && file.modifiedSinceJournal)
        return leaveAlone;
    if (written == entry.bytes.size())
        return {Step::Nothing, written, 0};
    return {Step::AppendRest, written, 0};
}

}  // namespace record_journal
