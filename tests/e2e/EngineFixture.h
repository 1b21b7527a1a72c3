#pragma once
// What the end-to-end tests share: an installation made like `sentrelle init` does (both
// hives in its temporary directory), the real engine program started on it as a child
// process, a TCP peer on the loopback interface, and waits that poll the files the
// engine publishes.  Every wait is generous, because the machine may be busy; none is
// a fixed sleep.
#include "ChildProcess.h"
#include "EngineTestSupport.h"
#include "LoopbackTcpPeer.h"
#include "engine/PidFile.h"
#include "engine/ResultLine.h"
#include "library/QvcSectionString.h"
#include "platform/EngineService.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// How long a test waits for something the engine does within a second or two.
inline constexpr auto kPatience = 30s;

// A TCP/IP check of `port` on 127.0.0.1 that runs every second; with `expect`, it reads
// the peer's greeting until it includes that text.
inline void TcpCheck(CSnNodeCfg& cfg, int port, const char* expect = nullptr) {
    cfg.Function.ParamServer = "127.0.0.1";
    cfg.Function.Param1 = std::to_string(port);
    cfg.Function.Param4 = "5000";
    if (expect) {
        cfg.Function.ParamByteCodes = "01";
        cfg.Function.Param3 = expect;
    }
    cfg.ScanFrequency.Interval = 1;
}

class EngineFixture : public ::testing::Test {
protected:
    ~EngineFixture() override {
        // An engine that the service controller started is no child of the test: end it
        // by the pid its lock names.
        if (const int pid = platform::EngineService(inst.Root()).DaemonPid(); pid > 0)
            ::kill(pid, SIGKILL);
    }

    static std::string EngineProgram() { return SENTRELLE_ENGINE_PROGRAM; }
    static std::string CliProgram() { return SENTRELLE_CLI_PROGRAM; }
    std::string PidFile() const { return CPidFile::PathForRoot(inst.Root()); }
    std::string EngineLog() const { return inst.File("Logs/Engine.log"); }

    // Starts the engine program on the installation, in the foreground, with its output
    // in files named after `name`.
    bool Launch(ChildProcess& child, const std::string& name = "engine") {
        return child.Start(EngineProgram(), {"--root", inst.Root(), "--foreground", "--workers", "8"},
                           Dir().File(name + ".out"), Dir().File(name + ".err"));
    }
    // Launches `engine` and waits until it has written its pid: it is ready.
    void StartEngine() {
        ASSERT_TRUE(Launch(engine));
        ASSERT_TRUE(testsupport::Eventually(
            [&] { return CPidFile::ReadPid(PidFile()) == engine.Pid() || !engine.Running(); }, kPatience));
        ASSERT_EQ(CPidFile::ReadPid(PidFile()), engine.Pid()) << testsupport::ReadFile(Dir().File("engine.err"));
    }
    // SIGTERM, then the exit code (nullopt when it did not end in time).
    std::optional<int> StopEngine(ChildProcess& child, int signal = SIGTERM) {
        child.Signal(signal);
        return child.WaitExit(kPatience);
    }

    const testsupport::TempDir& Dir() const { return m_dir; }

    // The check's published line, or nullopt.
    std::optional<ResultLine> Line(std::int32_t id) const {
        const auto raw = inst.RawLine(id);
        if (!raw)
            return std::nullopt;
        return ResultLine::Parse(*raw);
    }
    std::int32_t Status(std::int32_t id) const {
        const auto line = Line(id);
        return line ? line->Status : -1;
    }
    // Waits until the check's line shows `status`; the failure message shows the last line.
    ::testing::AssertionResult Becomes(std::int32_t id, std::int32_t status) const {
        if (testsupport::Eventually([&] { return Status(id) == status; }, kPatience, 20ms))
            return ::testing::AssertionSuccess();
        const auto raw = inst.RawLine(id);
        return ::testing::AssertionFailure() << "check " << id << " never reached status " << status
                                             << "; its line: " << raw.value_or("<none>");
    }
    // The texts of the activity log, oldest first, read through the engine link as a
    // Manager reads them ("key||time||text"; the seed entry of an empty section has none).
    std::vector<std::string> Activity() {
        CQvcSectionString section;
        inst.store.Link()->ReadActivityLog(section);
        std::vector<std::string> texts;
        for (std::string_view entry : section.Entries()) {
            const CQvcString line{std::string(entry)};
            if (line.Find("||") >= 0)
                texts.push_back(line.Token("||", 2).Str());
        }
        return texts;
    }
    // Whether the activity log shows `text` within kPatience: the engine writes its
    // activity log after the result file, so a status seen may come before its line.
    bool ActivityHas(const std::string& text) {
        return testsupport::Eventually(
            [&] {
                for (const std::string& line : Activity()) {
                    if (line.find(text) != std::string::npos)
                        return true;
                }
                return false;
            },
            kPatience, std::chrono::milliseconds(20));
    }

    testsupport::TempDir m_dir;
    enginetest::Installation inst;
    ChildProcess engine;
};

} // namespace e2e
