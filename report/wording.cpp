#include "report/wording.h"

namespace wording {

QString count(qsizetype n, const QString& singular, const QString& plural)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? singular : plural);
}

QString duration(qint64 seconds)
{
    const qint64 minutes = seconds / 60;
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

QString stamp(const student_records::Record& record)
{
    return record.date.isEmpty() ? record.entry->time : record.date + u' ' + record.entry->time;
}

QString assignmentTitle(const QString& number)
{
    return number.isEmpty() ? QStringLiteral("No assignment opening") : QStringLiteral("Assignment ") + number;
}

QString ratingKind(record_reader::RatingKind kind)
{
    switch (kind) {
    case record_reader::RatingKind::Confidence:
        return QStringLiteral("confidence");
    case record_reader::RatingKind::SelfCritique:
        return QStringLiteral("self critique");
    case record_reader::RatingKind::None:
        break;
    }
    return QStringLiteral("rating");
}

}  // namespace wording
