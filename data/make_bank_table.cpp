// Build tool: turns the course text files (data/0NN.txt) into the C++ table
// that the program's bank loader installs, so nothing is read at run time.
//
// File format, one slot after another:
//   "@@ item"        the lines up to the next "@@" line are the item's text,
//                    joined with CR LF; empty lines at its end are dropped
//   "@@ empty"       an empty slot
//   "@@ unassigned"  a slot that the loader passes over without storing
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Slot {
    bool stores = true;
    std::vector<std::string> lines;
};

bool readSlots(const char* path, std::vector<Slot>& slots)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot be opened\n";
        return false;
    }
    std::string line;
    int number = 0;
    bool inItem = false;
    const std::size_t first = slots.size();
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("@@", 0) == 0) {
            const std::string kind = line.substr(2);
            if (kind == " item")
                slots.push_back({true, {}});
            else if (kind == " empty")
                slots.push_back({true, {}});
            else if (kind == " unassigned")
                slots.push_back({false, {}});
            else {
                std::cerr << path << ":" << number << ": unknown marker line\n";
                return false;
            }
            inItem = kind == " item";
            continue;
        }
        if (inItem) {
            slots.back().lines.push_back(line);
        } else if (!line.empty()) {
            std::cerr << path << ":" << number << ": text outside an item\n";
            return false;
        }
    }
    for (std::size_t i = first; i < slots.size(); ++i) {
        auto& lines = slots[i].lines;
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
    }
    return true;
}

std::string literal(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7f && c != '?') {
            out += char(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", c);
            out += escaped;
        }
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: make_bank_table OUTPUT.cpp DATA_FILE...\n";
        return 2;
    }
    std::vector<Slot> slots;
    for (int i = 2; i < argc; ++i) {
        if (!readSlots(argv[i], slots))
            return 1;
    }
    std::ostringstream out;
    out << "// Generated from the course text in data/. Do not edit.\n"
        << "#include \"bank/built_in_table.h\"\n\n"
        << "const BankEntry builtInTable[] = {\n";
    for (const Slot& slot : slots) {
        if (!slot.stores) {
            out << "    {BankEntry::Skip, nullptr},\n";
            continue;
        }
        out << "    {BankEntry::Store,";
        if (slot.lines.empty())
            out << " \"\"";
        for (std::size_t i = 0; i < slot.lines.size(); ++i)
            out << "\n        " << literal(i + 1 < slot.lines.size() ? slot.lines[i] + "\r\n" : slot.lines[i]);
        out << "},\n";
    }
    out << "};\n\nconst std::size_t builtInTableSize = " << slots.size() << ";\n";

    std::ofstream file(argv[1], std::ios::binary);
    file << out.str();
    return file ? 0 : 1;
}
