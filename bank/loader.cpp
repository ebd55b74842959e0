#include "app/main_form.h"
#include "bank/built_in_table.h"

void MainForm::loadQuestionBank()
{
    for (std::size_t i = 0; i < builtInTableSize; ++i) {
        const BankEntry& entry = builtInTable[i];
        lineIndex += 1;
        if (entry.kind == BankEntry::Store)
            QuestionBank.store(lineIndex, QString::fromUtf8(entry.text));
    }
    lineIndex = 0;
}
