#pragma once
// CEngine: the monitoring engine of one Engine root.
//
// It loads every check through the configuration store, runs each when its scan
// frequency says so (every Interval seconds, on its schedule entries in local time, or
// only on request), applies hold, maintenance windows and dependencies before a run and
// the error threshold, Inverse and the uncertain mapping after it, publishes each
// result as a line of the result file (with the Processing flag while the check runs)
// and changes the "Results" stamp, keeps the activity log, reloads the configuration
// when "NS" changes and the global settings when "GlobalSettings" changes, consumes the
// run-now and clear-failure requests of the control file and answers notification test
// requests.
//
// Threads: every member function runs on the owner's thread, except RequestStop,
// RequestReload and WaitForWork, which any thread may call; with BackgroundLoads a
// loader thread reads and flattens each reload, which the owner's thread then applies.  Checks due come from a
// due queue (a min-heap by due time), so a pass costs nothing for checks that are not
// due and Run sleeps until the next one is.  They run on a bounded pool of workers with a
// copy of their configuration; network checks that the services can start on the network
// reactor leave the worker as soon as their names are resolved.  Results come back as
// events that Tick applies.  Time comes from the options' clock, so a test drives the whole engine
// by setting its clock and calling Tick.
#include "engine/ActivityLog.h"
#include "engine/EngineOptions.h"
#include "engine/EngineServices.h"
#include "engine/HistoryWriter.h"
#include "engine/NotificationDesk.h"
#include "engine/ResultFile.h"
#include "engine/StatusRules.h"
#include "engine/WorkerPool.h"
#include "engine/alerting/AlertQueue.h"
#include "engine/alerting/AlertRequests.h"
#include "model/settings/SnAdvSnmpTrapRcvSettings.h"
#include "engine/alerting/AlertRules.h"
#include "library/QvcBase.h"
#include "model/store/SnCfg.h"
#include "model/schedule/SnCfgScheduleList.h"
#include "model/link/SnChangeDetector.h"
#include "model/settings/SnDateTimeSettings.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class CTrapReceiver;
struct ReceivedTrap;

class CEngine : public CQvcBase {
public:
    // What the engine knows of one check: a compact record, since an engine may hold a
    // few hundred thousand of them.
    struct CheckState {
        // The configuration, packed (PackNodeCfg); Config() unpacks it.
        std::string Packed;
        CSnNodeCfg Config() const;
        // The checks and folders whose states stand in for a run of this one (its
        // dependencies; a folder stands for every check below it).
        std::vector<std::int32_t> Dependees;
        // The line published for it (HasLine: one is in the result file).
        ResultLine Line;
        // When it is due: scan mode 0 on the monotonic clock, mode 1 on the wall clock
        // (-1: no start ahead).
        std::int64_t NextDueSteady = 0;
        std::int64_t NextDueWall = -1;
        // When the current run was due, on the monotonic clock: how late it started
        // tells whether the engine keeps up.
        std::int64_t DueAt = 0;
        std::int64_t StartedSteady = 0;
        std::uint64_t RunToken = 0;
        std::shared_ptr<std::atomic<bool>> Cancel;
        // The worker running it; none once the run waits on the network reactor.
        std::thread::id Worker;
        // Errors in a row.
        std::int32_t ErrorCount = 0;
        // What alerting remembers of it.
        AlertMemory Alert;
        // Copied from the configuration: what scheduling looks at on every pass.
        std::int32_t IntervalSeconds = 0;
        std::int8_t Mode = 0;
        // The longest a run may take (RunLimit of the configuration), ms.
        std::int64_t RunLimitMs = 0;
        // Entries of the due queue with another generation are stale.
        std::uint32_t QueueGeneration = 0;
        bool HasLine = false;
        // Its "Enable Graph" option: its runs leave graph samples in the history.
        bool Graph = false;
        // A run-now request waits for the next pass (or the end of the current run).
        bool RunNow = false;
        // A run is queued or running; Started once a worker took it.
        bool Running = false;
        bool Started = false;
        // It came due while its last run still went on: it runs again once that ends.
        bool DueWhileRunning = false;
    };

    CEngine(EngineOptions options, EngineServices services);
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Opens the store on the root (with full loading), reads the global settings and the
    // result lines already published, starts a new activity log and loads the checks.
    // 0, or the store's code with `message` saying what failed.
    long Start(CQvcString& message);
    // One pass at the clock's current time: applies finished runs, gives up runs past
    // their time, looks at the control file and the notification directory when the
    // poll period has passed, starts what is due and writes the files when the flush
    // period has passed.
    void Tick();
    // Runs Tick until RequestStop, then Stop, sleeping between passes until a check is
    // due, a run ends or a period (poll, flush) is over.
    void Run();
    // Waits up to `timeout` of real time for a run event, a stop or a reload request.
    void WaitForWork(std::chrono::milliseconds timeout);
    void RequestStop();
    bool StopRequested() const { return m_stopRequested.load(); }
    // Reloads the configuration and the global settings at the next pass, whatever "NS"
    // says.
    void RequestReload();
    // Stops scheduling, gives running checks up to StopWait to finish (and abandons the
    // rest), answers what the notification desk finished, writes the last results with
    // no Processing flag left and the stop line of the activity log.
    void Stop();

    // --- observation --------------------------------------------------------------------
    const CheckState* Check(std::int32_t id) const;
    std::size_t CheckCount() const { return m_checks.size(); }
    // True when no check is queued or running on the pool within `timeoutMs`.
    bool WaitIdle(long timeoutMs) const;
    // Runs that did not end when the engine stopped, or past their time.
    std::size_t AbandonedRuns() const { return m_abandoned; }
    const CActivityLog& Activity() const { return *m_activity; }
    CSnCfg& Store() { return m_store; }
    const CQvcString& Root() const { return m_root; }

private:
    struct RunEvents;

    std::int64_t SteadyNow() const { return m_clock.SteadyMs(); }
    std::int64_t WallNow() const { return m_clock.WallSeconds(); }

    // Loading the configuration: PrepareConfiguration reads the tree from the store and
    // flattens it into its checks (packed), the dependencies they name and the folders;
    // ApplyConfiguration brings the checks in line with it (new, changed, removed) on the
    // owner's thread.  With BackgroundLoads the preparation runs on the loader's thread,
    // one at a time; a change seen meanwhile is loaded after it.
    struct PreparedConfig;
    struct Loader;
    struct LoadCounts {
        std::size_t Added = 0, Changed = 0, Removed = 0;
    };
    static std::unique_ptr<PreparedConfig> PrepareConfiguration(CSnCfg& store, const std::atomic<bool>& stop);
    // 0, or the store's code (reported once while it stays the same).
    long ApplyConfiguration(PreparedConfig& loaded, bool initial);
    // Starts a load unless one runs; `ns` is the "NS" read before it, recorded once it is
    // applied, and `globalSettings` reads the global settings with it.
    void BeginLoad(long ns, bool globalSettings);
    void FinishLoad(PreparedConfig& loaded);
    // Applies what the loader's thread prepared, if it is done.
    void TakeLoaded();
    void StopLoader();
    void ReadGlobalSettings();
    // Starts writing the history into the statistics database of the report settings.
    void OpenHistory();
    // Starts, restarts or stops the SNMP trap receiver as its settings say.
    void ConfigureTrapReceiver(const CSnAdvSnmpTrapRcvSettings& settings);
    // Applies the traps received since the last pass to the checks they match.
    void DrainTraps();
    void ApplyTrap(const ReceivedTrap& trap);
    // The settings, templates and address books that alert deliveries use.
    void ReadAlertSettings();
    // Hands what is due after the check published `status` to the alert queue.
    void ConsiderAlerts(std::int32_t id, CheckState& state);
    // The activity-log line (and the text-log line) of every delivery that ended.
    void CollectAlertReports();
    void PollControl();
    std::vector<std::int32_t> TakeRequests(const char* section);
    void HandleRunNow(const std::vector<std::int32_t>& ids);
    void HandleClearFailure(const std::vector<std::int32_t>& ids);
    // The checks an ID stands for: the check itself, or every check below a folder.
    std::vector<std::int32_t> ChecksOf(std::int32_t id) const;

    void ScheduleAfterChange(std::int32_t id, CheckState& state, const CSnNodeCfg& cfg);
    bool IsDue(const CheckState& state, std::int64_t now, std::int64_t wall) const;
    // Puts the check into the due queue for its next run (a run-now at once).
    void Enqueue(std::int32_t id, CheckState& state);
    // Starts what the due queue holds up to now, while the pool's queue has room.
    void DispatchDue(std::int64_t now, std::int64_t wall);
    void Dispatch(std::int32_t id, CheckState& state, std::int64_t now, std::int64_t wall);
    void Submit(std::int32_t id, CheckState& state);
    void DrainEvents();
    void GiveUpOverdueRuns();
    void EndRun(std::int32_t id, CheckState& state);
    // Once a minute: how many checks started late and by how much, and how many due
    // checks still wait to start, in the engine log.
    void ReportLateness(std::int64_t now, std::int64_t wall);
    // Gives free memory back to the system, at most once a minute.
    void ReleaseFreeMemory(std::int64_t now);
    // How long Run may sleep before the next pass has something to do.
    std::chrono::milliseconds IdleTime() const;
    void FinishRun(std::int32_t id, CheckState& state, const CheckOutcome& outcome);

    // Publishes a line for the check; a change of status from a published one goes into
    // the activity log unless `quiet`.  The history takes `durationMs` (the run's
    // milliseconds), or the whole seconds of `duration` when it is negative.
    void Publish(std::int32_t id, CheckState& state, std::int32_t status, const CQvcString& response,
                 const CQvcString& data = {}, const CQvcString& comment = {}, std::int32_t duration = 0,
                 bool quiet = false, std::int32_t durationMs = -1);
    // The line of a check that waits for its schedule (or for traps).
    void PublishWaiting(std::int32_t id, CheckState& state);
    void PutLine(std::int32_t id, CheckState& state);
    void AddActivity(const CQvcString& text);
    void Flush();
    // Where a stop keeps the results it takes off the result file, and the move itself.
    CQvcString RetiredResultsPath() const;
    void RetireResults();
    CQvcString FormatTime(std::int64_t when) const;

    EngineOptions m_options;
    EngineServices m_services;
    const IEngineClock& m_clock;
    CQvcString m_root;
    CSnCfg m_store;

    std::unique_ptr<CResultFile> m_results;
    std::unique_ptr<CActivityLog> m_activity;
    std::unique_ptr<CWorkerPool> m_pool;
    std::unique_ptr<CNotificationDesk> m_desk;
    std::unique_ptr<CAlertQueue> m_alerts;
    // Null when the statistics connection names no file.
    std::unique_ptr<CHistoryWriter> m_history;
    AlertSettings m_alertSettings;
    // Read with the global settings; every run gets it (RunContext::ServerCredentials).
    std::shared_ptr<const CSnCfgServerCredentials> m_serverCredentials;
    AlertAddressBook m_addressBook;
    std::unordered_map<std::int32_t, std::string> m_folderPaths;
    std::shared_ptr<RunEvents> m_events;
    // The SNMP trap receiver while it is enabled, and the settings it was started with.
    std::unique_ptr<CTrapReceiver> m_trapReceiver;
    CSnAdvSnmpTrapRcvSettings m_trapSettings;

    std::map<std::int32_t, CheckState> m_checks;
    // The due queue: min-heaps by due time, on the monotonic clock (scan mode 0 and
    // run-now requests) and on the wall clock (schedules).
    struct DueEntry {
        std::int64_t At;
        std::int32_t Id;
        std::uint32_t Generation;
        bool operator>(const DueEntry& other) const { return At > other.At; }
    };
    std::vector<DueEntry> m_dueSteady;
    std::vector<DueEntry> m_dueWall;
    // Due checks left in the queue because the pool had no room.
    bool m_backlogged = false;
    // Checks with a run queued or going.
    std::set<std::int32_t> m_running;
    // How late (ms) the runs that started late since the last report started.
    std::vector<std::int64_t> m_lateStarts;
    std::int64_t m_nextLatenessReport = 0;
    std::int64_t m_nextTrim = 0;
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> m_folderChecks;
    // Result lines found at start, consumed by the first load.
    std::unordered_map<std::int32_t, ResultLine> m_initialLines;

    UncertainMapping m_uncertain;
    CSnCfgScheduleList m_globalMaintenance;
    CSnDateTimeSettings m_dateTime;
    CSnChangeDetector m_nsSeen;
    CSnChangeDetector m_globalSettingsSeen;
    CQvcString m_lastLoadFailure;
    std::unique_ptr<Loader> m_loader;
    // A load runs (on the loader's thread), started with that "NS" and for a reload request.
    bool m_loading = false;
    long m_loadNs = 0;
    bool m_loadGlobalSettings = false;

    std::uint64_t m_lastToken = 0;
    std::int64_t m_nextPoll = 0;
    std::int64_t m_nextFlush = 0;
    std::size_t m_abandoned = 0;
    bool m_started = false;
    bool m_stopped = false;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_reloadRequested{false};
};
