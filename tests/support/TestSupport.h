#pragma once
// Helpers shared by the tests of every layer: a temporary directory that removes itself,
// environment variables and the time zone set for one scope, and the two registry hives
// pointed inside a temporary directory so that no test touches the real home directory
// or /etc.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sentrelle-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Sets an environment variable for the lifetime of the object (nullptr unsets it), then
// restores the old value.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { Restore(); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Restore() { Set(m_old ? m_old->c_str() : nullptr); }
    void Set(const char* value) {
        if (value != nullptr)
            ::setenv(m_name.c_str(), value, 1);
        else
            ::unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The local time zone (TZ) for the life of the object, UTC unless given, so that time
// values have known texts.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz = "UTC") : m_tz("TZ", tz) { ::tzset(); }
    ~ScopedTimeZone() {
        m_tz.Restore();
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    ScopedEnv m_tz;
};

// Both registry hives inside a temporary directory for the life of the object.
class ScopedHives {
public:
    ScopedHives()
        : m_machine("SENTRELLE_MACHINE_HIVE", m_dir.File("machine.reg")),
          m_user("SENTRELLE_USER_HIVE", m_dir.File("user.reg")) {}
    std::string MachineHive() const { return m_dir.File("machine.reg"); }
    std::string UserHive() const { return m_dir.File("user.reg"); }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    ScopedEnv m_machine;
    ScopedEnv m_user;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The lines of a text without their ends (LF, CR LF); a last line without an end counts.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(!line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line);
    return out;
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

// Polls `condition` every `poll` (a millisecond unless given) for up to `timeout` of real
// time; for what other threads or processes do in their own time.  Conditions that read
// files another process writes poll less often, so as not to crowd it.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10),
                       std::chrono::milliseconds poll = std::chrono::milliseconds(1)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(poll);
    }
    return condition();
}

} // namespace testsupport
