#include "model/console/SnRefreshCycle.h"

#include "library/ErrorReport.h"
#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/console/ManagerPreferences.h"
#include "platform/System.h"

CSnRefreshCycle::CSnRefreshCycle(ISnRefreshHost& host, TickSource ticks, SecondsSource seconds)
    : CQvcBase("MainFrame"), m_host(host), m_ticks(std::move(ticks)), m_seconds(std::move(seconds)) {
    if (!m_ticks)
        m_ticks = [] { return platform::TickCount(); };
    if (!m_seconds)
        m_seconds = [] { return platform::SecondsSince1970(); };
}

void CSnRefreshCycle::SetAccess(bool writable, const CQvcString& computerName) {
    m_writable = writable;
    m_computerName = computerName;
}

void CSnRefreshCycle::ReadRefreshSettings() {
    CSnAutoRefreshSettings settings;
    settings.Read();
    ApplyRefreshSettings(settings);
}

void CSnRefreshCycle::ApplyRefreshSettings(const CSnAutoRefreshSettings& settings) {
    m_autoEnabled = settings.Enabled;
    m_autoDynamic = settings.Dynamic;
    m_period = settings.PeriodSecs;
    if (m_autoEnabled && m_autoDynamic)
        m_period = DynamicPeriod(0);
}

long CSnRefreshCycle::DynamicPeriod(int rows) {
    if (rows < 20)
        return 1;
    if (rows < 50)
        return 2;
    if (rows < 100)
        return 4;
    if (rows < 500)
        return 6;
    if (rows < 1000)
        return 10;
    return 15;
}

void CSnRefreshCycle::Refresh() {
    m_host.SignalManagersChanged();
    m_host.PostImmediateTick();
}

void CSnRefreshCycle::Tick() {
    const std::uint32_t entry = m_ticks();
    Trace(kTraceFile, "Timer call...\n");
    if (!m_cycleEnabled || m_stopped)
        return;

    if (!m_limitsRead) {
        m_idleMsecs = prefs::MfTimerIdleMsecs();
        m_maxHandlingMsecs = prefs::MfTimerMaxHandlingMsecs();
        m_limitsRead = true;
    }

    // Unsigned difference: right across the wrap of the tick count.
    const std::uint32_t sinceExit = entry - m_lastExit;
    if (m_hasExited && static_cast<long>(sinceExit) <= m_idleMsecs)
        Trace(kTraceFile,
              "Avoid congestion (this timer was %ldmsecs after the previous Timer exit, we allow only %ld\n",
              static_cast<long>(sinceExit), m_idleMsecs);
    else
        RunSteps();

    m_lastExit = m_ticks();
    m_hasExited = true;
    const long took = static_cast<long>(static_cast<std::uint32_t>(m_lastExit - entry));
    if (took >= m_maxHandlingMsecs) {
        Trace(kTraceFile, "TIMER TAKES TOO LONG: %ldmsecs, max allowed: %ld msecs\n", took, m_maxHandlingMsecs);
        QvcAssertFailure(__FILE__, __LINE__);
    }
    Trace(kTraceFile, "Timer call finished, timer took %ld msecs\n", took);
}

bool CSnRefreshCycle::RunSteps() {
    if (m_servicePending) {
        m_servicePending = false;
        m_host.StartServiceWatch();
    }
    if (!CheckAccess())
        return false;
    const int remote = CheckRemoteUpdate();
    if (remote < 0)
        return false;
    if (m_autoEnabled && m_autoDynamic)
        m_period = DynamicPeriod(m_host.ListRowCount());
    const bool updateWanted = CheckResults();
    const std::int64_t now = m_seconds();
    if (remote > 0 || (updateWanted && now - m_lastViewUpdate >= m_period))
        UpdateViews();
    return true;
}

bool CSnRefreshCycle::CheckAccess() {
    const std::int64_t now = m_seconds();
    if (m_lastAccessCheck >= 0 && now - m_lastAccessCheck < kAccessCheckSecs)
        return true;
    m_lastAccessCheck = now;
    if (m_host.ProbeAccess(m_writable, m_computerName)) {
        m_accessFailures = 0;
        Trace(kTraceFile, "Checking access: access is OK.\n");
        return true;
    }
    if (++m_accessFailures < kAccessFailureLimit) {
        Trace(kTraceFile, "Checking access: no access, retry in next timer cycle.\n");
        return true;
    }
    Trace(kTraceFile, "Checking access: no access three times in a row.\n");
    Stop(MessageText(51558));
    return false;
}

int CSnRefreshCycle::CheckRemoteUpdate() {
    const std::int64_t now = m_seconds();
    if (m_lastRemoteCheck >= 0 && now - m_lastRemoteCheck < kRemoteCheckSecs)
        return 0;
    m_lastRemoteCheck = now;
    const long counter = m_host.ReadConfigCounter();
    if (!m_configCounter.HasChanged(counter)) {
        Trace(kTraceFile, "Checking remote update: config not updated remotely\n");
        return 0;
    }
    Trace(kTraceFile, "Checking remote update: config UPDATED remotely!\n");
    m_configCounter.Record(counter);
    m_host.SetWaitCursor(true);
    const long code = m_host.ReloadAllNodes();
    m_host.SetWaitCursor(false);
    if (code != 0) {
        Stop(ErrorBoxText(code));
        return -1;
    }
    m_host.RebuildTree();
    return 1;
}

bool CSnRefreshCycle::CheckResults() {
    const long counter = m_host.ReadResultsCounter();
    const std::int64_t now = m_seconds();
    bool updateWanted = false;
    if (m_resultsCounter.Take(counter)) {
        m_dueTime = now + (m_period < 2 ? 1 : m_period);
        updateWanted = m_autoEnabled;
    }
    if (m_dueTime > 0 && now >= m_dueTime) {
        m_dueTime = -1;
        updateWanted = true;
    }
    return updateWanted;
}

void CSnRefreshCycle::UpdateViews() {
    Trace(kTraceFile, "Initiate update of view because of config-change or results-change\n");
    m_host.LoadResults();
    m_host.RefreshList();
    if (m_host.ActivityCaptureOn())
        m_host.RefreshActivity();
    m_lastViewUpdate = m_seconds();
}

void CSnRefreshCycle::Stop(const CQvcString& message) {
    m_stopped = true;
    m_host.StopTimer();
    m_host.ShowErrorAndClose(message);
}
