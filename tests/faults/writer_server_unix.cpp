#include "writer_server.h"

#include <cstdio>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace writer_server {

int serve(const Window& window)
{
    std::printf("serving\n");
    std::fflush(stdout);
    std::map<int, int> readyPipes;  // writer's process id to the read end of its pipe
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        int number = 0;
        if (std::sscanf(line, "start %d", &number) == 1) {
            int ends[2];
            if (::pipe(ends) != 0)
                return 1;
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(ends[0]);
                const int readyEnd = ends[1];
                ::_exit(window(number, [readyEnd] { return ::write(readyEnd, "r", 1) == 1 && ::close(readyEnd) == 0; }));
            }
            ::close(ends[1]);
            readyPipes[int(pid)] = ends[0];
            std::printf("started %d\n", int(pid));
        } else if (std::sscanf(line, "await %d", &number) == 1 && readyPipes.count(number)) {
            char byte = 0;
            std::printf(::read(readyPipes[number], &byte, 1) == 1 ? "ready\n" : "gone\n");
        } else if (std::sscanf(line, "reap %d", &number) == 1 && readyPipes.count(number)) {
            ::close(readyPipes[number]);
            readyPipes.erase(number);
            int status = 0;
            if (::waitpid(pid_t(number), &status, 0) != pid_t(number))
                std::printf("unknown\n");
            else if (WIFSIGNALED(status))
                std::printf("signal %d\n", WTERMSIG(status));
            else
                std::printf("exit %d\n", WEXITSTATUS(status));
        } else {
            std::printf("unknown\n");
        }
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace writer_server
