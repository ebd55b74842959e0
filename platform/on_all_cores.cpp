#include "platform/on_all_cores.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

void forEachOnAllCores(std::size_t count, const std::function<void(std::size_t)>& each)
{
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            each(i);
    };
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < std::min(threads, count); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
}
