#pragma once

#include <QCoreApplication>
#include <QEvent>

// Leaves the event loop right after the watched window's first paint. The
// exit is queued, so the whole window is painted and flushed first.
class QuitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool seen_ = false;
};
