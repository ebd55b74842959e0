// The window's Designer form alone on a plain widget: the same controls as
// the drill window, none of the program's own work. Leaves right after its
// first paint.
#include "ui_main_form.h"

#include "after_first_paint.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));

    QWidget window;
    Ui::MainForm ui;
    ui.setupUi(&window);
    AfterFirstPaint quitter([] { QCoreApplication::exit(0); });
    window.installEventFilter(&quitter);
    window.show();
    return app.exec();
}
