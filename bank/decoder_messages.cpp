#include "bank/decoder_messages.h"

#include <QtGlobal>

#include <mutex>

namespace decoder_messages {

namespace {

thread_local QStringList* kept = nullptr;
QtMessageHandler passOn = nullptr;

// Installed once and for good: decoding runs on several threads at a time,
// and each keeps its own messages; other threads' go on as before.
void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (kept && type != QtFatalMsg)
        kept->append(message);
    else
        passOn(type, context, message);
}

}  // namespace

Capture::Capture()
{
    static std::once_flag installed;
    std::call_once(installed, [] { passOn = qInstallMessageHandler(handle); });
    kept = &messages_;
}

Capture::~Capture()
{
    kept = nullptr;
}

}  // namespace decoder_messages
