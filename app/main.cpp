#include "app/main_form.h"
#include "platform/qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));

    QtPlatform platform;
    MainForm form(platform);
    form.load();
    if (form.hasEnded())
        return form.exitStatus();
    form.show();
    form.ui.txt_question->setFocus();
    return app.exec();
}
