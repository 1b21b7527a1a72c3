#pragma once
// CSnRefreshCycle: the main window's refresh cycle, one call of Tick per timer tick, on
// the user-interface thread.  Each tick, in order: nothing while the cycle is suspended;
// skip a tick that comes within the idle minimum of the previous tick's end; start the
// engine service's watcher on the first tick; probe access to the engine's files (at most
// every 5 s, the third failure in a row ends the Manager); look at the "NM" counter (at
// most every 2 s; a change, or the first look, reloads every node and rebuilds the tree);
// size the refresh period by the number of checks listed; look at the "Results" counter
// and its due time; update the views; report a tick that took too long.
//
// The cycle owns the timing rules and the state between ticks; everything it does goes
// through ISnRefreshHost, and its time comes from two injectable sources (milliseconds of
// a tick count, seconds since 1970), so tests drive it without windows or sleeping.  One
// cycle object serves one main window for the life of the program.
#include "library/QvcBase.h"
#include "model/console/ISnRefreshHost.h"
#include "model/console/SnAutoRefreshSettings.h"
#include "model/link/SnChangeDetector.h"

#include <cstdint>
#include <functional>

class CSnRefreshCycle : public CQvcBase {
public:
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    using TickSource = std::function<std::uint32_t()>;
    // Seconds since 1970.
    using SecondsSource = std::function<std::int64_t()>;

    static constexpr std::int64_t kAccessCheckSecs = 5;
    static constexpr std::int64_t kRemoteCheckSecs = 2;
    static constexpr int kAccessFailureLimit = 3;

    // Null sources take the system's tick count and clock.  The trace lines go to this
    // object's trace output (module "MainFrame"); the frame points it at its trace file.
    explicit CSnRefreshCycle(ISnRefreshHost& host, TickSource ticks = {}, SecondsSource seconds = {});

    // What the access probe passes: the configuration-writable flag and this computer's
    // name.
    void SetAccess(bool writable, const CQvcString& computerName);

    // The refresh settings from the preferences, or from the Auto Refresh dialog.  With
    // auto refresh enabled and dynamic, the period starts as for an empty list (1 s)
    // until the next tick sizes it.
    void ReadRefreshSettings();
    void ApplyRefreshSettings(const CSnAutoRefreshSettings& settings);
    bool AutoRefreshEnabled() const { return m_autoEnabled; }
    bool AutoRefreshDynamic() const { return m_autoDynamic; }
    // The refresh period in force, in seconds.
    long RefreshPeriod() const { return m_period; }
    // The period for a list of `rows` checks: < 20 1 s, < 50 2 s, < 100 4 s, < 500 6 s,
    // < 1000 10 s, else 15 s.
    static long DynamicPeriod(int rows);

    // Long commands suspend the cycle while they change the tree.
    void Suspend() { m_cycleEnabled = false; }
    void Resume() { m_cycleEnabled = true; }
    bool IsCycleEnabled() const { return m_cycleEnabled; }

    // One timer tick (also a tick posted by the Refresh command or the tree).
    void Tick();
    // The Refresh command (F5): a new "NM" and one more cycle at once, so that the whole
    // configuration is reloaded and every view rebuilt.
    void Refresh();

    // True once a tick has ended the Manager (access lost or reload failed); later ticks
    // do nothing.
    bool HasStopped() const { return m_stopped; }
    // The idle minimum and the maximum handling time as read on the first tick (0 before).
    long IdleMsecs() const { return m_idleMsecs; }
    long MaxHandlingMsecs() const { return m_maxHandlingMsecs; }
    int AccessFailures() const { return m_accessFailures; }

private:
    // Steps 4 to 9 of a tick; false when the tick ended the Manager.
    bool RunSteps();
    // The access check; false on the permanent failure.
    bool CheckAccess();
    // The configuration-change check: -1 when the reload failed, 1 when the
    // configuration changed, 0 otherwise.
    int CheckRemoteUpdate();
    bool CheckResults();
    void UpdateViews();
    void Stop(const CQvcString& message);

    ISnRefreshHost& m_host;
    TickSource m_ticks;
    SecondsSource m_seconds;

    bool m_writable = true;
    CQvcString m_computerName;

    bool m_autoEnabled = true;
    bool m_autoDynamic = false;
    long m_period = -1;

    bool m_cycleEnabled = true;
    bool m_stopped = false;

    bool m_limitsRead = false;
    long m_idleMsecs = 0;
    long m_maxHandlingMsecs = 0;
    bool m_hasExited = false;
    std::uint32_t m_lastExit = 0;
    bool m_servicePending = true;
    std::int64_t m_lastAccessCheck = -1;
    int m_accessFailures = 0;
    std::int64_t m_lastRemoteCheck = -1;
    CSnChangeDetector m_configCounter;
    CSnChangeDetector m_resultsCounter;
    std::int64_t m_dueTime = -1;
    std::int64_t m_lastViewUpdate = -1;
};
