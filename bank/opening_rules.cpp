#include "bank/opening_rules.h"

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
        const QString& item = bank.at(i);
        if (item.size() >= 4 && item[0].isDigit() && item[1].isDigit() && item[2].isDigit() && item[3] == u'.')
            numbers.append(item.left(3));
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
