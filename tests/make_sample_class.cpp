// Writes a folder of sample send files through the program's record writer:
// the small showcase class of the README's screenshot, or a large class for
// the benchmark.
#include "sample_class.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    try {
        if (args.size() == 2) {
            sample_class::writeShowcase(args[1]);
            return 0;
        }
        if (args.size() == 5 && args[2] == QLatin1String("--class")) {
            sample_class::writeClass(args[1], args[3].toInt(), args[4].toLongLong(), 1);
            return 0;
        }
        if (args.size() == 4 || args.size() == 5) {
            const quint32 seed = args.size() == 5 ? args[4].toUInt() : 1;
            sample_class::writeLarge(args[1], args[2].toInt(), args[3].toLongLong(), seed);
            return 0;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_sample_class: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: make_sample_class FOLDER [STUDENTS BYTES_PER_FILE [SEED] | --class STUDENTS BYTES_PER_STUDENT]\n");
    return 2;
}
