#include "bank/opening_rules.h"

#include "bank/bank_file.h"
#include "bank/text_bank.h"
#include "platform/text_rules.h"

namespace opening_rules {

bool isHeaderLine(const QString& line, const QString& assignmentNumber)
{
    return line.left(4) == assignmentNumber + QStringLiteral(".");
}

QStringList assignmentsIn(const TextBank& bank)
{
    QStringList numbers;
    for (int i = 1; i <= TextBank::LastSlot; ++i) {
        if (const QString number = bank_file::headerNumber(bank.at(i)); !number.isEmpty())
            numbers.append(number);
    }
    return numbers;
}

QByteArray makeCodeLine(int count, const std::function<float()>& nextRandom)
{
    using text_rules::roundHalfEven;
    QByteArray line;
    for (int i = 0; i < count; ++i) {
        const float r = nextRandom();
        if (r < 0.1f) {
            const float s = nextRandom();
            line.append(char(roundHalfEven(double(s) * 50.0 + 66.0)));
        }
        const float t = nextRandom();
        line.append(char(roundHalfEven(double(t) * 137.0 + 118.0)));
    }
    return line;
}

QString code(const QString& a, int codeNbr)
{
    Q_UNUSED(codeNbr);
    return a;
}

}  // namespace opening_rules
