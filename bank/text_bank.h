#pragma once

#include <QString>

#include <vector>

// The question bank's storage: slots 0 to 5000, each one text item. Every
// store and read checks its index; a slot never stored reads as empty.
class TextBank {
public:
    static constexpr int LastSlot = 5000;

    static bool holds(long long index) { return index >= 0 && index <= LastSlot; }

    const QString& at(long long index) const;
    void store(long long index, const QString& text);
    void append(long long index, const QString& text);
    void clear();

private:
    static void checkIndex(long long index);

    std::vector<QString> slots_ = std::vector<QString>(LastSlot + 1);
};
