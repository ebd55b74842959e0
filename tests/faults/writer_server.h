#pragma once

#include <functional>

// The writer server of record_writer ("serve"): it reads commands on its
// input and forks a writer for each "start CHILD", so that the writers need
// not start Qt anew. A forked writer runs `window(child, ready)`, where
// `ready` tells the server it is about to write records. Only where
// processes fork: elsewhere it says so and returns 2.
namespace writer_server {

using Window = std::function<int(int child, const std::function<bool()>& ready)>;
int serve(const Window& window);

}  // namespace writer_server
