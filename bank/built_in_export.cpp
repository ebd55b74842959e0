#include "bank/built_in_export.h"

#include "bank/bank_file.h"
#include "bank/built_in_table.h"

namespace built_in_export {

QByteArray bankText()
{
    std::vector<bank_file::Slot> tableSlots;
    tableSlots.reserve(builtInTableSize);
    for (std::size_t i = 0; i < builtInTableSize; ++i) {
        const BankEntry& entry = builtInTable[i];
        tableSlots.push_back({entry.kind == BankEntry::Store,
                          entry.kind == BankEntry::Store ? QString::fromUtf8(entry.text) : QString()});
    }
    return bank_file::formatted(bank_file::builtInCourse(), tableSlots);
}

}  // namespace built_in_export
