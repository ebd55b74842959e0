#pragma once

#include <QObject>

#include <chrono>

class QWidget;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts the paint events that one widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget);
    int count() const { return count_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int count_ = 0;
};

// Shows the window and returns once its first paint is done. Returns false if
// it was not painted within a few seconds.
bool showAndWaitForFirstPaint(QWidget& window);

// Delivers the pending events, the repaints among them, until `widget` has
// been painted more than `paintsBefore` times. Returns false on a timeout.
bool waitForPaint(const PaintCounter& counter, int paintsBefore);

// Delivers the pending events, the repaints among them, once.
void settle();

}  // namespace bench
