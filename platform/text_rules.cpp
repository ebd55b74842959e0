#include "platform/text_rules.h"

#include "platform/drill_error.h"

#include <cmath>
#include <limits>

namespace text_rules {

QString dateText(const QDate& date)
{
    return QString::asprintf("%02d-%02d-%04d", date.month(), date.day(), date.year());
}

QString timeText(const QTime& time)
{
    return QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

namespace {

struct NumberSpan {
    qsizetype start = 0;  // first character of the number (its sign, if any)
    qsizetype end = 0;    // one past its last character
    bool integral = true; // only a sign and digits
};

NumberSpan findLeadingNumber(const QString& text)
{
    NumberSpan span;
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    span.start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    qsizetype digits = i - digitsStart;
    if (i < text.size() && text[i] == u'.') {
        qsizetype j = i + 1;
        while (j < text.size() && text[j].unicode() >= '0' && text[j].unicode() <= '9')
            ++j;
        if (j - i - 1 > 0 || digits > 0) {
            digits += j - i - 1;
            span.integral = false;
            i = j;
        }
    }
    if (digits == 0)
        return {span.start, span.start, true};
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype expStart = j;
        while (j < text.size() && text[j].unicode() >= '0' && text[j].unicode() <= '9')
            ++j;
        if (j > expStart) {
            span.integral = false;
            i = j;
        }
    }
    span.end = i;
    return span;
}

// Adds one to a run of decimal digits.
QString incrementDigits(QString digits)
{
    qsizetype i = digits.size() - 1;
    while (i >= 0 && digits[i] == u'9') {
        digits[i] = u'0';
        --i;
    }
    if (i < 0)
        return QStringLiteral("1") + digits;
    digits[i] = QChar(digits[i].unicode() + 1);
    return digits;
}

QString stripLeadingZeros(const QString& digits)
{
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits[i] == u'0')
        ++i;
    return digits.mid(i);
}

}  // namespace

double leadingNumber(const QString& text)
{
    const NumberSpan span = findLeadingNumber(text);
    if (span.end == span.start)
        return 0.0;
    bool ok = false;
    const double value = text.mid(span.start, span.end - span.start).toDouble(&ok);
    return ok ? value : std::numeric_limits<double>::infinity();
}

QString leadingNumberPlusOne(const QString& text)
{
    const NumberSpan span = findLeadingNumber(text);
    if (span.end == span.start)
        return QStringLiteral("1");
    QString number = text.mid(span.start, span.end - span.start);
    if (number.startsWith(u'+'))
        number.remove(0, 1);
    if (span.integral && !number.startsWith(u'-'))
        return stripLeadingZeros(incrementDigits(number));
    return numberText(leadingNumber(text) + 1.0);
}

QString numberText(double value)
{
    if (!std::isfinite(value))
        throw DrillError(QStringLiteral("A number is too large to be used."));
    if (value == 0.0)
        return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e18)
        return QString::number(static_cast<long long>(value));
    QString text = QString::number(value, 'f', 15);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

long long roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    long long result = static_cast<long long>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

}  // namespace text_rules
