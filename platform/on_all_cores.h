#pragma once

#include <cstddef>
#include <functional>

// Calls `each(i)` once for every i below `count`, on as many threads as there
// are cores (at most eight), each thread taking the next i in turn; returns
// when all are done. `each` must only touch what belongs to its own i.
void forEachOnAllCores(std::size_t count, const std::function<void(std::size_t)>& each);
