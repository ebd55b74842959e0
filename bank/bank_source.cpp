#include "bank/bank_source.h"

#include "platform/posix_file.h"

#include <QDir>

#include <algorithm>
#include <cerrno>

namespace bank_source {

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

// Reads files into one bank, within the bytes a bank may hold in all.
class Reader {
public:
    Sources sources;

    void readPath(const QString& path);
    void readFile(const QString& path);
    void readFolder(const QString& path);

private:
    void fail(const QString& path, const QString& text)
    {
        sources.problems.push_back({bank_file::Problem::Error, path, 0, text});
    }
    void failWithReason(const QString& path, int error)
    {
        fail(path, QStringLiteral("cannot be read: %1").arg(posix_file::reason(error)));
    }
    void tooLarge(const QString& path, qint64 size)
    {
        fail(path, size > bank_file::MaxBankBytes
                       ? QStringLiteral("is %1, more than a bank may hold (%2)").arg(megabytes(size), megabytes(bank_file::MaxBankBytes))
                       : QStringLiteral("takes the bank past the %1 it may hold in all").arg(megabytes(bank_file::MaxBankBytes)));
    }

    qint64 budget_ = bank_file::MaxBankBytes;
};

void Reader::readPath(const QString& path)
{
    posix_file::PathInfo info;
    if (const int error = posix_file::pathInfo(posix_file::nativePath(path), &info))
        failWithReason(path, error);
    else if (info.isFolder())
        readFolder(path);
    else
        readFile(path);
}

void Reader::readFile(const QString& path)
{
    using posix_file::PlainFile;
    PlainFile file = posix_file::readPlainFile(path, budget_);
    switch (file.failure) {
    case PlainFile::Failure::None:
        budget_ -= file.size;
        sources.files.emplace_back(path, std::move(file.bytes));
        return;
    case PlainFile::Failure::System:
        return failWithReason(path, file.error);
    case PlainFile::Failure::NotPlain:
        return fail(path, QStringLiteral("is %1, not a bank file").arg(posix_file::kindOf(file.mode)));
    case PlainFile::Failure::TooLarge:
        return tooLarge(path, file.size);
    }
}

void Reader::readFolder(const QString& path)
{
    std::vector<QByteArray> entries;
    if (const int error = posix_file::listFolder(posix_file::nativePath(path), &entries))
        return failWithReason(path, error);
    QStringList names;
    for (const QByteArray& entry : entries) {
        const QString name = posix_file::pathFromNative(entry);
        if (isBankFileName(name))
            names.append(name);
    }
    if (names.isEmpty())
        return fail(path, QStringLiteral("is a folder without bank files (*.txt or *.drillbank)"));

    std::sort(names.begin(), names.end());
    const QDir folder(path);
    for (const QString& name : names)
        readFile(folder.filePath(name));
}

}  // namespace

bool isBankFileName(const QString& name)
{
    return !name.startsWith(u'.') &&
           (name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) ||
            name.endsWith(QStringLiteral(".drillbank"), Qt::CaseInsensitive));
}

Sources readPath(const QString& path)
{
    Reader reader;
    reader.readPath(path);
    return std::move(reader.sources);
}

Sources readFiles(const QStringList& paths)
{
    Reader reader;
    for (const QString& path : paths)
        reader.readFile(path);
    return std::move(reader.sources);
}

}  // namespace bank_source
