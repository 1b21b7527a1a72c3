#pragma once
// Children of a test process: a forked body whose return value becomes the exit status,
// and that status read back (128 + signal number for a child killed by a signal).
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

template <class Body> pid_t Spawn(Body&& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

inline int ExitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace testsupport
