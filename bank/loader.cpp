#include "app/main_form.h"
#include "bank/built_in_table.h"

void MainForm::loadQuestionBank()
{
    if (instructorBank_) {
        for (const bank_file::Slot& slot : instructorBank_->bankSlots) {
            lineIndex += 1;
            if (slot.stores)
                QuestionBank.store(lineIndex, slot.text);
        }
    } else {
        for (std::size_t i = 0; i < builtInTableSize; ++i) {
            const BankEntry& entry = builtInTable[i];
            lineIndex += 1;
            if (entry.kind == BankEntry::Store)
                QuestionBank.store(lineIndex, QString::fromUtf8(entry.text));
        }
    }
    lineIndex = 0;
}
