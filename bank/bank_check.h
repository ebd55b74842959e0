#pragma once

#include "bank/bank_file.h"

// The checks of a bank read whole: its assignments, where a student's pass
// through each one ends, and its routine lines.
namespace bank_check {

// Fills bank.assignments and adds the problems found to bank.problems.
void check(bank_file::Bank& bank);

// The names of the routines that a routine line can run.
bool isKnownRoutine(const QString& name);

}  // namespace bank_check
