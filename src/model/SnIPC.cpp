#include "model/SnIPC.h"

#include "library/QvcPath.h"
#include "library/QvcRandom.h"
#include "platform/Profile.h"
#include "platform/System.h"

// The part of the engine link that the configuration store needs: the paths, the change
// stamps in the control file and the removal of results and run-now requests.

namespace {

constexpr std::size_t kSectionBufferSize = 0x7FFFF;
constexpr const char* kUpdates = "Updates";

} // namespace

CSnIPC::CSnIPC(const CQvcString& root, const char* name)
    : CQvcBase(name),
      m_root(root),
      m_resultFile(PathJoin(root, {"Sys", "Res", "result.dat"})),
      m_receiverResultFile(PathJoin(root, {"Sys", "Res", "resultrcvr.dat"})),
      m_activityLogFile(PathJoin(root, {"Sys", "Act", "actlog.dat"})),
      m_logDirectory(PathJoin(root, "Logs")),
      m_notificationDirectory(PathJoin(root, {"Sys", "Not"})),
      m_controlFile(PathJoin(root, {"Sys", "Ctrl", "control.dat"})),
      m_sectionBuffer(kSectionBufferSize, '\0') {}

CSnIPC::~CSnIPC() = default;

void CSnIPC::WriteCounter(const char* key, long value) {
    CQvcString text(value);
    platform::ProfileWriteText(m_controlFile.c_str(), kUpdates, key, text.c_str());
}

long CSnIPC::ReadCounter(const char* key) const {
    return platform::ProfileReadInt(m_controlFile.c_str(), kUpdates, key, 0);
}

void CSnIPC::SignalConfigChanged(bool engine, bool managers) {
    if (engine)
        WriteCounter("NS", static_cast<long>(platform::TickCount() & 0x7FFFFFFF));
    if (managers)
        WriteCounter("NM", static_cast<long>(platform::TickCount() & 0x7FFFFFFF));
}

long CSnIPC::ReadChangeCounter(int which) const { return ReadCounter(which == 0 ? "NM" : "NS"); }

void CSnIPC::SignalGlobalSettingsChanged() {
    WriteCounter("GlobalSettings", static_cast<long>(platform::TickCount() & 0x7FFFFFFF));
}

long CSnIPC::ReadGlobalSettingsCounter() const { return ReadCounter("GlobalSettings"); }

void CSnIPC::SignalResultsChanged() {
    WriteCounter("Results", static_cast<long>(platform::TickCount() & 0x0FFFFFFF) + QvcRand());
}

long CSnIPC::ReadResultsCounter() const { return ReadCounter("Results"); }

void CSnIPC::RemoveResult(long id) {
    CQvcString key(id);
    platform::ProfileDeleteKey(m_resultFile.c_str(), "Results", key.c_str());
    SignalResultsChanged();
}

void CSnIPC::RemoveAllResults() {
    platform::DeleteFile(m_resultFile.Str());
    SignalResultsChanged();
}

void CSnIPC::ClearMonitorNowRequests() { platform::ProfileDeleteSection(m_controlFile.c_str(), "MonitorNow"); }
