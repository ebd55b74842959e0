#pragma once

#include <QCoreApplication>
#include <QEvent>

#include <cstdlib>

// Ends the process right after the watched window's first paint, from inside
// whatever event loop shows it (a modal dialog's too), so that a start is
// timed to its first window and nothing after it. The exit is queued, so the
// whole window is painted and flushed first.
class ExitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), [] { std::_Exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool seen_ = false;
};
