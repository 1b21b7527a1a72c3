#pragma once
// What the engine tests share: a clock that moves only when the test says so, a check
// runner whose answers the test scripts (and which can hold a run until released), and
// an installation in a temporary directory with a store to write checks into.
#include "TestSupport.h"
#include "engine/EngineClock.h"
#include "engine/EngineServices.h"
#include "engine/ResultLine.h"
#include "model/store/SnCfg.h"
#include "model/store/SnInstallation.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace enginetest {

class FakeClock final : public IEngineClock {
public:
    // Tuesday 2024-03-05 10:00:00 UTC.
    static constexpr std::int64_t kStartWall = 1709632800;

    std::int64_t SteadyMs() const override { return m_steady.load(); }
    std::int64_t WallSeconds() const override { return m_steady.load() / 1000 + m_wallOffset; }

    void Advance(std::chrono::milliseconds by) { m_steady += by.count(); }
    void AdvanceSeconds(std::int64_t seconds) { m_steady += seconds * 1000; }

private:
    std::atomic<std::int64_t> m_steady{5'000'000};
    std::int64_t m_wallOffset = kStartWall - 5'000;
};

// Holds runs until released; a released gate lets every later run through at once.  A
// gate that ignores cancellation plays a runner that hangs whatever the engine says.
class Gate {
public:
    explicit Gate(bool ignoreCancel = false) : m_ignoreCancel(ignoreCancel) {}

    void Release() {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_cv.notify_all();
    }
    // Waits for the release, or for `cancelled`; false when it gave up after `limit`.
    bool Wait(const RunContext& context, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_cv.notify_all();
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!m_open && std::chrono::steady_clock::now() < end && (m_ignoreCancel || !context.IsCancelled()))
            m_cv.wait_for(lock, std::chrono::milliseconds(5));
        --m_waiting;
        return m_open;
    }
    // Waits until `count` runs wait at the gate.
    bool WaitForWaiters(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, limit, [&] { return m_waiting >= count; });
    }

private:
    const bool m_ignoreCancel;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
    int m_waiting = 0;
};

inline CheckOutcome Outcome(CheckOutcome::Kind kind, const char* response, const char* data = "",
                            const char* comment = "", int duration = 0) {
    CheckOutcome o;
    o.kind = kind;
    o.Response = response;
    o.Data = data;
    o.Comment = comment;
    o.DurationSecs = duration;
    return o;
}

// A runner whose outcome per check the test sets; every run is counted.  It lives in a
// shared pointer so that a run the engine abandons can still finish after the test.
class FakeRunner {
public:
    void Set(std::int32_t id, CheckOutcome outcome) {
        std::lock_guard lock(m_mutex);
        m_outcomes[id] = std::move(outcome);
    }
    // Runs of this check throw.
    void Throw(std::int32_t id) {
        std::lock_guard lock(m_mutex);
        m_throwing.insert(id);
    }
    // Runs of this check wait at the gate first.
    void Hold(std::int32_t id, std::shared_ptr<Gate> gate) {
        std::lock_guard lock(m_mutex);
        m_gates[id] = std::move(gate);
    }
    int Runs(std::int32_t id) const {
        std::lock_guard lock(m_mutex);
        const auto found = m_runs.find(id);
        return found == m_runs.end() ? 0 : found->second;
    }
    const RunContext& LastContext() const { return m_lastContext; }

    CheckOutcome Run(const CSnNodeCfg& cfg, const RunContext& context) {
        std::optional<CheckOutcome> outcome;
        std::shared_ptr<Gate> gate;
        {
            std::lock_guard lock(m_mutex);
            ++m_runs[cfg.ID];
            m_lastContext = context;
            if (m_throwing.count(cfg.ID) != 0)
                throw std::runtime_error("runner broke");
            if (auto found = m_outcomes.find(cfg.ID); found != m_outcomes.end())
                outcome = found->second;
            if (auto found = m_gates.find(cfg.ID); found != m_gates.end())
                gate = found->second;
        }
        if (gate && !gate->Wait(context))
            return CheckOutcome::Uncertain("gate not released");
        return outcome.value_or(Outcome(CheckOutcome::Kind::Success, "OK"));
    }

    static CheckRunFunction Function(const std::shared_ptr<FakeRunner>& runner) {
        return [runner](const CSnNodeCfg& cfg, const RunContext& context) { return runner->Run(cfg, context); };
    }

private:
    mutable std::mutex m_mutex;
    std::map<std::int32_t, CheckOutcome> m_outcomes;
    std::set<std::int32_t> m_throwing;
    std::map<std::int32_t, std::shared_ptr<Gate>> m_gates;
    std::map<std::int32_t, int> m_runs;
    RunContext m_lastContext;
};


// An Engine root made like `sentrelle init` does, both hives inside the temporary
// directory, and a store (as a Manager would hold it) to write checks with.
class Installation {
    // First, so that the hives point into the temporary directory before anything else.
    testsupport::ScopedHives m_hives;

public:
    Installation() {
        CQvcString message;
        EXPECT_EQ(CSnInstallation::Initialize(CQvcString(Root()), message), 0) << message.Str();
        EXPECT_EQ(store.Open(true, false), 0);
        EXPECT_EQ(store.LoadAllNodes(root), 0);
    }
    ~Installation() { store.FreeTree(root); }

    std::string Root() const { return m_hives.Dir().File("root"); }
    std::string File(const std::string& relative) const { return Root() + "/" + relative; }
    std::string ResultFile() const { return File("Sys/Res/result.dat"); }
    std::string ControlFile() const { return File("Sys/Ctrl/control.dat"); }
    std::string ActivityFile() const { return File("Sys/Act/actlog.dat"); }
    std::string NotificationDirectory() const { return File("Sys/Not"); }

    // A check of `type` appended to `folder` (the root when null), written to the
    // database; `edit` fills its settings before the write.  The tree is written by
    // WriteTree, which also tells the engine to reload.
    CSnNode* AddCheck(const char* name, std::int32_t type = 30, const std::function<void(CSnNodeCfg&)>& edit = {},
                      CSnNode* folder = nullptr) {
        CSnNode* node = store.NewNodeObject();
        EXPECT_EQ(store.InsertNode(node, nullptr, 0), 0);
        node->Cfg.Name = name;
        node->Cfg.Function.Type = type;
        node->Cfg.ScanFrequency.Mode = 0;
        node->Cfg.ScanFrequency.Interval = 60;
        node->Cfg.ScanFrequency.ErrorThreshold = 1;
        if (edit)
            edit(node->Cfg);
        EXPECT_EQ(store.WriteNode(node, false, false), 0);
        CSnCfg::AppendChild(folder ? folder : root, node);
        return node;
    }
    CSnNode* AddFolder(const char* name, CSnNode* parent = nullptr) {
        CSnNode* folder = nullptr;
        EXPECT_EQ(store.NewFolderRecord(folder), 0);
        folder->Cfg.Name = name;
        EXPECT_EQ(store.WriteNode(folder, false, false), 0);
        CSnCfg::AppendChild(parent ? parent : root, folder);
        return folder;
    }
    void WriteTree() { EXPECT_EQ(store.WriteTree(root), 0); }
    // Writes a changed node and tells the engine, as a Manager's edit does.
    void Rewrite(CSnNode* node) { EXPECT_EQ(store.WriteNode(node, true, true), 0); }

    // Where a stopped engine keeps the results it took off the result file.
    std::string RetiredResultFile() const { return ResultFile() + ".last"; }

    // The check's line in the result file (or another of its form); nullopt when it has
    // none.
    std::optional<std::string> RawLine(std::int32_t id, const std::string& file = {}) const {
        const std::string path = file.empty() ? ResultFile() : file;
        for (const auto& [key, value] : platform::ProfileReadEntries(path.c_str(), "Results")) {
            if (key == std::to_string(id))
                return value;
        }
        return std::nullopt;
    }
    ResultLine Line(std::int32_t id, const std::string& file = {}) const {
        const auto raw = RawLine(id, file);
        EXPECT_TRUE(raw.has_value()) << "no result line for " << id;
        return raw ? ResultLine::Parse(*raw) : ResultLine();
    }
    std::string ControlValue(const char* section, const char* key) const {
        return platform::ProfileReadText(ControlFile().c_str(), section, key, "<none>");
    }

    CSnCfg store{"GUI"};
    CSnNode* root = nullptr;
};

} // namespace enginetest
