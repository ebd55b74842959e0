#include "bank/text_bank.h"

#include "platform/drill_error.h"

void TextBank::checkIndex(long long index)
{
    if (!holds(index))
        throw DrillError(QStringLiteral("Question bank slot %1 does not exist (slots run from 0 to %2).")
                             .arg(index)
                             .arg(LastSlot));
}

const QString& TextBank::at(long long index) const
{
    checkIndex(index);
    return slots_[std::size_t(index)];
}

void TextBank::store(long long index, const QString& text)
{
    checkIndex(index);
    slots_[std::size_t(index)] = text;
}

void TextBank::append(long long index, const QString& text)
{
    checkIndex(index);
    slots_[std::size_t(index)] += text;
}

void TextBank::clear()
{
    for (QString& slot : slots_)
        slot.clear();
}
