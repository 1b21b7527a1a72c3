#include "engine/Engine.h"

#include "engine/EngineLog.h"
#include "engine/PackedNodeCfg.h"
#include "engine/NetworkHelpers.h"
#include "engine/TrapReceiver.h"
#include "model/checks/CheckSettings.h"
#include "engine/alerting/AlertLog.h"
#include "engine/alerting/PlatformChannels.h"
#include "library/ErrorTexts.h"
#include "model/checks/CheckTypes.h"
#include "model/settings/DateTimeFormat.h"
#include "model/link/LinkFileValues.h"
#include "model/tree/NodeStatus.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/tree/SnDependencyCalculator.h"
#include "model/settings/SnMaintenanceSettings.h"
#include "model/settings/SnReportSettings.h"
#include "model/settings/SnStatsLimits.h"
#include "model/notify/AddressRules.h"
#include "model/tree/SnTreeText.h"
#include "model/tree/SnTreeWalk.h"
#include "platform/Profile.h"
#include "platform/SafeFile.h"
#include "platform/System.h"

#include <malloc.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>

namespace {

constexpr const char* kMonitorNow = "MonitorNow";
constexpr const char* kClearFailureNow = "ClearFailureNow";
// The interval of a check whose own is missing: the catalogue's default.
constexpr std::int64_t kDefaultIntervalSeconds = 30;
// A run that starts this much after it was due counts as late.
constexpr std::int64_t kLateMs = 1000;
// How often the lateness of runs is reported.
constexpr std::int64_t kLatenessPeriodMs = 60000;
// The longest Run sleeps between passes.
constexpr std::int64_t kLongestIdleMs = 1000;

std::int64_t IntervalMs(std::int32_t interval) {
    const std::int64_t seconds = interval > 0 ? interval : kDefaultIntervalSeconds;
    return seconds * 1000;
}

// Jobs the engine keeps queued on the pool at most; due checks beyond them wait in the
// due queue, so that their hold, maintenance and dependencies are looked at when they
// can actually start, and so that a backlog costs no more than the queue's entries.
std::size_t MostQueued(std::size_t workers) {
    return std::max<std::size_t>(256, workers * 8);
}

std::string Seconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

bool IsFailed(std::int32_t status) {
    return status == kStatusError || status == kStatusFailure || status == kStatusErrorByDependee ||
           status == kStatusFailureByDependee;
}

CQvcString Quoted(const CSnNodeCfg& cfg) {
    CQvcString text;
    text.Format("'%s' (ID %d)", cfg.Name.c_str(), static_cast<int>(cfg.ID));
    return text;
}

CQvcString Quoted(const CEngine::CheckState& state) {
    return Quoted(state.Config());
}

} // namespace

// What the workers report back to the engine: a run started on a worker, or finished.
struct CEngine::RunEvents {
    struct Event {
        enum class Kind { Started, OnReactor, Finished };
        Kind kind = Kind::Started;
        std::int32_t id = 0;
        std::uint64_t token = 0;
        std::thread::id worker;
        CheckOutcome outcome;
    };

    void Post(Event event) {
        {
            std::lock_guard lock(mutex);
            events.push_back(std::move(event));
            wake = true;
        }
        cv.notify_all();
    }
    void Wake() {
        {
            std::lock_guard lock(mutex);
            wake = true;
        }
        cv.notify_all();
    }
    void PostTrap(ReceivedTrap trap) {
        {
            std::lock_guard lock(mutex);
            traps.push_back(std::move(trap));
            wake = true;
        }
        cv.notify_all();
    }
    std::vector<ReceivedTrap> TakeTraps() {
        std::lock_guard lock(mutex);
        std::vector<ReceivedTrap> taken;
        taken.swap(traps);
        return taken;
    }
    std::vector<Event> Take() {
        std::lock_guard lock(mutex);
        std::vector<Event> taken;
        taken.swap(events);
        return taken;
    }

    std::mutex mutex;
    std::condition_variable cv;
    std::vector<Event> events;
    std::vector<ReceivedTrap> traps;
    bool wake = false;
};

// A configuration read and flattened, waiting to be applied.
struct CEngine::PreparedConfig {
    struct Check {
        std::int32_t Id = 0;
        std::string Packed;
        std::vector<std::int32_t> Dependees;
    };
    long Code = 0;
    // By ID.
    std::vector<Check> Checks;
    // For every folder, the checks at any depth below it; the folder path of every check
    // ("\\"-joined names below the root).
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> FolderChecks;
    std::unordered_map<std::int32_t, std::string> FolderPaths;
};

// The loader's thread with its own store (a store serves one thread): it prepares one
// configuration whenever asked, and leaves it for the owner's thread to take.
struct CEngine::Loader {
    CSnCfg Store{"Engine"};
    std::mutex Mutex;
    std::condition_variable Wanted;
    bool Requested = false;
    std::unique_ptr<PreparedConfig> Ready;
    std::atomic<bool> Stop{false};
    std::thread Thread;

    void Start(std::shared_ptr<RunEvents> events) {
        Thread = std::thread([this, events = std::move(events)] {
            std::unique_lock lock(Mutex);
            while (true) {
                Wanted.wait(lock, [this] { return Requested || Stop.load(); });
                if (Stop)
                    return;
                Requested = false;
                lock.unlock();
                std::unique_ptr<PreparedConfig> prepared = PrepareConfiguration(Store, Stop);
                lock.lock();
                Ready = std::move(prepared);
                events->Wake();
            }
        });
    }
    void Request() {
        {
            std::lock_guard lock(Mutex);
            Requested = true;
        }
        Wanted.notify_one();
    }
    std::unique_ptr<PreparedConfig> Take() {
        std::lock_guard lock(Mutex);
        return std::move(Ready);
    }
    void Join() {
        {
            std::lock_guard lock(Mutex);
            Stop = true;
        }
        Wanted.notify_one();
        if (Thread.joinable())
            Thread.join();
    }
};

CEngine::CEngine(EngineOptions options, EngineServices services)
    : CQvcBase("Engine"), m_options(std::move(options)), m_services(std::move(services)),
      m_clock(m_options.Clock ? *m_options.Clock : SystemEngineClock()), m_store("Engine"),
      m_events(std::make_shared<RunEvents>()) {
    m_root = m_options.Root;
    if (!m_root.IsEmpty())
        m_root.EnsureTrailing(platform::kPathSeparator);
}

CEngine::~CEngine() {
    Stop();
    StopLoader();
}

// --- life ---------------------------------------------------------------------------------

long CEngine::Start(CQvcString& message) {
    message.Empty();
    if (m_started) {
        message = "the engine runs already";
        return -1;
    }
    long code = m_store.OpenRoot(m_root, true, true);
    if (code != 0) {
        message.Format("cannot open the configuration of %s: Error #%ld: %s", m_root.c_str(), code,
                       ErrorText(code).c_str());
        return code;
    }
    CSnIPC* link = m_store.Link();
    m_results = std::make_unique<CResultFile>(link->ResultFile());
    m_activity = std::make_unique<CActivityLog>(link->ActivityLogFile(), m_options.ActivityLines);
    AlertQueueOptions alertOptions = m_options.Alerts;
    alertOptions.EngineRoot = m_root;
    m_alerts = std::make_unique<CAlertQueue>(m_services.AlertChannels, alertOptions);
    // Read before loading: a change written while the load runs shows at the next poll.
    m_nsSeen.Record(link->ReadChangeCounter(1));
    m_globalSettingsSeen.Record(link->ReadGlobalSettingsCounter());
    ReadGlobalSettings();
    OpenHistory();

    // The results retired by the last stop, under any that the file still holds (a crash
    // leaves them there).
    m_initialLines = m_results->ReadAll();
    m_initialLines.merge(CResultFile(RetiredResultsPath()).ReadAll());
    m_activity->Restart(WallNow(), "Sentrelle Engine started");
    m_loader = std::make_unique<Loader>();
    code = m_loader->Store.OpenFile(m_store.ConfigFilePath(), true);
    if (code == 0)
        code = ApplyConfiguration(*PrepareConfiguration(m_loader->Store, m_loader->Stop), true);
    m_initialLines.clear();
    if (code != 0) {
        message.Format("cannot load the checks of %s: Error #%ld: %s", m_root.c_str(), code, ErrorText(code).c_str());
        return code;
    }

    m_pool = std::make_unique<CWorkerPool>(m_options.Workers, m_options.Workers);
    CNotificationDesk::Timing timing;
    timing.ResponseKeep = m_options.ResponseKeep;
    timing.StaleRequest = m_options.StaleRequest;
    timing.OrphanKeep = m_options.OrphanKeep;
    timing.SendTimeout = m_options.RunTimeout;
    m_desk = std::make_unique<CNotificationDesk>(link->NotificationDirectory(), m_root,
                                                 m_services.SendNotification, m_clock, timing,
                                                 [this](const CQvcString& text) { AddActivity(text); });
    if (m_options.BackgroundLoads)
        m_loader->Start(m_events);
    m_started = true;
    m_nextPoll = SteadyNow() + m_options.PollPeriod.count();
    Flush();
    m_nextFlush = SteadyNow() + m_options.FlushPeriod.count();
    m_nextLatenessReport = SteadyNow() + kLatenessPeriodMs;
    if (m_options.Log)
        m_options.Log->Info("Engine started on %s with %zu checks and %zu workers", m_root.c_str(),
                            m_checks.size(), m_options.Workers);
    return 0;
}

void CEngine::Run() {
    while (!StopRequested()) {
        Tick();
        WaitForWork(IdleTime());
    }
    Stop();
}

void CEngine::WaitForWork(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_events->mutex);
    m_events->cv.wait_for(lock, timeout, [&] { return m_events->wake; });
    m_events->wake = false;
}

void CEngine::RequestStop() {
    m_stopRequested = true;
    m_events->Wake();
}

void CEngine::RequestReload() {
    m_reloadRequested = true;
    m_events->Wake();
}

void CEngine::Stop() {
    if (!m_started || m_stopped)
        return;
    m_stopped = true;
    // A load still going is abandoned at its next step.
    StopLoader();
    for (std::int32_t id : m_running) {
        if (CheckState& state = m_checks.at(id); state.Cancel)
            *state.Cancel = true;
    }
    const auto waitEnd = std::chrono::steady_clock::now() + m_options.StopWait;
    m_pool->Stop();
    m_pool->WaitIdle(static_cast<long>(m_options.StopWait.count()));
    DrainEvents();
    // Runs waiting on the network reactor end within its cancellation look.
    const auto startedRuns = [this] {
        return std::any_of(m_running.begin(), m_running.end(), [this](std::int32_t id) { return m_checks.at(id).Started; });
    };
    while (startedRuns() && std::chrono::steady_clock::now() < waitEnd) {
        WaitForWork(std::chrono::milliseconds(20));
        DrainEvents();
    }
    m_abandoned += m_pool->AbandonBusy();
    for (std::int32_t id : std::set<std::int32_t>(m_running)) {
        CheckState& state = m_checks.at(id);
        EndRun(id, state);
        state.Started = false;
        if (state.HasLine && state.Line.Processing != 0) {
            state.Line.Processing = 0;
            PutLine(id, state);
        }
    }
    m_trapReceiver.reset();
    m_desk->Stop(1000);
    // Alerts already due (an e-mail batch still open, too) get the stop's wait to go out.
    m_alerts->WaitIdle(m_options.StopWait);
    m_alerts->Stop();
    CollectAlertReports();
    AddActivity("Sentrelle Engine stopped");
    Flush();
    m_history.reset(); // writes what it still holds
    RetireResults();
    m_pool.reset();
    if (m_options.Log)
        m_options.Log->Info("Engine stopped%s", m_abandoned ? " (some runs were abandoned)" : "");
}

// --- configuration ------------------------------------------------------------------------

void CEngine::ReadGlobalSettings() {
    CSnAdvancedSettings advanced;
    if (advanced.Read(m_store) == 0) {
        m_uncertain.AsError = advanced.UncertainAsError;
        m_uncertain.AsSuccess = advanced.UncertainAsSuccess;
        ConfigureTrapReceiver(advanced.SnmpTrapRcv);
    }
    CSnMaintenanceSettings maintenance;
    if (maintenance.Read(m_store) == 0)
        m_globalMaintenance = maintenance.Schedule;
    CSnDateTimeSettings dateTime;
    if (dateTime.Read(m_store) == 0)
        m_dateTime = dateTime;
    auto credentials = std::make_shared<CSnCfgServerCredentials>();
    if (credentials->Read(m_store) == 0)
        m_serverCredentials = std::move(credentials);
    ReadAlertSettings();
    if (m_history) {
        CSnStatsLimits limits;
        limits.Read();
        m_history->SetLimits(limits);
    }
}

void CEngine::OpenHistory() {
    CSnReportSettings report;
    report.Read(m_store);
    const CQvcString path = StatisticsDatabasePath(report.DbConnection, m_root);
    if (path.IsEmpty()) {
        if (m_options.Log)
            m_options.Log->Warning("No history is kept: the statistics connection names no database file");
        return;
    }
    CSnStatsLimits limits;
    limits.Read();
    m_history = std::make_unique<CHistoryWriter>(path, limits, m_options.Log, m_options.HistoryFlushPeriod);
}

void CEngine::ConfigureTrapReceiver(const CSnAdvSnmpTrapRcvSettings& settings) {
    if (m_trapReceiver && settings.Format() == m_trapSettings.Format())
        return;
    m_trapReceiver.reset();
    m_trapSettings = settings;
    if (settings.Enabled) {
        std::weak_ptr<RunEvents> events = m_events;
        m_trapReceiver = std::make_unique<CTrapReceiver>(settings, m_root, [events](ReceivedTrap trap) {
            if (const auto alive = events.lock())
                alive->PostTrap(std::move(trap));
        });
        if (m_options.Log) {
            if (m_trapReceiver->Listening())
                m_options.Log->Info("SNMP trap receiver listening on UDP port %d", m_trapReceiver->Port());
            else
                m_options.Log->Error("SNMP trap receiver: %s", m_trapReceiver->Error().c_str());
        }
    }
    // Checks that wait for traps say whether any can come.
    for (auto& [id, state] : m_checks)
        if (state.Mode == 2 && !state.Running && (!state.HasLine || state.Line.LastUpdate == 0))
            PublishWaiting(id, state);
}

void CEngine::DrainTraps() {
    for (const ReceivedTrap& trap : m_events->TakeTraps())
        ApplyTrap(trap);
}

// A check of the trap type takes its status from every trap that passes its filters; any
// other check in the trap scan mode runs once for every trap.
void CEngine::ApplyTrap(const ReceivedTrap& trap) {
    for (auto& [id, state] : m_checks) {
        if (state.Mode != 2)
            continue;
        const CSnNodeCfg cfg = state.Config();
        if (cfg.OnHold != 0)
            continue;
        if (cfg.Function.Type != kTypeSnmpTrapReceive) {
            state.RunNow = true;
            if (!state.Running)
                Enqueue(id, state);
            continue;
        }
        const SnmpTrapSettings filters = SnmpTrapSettings::Read(cfg.Function);
        if (!TrapMatches(filters, trap))
            continue;
        const std::string said = DescribeTrap(trap);
        const std::string data = trap.Variables.empty() ? trap.Oid : trap.Variables.front().Value;
        CheckOutcome outcome = filters.ErrorWhenReceived ? CheckOutcome::Error(said, FirstLine(data, 60))
                                                         : CheckOutcome::Success(said, FirstLine(data, 60));
        outcome.DurationSecs = 0;
        FinishRun(id, state, outcome);
    }
}

void CEngine::ReadAlertSettings() {
    AlertSettings settings;
    settings.Smtp.Read(m_store);
    settings.Traps.Read(m_store);
    settings.Sms.Read(m_store);
    settings.Pager.Read(m_store);
    settings.Log.Read(m_store);
    settings.AllowReboot = m_options.AllowReboot;
    for (int kind = 1; kind <= 6; ++kind) {
        CSnMessageTemplate text;
        if (text.Read(m_store, kind) == 0)
            settings.Templates[kind] = text;
    }
    AlertAddressBook book;
    for (std::int32_t channel : {kNotifyEmail, kNotifyNetPopup, kNotifySms, kNotifyPager, kNotifyMessenger}) {
        auto groups = std::make_shared<CSnDistributionGroups>(channel);
        if (groups->Load(m_store) == 0)
            book[channel] = std::move(groups);
    }
    m_addressBook = std::move(book);
    m_alertSettings = settings;
    if (m_alerts)
        m_alerts->SetSettings(std::move(settings));
}

std::unique_ptr<CEngine::PreparedConfig> CEngine::PrepareConfiguration(CSnCfg& store, const std::atomic<bool>& stop) {
    auto prepared = std::make_unique<PreparedConfig>();
    CSnNode* tree = nullptr;
    prepared->Code = store.LoadAllNodes(tree);
    if (prepared->Code == 0 && !stop) {
        // The folders above the node being visited, with their depths and names.
        struct Above {
            std::int32_t Id;
            int Depth;
            std::string Name;
        };
        std::vector<Above> folders;
        WalkTree(tree, [&](CSnNode* node, int depth) {
            if (stop)
                return WalkStep::Stop;
            while (!folders.empty() && folders.back().Depth >= depth)
                folders.pop_back();
            const std::int32_t type = node->Cfg.Function.Type;
            if (type == kTypeFolder) {
                prepared->FolderChecks[node->Id()];
                folders.push_back({node->Id(), depth, node->Cfg.Name.Str()});
            } else if (type > kTypeFolder) {
                prepared->Checks.push_back({node->Id(), PackNodeCfg(node->Cfg),
                                            CSnDependencyCalculator::DependencyIds(node->Cfg.Action.Dependencies)});
                std::string path;
                for (const Above& f : folders) {
                    prepared->FolderChecks[f.Id].push_back(node->Id());
                    // The root is every check's folder: paths start below it.
                    if (f.Depth > 0)
                        path += (path.empty() ? "" : "\\") + f.Name;
                }
                prepared->FolderPaths[node->Id()] = std::move(path);
            }
            return WalkStep::Continue;
        });
        std::sort(prepared->Checks.begin(), prepared->Checks.end(),
                  [](const PreparedConfig::Check& a, const PreparedConfig::Check& b) { return a.Id < b.Id; });
    }
    // A load cut short by a stop is never applied; mark it failed all the same.
    if (stop)
        prepared->Code = -1;
    store.FreeTree(tree);
    // The tree of every configuration was by far the largest thing the engine held: give
    // its memory back to the system rather than keep it for the next load.
    ::malloc_trim(0);
    return prepared;
}

long CEngine::ApplyConfiguration(PreparedConfig& loaded, bool initial) {
    if (const long code = loaded.Code; code != 0) {
        CQvcString failure;
        failure.Format("Loading the configuration failed: Error #%ld: %s", code, ErrorText(code).c_str());
        // A store that stays unreadable is retried every poll; say so once.
        if (!(failure == m_lastLoadFailure)) {
            m_lastLoadFailure = failure;
            AddActivity(failure);
            if (m_options.Log)
                m_options.Log->Error("%s", failure.c_str());
        }
        return code;
    }
    m_lastLoadFailure.Empty();
    m_folderChecks = std::move(loaded.FolderChecks);
    m_folderPaths = std::move(loaded.FolderPaths);
    const auto isLoaded = [&loaded](std::int32_t id) {
        const auto at = std::lower_bound(loaded.Checks.begin(), loaded.Checks.end(), id,
                                         [](const PreparedConfig::Check& check, std::int32_t wanted) {
                                             return check.Id < wanted;
                                         });
        return at != loaded.Checks.end() && at->Id == id;
    };
    LoadCounts counts;
    // Checks that are gone: their runs are cancelled and their lines removed.
    for (auto it = m_checks.begin(); it != m_checks.end();) {
        if (isLoaded(it->first)) {
            ++it;
            continue;
        }
        if (it->second.Cancel)
            *it->second.Cancel = true;
        m_running.erase(it->first);
        m_results->Remove(it->first);
        it = m_checks.erase(it);
        ++counts.Removed;
    }
    if (initial) {
        for (const auto& [id, line] : m_initialLines) {
            if (!isLoaded(id))
                m_results->Remove(id);
        }
    }
    for (PreparedConfig::Check& check : loaded.Checks) {
        const std::int32_t id = check.Id;
        auto found = m_checks.find(id);
        if (found == m_checks.end()) {
            CheckState& state = m_checks[id];
            state.Packed = std::move(check.Packed);
            state.Dependees = std::move(check.Dependees);
            const CSnNodeCfg cfg = state.Config();
            const auto line = m_initialLines.find(id);
            if (line != m_initialLines.end()) {
                // The last result published before the engine stopped is published again
                // (the stop took it off the file), without a Processing flag that no run
                // stands behind any more.
                state.Line = line->second;
                state.HasLine = true;
                state.ErrorCount = ErrorCountFromStatus(state.Line.Status, cfg.ScanFrequency.ErrorThreshold);
                state.Alert = AlertMemoryAtStart(state.Line.Status);
                state.Line.Processing = 0;
                PutLine(id, state);
            }
            ScheduleAfterChange(id, state, cfg);
            ++counts.Added;
            continue;
        }
        CheckState& state = found->second;
        state.Dependees = std::move(check.Dependees);
        if (state.Packed != check.Packed) {
            state.Packed = std::move(check.Packed);
            ScheduleAfterChange(id, state, state.Config());
            ++counts.Changed;
        }
    }

    // Templates and address books are edited without a change of the global settings.
    if (!initial)
        ReadAlertSettings();
    CQvcString text;
    if (initial)
        text.Format("Configuration loaded: %zu checks", m_checks.size());
    else
        text.Format("Configuration reloaded: %zu checks (%zu new, %zu changed, %zu removed)", m_checks.size(),
                    counts.Added, counts.Changed, counts.Removed);
    AddActivity(text);
    if (m_options.Log)
        m_options.Log->Info("%s", text.c_str());
    return 0;
}

void CEngine::BeginLoad(long ns, bool globalSettings) {
    m_loading = true;
    m_loadNs = ns;
    m_loadGlobalSettings = globalSettings;
    if (m_loader->Thread.joinable()) {
        m_loader->Request();
        return;
    }
    const std::unique_ptr<PreparedConfig> loaded = PrepareConfiguration(m_loader->Store, m_loader->Stop);
    FinishLoad(*loaded);
}

void CEngine::FinishLoad(PreparedConfig& loaded) {
    m_loading = false;
    if (ApplyConfiguration(loaded, false) == 0)
        m_nsSeen.Record(m_loadNs);
    if (m_loadGlobalSettings)
        ReadGlobalSettings();
}

void CEngine::TakeLoaded() {
    if (!m_loading || !m_loader->Thread.joinable())
        return;
    if (const std::unique_ptr<PreparedConfig> loaded = m_loader->Take())
        FinishLoad(*loaded);
}

void CEngine::StopLoader() {
    if (m_loader)
        m_loader->Join();
}

std::vector<std::int32_t> CEngine::ChecksOf(std::int32_t id) const {
    if (m_checks.count(id) != 0)
        return {id};
    const auto folder = m_folderChecks.find(id);
    if (folder != m_folderChecks.end())
        return folder->second;
    return {};
}

// --- scheduling ---------------------------------------------------------------------------

CSnNodeCfg CEngine::CheckState::Config() const {
    return UnpackNodeCfg(Packed);
}

void CEngine::ScheduleAfterChange(std::int32_t id, CheckState& state, const CSnNodeCfg& cfg) {
    const CSnNodeCfgScanFrequency& frequency = cfg.ScanFrequency;
    state.Mode = static_cast<std::int8_t>(frequency.Mode);
    state.IntervalSeconds = frequency.Interval;
    state.Graph = cfg.GraphEnabled != 0;
    state.RunLimitMs = RunLimit(cfg, m_options.RunTimeout).count();
    state.NextDueSteady = SteadyNow();
    state.NextDueWall = frequency.Mode == 1 ? frequency.Schedule.NextStart(WallNow()) : -1;
    if (cfg.OnHold != 0) {
        if (!state.HasLine || state.Line.Status != kStatusOnHold)
            Publish(id, state, kStatusOnHold, "Check is on hold");
    } else if (frequency.Mode != 0 && (!state.HasLine || state.Line.Status == kStatusOnHold)) {
        PublishWaiting(id, state);
    }
    Enqueue(id, state);
}

bool CEngine::IsDue(const CheckState& state, std::int64_t now, std::int64_t wall) const {
    if (state.Running)
        return false;
    if (state.RunNow)
        return true;
    switch (state.Mode) {
    case 0:
        return now >= state.NextDueSteady;
    case 1:
        return state.NextDueWall >= 0 && wall >= state.NextDueWall;
    default:
        return false; // runs on incoming traps only
    }
}

void CEngine::Enqueue(std::int32_t id, CheckState& state) {
    const std::uint32_t generation = ++state.QueueGeneration;
    const auto push = [&](std::vector<DueEntry>& heap, std::int64_t at) {
        heap.push_back({at, id, generation});
        std::push_heap(heap.begin(), heap.end(), std::greater<>());
    };
    if (state.RunNow)
        push(m_dueSteady, SteadyNow());
    else if (state.Mode == 0)
        push(m_dueSteady, state.NextDueSteady);
    else if (state.Mode == 1 && state.NextDueWall >= 0)
        push(m_dueWall, state.NextDueWall);
}

void CEngine::DispatchDue(std::int64_t now, std::int64_t wall) {
    const std::size_t mostQueued = MostQueued(m_options.Workers);
    m_backlogged = false;
    const auto take = [&](std::vector<DueEntry>& heap, std::int64_t upTo) {
        while (!heap.empty() && heap.front().At <= upTo) {
            const DueEntry entry = heap.front();
            const auto found = m_checks.find(entry.Id);
            const bool current = found != m_checks.end() && found->second.QueueGeneration == entry.Generation;
            if (current && !found->second.Running && m_pool->QueuedCount() >= mostQueued) {
                m_backlogged = true;
                return;
            }
            std::pop_heap(heap.begin(), heap.end(), std::greater<>());
            heap.pop_back();
            if (!current)
                continue;
            CheckState& state = found->second;
            if (state.Running)
                state.DueWhileRunning = true;
            else if (IsDue(state, now, wall))
                Dispatch(entry.Id, state, now, wall);
        }
    };
    take(m_dueSteady, now);
    take(m_dueWall, wall);
}

void CEngine::Dispatch(std::int32_t id, CheckState& state, std::int64_t now, std::int64_t wall) {
    const CSnNodeCfg cfg = state.Config();
    if (state.RunNow)
        state.DueAt = now;
    else if (state.Mode == 0)
        state.DueAt = state.NextDueSteady;
    else
        state.DueAt = now - std::max<std::int64_t>(0, wall - state.NextDueWall) * 1000;
    state.RunNow = false;
    if (state.Mode == 0)
        state.NextDueSteady = now + IntervalMs(state.IntervalSeconds);
    else if (state.Mode == 1)
        state.NextDueWall = cfg.ScanFrequency.Schedule.NextStart(wall);
    Enqueue(id, state);

    // The checks it depends on, a folder standing for every check below it (as the folder
    // holds them now), in ID order, with the statuses they have published.
    std::set<std::int32_t> expanded;
    for (std::int32_t named : state.Dependees) {
        for (std::int32_t check : ChecksOf(named)) {
            if (check != id)
                expanded.insert(check);
        }
    }
    const std::vector<std::int32_t> dependees(expanded.begin(), expanded.end());
    std::vector<std::int32_t> statuses;
    statuses.reserve(dependees.size());
    for (std::int32_t dependee : dependees) {
        const auto found = m_checks.find(dependee);
        statuses.push_back(found != m_checks.end() && found->second.HasLine ? found->second.Line.Status : 0);
    }
    const RunGate gate = GateRun(cfg, m_globalMaintenance, wall, statuses);
    switch (gate.kind) {
    case RunGate::Kind::Run:
        Submit(id, state);
        break;
    case RunGate::Kind::OnHold:
        Publish(id, state, gate.Status, "Check is on hold");
        break;
    case RunGate::Kind::Maintenance:
        Publish(id, state, gate.Status, CQvcString("In a maintenance window until ") + FormatTime(gate.WindowEnd));
        break;
    case RunGate::Kind::Dependee: {
        const std::int32_t decider = dependees[gate.Decider];
        CQvcString response("Not run: ");
        response += Quoted(m_checks.at(decider)) + " is in " + StatusName(statuses[gate.Decider]);
        Publish(id, state, gate.Status, response);
        break;
    }
    }
}

void CEngine::Submit(std::int32_t id, CheckState& state) {
    state.Running = true;
    state.Started = false;
    state.RunToken = ++m_lastToken;
    state.Cancel = std::make_shared<std::atomic<bool>>(false);
    m_running.insert(id);
    RunContext context;
    context.EngineRoot = m_root;
    context.Timeout = std::chrono::milliseconds(state.RunLimitMs > 0 ? state.RunLimitMs : m_options.RunTimeout.count());
    context.Cancelled = state.Cancel.get();
    context.ServerCredentials = m_serverCredentials;
    context.SshDirectory = m_options.SshDirectory;
    // The job holds everything it uses: it may outlive the engine when it is abandoned.
    m_pool->Submit([events = m_events, run = m_services.RunCheck, start = m_services.StartCheck,
                    packed = state.Packed, context, cancel = state.Cancel, id, token = state.RunToken] {
        RunEvents::Event started;
        started.id = id;
        started.token = token;
        started.worker = std::this_thread::get_id();
        events->Post(started);
        const CSnNodeCfg cfg = UnpackNodeCfg(packed);
        const auto began = std::chrono::steady_clock::now();
        const auto finish = [events, id, token, began](CheckOutcome outcome) {
            FillDuration(outcome, began);
            RunEvents::Event finished;
            finished.kind = RunEvents::Event::Kind::Finished;
            finished.id = id;
            finished.token = token;
            finished.outcome = std::move(outcome);
            events->Post(std::move(finished));
        };
        bool onReactor = false;
        CheckOutcome outcome = GuardedRun(
            [&] {
                // The outcome's sink keeps the cancellation flag the run looks at alive.
                if (start && start(cfg, context, [finish, cancel](CheckOutcome result) { finish(std::move(result)); })) {
                    onReactor = true;
                    return CheckOutcome();
                }
                return run ? run(cfg, context) : CheckOutcome::Uncertain("This engine has no check runner");
            },
            began);
        if (onReactor) {
            RunEvents::Event handedOver;
            handedOver.kind = RunEvents::Event::Kind::OnReactor;
            handedOver.id = id;
            handedOver.token = token;
            events->Post(std::move(handedOver));
            return;
        }
        finish(std::move(outcome));
    });
}

void CEngine::Tick() {
    if (!m_started || m_stopped)
        return;
    DrainEvents();
    DrainTraps();
    GiveUpOverdueRuns();
    TakeLoaded();
    // A request waits while a load runs: "NS" is read before the load that answers it.
    if (!m_loading && m_reloadRequested.exchange(false))
        BeginLoad(m_store.Link()->ReadChangeCounter(1), true);
    const std::int64_t now = SteadyNow();
    if (now >= m_nextPoll) {
        m_nextPoll = now + m_options.PollPeriod.count();
        PollControl();
        m_desk->Poll();
    } else {
        m_desk->Collect();
    }
    CollectAlertReports();
    const std::int64_t wall = WallNow();
    DispatchDue(now, wall);
    ReportLateness(now, wall);
    ReleaseFreeMemory(now);
    if (now >= m_nextFlush) {
        Flush();
        m_nextFlush = now + m_options.FlushPeriod.count();
    }
}

std::chrono::milliseconds CEngine::IdleTime() const {
    const std::int64_t now = SteadyNow();
    std::int64_t wake = std::min({m_nextPoll, m_nextLatenessReport, now + kLongestIdleMs});
    if ((m_results && m_results->HasPending()) || (m_activity && m_activity->HasPending()))
        wake = std::min(wake, m_nextFlush);
    // A backlog moves on as runs start and end, which wake the engine anyway.
    if (!m_backlogged && !m_dueSteady.empty())
        wake = std::min(wake, m_dueSteady.front().At);
    if (!m_backlogged && !m_dueWall.empty())
        wake = std::min(wake, now + (m_dueWall.front().At - WallNow()) * 1000);
    return std::chrono::milliseconds(std::max<std::int64_t>(0, wake - now));
}

void CEngine::DrainEvents() {
    for (RunEvents::Event& event : m_events->Take()) {
        const auto found = m_checks.find(event.id);
        // A run given up, or of a check removed meanwhile, has nothing more to say.
        if (found == m_checks.end() || !found->second.Running || found->second.RunToken != event.token)
            continue;
        CheckState& state = found->second;
        switch (event.kind) {
        case RunEvents::Event::Kind::Started: {
            state.Started = true;
            state.StartedSteady = SteadyNow();
            state.Worker = event.worker;
            const std::int64_t late = state.StartedSteady - state.DueAt;
            if (late >= kLateMs)
                m_lateStarts.push_back(late);
            state.Line.Processing = 1;
            PutLine(event.id, state);
            break;
        }
        case RunEvents::Event::Kind::OnReactor:
            // The worker has moved on: there is none to replace if the run hangs.
            state.Worker = std::thread::id();
            break;
        case RunEvents::Event::Kind::Finished:
            EndRun(event.id, state);
            FinishRun(event.id, state, event.outcome);
            break;
        }
    }
}

void CEngine::EndRun(std::int32_t id, CheckState& state) {
    state.Running = false;
    state.Started = false;
    state.Cancel.reset();
    state.Worker = std::thread::id();
    m_running.erase(id);
    if (state.DueWhileRunning || state.RunNow) {
        state.DueWhileRunning = false;
        Enqueue(id, state);
    }
}

void CEngine::GiveUpOverdueRuns() {
    const std::int64_t now = SteadyNow();
    const auto runLimit = [this](const CheckState& state) {
        return state.RunLimitMs > 0 ? state.RunLimitMs : m_options.RunTimeout.count();
    };
    std::vector<std::int32_t> overdue;
    for (std::int32_t id : m_running) {
        const CheckState& state = m_checks.at(id);
        if (state.Started && now - state.StartedSteady > runLimit(state) + m_options.RunGrace.count())
            overdue.push_back(id);
    }
    for (std::int32_t id : overdue) {
        CheckState& state = m_checks.at(id);
        *state.Cancel = true;
        // The worker stays with its run; a new one takes its place in the pool.
        if (state.Worker != std::thread::id() && m_pool->Abandon(state.Worker))
            ++m_abandoned;
        EndRun(id, state);
        CQvcString response;
        response.Format("The check did not finish within %lld seconds",
                        static_cast<long long>(runLimit(state) / 1000));
        if (m_options.Log)
            m_options.Log->Warning("Check %s: %s", Quoted(state).c_str(), response.c_str());
        CheckOutcome gaveUp = CheckOutcome::Uncertain(response);
        gaveUp.DurationSecs = static_cast<int>((runLimit(state) + m_options.RunGrace.count()) / 1000);
        FinishRun(id, state, gaveUp);
    }
}

void CEngine::FinishRun(std::int32_t id, CheckState& state, const CheckOutcome& outcome) {
    const CheckVerdict verdict = JudgeOutcome(state.Config(), outcome.kind, state.ErrorCount, m_uncertain);
    state.ErrorCount = verdict.ErrorCount;
    Publish(id, state, verdict.Status, outcome.Response, outcome.Data, outcome.Comment,
            std::max(0, outcome.DurationSecs), false, outcome.Milliseconds());
    if (m_history && state.Graph)
        m_history->Sample(id, WallNow(), outcome.Data, outcome.Milliseconds());
}

void CEngine::ReportLateness(std::int64_t now, std::int64_t wall) {
    if (now < m_nextLatenessReport)
        return;
    m_nextLatenessReport = now + kLatenessPeriodMs;
    // Due checks that have not started: queued on the pool, or left in the due queue.
    std::int64_t waiting = 0, longestWait = 0;
    const auto count = [&](std::int64_t late) {
        if (late < kLateMs)
            return;
        ++waiting;
        longestWait = std::max(longestWait, late);
    };
    for (std::int32_t id : m_running) {
        const CheckState& state = m_checks.at(id);
        if (!state.Started)
            count(now - state.DueAt);
    }
    const auto countQueue = [&](const std::vector<DueEntry>& heap, bool onWall) {
        for (const DueEntry& entry : heap) {
            const auto found = m_checks.find(entry.Id);
            if (found == m_checks.end() || found->second.QueueGeneration != entry.Generation || found->second.Running)
                continue;
            count(onWall ? (wall - entry.At) * 1000 : now - entry.At);
        }
    };
    if (m_backlogged) {
        countQueue(m_dueSteady, false);
        countQueue(m_dueWall, true);
    }
    if (m_lateStarts.empty() && waiting == 0)
        return;
    if (m_options.Log) {
        std::string text = "Behind schedule: " + std::to_string(m_lateStarts.size()) +
                           " checks started late in the last minute";
        if (!m_lateStarts.empty()) {
            auto middle = m_lateStarts.begin() + static_cast<std::ptrdiff_t>(m_lateStarts.size() / 2);
            std::nth_element(m_lateStarts.begin(), middle, m_lateStarts.end());
            const std::int64_t median = *middle;
            const std::int64_t most = *std::max_element(m_lateStarts.begin(), m_lateStarts.end());
            text += " (median " + Seconds(median) + ", maximum " + Seconds(most) + " late)";
        }
        text += "; " + std::to_string(waiting) + " due checks have not started yet";
        if (waiting > 0)
            text += " (the longest waits " + Seconds(longestWait) + ")";
        m_options.Log->Warning("%s", text.c_str());
    }
    m_lateStarts.clear();
    m_lateStarts.shrink_to_fit();
}

void CEngine::ReleaseFreeMemory(std::int64_t now) {
    if (now < m_nextTrim)
        return;
    m_nextTrim = now + kLatenessPeriodMs;
    // Results are made on the workers and freed here, which leaves free memory in every
    // worker's allocation arena; hand it back to the system now and then.
    ::malloc_trim(0);
}

// --- requests -------------------------------------------------------------------------------

void CEngine::PollControl() {
    CSnIPC* link = m_store.Link();
    const long ns = link->ReadChangeCounter(1);
    // A change made while a load runs shows again once that load is applied.
    if (!m_loading && m_nsSeen.HasChanged(ns))
        BeginLoad(ns, false);
    const long globalSettings = link->ReadGlobalSettingsCounter();
    if (m_globalSettingsSeen.Take(globalSettings)) {
        ReadGlobalSettings();
        if (m_options.Log)
            m_options.Log->Info("Global settings reloaded");
    }
    if (std::vector<std::int32_t> ids = TakeRequests(kMonitorNow); !ids.empty())
        HandleRunNow(ids);
    if (std::vector<std::int32_t> ids = TakeRequests(kClearFailureNow); !ids.empty())
        HandleClearFailure(ids);
}

std::vector<std::int32_t> CEngine::TakeRequests(const char* section) {
    const CQvcString& control = m_store.Link()->ControlFile();
    const std::vector<std::string> keys = platform::ProfileListKeys(control.c_str(), section);
    if (keys.empty())
        return {};
    std::vector<platform::ProfileChange> handled;
    std::vector<std::int32_t> ids;
    for (const std::string& key : keys) {
        handled.push_back({key, std::nullopt});
        // "0" only says that requests were written; every other key names a check or a
        // folder.
        const std::int32_t id = LinkParseInt(key);
        if (id != 0)
            ids.push_back(id);
    }
    // Only the keys read are removed: a request written meanwhile stays for the next look.
    if (!platform::ProfileWriteKeys(control.c_str(), section, handled) && m_options.Log)
        m_options.Log->Error("Cannot remove the handled requests of section %s from %s", section, control.c_str());
    return ids;
}

void CEngine::HandleRunNow(const std::vector<std::int32_t>& ids) {
    std::set<std::int32_t> checks;
    for (std::int32_t id : ids) {
        for (std::int32_t check : ChecksOf(id))
            checks.insert(check);
    }
    for (std::int32_t id : checks) {
        CheckState& state = m_checks.at(id);
        // A trap check has nothing to run: it waits for the next trap.
        if (state.Mode == 2 && state.Config().Function.Type == kTypeSnmpTrapReceive)
            continue;
        state.RunNow = true;
        // A running check goes into the queue again once its run ends.
        if (!state.Running)
            Enqueue(id, state);
    }
    if (checks.size() == 1)
        AddActivity(CQvcString("Run now requested for ") + Quoted(m_checks.at(*checks.begin())));
    else if (!checks.empty())
        AddActivity(CQvcString("Run now requested for ") + CQvcString(static_cast<int>(checks.size())) + " checks");
}

void CEngine::HandleClearFailure(const std::vector<std::int32_t>& ids) {
    std::set<std::int32_t> checks;
    for (std::int32_t id : ids) {
        for (std::int32_t check : ChecksOf(id))
            checks.insert(check);
    }
    for (std::int32_t id : checks) {
        CheckState& state = m_checks.at(id);
        state.ErrorCount = 0;
        if (state.HasLine && IsFailed(state.Line.Status))
            Publish(id, state, kStatusNone, "Failure cleared", {}, {}, 0, true);
    }
    if (checks.size() == 1)
        AddActivity(CQvcString("Failure cleared for ") + Quoted(m_checks.at(*checks.begin())));
    else if (!checks.empty())
        AddActivity(CQvcString("Failure cleared for ") + CQvcString(static_cast<int>(checks.size())) + " checks");
}

// --- publishing -------------------------------------------------------------------------------

void CEngine::Publish(std::int32_t id, CheckState& state, std::int32_t status, const CQvcString& response,
                      const CQvcString& data, const CQvcString& comment, std::int32_t duration, bool quiet, std::int32_t durationMs) {
    const std::int32_t before = state.HasLine ? state.Line.Status : kStatusNone;
    state.Line.Status = status;
    state.Line.LastUpdate = WallNow();
    state.Line.Processing = state.Started ? 1 : 0;
    state.Line.Comment = comment;
    state.Line.Duration = duration;
    state.Line.Data = data;
    state.Line.Response = response;
    PutLine(id, state);
    if (m_history)
        m_history->Record(id, state.Line.LastUpdate, status, data, durationMs >= 0 ? durationMs : duration * 1000,
                          response);
    ConsiderAlerts(id, state);
    // The first result of a check is no news; a change of state is.
    if (!quiet && before != status && before != kStatusNone) {
        CQvcString text("Check ");
        text += Quoted(state) + " changed from " + StatusName(before) + " to " + StatusName(status);
        if (!response.IsEmpty())
            text += CQvcString(": ") + response;
        AddActivity(text);
    }
}

void CEngine::ConsiderAlerts(std::int32_t id, CheckState& state) {
    const std::int32_t status = state.Line.Status;
    // Most results are successes of checks that were not failed: nothing is due, and the
    // configuration need not be unpacked.
    if (status == kStatusSuccess && !state.Alert.Failed && state.Mode == 0) {
        state.Alert = AlertMemory();
        return;
    }
    const CSnNodeCfg cfg = state.Config();
    const AlertDecision decision = DecideAlerts(cfg, status, WallNow(), state.Alert);
    if (decision.Suppressed)
        AddActivity(CQvcString("Alerts of ") + Quoted(cfg) + " are suppressed: " + StatusName(status));
    if (!decision.Notify && !decision.Act)
        return;
    AlertEvent event;
    event.CheckId = id;
    event.Type = cfg.Function.Type;
    event.Name = cfg.Name.Str();
    event.Host = cfg.Function.ParamServer.Str();
    event.TypeName = CheckTypeName(cfg.Function.Type);
    if (const auto path = m_folderPaths.find(id); path != m_folderPaths.end())
        event.FolderPath = path->second;
    event.Status = status;
    event.StatusName = StatusName(status);
    event.Data = state.Line.Data.Str();
    event.Response = state.Line.Response.Str();
    event.Time = WallNow();
    event.Direction = decision.Direction;
    AlertRequests requests = BuildAlertRequests(cfg, decision, event, m_alertSettings, m_addressBook);
    // The syslog record of a notification travels the delivery queue like a channel's message.
    if (decision.Notify && m_alertSettings.Log.SyslogEnabled)
        requests.Deliveries.push_back({event, kSyslogActionKind, "", "", "", ""});
    for (const std::string& refusal : requests.Refusals)
        AddActivity(CQvcString(refusal) + " for " + Quoted(cfg));
    for (AlertDeliveryRequest& request : requests.Deliveries) {
        const int kind = request.ActionKind;
        if (!m_alerts || !m_alerts->Submit(std::move(request)))
            AddActivity(CQvcString(ActionName(kind)) + ": not delivered for " + Quoted(cfg) +
                        ", the alert queue is full");
    }
}

void CEngine::CollectAlertReports() {
    if (!m_alerts)
        return;
    for (const AlertReport& report : m_alerts->TakeReports()) {
        const AlertDeliveryRequest& request = report.Request;
        std::string text = std::string(ActionName(request.ActionKind)) + ": ";
        text += request.Event.Direction == AlertDirection::Failure ? "failure of '" : "recovery of '";
        text += request.Event.Name + "' (ID " + std::to_string(request.Event.CheckId) + ")";
        if (report.Alerts > 1)
            text += " and " + std::to_string(report.Alerts - 1) + " more";
        text += ": " + report.Outcome.Text;
        if (report.Attempts > 1)
            text += " (" + std::to_string(report.Attempts) + " attempts)";
        AddActivity(text);
        if (const int error = AppendAlertLog(m_alertSettings.Log, m_root, report, WallNow());
            error != 0 && m_options.Log)
            m_options.Log->Warning("Alert log not written: %s", platform::FileSafetyError(error).c_str());
    }
}

void CEngine::PublishWaiting(std::int32_t id, CheckState& state) {
    const std::int64_t lastUpdate = state.HasLine ? state.Line.LastUpdate : 0;
    if (state.Mode == 1) {
        const CQvcString response = state.NextDueWall >= 0
                                        ? CQvcString("Waiting for its next scheduled run on ") + FormatTime(state.NextDueWall)
                                        : CQvcString("Waiting: no scheduled run lies ahead");
        Publish(id, state, kStatusNone, response, {}, {}, 0, true);
    } else if (m_trapReceiver && m_trapReceiver->Listening()) {
        // Until a trap sets it, the check shows the receiver's default status.
        Publish(id, state, m_trapSettings.DefaultStatus,
                "Waiting for an SNMP trap on UDP port " + std::to_string(m_trapReceiver->Port()), {}, {}, 0, true);
    } else {
        Publish(id, state, kStatusUncertain,
                m_trapReceiver ? "Runs on incoming SNMP traps, but the SNMP trap receiver " + m_trapReceiver->Error()
                               : std::string("Runs on incoming SNMP traps: the SNMP trap receiver is off in the "
                                             "global settings"),
                {}, {}, 0, true);
    }
    state.Line.LastUpdate = lastUpdate;
    PutLine(id, state);
}

void CEngine::PutLine(std::int32_t id, CheckState& state) {
    state.HasLine = true;
    m_results->Put(id, state.Line);
}

CQvcString CEngine::RetiredResultsPath() const { return m_store.Link()->ResultFile() + ".last"; }

void CEngine::RetireResults() {
    if (!m_results)
        return;
    // A stopped engine publishes no results, so that every Manager shows its checks as
    // not running.  The lines wait beside the file for the next start.
    const auto lines = m_results->ReadAll();
    platform::DeleteFile(RetiredResultsPath().Str());
    CResultFile retired(RetiredResultsPath());
    for (const auto& [id, line] : lines) {
        retired.Put(id, line);
        m_results->Remove(id);
    }
    if (lines.empty() || !retired.Flush() || !m_results->Flush()) {
        if (!lines.empty() && m_options.Log)
            m_options.Log->Error("Cannot move the results aside to %s", RetiredResultsPath().c_str());
        return;
    }
    m_store.Link()->SignalResultsChanged();
}

void CEngine::AddActivity(const CQvcString& text) {
    if (m_activity)
        m_activity->Add(WallNow(), text);
}

void CEngine::Flush() {
    if (m_history && m_options.HistoryFlushPeriod.count() == 0)
        m_history->Flush();
    if (m_results && m_results->HasPending()) {
        if (m_results->Flush())
            m_store.Link()->SignalResultsChanged();
        else if (m_options.Log)
            m_options.Log->Error("Cannot write %s; %zu results wait for the next attempt", m_results->Path().c_str(),
                                 m_results->PendingCount());
    }
    if (m_activity && m_activity->HasPending() && !m_activity->Flush() && m_options.Log)
        m_options.Log->Error("Cannot write %s", m_activity->Path().c_str());
}

CQvcString CEngine::FormatTime(std::int64_t when) const {
    return FormatLocalDateTime(static_cast<std::time_t>(when),
                               (m_dateTime.DateFormat + " " + m_dateTime.TimeFormat).Str());
}

// --- observation ------------------------------------------------------------------------------

const CEngine::CheckState* CEngine::Check(std::int32_t id) const {
    const auto found = m_checks.find(id);
    return found == m_checks.end() ? nullptr : &found->second;
}

bool CEngine::WaitIdle(long timeoutMs) const {
    return !m_pool || m_pool->WaitIdle(timeoutMs);
}
