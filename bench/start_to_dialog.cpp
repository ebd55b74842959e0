// The program's start, exactly as app/main.cpp makes it (options, bank,
// window, start-up), up to its first window, the name dialog: the process
// ends right after the dialog's first paint. Takes the program's options.
#include "app/program.h"
#include "after_first_paint.h"
#include "platform/prompt_dialog.h"
#include "platform/qt_platform.h"

#include <cstdlib>

namespace {

class FirstDialogPlatform : public QtPlatform {
public:
    QString inputBox(const QString& prompt) override
    {
        PromptDialog dialog(prompt);
        AfterFirstPaint leave([] { std::_Exit(0); });
        dialog.installEventFilter(&leave);
        dialog.exec();
        return {};
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    FirstDialogPlatform platform;
    return runProgram(argc, argv, platform);
}
