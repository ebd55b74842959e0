// The program's start, as app/main.cpp makes it, with the dialogs answered at
// once (a name, Enter, "11"); the program leaves right after the window's
// first paint. With --size it prints the window's size and leaves.
#include "app/main_form.h"
#include "platform/qt_platform.h"
#include "after_first_paint.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <deque>

namespace {

class AnsweringPlatform : public QtPlatform {
public:
    QString inputBox(const QString&) override
    {
        if (answers_.empty())
            return {};
        QString answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

private:
    std::deque<QString> answers_{QStringLiteral("A. Student"), QString(), QStringLiteral("11")};
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));

    AnsweringPlatform platform;
    MainForm form(platform);
    if (argc > 1 && std::strcmp(argv[1], "--size") == 0) {
        std::printf("%d %d\n", form.width(), form.height());
        return 0;
    }
    form.load();
    if (form.hasEnded())
        return form.exitStatus();
    AfterFirstPaint quitter([] { QCoreApplication::exit(0); });
    form.installEventFilter(&quitter);
    form.show();
    form.ui.txt_question->setFocus();
    return app.exec();
}
