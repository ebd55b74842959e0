#include "report/item_order.h"

#include <QHash>

#include <functional>
#include <optional>
#include <queue>
#include <set>

namespace item_order {

namespace {

bool reaches(const std::vector<std::set<std::size_t>>& after, std::size_t from, std::size_t to)
{
    std::vector<std::size_t> pending{from};
    std::vector<bool> seen(after.size(), false);
    while (!pending.empty()) {
        const std::size_t item = pending.back();
        pending.pop_back();
        if (item == to)
            return true;
        if (seen[item])
            continue;
        seen[item] = true;
        pending.insert(pending.end(), after[item].begin(), after[item].end());
    }
    return false;
}

}  // namespace

std::vector<QString> merged(const std::vector<std::vector<QString>>& runs)
{
    // Items numbered in the order first met; an edge from each item to the
    // one that follows it in a run, unless an earlier run ordered them the
    // other way.
    QHash<QString, std::size_t> number;
    std::vector<QString> items;
    std::vector<std::set<std::size_t>> after;
    std::vector<int> before;
    for (const auto& run : runs) {
        std::optional<std::size_t> previous;
        for (const QString& item : run) {
            auto found = number.constFind(item);
            if (found == number.constEnd()) {
                found = number.insert(item, items.size());
                items.push_back(item);
                after.emplace_back();
                before.push_back(0);
            }
            const std::size_t current = *found;
            if (previous && *previous != current && !after[*previous].contains(current) && !reaches(after, current, *previous)) {
                after[*previous].insert(current);
                ++before[current];
            }
            previous = current;
        }
    }
    // Kahn's order, the earliest met first.
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (before[i] == 0)
            ready.push(i);
    }
    std::vector<QString> order;
    order.reserve(items.size());
    while (!ready.empty()) {
        const std::size_t next = ready.top();
        ready.pop();
        order.push_back(items[next]);
        for (const std::size_t follower : after[next]) {
            if (--before[follower] == 0)
                ready.push(follower);
        }
    }
    return order;
}

}  // namespace item_order
