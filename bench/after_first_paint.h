#pragma once

#include <QCoreApplication>
#include <QEvent>

#include <functional>
#include <utility>

// Runs an action right after the watched window's first paint: leaving the
// event loop, or ending the process from inside whatever event loop shows
// the window (a modal dialog's too). The action is queued, so the whole
// window is painted and flushed first.
class AfterFirstPaint : public QObject {
public:
    explicit AfterFirstPaint(std::function<void()> action) : action_(std::move(action)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), action_, Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> action_;
    bool seen_ = false;
};
