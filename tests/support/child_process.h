// Running a piece of a test in a forked child under resource limits that would disturb the
// rest of the test program: a full disk, or little memory. The child runs no other thread.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child whose `resource` (RLIMIT_FSIZE, RLIMIT_AS) is limited to `limit`.
// Writes beyond a file-size limit fail with EFBIG, as on a full disk. Returns true when the
// child ended normally and `body` returned true (an exception counts as false).
inline bool RunInLimitedChild(int resource, rlim_t limit, const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit bound{limit, limit};
        if (setrlimit(resource, &bound) != 0) _exit(2);
        bool passed = false;
        try {
            passed = body();
        } catch (...) {  // the child must never go on with the test program
        }
        _exit(passed ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The address space this process uses now, in bytes: the base for a memory limit.
inline rlim_t AddressSpaceInUse() {
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}
