// An instructor's bank of 5000 slots and 5 MB, read from disk and checked
// whole, as --bank and --check-bank do it.
#include "bank/bank_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// 100 assignments of 50 slots: a header, then questions with their given
// answers, a routine line now and then, and empty slots between them; the
// items are long enough for 5 MB in all.
QByteArray largeBank()
{
    QByteArray text = "@@ course Physics II, every section\n";
    const QByteArray sentence = "A 2.0 kg block slides 3.0 m down a 30 degree incline with mu = 0.20; find its speed. ";
    for (int assignment = 0; assignment < 100; ++assignment) {
        text += "@@ item\n" + QByteArray::number(100 + assignment) + ".  `query " + QByteArray::number(assignment + 1) + '\n';
        for (int slot = 1; slot < 50; ++slot) {
            if (slot % 7 == 0) {
                text += "@@ empty\n";
            } else if (slot % 12 == 1) {
                text += "@@ item\n`routine graph" + QByteArray::number(1 + slot % 3) + '\n';
            } else {
                text += slot % 2 == 0 ? "@@ item\n`q" : "@@ item\n`a";
                for (int line = 0; line < 8; ++line)
                    text += sentence.repeated(2) + "{}\n";
                text += '\n';
            }
        }
    }
    return text;
}

void BM_ReadAndCheckLargeBank(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.drillbank"));
    const QByteArray text = largeBank();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        state.SkipWithError("the bank could not be written");
        return;
    }
    file.close();
    int slotsRead = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bank_file::Bank bank = bank_file::read(path);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!bank.usable()) {
            state.SkipWithError("the bank is not usable");
            break;
        }
        slotsRead = bank.slotsUsed;
    }
    state.counters["slots"] = slotsRead;
    state.counters["megabytes"] = double(text.size()) / (1024 * 1024);
}
BENCHMARK(BM_ReadAndCheckLargeBank)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
