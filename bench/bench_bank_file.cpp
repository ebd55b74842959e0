// An instructor's bank of 5000 slots and 5 MB, and one with 50 pictures,
// read from disk and checked whole, as --bank and --check-bank do it.
#include "bank/bank_pictures.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

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
        const bank_file::Bank bank = bank_pictures::read(path).bank;
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

namespace {

// A photograph-like picture of 600 by 400 pixels: a smooth gradient with
// noise in the low bits, which a PNG encoder cannot squeeze much below
// 200 kB.
QImage noisyPicture(unsigned seed)
{
    std::mt19937 noise(seed);
    QImage image(600, 400, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const unsigned bits = noise();
            line[x] = qRgb(int((x * 200 / 600) ^ (bits & 3)), int((y * 200 / 400) ^ ((bits >> 2) & 3)),
                           int(((x + y) * 100 / 1000) ^ ((bits >> 4) & 1)));
        }
    }
    return image;
}

void BM_ReadAndCheckBankWithPictures(benchmark::State& state)
{
    QTemporaryDir dir;
    QByteArray text = "@@ item\n101.  `query 1  Fifty pictures\n";
    qint64 pictureBytes = 0;
    for (int i = 0; i < 50; ++i) {
        const QString name = QStringLiteral("picture%1.png").arg(i, 2, 10, QLatin1Char('0'));
        if (!noisyPicture(unsigned(i)).save(dir.filePath(name))) {
            state.SkipWithError("a picture could not be written");
            return;
        }
        pictureBytes += QFile(dir.filePath(name)).size();
        text += "@@ item\n`routine " + name.toUtf8() + "\n@@ item\n`qWhat does picture " + QByteArray::number(i) +
                " show?\n@@ empty\n";
    }
    const QString path = dir.filePath(QStringLiteral("pictures.drillbank"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        state.SkipWithError("the bank could not be written");
        return;
    }
    file.close();
    qsizetype pictures = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bank_pictures::LoadedBank loaded = bank_pictures::read(path);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!loaded.bank.usable()) {
            state.SkipWithError("the bank is not usable");
            break;
        }
        pictures = loaded.pictures.size();
    }
    state.counters["pictures"] = double(pictures);
    state.counters["picture_kilobytes"] = double(pictureBytes) / 1024 / 50;
}
BENCHMARK(BM_ReadAndCheckBankWithPictures)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
