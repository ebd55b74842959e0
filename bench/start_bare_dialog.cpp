// A bare input dialog of the toolkit with the program's first prompt, started
// the way the program starts; the process ends right after its first paint.
#include "after_first_paint.h"

#include <QApplication>
#include <QInputDialog>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));
    QInputDialog dialog;
    dialog.setLabelText(QStringLiteral("Your full name:  "));
    AfterFirstPaint leave([] { std::_Exit(0); });
    dialog.installEventFilter(&leave);
    dialog.exec();
    return 0;
}
