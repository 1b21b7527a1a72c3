#pragma once
// CSnIPC: the engine link.  The Manager and the engine share small profile files under
// the Engine root: the engine publishes results and its activity log, the Manager
// publishes change counters and run-now / clear-failure requests.  Every access goes
// through the profile functions with short retries, because the engine writes the same
// files at the same time.
//
// No operation reports failure except ProbeAccess and the reads (a missing value reads
// as 0 or empty): a write that fails after its attempts is dropped.
#include "library/QvcBase.h"
#include "library/QvcSectionString.h"
#include "model/link/SnChangeDetector.h" // readers of the counters below keep one of these

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CSnNode;

// The response a check shows while the engine has published no result for it.
inline constexpr const char* kEngineNotRunning = "Service 'Quorvane Sentrelle' is not running";

class CSnIPC : public CQvcBase {
public:
    // Milliseconds since an arbitrary start, wrapping at 2^32 (the counters' source).
    using TickSource = std::function<std::uint32_t()>;
    // Seconds since 1970 (the access probe's value).
    using SecondsSource = std::function<std::int64_t()>;
    // Reads a whole section into `buf` (capacity `size`) as a double-NUL list and
    // returns the count, size-2 when the section did not fit; the profile section reader
    // with its "EXISTS" seeding by default.
    using SectionReader =
        std::function<std::uint32_t(const char* file, const char* section, char* buf, std::uint32_t size)>;

    // The size of the section buffer allocated at construction (0x7FFFF).
    static constexpr std::uint32_t kSectionBufferSize = 524287;

    // `root` is the Engine root directory; the paths below it are built at once.  With an
    // empty root every path stays empty and every operation does nothing (reads give 0
    // or empty), so that no file is ever written relative to the file-system root.
    CSnIPC(const CQvcString& root, const char* name);
    ~CSnIPC() override;
    CSnIPC(const CSnIPC&) = delete;
    CSnIPC& operator=(const CSnIPC&) = delete;

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
    // The same for many checks: one rewrite of the result file and one signal.
    void RemoveResults(const std::vector<long>& ids);
    // Deletes the result file, then signals results changed.
    void RemoveAllResults();
    // Fills the result of every node of the tree that starts at `first` (its siblings
    // and all their descendants); the section "Results" is read once per walk (twice or
    // more only while the buffer grows for a section larger than it).  A node without
    // a line gets status 0 and the response kEngineNotRunning; Processing and Data keep
    // their values then.
    void LoadResults(CSnNode* first);
    // Section "ActLog" of the activity log file.  Like every whole-section read, an
    // empty or missing section is seeded with "EXISTS=1", which then comes back as an
    // entry of its own.
    void ReadActivityLog(CQvcSectionString& out);

    // Key "%ld" of the node's ID = "1", then "0" = "1", in section "MonitorNow".
    void MonitorNow(const CSnNode* node);
    // Every leaf below `node` (not its siblings) that is not event-driven, and not
    // scheduled unless `scheduledToo`.
    void MonitorSubtreeNow(const CSnNode* node, bool scheduledToo);
    // As MonitorNow, in section "ClearFailureNow".
    void ClearFailureNow(const CSnNode* node);
    // Deletes the whole "MonitorNow" section.
    void ClearMonitorNowRequests();
    // "ReadOnly" = 1 in "SharedAcess".
    void MarkReadOnlyReadable();
    // True when access to the control file is confirmed.  Read-only: "ReadOnly" of
    // "SharedAcess" is 1.  Writable: false without a computer name; otherwise the
    // current seconds since 1970 are written under the computer's name (one attempt)
    // and must read back equal.
    bool ProbeAccess(bool writable, const CQvcString& computerName);

    // --- seams for tests and benchmarks ----------------------------------------------
    // Replaces the tick and seconds sources (null keeps the system's).
    void SetClock(TickSource ticks, SecondsSource seconds);
    // Replaces the whole-section reader used for the result and activity-log files
    // (null restores the profile reader).
    void SetSectionReader(SectionReader reader);
    // The current capacity of the section buffer (grows for sections that do not fit).
    std::size_t SectionBufferCapacity() const { return m_sectionBuffer.size(); }

private:
    // Reads a whole section into m_sectionBuffer, growing the buffer until it fits;
    // returns the count of bytes of the entries.
    std::uint32_t ReadWholeSection(const CQvcString& file, const char* section);
    // Indexes the entries of m_sectionBuffer by check ID (first entry of an ID wins).
    void IndexResults(std::uint32_t count);
    // The value of the first entry for `id`, empty when there is none.  `hint` is the
    // index entry after the last one found: walks that meet the IDs in the file's order
    // find each entry there without a search.
    std::string_view FindResult(std::int32_t id, std::size_t& hint) const;
    void FillNode(CSnNode& node, std::string_view line) const;
    void WriteRequest(const char* section, const CSnNode* node);
    void WriteCounter(const char* key, long value);
    long NewCounterValue(const char* key, long value);
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
    // Result values of the last read, sorted by check ID and, for one ID, in the file's
    // order; views into m_sectionBuffer.  A flat array sorted once costs far less than a
    // hash table filled entry by entry on every refresh.
    struct ResultEntry {
        std::int32_t id;
        std::string_view value;
    };
    std::vector<ResultEntry> m_resultIndex;
    // The last value this link wrote for each counter, so that two signals within one
    // tick still give two different values.
    std::unordered_map<std::string, long> m_lastWritten;
    TickSource m_ticks;
    SecondsSource m_seconds;
    SectionReader m_readSection;
};
