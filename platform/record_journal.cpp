#include "platform/record_journal.h"

#include "platform/posix_file.h"
#include "platform/windows_names.h"

#include <QCryptographicHash>

#include <algorithm>
#include <optional>

namespace record_journal {
namespace {

// A journal is its heading, its kind, a line per file, an empty line, the
// bytes of every file one after the other, a checksum line over all of
// that, and then its marks, each a line with a checksum of its own:
//
//   record journal 2
//   complete                  (or: take back)
//   file SIZE_BEFORE LENGTH TAIL_SHA256 NAME
//   ...
//   (empty line)
//   BYTES...
//   sha256 HEX
//   reached INDEX HEX         (once the record is whole in that file)
//   take back HEX             (once it is to be taken back out of its files)
const QByteArray heading = "record journal 2";
const QByteArray completeLine = "complete";
const QByteArray takeBackLine = "take back";
const QByteArray checksumLabel = "sha256 ";
const QByteArray reachedLabel = "reached ";
constexpr qsizetype checksumSize = 64;
constexpr qsizetype checksumLineSize = 7 + checksumSize + 1;
constexpr qint64 tailLength = 4096;
// Far beyond the heading, or the marks, of any record's journal.
constexpr qint64 headingLimit = qint64(64) << 10;
constexpr qint64 marksLimit = qint64(64) << 10;

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool isChecksum(QByteArrayView text)
{
    return text.size() == checksumSize
           && std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The checksum of the first `length` bytes, read piece by piece.
int checksumOfFirst(const ReadAt& read, qint64 length, QByteArray* sum)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray piece;
    for (qint64 at = 0; at < length; at += pieceSize) {
        if (const int error = read(at, std::min(pieceSize, length - at), &piece))
            return error;
        hash.addData(piece);
    }
    *sum = hash.result().toHex();
    return 0;
}

Decoded verdict(Decoded::Verdict verdict, int error = 0)
{
    return {verdict, Kind::Complete, {}, error};
}

// One "file" line, with its offset still to be set.
std::optional<Part> partFrom(const QByteArray& line)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 5 || fields[0] != "file")
        return std::nullopt;
    bool sizeOk = false;
    bool lengthOk = false;
    Part part;
    part.sizeBefore = fields[1].toLongLong(&sizeOk);
    part.length = fields[2].toLongLong(&lengthOk);
    part.tailChecksum = fields[3];
    part.name = posix_file::pathFromNative(QByteArray::fromPercentEncoding(fields[4]));
    if (!sizeOk || !lengthOk || part.sizeBefore < 0 || part.length < 0 || !isChecksum(part.tailChecksum)
        || !isPlainName(part.name))
        return std::nullopt;
    return part;
}

// The journal that a heading describes, if it is one that the program
// writes and the bytes it promises fit in `size`; `bodyEnd` is then where
// its checksum line begins.
std::optional<Decoded> described(const QByteArray& head, qsizetype headEnd, qint64 size, qint64* bodyEnd)
{
    QList<QByteArray> lines = head.left(headEnd).split('\n');
    if (lines.size() < 2 || lines.takeFirst() != heading)
        return std::nullopt;
    Decoded decoded = verdict(Decoded::Verdict::Whole);
    const QByteArray kind = lines.takeFirst();
    if (kind == takeBackLine)
        decoded.kind = Kind::TakeBack;
    else if (kind != completeLine)
        return std::nullopt;
    qint64 at = headEnd + 2;
    for (const QByteArray& line : lines) {
        std::optional<Part> part = partFrom(line);
        // The length is checked against what the journal holds before any
        // memory is taken for it.
        if (!part || part->length > size - at)
            return std::nullopt;
        part->offset = at;
        at += part->length;
        decoded.parts.append(std::move(*part));
    }
    *bodyEnd = at;
    return decoded;
}

QByteArray markLine(const QByteArray& checksum, const QByteArray& text)
{
    return text + ' ' + record_journal::checksum(checksum + ' ' + text) + '\n';
}

// Applies one mark line (without its line end) to a whole journal; false
// when it is not a mark of this journal.
bool applyMark(const QByteArray& checksum, const QByteArray& line, Decoded* decoded)
{
    const qsizetype blank = line.lastIndexOf(' ');
    if (blank < 0)
        return false;
    const QByteArray text = line.left(blank);
    if (line.mid(blank + 1) != record_journal::checksum(checksum + ' ' + text))
        return false;
    if (text == takeBackLine) {
        decoded->kind = Kind::TakeBack;
        return true;
    }
    if (!text.startsWith(reachedLabel))
        return false;
    const QByteArray number = text.mid(reachedLabel.size());
    bool ok = false;
    const qsizetype index = qsizetype(number.toLongLong(&ok));
    if (!ok || index < 0 || index >= decoded->parts.size() || QByteArray::number(index) != number)
        return false;
    decoded->parts[index].reached = true;
    return true;
}

// The marks from `from` on. A last line without its line end that is no
// mark was cut short in its write, before the program could act on it.
Decoded withMarks(Decoded decoded, const QByteArray& checksum, const ReadAt& read, qint64 from, qint64 size)
{
    if (from >= size)
        return decoded;
    if (size - from > marksLimit)
        return verdict(Decoded::Verdict::Damaged);
    QByteArray marks;
    if (const int error = read(from, size - from, &marks))
        return verdict(Decoded::Verdict::Unreadable, error);
    for (qsizetype at = 0; at < marks.size();) {
        const qsizetype end = marks.indexOf('\n', at);
        const QByteArray line = marks.mid(at, end < 0 ? -1 : end - at);
        if (!applyMark(checksum, line, &decoded))
            return end < 0 ? decoded : verdict(Decoded::Verdict::Damaged);
        at = end < 0 ? marks.size() : end + 1;
    }
    return decoded;
}

// Whether the last line is a checksum line; with `sum`, whether it is
// also the checksum of everything before it.
struct Ending {
    bool looksSealed = false;
    bool sealed = false;
    int error = 0;
};
Ending endingOf(const ReadAt& read, qint64 size)
{
    Ending ending;
    if (size < checksumLineSize)
        return ending;
    QByteArray last;
    if ((ending.error = read(size - checksumLineSize, checksumLineSize, &last)) != 0)
        return ending;
    ending.looksSealed = last.startsWith(checksumLabel) && last.endsWith('\n')
                         && isChecksum(QByteArrayView(last).sliced(checksumLabel.size(), checksumSize));
    if (!ending.looksSealed)
        return ending;
    QByteArray sum;
    if ((ending.error = checksumOfFirst(read, size - checksumLineSize, &sum)) != 0)
        return ending;
    ending.sealed = last == checksumLabel + sum + '\n';
    return ending;
}

// A journal whose checksum fails was cut short in its write when it ends
// before its checksum line and before the end that its file lines promise;
// anything else was changed after it was written whole.
Decoded::Verdict unsealed(const QByteArray& head, qint64 size, bool looksSealed)
{
    using Verdict = Decoded::Verdict;
    const bool beginsAsJournal = head.startsWith(heading) || heading.startsWith(head);
    if (looksSealed || !beginsAsJournal)
        return Verdict::Damaged;
    const qsizetype headEnd = head.indexOf("\n\n");
    if (headEnd < 0)
        return size <= headingLimit ? Verdict::Torn : Verdict::Damaged;
    const QList<QByteArray> lines = head.left(headEnd).split('\n');
    if (lines.size() < 2)
        return Verdict::Damaged;
    qint64 promised = headEnd + 2 + checksumLineSize;
    for (const QByteArray& line : lines.sliced(2)) {
        const std::optional<Part> part = partFrom(line);
        if (!part)
            return Verdict::Damaged;
        if (part->length > size)
            return Verdict::Torn;
        promised += part->length;
    }
    return size < promised ? Verdict::Torn : Verdict::Damaged;
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
    return windows_names::isPlainName(name) && !name.contains(QChar(0));
}

QByteArray encode(const Journal& journal)
{
    QByteArray text = heading + '\n' + (journal.kind == Kind::Complete ? completeLine : takeBackLine) + '\n';
    for (const Entry& entry : journal.entries) {
        text += "file " + QByteArray::number(entry.sizeBefore) + ' ' + QByteArray::number(entry.bytes.size()) + ' '
                + entry.tailChecksum + ' ' + posix_file::nativePath(entry.name).toPercentEncoding() + '\n';
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

QByteArray reachedMark(const QByteArray& checksum, qsizetype entry)
{
    return markLine(checksum, reachedLabel + QByteArray::number(entry));
}

QByteArray takeBackMark(const QByteArray& checksum)
{
    return markLine(checksum, takeBackLine);
}

Decoded decode(qint64 size, const ReadAt& read)
{
    QByteArray head;
    if (const int error = read(0, std::min(size, headingLimit), &head))
        return verdict(Decoded::Verdict::Unreadable, error);
    const qsizetype headEnd = head.indexOf("\n\n");
    qint64 bodyEnd = 0;
    const std::optional<Decoded> journal = headEnd < 0 ? std::nullopt : described(head, headEnd, size, &bodyEnd);
    // The checksum line may have lost its line end, and nothing else: the
    // checksum still tells that the journal was written whole.
    if (journal && size >= bodyEnd + checksumLineSize - 1) {
        QByteArray sum;
        QByteArray seal;
        int error = checksumOfFirst(read, bodyEnd, &sum);
        if (error == 0)
            error = read(bodyEnd, checksumLineSize, &seal);
        if (error != 0)
            return verdict(Decoded::Verdict::Unreadable, error);
        if (seal == checksumLabel + sum + '\n' || seal == checksumLabel + sum)
            return withMarks(*journal, sum, read, bodyEnd + checksumLineSize, size);
        // Its last line is the one just found wrong.
        if (size <= bodyEnd + checksumLineSize)
            return verdict(Decoded::Verdict::Damaged);
    }
    const Ending ending = endingOf(read, size);
    if (ending.error != 0)
        return verdict(Decoded::Verdict::Unreadable, ending.error);
    if (ending.sealed)
        return verdict(Decoded::Verdict::Impossible);
    if (journal && size > bodyEnd + checksumLineSize)
        return verdict(Decoded::Verdict::Damaged);
    return verdict(unsealed(head, size, ending.looksSealed));
}

Decoded decode(const QByteArray& journal)
{
    return decode(journal.size(), [&journal](qint64 offset, qint64 length, QByteArray* bytes) {
        *bytes = journal.mid(offset, length);
        return 0;
    });
}

Settlement settle(Kind kind, const Part& part, const FileNow& file, const ReadAt& journal)
{
    const Settlement leaveAlone{Step::LeaveAlone, 0, 0};
    if (file.size < part.sizeBefore)
        return leaveAlone;
    const qint64 start = tailStart(part.sizeBefore);
    QByteArray fileBytes;
    QByteArray journalBytes;
    if (const int error = file.read(start, part.sizeBefore - start, &fileBytes))
        return {Step::Unreadable, 0, error};
    if (fileBytes.size() != part.sizeBefore - start || tailChecksum(fileBytes) != part.tailChecksum)
        return leaveAlone;

    const qint64 written = file.size - part.sizeBefore;
    if (written > part.length)
        return leaveAlone;
    for (qint64 at = 0; at < written; at += pieceSize) {
        const qint64 length = std::min(pieceSize, written - at);
        int error = file.read(part.sizeBefore + at, length, &fileBytes);
        if (error == 0)
            error = journal(part.offset + at, length, &journalBytes);
        if (error != 0)
            return {Step::Unreadable, 0, error};
        if (fileBytes.size() != length || fileBytes != journalBytes)
            return leaveAlone;
    }
    if (kind == Kind::TakeBack)
        return {written == 0 ? Step::Nothing : Step::CutBack, 0, 0};
    if (written == part.length)
        return {Step::Nothing, written, 0};
    // The record was whole in this file once: what is missing now was cut
    // back by hand, and stays so.
    if (part.reached)
        return leaveAlone;
    return {Step::AppendRest, written, 0};
}

}  // namespace record_journal
