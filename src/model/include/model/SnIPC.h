#pragma once
// CSnIPC: the engine link.  The Manager and the engine share small profile files under
// the Engine root: the engine publishes results and its activity log, the Manager
// publishes change counters and run-now / clear-failure requests.  Every access goes
// through the profile functions with short retries, because the engine writes the same
// files at the same time.
#include "library/QvcBase.h"
#include "library/QvcSectionString.h"

#include <vector>

class CSnNode;

class CSnIPC : public CQvcBase {
public:
    // `root` is the Engine root directory; the paths below it are built at once.
    CSnIPC(const CQvcString& root, const char* name);
    ~CSnIPC() override;

    const CQvcString& RootDirectory() const { return m_root; }
    const CQvcString& ResultFile() const { return m_resultFile; }
    const CQvcString& ReceiverResultFile() const { return m_receiverResultFile; }
    const CQvcString& ActivityLogFile() const { return m_activityLogFile; }
    const CQvcString& LogDirectory() const { return m_logDirectory; }
    const CQvcString& NotificationDirectory() const { return m_notificationDirectory; }
    const CQvcString& ControlFile() const { return m_controlFile; }

    // Writes a new "NS" when `engine` is set, then a new "NM" when `managers` is set.
    void SignalConfigChanged(bool engine, bool managers);
    // "NM" for 0, "NS" otherwise; 0 when missing.
    long ReadChangeCounter(int which) const;
    void SignalGlobalSettingsChanged();
    long ReadGlobalSettingsCounter() const;
    void SignalResultsChanged();
    long ReadResultsCounter() const;

    // Deletes the check's key from section "Results", then signals results changed.
    void RemoveResult(long id);
    // Deletes the result file, then signals results changed.
    void RemoveAllResults();
    // Fills the result of every node of the tree that starts at `first` (its siblings
    // and all their descendants); the section "Results" is read once per walk.
    void LoadResults(CSnNode* first);
    // Section "ActLog" of the activity log file.
    void ReadActivityLog(CQvcSectionString& out);

    void MonitorNow(const CSnNode* node);
    // Every leaf below `node` (not its siblings) that is not event-driven, and not
    // scheduled unless `scheduledToo`.
    void MonitorSubtreeNow(const CSnNode* node, bool scheduledToo);
    void ClearFailureNow(const CSnNode* node);
    // Deletes the whole "MonitorNow" section.
    void ClearMonitorNowRequests();
    // "ReadOnly" = 1 in "SharedAcess".
    void MarkReadOnlyReadable();
    // True when access to the control file is confirmed (see the .cpp for the rules).
    bool ProbeAccess(bool writable, const CQvcString& computerName);

private:
    void FillNode(CSnNode* node);
    void WriteCounter(const char* key, long value);
    long ReadCounter(const char* key) const;

    CQvcString m_root;
    CQvcString m_resultFile;
    CQvcString m_receiverResultFile;
    CQvcString m_activityLogFile;
    CQvcString m_logDirectory;
    CQvcString m_notificationDirectory;
    CQvcString m_controlFile;
    // The preallocated buffer for whole sections.
    std::vector<char> m_sectionBuffer;
};

// Tells whether a counter changed since it was last recorded.  The first reading counts
// as a change; the reader records the value after acting on it.
class CSnChangeDetector {
public:
    bool HasChanged(long value) const { return !m_seen || value != m_last; }
    void Record(long value) {
        m_last = value;
        m_seen = true;
    }
    // HasChanged, and Record when it did.
    bool Take(long value) {
        bool changed = HasChanged(value);
        Record(value);
        return changed;
    }
    void Forget() { m_seen = false; }

private:
    long m_last = 0;
    bool m_seen = false;
};
