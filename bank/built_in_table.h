#pragma once

#include <cstddef>

// The course text as the build compiles it from the files in data/: one
// entry per bank slot from slot 1 on, in order.
struct BankEntry {
    enum Kind { Store, Skip };  // Skip advances past a slot without storing
    Kind kind;
    const char* text;  // UTF-8; null for Skip
};

extern const BankEntry builtInTable[];
extern const std::size_t builtInTableSize;
