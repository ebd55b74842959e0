#pragma once

#include <QDateTime>
#include <QString>

// Text and number rules that every part of the program relies on. They are
// fixed here, independent of the locale.
namespace text_rules {

QString dateText(const QDate& date);  // mm-dd-yyyy
QString timeText(const QTime& time);  // hh:mm:ss

// The number at the start of a text: leading blanks skipped, an optional
// sign, digits with an optional fraction and exponent; 0 when there is none.
double leadingNumber(const QString& text);

// The leading number of a text plus one, as text in plain decimal form. A
// run of digits of any length is counted up exactly, so no typed number can
// overflow.
QString leadingNumberPlusOne(const QString& text);

// A number in plain decimal form without a leading blank ("12", "2.5",
// "-3"). Throws DrillError on a value too large to hold.
QString numberText(double value);

// A fraction turned into a whole number: to the nearest, halves to even.
long long roundHalfEven(double value);

}  // namespace text_rules
