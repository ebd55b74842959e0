#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: an invariant that must hold, and the toolkit's
// messages kept quiet (its warnings about odd characters would bury the
// fuzzer's own output) unless one is fatal.
namespace fuzz_checks {

inline void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

inline void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

}  // namespace fuzz_checks
