#pragma once

#include <QObject>

#include <algorithm>
#include <chrono>
#include <vector>

class QWidget;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The middle value, or the mean of the two middle ones; 0 for none.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
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
