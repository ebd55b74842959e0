#include "writer_server.h"

#include <cstdio>

namespace writer_server {

int serve(const Window&)
{
    std::fprintf(stderr, "record_writer serve: forked writers need fork(), which Windows does not have\n");
    return 2;
}

}  // namespace writer_server
