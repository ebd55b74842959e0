// The bank written back in its own format, as an instructor reads and edits it.
#include "bank/bank_file.h"

namespace bank_file {

QByteArray formatted(const QString& course, const std::vector<Slot>& bankSlots)
{
    QByteArray text;
    if (!course.isEmpty())
        text += "@@ course " + course.toUtf8() + "\n\n";
    for (const Slot& slot : bankSlots) {
        if (!slot.stores)
            text += "@@ unassigned\n";
        else if (slot.text.isEmpty())
            text += "@@ empty\n";
        else  // the empty line after the item's text is dropped when it is read
            text += "@@ item\n" + slot.text.toUtf8().replace("\r\n", "\n") + "\n\n";
    }
    return text;
}

}  // namespace bank_file
