// A test step in a child process with a deadline, so that a step that would hang (a FIFO,
// a lock) fails its test instead of stalling the run. POSIX only.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace filetest {

// Runs `step` in a child that an alarm ends after `seconds`: its exit code, or -1 when it
// did not end by itself (it hung).
inline int InChild(const std::function<int()>& step, unsigned seconds = 10)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(step());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace filetest
