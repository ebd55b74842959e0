// Starts whole programs in turn and measures each run's wall time and peak
// resident memory, as the kernel reports them to the parent.
// usage: process_probe RUNS NAME PROGRAM [ARG...] [-- NAME PROGRAM [ARG...]]...
// Prints JSON on standard output. Each program runs once unmeasured first, so
// every measured start finds the libraries in the page cache; then the
// programs alternate, so a slow spell of a shared machine hits them alike.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Program {
    std::string name;
    std::vector<char*> argv;
    std::vector<double> wallMs;
    std::vector<long> maxRssKb;
};

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One run; false if the program could not start or did not exit with 0.
bool runOnce(Program& program, bool record)
{
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execv(program.argv[0], program.argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return false;
    }
    const double wall = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "process_probe: %s (%s) did not exit with status 0\n", program.name.c_str(), program.argv[0]);
        return false;
    }
    if (record) {
        program.wallMs.push_back(wall * 1e3);
        program.maxRssKb.push_back(usage.ru_maxrss);
    }
    return true;
}

template <typename T>
void printList(const std::vector<T>& values)
{
    std::printf("[");
    for (std::size_t i = 0; i < values.size(); ++i)
        std::printf(i == 0 ? "%.3f" : ", %.3f", double(values[i]));
    std::printf("]");
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: process_probe RUNS NAME PROGRAM [ARG...] [-- NAME PROGRAM [ARG...]]...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<Program> programs;
    for (int i = 2; i < argc;) {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "process_probe: %s has no program\n", argv[i]);
            return 2;
        }
        Program program;
        program.name = argv[i++];
        while (i < argc && std::strcmp(argv[i], "--") != 0)
            program.argv.push_back(argv[i++]);
        program.argv.push_back(nullptr);
        ++i;
        programs.push_back(std::move(program));
    }

    for (Program& program : programs) {
        if (!runOnce(program, false))
            return 1;
    }
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) {
            if (!runOnce(program, true))
                return 1;
        }
    }

    // A child starts with the peak memory of the process that forked it.
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    std::printf("{\n  \"probe_max_rss_kb\": %ld,\n  \"programs\": {", self.ru_maxrss);
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::printf("%s\n    \"%s\": {\"wall_ms\": ", p == 0 ? "" : ",", programs[p].name.c_str());
        printList(programs[p].wallMs);
        std::printf(", \"max_rss_kb\": ");
        printList(programs[p].maxRssKb);
        std::printf("}");
    }
    std::printf("\n  }\n}\n");
    return 0;
}
