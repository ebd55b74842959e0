// Runs a fuzz target without libFuzzer, for machines without clang and as
// a test: every file of the corpus, then inputs made from them by seeded
// random changes, until the count or the time is reached.
//
//   TARGET_seeded CORPUS_FOLDER COUNT SECONDS [SEED]   (COUNT 0: no limit)
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <random>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Bytes and runs that mean something to the targets or to the bank.
const QList<QByteArray> tokens = {"\x1e", "\x1d", "\x1c", "`q", "`a", "`routine graph1", "`ROUTINE Graph-2",
                                  "`routine graph3", "`routine x", "{}", "{", "}", "011.  `query 1", "012.",
                                  "\r\n", "\r", " ", "-", "1e999", "-0.5", "\n@@ item\n", "\n@@ empty\n",
                                  "\n@@ unassigned\n", "@@ course ", "\xef\xbb\xbf", "\x1f", "\xc3"};

void run(const QByteArray& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
}

QByteArray mutate(QByteArray input, const QList<QByteArray>& corpus, std::mt19937& random)
{
    const auto below = [&](qsizetype n) { return qsizetype(random() % std::uint32_t(qMax<qsizetype>(1, n))); };
    const int changes = 1 + int(random() % 8);
    for (int c = 0; c < changes; ++c) {
        switch (random() % 7) {
        case 0:
            if (!input.isEmpty())
                input[below(input.size())] = char(random());
            break;
        case 1:
            input.insert(below(input.size() + 1), tokens[below(tokens.size())]);
            break;
        case 2: {
            QByteArray run(below(64) + 1, '\0');
            for (char& b : run)
                b = char(random());
            input.insert(below(input.size() + 1), run);
            break;
        }
        case 3:
            if (!input.isEmpty()) {
                const qsizetype at = below(input.size());
                input.remove(at, below(input.size() - at) + 1);
            }
            break;
        case 4:
            if (!input.isEmpty()) {
                const qsizetype at = below(input.size());
                input.insert(below(input.size() + 1), input.mid(at, below(256) + 1));
            }
            break;
        case 5:
            if (!corpus.isEmpty()) {
                const QByteArray& other = corpus[below(corpus.size())];
                input = input.left(below(input.size() + 1)) + other.mid(below(other.size() + 1));
            }
            break;
        default:
            input.insert(below(input.size() + 1), QByteArray("\x1d") + char(random()));
            break;
        }
    }
    return input.left(64 * 1024);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER COUNT SECONDS [SEED]\n", argv[0]);
        return 2;
    }
    const long long count = std::atoll(argv[2]);
    const qint64 milliseconds = std::atoll(argv[3]) * 1000;
    std::mt19937 random(argc > 4 ? std::uint32_t(std::atoll(argv[4])) : 20261207u);
    LLVMFuzzerInitialize(&argc, &argv);

    QList<QByteArray> corpus;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            corpus.append(file.readAll());
    }
    if (corpus.isEmpty()) {
        std::fprintf(stderr, "no corpus in %s\n", argv[1]);
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    for (const QByteArray& input : corpus)
        run(input);
    long long tried = 0;
    while ((count == 0 || tried < count) && clock.elapsed() < milliseconds) {
        const QByteArray& base = corpus[random() % std::uint32_t(corpus.size())];
        run(mutate(base, corpus, random));
        ++tried;
    }
    std::printf("figures: %lld inputs tried (%lld corpus files, %lld seeded random changes of them) in %.1f s\n",
                static_cast<long long>(corpus.size()) + tried, static_cast<long long>(corpus.size()), tried,
                clock.elapsed() / 1000.0);
    return 0;
}
