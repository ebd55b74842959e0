// Fuzz target: arbitrary bytes through the bank reader and its checks.
//
// Input: the bytes of the bank; each 0x1F byte starts another file of it, so
// that banks of several files are read too.
//
// What must hold, else the target aborts: every problem names a file of the
// bank (or the bank) and a line within it; a bank is usable exactly when it
// has no error, holds an assignment and no slot past the last; in a usable
// bank every routine line that a press of Next Question / Answer or "next
// picture" would run names a graph or a picture to be read beside it; and a usable bank written back in the
// format reads back into the same slots.
#include "bank/bank_check.h"
#include "bank/bank_file.h"
#include "bank/reader_rules.h"
#include "fuzz_checks.h"

#include <QHash>

#include <algorithm>

#include <cstdint>

namespace {

using bank_file::Bank;

using fuzz_checks::require;

std::vector<std::pair<QString, QByteArray>> splitFiles(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::pair<QString, QByteArray>> files;
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\x1f');
    for (const QByteArray& part : parts)
        files.emplace_back(QStringLiteral("f%1.txt").arg(files.size()), part);
    return files;
}

void checkProblems(const Bank& bank, const std::vector<std::pair<QString, QByteArray>>& files)
{
    QHash<QString, qsizetype> lines;
    for (const auto& [name, bytes] : files)
        lines.insert(name, bytes.count('\n') + 1);
    for (const bank_file::Problem& problem : bank.problems) {
        const auto file = lines.constFind(problem.file);
        require(file != lines.constEnd() || (problem.file == bank.path && problem.line == 0),
                "a problem names no file of the bank");
        require(problem.line >= 0 && (file == lines.constEnd() || problem.line <= *file), "a problem's line is past its file");
        require(!problem.text.isEmpty(), "a problem without a text");
    }
    require(bank_file::problemLines(bank).count(u'\n') == qsizetype(bank.problems.size()), "not one line per problem");
    require(bank.usable() == (bank.errorCount() == 0), "usable despite an error");
    require(!bank_file::summary(bank).isEmpty(), "no summary");
}

void checkUsableBank(const Bank& bank)
{
    using reader_rules::isRoutineLine;
    require(!bank.assignments.empty(), "a usable bank without an assignment");
    require(bank.slotsUsed == int(bank.bankSlots.size()) && bank.slotsUsed <= bank_file::LastSlot,
            "a usable bank with slots past the last");
    for (const bank_file::Assignment& assignment : bank.assignments) {
        const QString& header = bank.bankSlots[std::size_t(assignment.headerSlot - 1)].text;
        require(bank_file::headerNumber(header) == assignment.number, "an assignment's header slot holds no header");
    }
    for (const bank_file::Slot& slot : bank.bankSlots) {
        require(!slot.text.contains(QStringLiteral("\n@@")) && !slot.text.startsWith(QStringLiteral("@@")),
                "an item holds a line of the format");
        require(slot.text.count(u'\n') == slot.text.count(QStringLiteral("\r\n")) &&
                    slot.text.count(u'\r') == slot.text.count(QStringLiteral("\r\n")),
                "an item's lines are not joined with CR LF");
        QString stepped = slot.text;
        reader_rules::stripMarker(stepped);
        const bool runs = isRoutineLine(stepped) && (stepped.size() > 8 || isRoutineLine(slot.text));
        const QString name = reader_rules::routineName(stepped);
        const bool picture = std::any_of(bank.pictureUses.begin(), bank.pictureUses.end(),
                                         [&](const bank_file::PictureUse& use) { return use.name == name; });
        require(!runs || bank_check::isKnownRoutine(name) || picture,
                "a usable bank ends the program at a routine line");
    }
}

void checkRoundTrip(const Bank& bank)
{
    const Bank again = bank_file::parse(QStringLiteral("again"), {{QStringLiteral("again.txt"), bank_file::formatted(bank.course, bank.bankSlots)}});
    require(again.usable() && again.course == bank.course, "a usable bank written back is not usable");
    require(again.bankSlots.size() == bank.bankSlots.size(), "a bank written back has other slots");
    for (std::size_t i = 0; i < bank.bankSlots.size(); ++i) {
        require(again.bankSlots[i].stores == bank.bankSlots[i].stores && again.bankSlots[i].text == bank.bankSlots[i].text,
                "a slot written back reads otherwise");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(fuzz_checks::quietMessages);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto files = splitFiles(data, size);
    const Bank bank = bank_file::parse(QStringLiteral("fuzz"), files);
    checkProblems(bank, files);
    if (bank.usable()) {
        checkUsableBank(bank);
        checkRoundTrip(bank);
    }
    return 0;
}
