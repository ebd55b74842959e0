#include "platform/record_journal.h"

#include <QCryptographicHash>
#include <QFile>

namespace record_journal {
namespace {

// A journal is its heading, a line per file, an empty line, the bytes of
// every file one after the other, and a checksum line over all of that:
//
//   record journal 1
//   file DEVICE INODE SIZE_BEFORE LENGTH NAME
//   ...
//   (empty line)
//   BYTES...
//   sha256 HEX
const QByteArray heading = "record journal 1";
const QByteArray checksumLabel = "sha256 ";
constexpr qsizetype checksumLineSize = 7 + 64 + 1;

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

std::optional<Entry> entryFrom(const QByteArray& line)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 6 || fields[0] != "file")
        return std::nullopt;
    bool ok[4] = {};
    Entry entry;
    entry.identity.device = fields[1].toULongLong(&ok[0]);
    entry.identity.inode = fields[2].toULongLong(&ok[1]);
    entry.sizeBefore = fields[3].toLongLong(&ok[2]);
    const qint64 length = fields[4].toLongLong(&ok[3]);
    entry.name = QFile::decodeName(QByteArray::fromPercentEncoding(fields[5]));
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || entry.sizeBefore < 0 || length < 0 || entry.name.isEmpty())
        return std::nullopt;
    entry.bytes.resize(length);  // filled from the journal's body by decode()
    return entry;
}

}  // namespace

QByteArray encode(const QList<Entry>& entries)
{
    QByteArray journal = heading + '\n';
    for (const Entry& entry : entries) {
        journal += "file " + QByteArray::number(entry.identity.device) + ' ' + QByteArray::number(entry.identity.inode)
                   + ' ' + QByteArray::number(entry.sizeBefore) + ' ' + QByteArray::number(entry.bytes.size()) + ' '
                   + QFile::encodeName(entry.name).toPercentEncoding() + '\n';
    }
    journal += '\n';
    for (const Entry& entry : entries)
        journal += entry.bytes;
    return journal + checksumLabel + checksum(journal) + '\n';
}

std::optional<QList<Entry>> decode(const QByteArray& journal)
{
    if (journal.size() < checksumLineSize)
        return std::nullopt;
    const qsizetype bodySize = journal.size() - checksumLineSize;
    const QByteArrayView body(journal.constData(), bodySize);
    if (journal.mid(bodySize) != checksumLabel + checksum(body) + '\n')
        return std::nullopt;

    const qsizetype headEnd = journal.indexOf("\n\n");
    if (headEnd < 0 || headEnd + 2 > bodySize)
        return std::nullopt;
    QList<QByteArray> lines = journal.left(headEnd).split('\n');
    if (lines.takeFirst() != heading)
        return std::nullopt;
    QList<Entry> entries;
    qsizetype at = headEnd + 2;
    for (const QByteArray& line : lines) {
        std::optional<Entry> entry = entryFrom(line);
        if (!entry || entry->bytes.size() > bodySize - at)
            return std::nullopt;
        entry->bytes = journal.mid(at, entry->bytes.size());
        at += entry->bytes.size();
        entries.append(*entry);
    }
    if (at != bodySize)
        return std::nullopt;
    return entries;
}

Completion complete(const Entry& entry, const FileNow& file)
{
    const qint64 written = file.size - entry.sizeBefore;
    if (file.identity != entry.identity || written < 0 || written > entry.bytes.size())
        return {};
    if (written > 0 && file.read(entry.sizeBefore, written) != entry.bytes.left(written))
        return {};
    if (written == entry.bytes.size())
        return {Step::Nothing, written};
    return {Step::AppendRest, written};
}

}  // namespace record_journal
