// A bare window of the given size, shown, leaving right after its first paint.
// usage: start_bare WIDTH HEIGHT
#include "after_first_paint.h"

#include <QApplication>
#include <QWidget>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));
    if (argc != 3)
        return 2;

    QWidget window;
    window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    AfterFirstPaint quitter([] { QCoreApplication::exit(0); });
    window.installEventFilter(&quitter);
    window.show();
    return app.exec();
}
