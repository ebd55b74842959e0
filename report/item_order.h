#pragma once

#include <QString>

#include <vector>

// The order of an assignment's items as the records show it. Each student
// meets the items in the order of the bank but skips some; merging the
// orders of first appearance of all students gives back the bank's order
// as far as the records tell it.
namespace item_order {

// Every item of every run once: an item met before another by a student
// comes before it, and items that no run orders come in the order in which
// they were first met. Where runs disagree (a bank that changed), the run
// read first decides.
std::vector<QString> merged(const std::vector<std::vector<QString>>& runs);

}  // namespace item_order
