#pragma once
// The stand-in engine daemon (tests/platform/fake_engine.cpp) for the service-control
// tests: it runs in the engine's place through $SENTRELLE_ENGINE_BINARY, is steered
// through its environment, logs every start, and is killed when the test ends.
// SENTRELLE_FAKE_ENGINE (the path of the stand-in) is defined by the test's CMake file.
#include "TestSupport.h"
#include "platform/EngineService.h"

#include <grp.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class FakeEngine {
public:
    explicit FakeEngine(const TempDir& dir)
        : m_log(dir.File("fake-engine.log")),
          m_binary(platform::EngineService::kBinaryVariable, SENTRELLE_FAKE_ENGINE),
          m_logVariable("SENTRELLE_FAKE_LOG", m_log), m_lock("SENTRELLE_FAKE_LOCK_MS", nullptr),
          m_ready("SENTRELLE_FAKE_READY_MS", nullptr), m_term("SENTRELLE_FAKE_TERM_MS", nullptr),
          m_crash("SENTRELLE_FAKE_CRASH", nullptr), m_lifetime("SENTRELLE_FAKE_LIFETIME_MS", "60000") {}
    ~FakeEngine() { KillAll(); }
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;

    static std::string Binary() { return SENTRELLE_FAKE_ENGINE; }

    // Behaviour of the daemons started from now on (milliseconds as text; see the stand-in).
    void LockDelay(const char* ms) { m_lock.Set(ms); }
    void ReadyDelay(const char* ms) { m_ready.Set(ms); }
    void TermDelay(const char* ms) { m_term.Set(ms); }
    void Crash(bool crash) { m_crash.Set(crash ? "1" : nullptr); }

    // Every start of the stand-in as it logged it: its words "name=value" as a map.
    std::vector<std::map<std::string, std::string>> Starts() const {
        std::vector<std::map<std::string, std::string>> out;
        std::istringstream in(ReadFile(m_log));
        for (std::string line; std::getline(in, line);) {
            auto& start = out.emplace_back();
            std::istringstream words(line);
            for (std::string word; words >> word;)
                start[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
        }
        return out;
    }

    // Starts the stand-in directly as a child of the test (a daemon that someone else
    // started), optionally as another user; killed and reaped at the end.
    int LaunchDirect(const std::string& root, int uid = -1) {
        const std::string binary = Binary();
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (uid >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(uid)) != 0 ||
                             ::setuid(static_cast<uid_t>(uid)) != 0))
                ::_exit(126);
            ::execl(binary.c_str(), binary.c_str(), "--root", root.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid > 0)
            m_children.push_back(pid);
        return pid;
    }
    // The exit status of a direct child once it has ended (it is reaped), or -1.
    int WaitDirect(int pid) {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid)
            return -1;
        std::erase(m_children, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Every stand-in that runs with this object's log (whether it has written to it yet
    // or not), and every direct child, killed.
    void KillAll() {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const std::string environment = ReadFile("/proc/" + name + "/environ");
            if (ReadFile("/proc/" + name + "/cmdline").find("fake_engine") != std::string::npos &&
                environment.find(std::string("SENTRELLE_FAKE_LOG=") + m_log + '\0') != std::string::npos)
                ::kill(std::stoi(name), SIGKILL);
        }
        for (pid_t pid : m_children) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        m_children.clear();
    }

private:
    std::string m_log;
    ScopedEnv m_binary, m_logVariable, m_lock, m_ready, m_term, m_crash, m_lifetime;
    std::vector<pid_t> m_children;
};

// The user "nobody" of most systems; the tests that need a second user run as root.
inline constexpr int kNobody = 65534;

// Runs `body` in a child process as user `uid` (the caller must be root) and returns what
// it returned (0..255), or -1 when the child could not become that user or crashed.
inline int RunAsUser(int uid, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(uid)) != 0 ||
            ::setuid(static_cast<uid_t>(uid)) != 0)
            ::_exit(255);
        ::_exit(body() & 0xff);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

} // namespace testsupport
