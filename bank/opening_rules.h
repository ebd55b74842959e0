#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class TextBank;

namespace opening_rules {

// A header line begins with the assignment number and a point.
bool isHeaderLine(const QString& line, const QString& assignmentNumber);

// The numbers of the assignments whose header lines the bank holds, in order.
QStringList assignmentsIn(const TextBank& bank);

// `count` rounds of random characters: with a chance of one in ten a
// character from "B" to "t", then always one with a code from 118 to 255.
// The result is raw bytes: codes 128 to 255 go to the record files as they
// are. The draws come from `nextRandom`, in [0, 1).
QByteArray makeCodeLine(int count, const std::function<float()>& nextRandom);

// Record lines that carry bank text or typed text pass through here; the
// text comes back unchanged.
QString code(const QString& a, int codeNbr);

}  // namespace opening_rules
