#include "report/class_archive.h"

#include <QStringList>

#include <zip.h>

namespace class_archive {

class Archive {
public:
    explicit Archive(zip_t* zip) : zip_(zip) {}
    ~Archive() { zip_discard(zip_); }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    zip_t* zip() { return zip_; }
    std::mutex& turn() { return turn_; }

private:
    zip_t* zip_;
    std::mutex turn_;
};

namespace {

QString errorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString errorText(zip_error_t* error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}

}  // namespace

std::optional<QString> confinedName(const QString& name)
{
    QString path = name;
    path.replace(u'\\', u'/');
    if (path.startsWith(u'/') || (path.size() >= 2 && path[1] == u':' && path[0].isLetter()))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return std::nullopt;
        if (part != QLatin1String("."))
            parts.append(part);
    }
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(u'/');
}

bool looksLikeArchive(const QByteArray& start)
{
    return start.startsWith("PK\x03\x04") || start.startsWith("PK\x05\x06");
}

Opened open(const QByteArray& nativePath)
{
    Opened opened;
    int code = 0;
    zip_t* zip = zip_open(nativePath.constData(), ZIP_RDONLY, &code);
    if (!zip) {
        opened.failure = QStringLiteral("it is no zip archive, or a damaged one (%1)").arg(errorText(code));
        return opened;
    }
    opened.archive = std::make_shared<Archive>(zip);
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) {
            opened.refused.push_back({QStringLiteral("entry %1").arg(i + 1), errorText(zip_get_error(zip))});
            continue;
        }
        const QString name = QString::fromUtf8(stat.name);
        if (name.endsWith(u'/') || name.endsWith(u'\\'))
            continue;
        const auto confined = confinedName(name);
        if (!confined) {
            opened.refused.push_back({name, QStringLiteral("its name leads out of the archive's folder")});
            continue;
        }
        const qint64 size = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0;
        opened.files.push_back({*confined, qint64(i), size});
    }
    return opened;
}

Contents read(Archive& archive, const Entry& entry, qint64 limit)
{
    if (entry.size > limit)
        return {{}, QStringLiteral("unpacked it would be %1 bytes, more than a record file can be").arg(entry.size)};
    const std::lock_guard<std::mutex> lock(archive.turn());
    zip_file_t* file = zip_fopen_index(archive.zip(), zip_uint64_t(entry.index), 0);
    if (!file)
        return {{}, errorText(zip_get_error(archive.zip()))};
    QByteArray bytes;
    bytes.reserve(qsizetype(entry.size));
    char buffer[1 << 16];
    std::optional<QString> failure;
    while (true) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            failure = errorText(zip_file_get_error(file));
            break;
        }
        if (got == 0)
            break;
        if (bytes.size() + got > limit) {
            failure = QStringLiteral("it unpacks to more than %1 bytes, more than a record file can be").arg(limit);
            break;
        }
        bytes.append(buffer, qsizetype(got));
    }
    zip_fclose(file);
    if (failure)
        return {{}, failure};
    return {std::move(bytes), std::nullopt};
}

}  // namespace class_archive
