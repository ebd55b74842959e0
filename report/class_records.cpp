#include "report/class_records.h"

#include <QDate>
#include <QTime>


namespace class_records {

namespace {

constexpr qint64 day = 24 * 3600;

}  // namespace

std::optional<StudentFile> readFile(const inputs::File& file, QString& failure)
{
    inputs::Contents contents = inputs::read(file);
    if (contents.failure) {
        failure = *contents.failure;
        return std::nullopt;
    }
    return StudentFile{file.name,  file.path, file.student,    record_reader::read(contents.bytes),
                       file.label, file.kind, file.studentKey, file.studentId};
}

std::optional<qint64> stampSeconds(const QString& date, const QString& time)
{
    // Parsed by hand: the date-time parser costs more than all the rest of
    // a report.
    const auto field = [](const QString& text, qsizetype at, qsizetype length) {
        int value = 0;
        for (qsizetype i = at; i < at + length; ++i) {
            if (i >= text.size() || !text[i].isDigit() || text[i].unicode() > u'9')
                return -1;
            value = value * 10 + (text[i].unicode() - u'0');
        }
        return value;
    };
    const bool timeShape = time.size() == 8 && time[2] == u':' && time[5] == u':';
    const QTime clock = timeShape ? QTime(field(time, 0, 2), field(time, 3, 2), field(time, 6, 2)) : QTime();
    if (!clock.isValid())
        return std::nullopt;
    const bool dateShape = date.size() == 10 && date[2] == u'-' && date[5] == u'-';
    const QDate calendar = dateShape ? QDate(field(date, 6, 4), field(date, 0, 2), field(date, 3, 2)) : QDate();
    const qint64 days = calendar.isValid() ? calendar.toJulianDay() : 0;
    return days * day + clock.msecsSinceStartOfDay() / 1000;
}

qint64 timeOnTask(const std::vector<qint64>& stamps)
{
    qint64 total = 0;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        const qint64 gap = stamps[i] - stamps[i - 1];
        if (gap >= 0 && gap < taskGapSeconds)
            total += gap;
    }
    return total;
}

}  // namespace class_records
