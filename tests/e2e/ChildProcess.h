#pragma once
// A program the test starts as its own child (posix_spawn, no shell), with its standard
// output and error in files the test reads afterwards.  A child still running when the
// object goes is killed and reaped, so that a failed test leaves no process behind.
#include "TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace e2e {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` with `args` (after the program name); standard input is /dev/null,
    // output and error go to `outPath` and `errPath`.  False when it cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        const int code = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (code != 0)
            return false;
        m_pid = pid;
        m_status.reset();
        return true;
    }

    int Pid() const { return m_pid; }
    bool Signal(int signal) const { return m_pid > 0 && !m_status && ::kill(m_pid, signal) == 0; }

    // The exit code once the child has ended within `timeout` (-1 when a signal ended
    // it); nullopt while it still runs.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout) {
        if (m_status)
            return m_status;
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return m_status;
            }
            if (done < 0 || std::chrono::steady_clock::now() >= end)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool Running() { return m_pid > 0 && !WaitExit(std::chrono::milliseconds(0)); }

    void Kill() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            WaitExit(std::chrono::seconds(10));
        }
    }

private:
    pid_t m_pid = 0;
    std::optional<int> m_status;
};

struct ProgramRun {
    int Code = -1; // -1: killed by a signal, or still running after the limit
    std::string Out, Err;
};

// Runs a program to its end (at most `limit`) in `dir` and returns what it printed.
inline ProgramRun RunProgram(const testsupport::TempDir& dir, const std::string& program,
                             const std::vector<std::string>& args,
                             std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    static int runs = 0;
    const std::string base = dir.File("run-" + std::to_string(++runs));
    ChildProcess child;
    ProgramRun run;
    if (!child.Start(program, args, base + ".out", base + ".err"))
        return run;
    run.Code = child.WaitExit(limit).value_or(-1);
    child.Kill();
    run.Out = testsupport::ReadFile(base + ".out");
    run.Err = testsupport::ReadFile(base + ".err");
    return run;
}

} // namespace e2e
