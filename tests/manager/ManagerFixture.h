#pragma once
// What the Manager's tests share: an Engine root in a temporary directory with both
// registry hives pointed inside it, a second store through which a test shapes the
// configuration as another program would (folders, checks, results), and a scripted
// application started on that installation.
#include "TestSupport.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"
#include "model/store/SnCfg.h"
#include "platform/EngineService.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // --- the installation -------------------------------------------------------------
    std::string Root() const { return m_root; }
    std::string ConfigPath() const { return m_root + "/Configuration/Config.mdb"; }
    std::string TemplatePath() const { return m_root + "/Sys/Tpl/Config/Config.mdb"; }

    // --- shaping the configuration through a store of the test's own ---------------------
    CSnCfg& Seeder();
    CSnNode* SeedRoot();
    // A folder or a check appended to the folder `parentId`; returns the new ID.
    long AddFolder(long parentId, const char* name);
    long AddCheck(long parentId, const char* name, int type = 10, const char* host = "127.0.0.1",
                  int interval = 60);
    CSnNode* SeedNode(long id);
    // Writes one node's record, or the whole tree (which announces the change).
    void SaveNode(long id);
    void SaveTree();
    // One line of the result file, then the "Results" counter.
    void WriteResult(long id, int status, long lastUpdate, const char* response, int duration = 0,
                     const char* data = "", const char* comment = "", int processing = 0);

    // --- the application ------------------------------------------------------------------
    // A scripted application started on the installation; null when start-up failed.
    CQMonApp* Start(bool showWindow = false);
    // Start, then the first tick that loads the tree; false when start-up failed.
    bool StartLoaded() { return Start() != nullptr && (Tick(), true); }
    CQMonApp* App() { return m_app.get(); }
    CMainFrame& Frame() { return *m_app->Frame(); }
    CViewTree& Tree() { return *m_app->Frame()->Tree(); }
    CViewList& List() { return *m_app->Frame()->List(); }
    CUiSeam& Ui() { return m_app->Ui(); }
    // One timer tick, then the queued work it posted.  The cycle's clock moves on 20 s
    // first, so that every tick passes the cycle's idle and period limits.
    void Tick();
    // Moves the cycle's fake clock (tick count and seconds) on without a tick.
    void Advance(std::int64_t seconds, std::uint32_t extraMsecs = 0);
    std::int64_t Now() const { return m_seconds; }
    // Starts the real engine on the installation; it is stopped when the test ends.
    bool StartEngine();
    // Ticks (with the engine working in real time) until `done` holds; false after 60 s.
    bool TickUntil(const std::function<bool()>& done);
    // The text shown for a store failure with that code.
    static std::string ErrorShown(long code);
    // The texts shown in message boxes so far.
    std::vector<std::string> Messages() const;
    // The row of the check named `name` in the list; -1 when absent.
    int RowOf(const char* name);
    // Adds the row of the check named `name` to the list's selection.
    void SelectRow(const char* name);
    std::string Cell(const char* name, int column);

    // Options for the next Start (scripted always; the service watch off and the cycle on
    // the fixture's fake clock unless the test changes them).
    CQMonApp::Options options;
    // Answers queued before start-up.
    std::vector<int> startAnswers;

private:
    std::unique_ptr<testsupport::ScopedHives> m_hives;
    std::string m_root;
    std::unique_ptr<CSnCfg> m_seeder;
    CSnNode* m_seedRoot = nullptr;
    std::unique_ptr<CQMonApp> m_app;
    std::unique_ptr<testsupport::ScopedEnv> m_engineProgram;
    std::unique_ptr<platform::EngineService> m_engine;
    std::uint32_t m_ticks = 5000000;
    std::int64_t m_seconds = 1800000000;
};
