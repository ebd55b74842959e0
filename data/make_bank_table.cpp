// Build tool: reads the course text files (data/0NN.txt) with the program's
// bank reader and turns them into the C++ table that the bank loader
// installs, so nothing is read at run time. A problem in the text fails the
// build with its file and line.
#include "bank/bank_file.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

QByteArray literal(const QByteArray& text)
{
    QByteArray out = "\"";
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += byte;
        } else if (c >= 0x20 && c < 0x7f && c != '?') {
            out += byte;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", c);
            out += escaped;
        }
    }
    return out + "\"";
}

QByteArray table(const bank_file::Bank& bank)
{
    QByteArray out = "// Generated from the course text in data/. Do not edit.\n"
                     "#include \"bank/built_in_table.h\"\n\n"
                     "const BankEntry builtInTable[] = {\n";
    for (const bank_file::Slot& slot : bank.bankSlots) {
        if (!slot.stores) {
            out += "    {BankEntry::Skip, nullptr},\n";
            continue;
        }
        out += "    {BankEntry::Store,";
        // One literal per line of the item, so the table reads like the text.
        const QList<QByteArray> lines = slot.text.toUtf8().split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i)
            out += "\n        " + literal(i + 1 < lines.size() ? lines[i] + '\n' : lines[i]);
        out += "},\n";
    }
    return out + "};\n\nconst std::size_t builtInTableSize = " + QByteArray::number(qsizetype(bank.bankSlots.size())) + ";\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_bank_table OUTPUT.cpp DATA_FILE...\n");
        return 2;
    }
    QStringList paths;
    for (int i = 2; i < argc; ++i)
        paths.append(QFile::decodeName(argv[i]));
    const bank_file::Bank bank = bank_file::readFiles(paths);
    std::fputs(bank_file::problemLines(bank).toLocal8Bit().constData(), stderr);
    if (!bank.usable() || !bank.course.isEmpty() || !bank.pictureUses.empty()) {
        if (!bank.course.isEmpty())
            std::fprintf(stderr, "%s: error: the built-in course text takes no course line\n", argv[2]);
        if (!bank.pictureUses.empty())
            std::fprintf(stderr, "%s: error: the built-in course text takes no pictures\n", argv[2]);
        return 1;
    }

    QFile file(QFile::decodeName(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(table(bank)) < 0 || !file.flush()) {
        std::fprintf(stderr, "%s: cannot be written: %s\n", argv[1], file.errorString().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
