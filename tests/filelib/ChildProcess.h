// A test step in a child process with a deadline, so that a step that would hang (a FIFO,
// a lock) fails its test instead of stalling the run. POSIX only.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace filetest {

// Starts `step` in a child that an alarm ends after `seconds`.
inline pid_t StartChild(const std::function<int()>& step, unsigned seconds)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(step());
    }
    return pid;
}

// The exit code of a child StartChild started, or -1 when it did not end by itself (it hung).
inline int ExitOf(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int InChild(const std::function<int()>& step, unsigned seconds = 10)
{
    return ExitOf(StartChild(step, seconds));
}

}  // namespace filetest
