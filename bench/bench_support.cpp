#include "bench_support.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace bench {

PaintCounter::PaintCounter(QWidget* widget)
{
    widget->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        ++count_;
    return false;
}

bool waitForPaint(const PaintCounter& counter, int paintsBefore)
{
    const auto start = Clock::now();
    while (counter.count() <= paintsBefore) {
        // The paint event is seen before the widget paints; the whole
        // window's paint is over once processEvents() returns.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (secondsSince(start) > 5.0)
            return false;
    }
    return true;
}

void settle()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool showAndWaitForFirstPaint(QWidget& window)
{
    const PaintCounter counter(&window);
    window.show();
    return waitForPaint(counter, 0);
}

}  // namespace bench
