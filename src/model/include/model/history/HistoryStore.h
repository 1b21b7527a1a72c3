#pragma once
// The statistics database: the history of every check's results, written by the engine
// and read by the history module, the graph program, the reports and `sentrelle history`.
// One SQLite file of its own under the engine root (WAL, so readers never block the
// engine's writes), named by the report settings' statistics connection.
//
// Times are seconds since 1970 (UTC).  Entries are results: every status change, and each
// check's result once every RpLogFrequencySecs.  Samples are the graph figures of
// graph-enabled checks, once every GrLogFrequencySecs.
#include "library/QvcString.h"

#include <cstdint>
#include <memory>
#include <vector>

class CSnStatsLimits;

struct CHistoryEntry {
    std::int64_t Time = 0;
    std::int32_t CheckId = 0;
    std::int32_t Status = 0;      // SnStatus
    CQvcString Data;              // the result's data figure as the check reported it
    std::int32_t ResponseMs = 0;  // how long the check ran
    CQvcString Response;          // the response text
    bool Change = false;          // the status differs from the check's previous entry
    bool operator==(const CHistoryEntry&) const = default;
};

struct CGraphSample {
    std::int64_t Time = 0;
    std::int32_t CheckId = 0;
    double Value = 0;             // the data figure (response time when the check has none)
    bool operator==(const CGraphSample&) const = default;
};

// The connection a new configuration names: an SQLite file under the engine root.
inline constexpr const char* kStatisticsConnection = "Provider=SQLite;Data Source=<SNROOT>Logs\\Statistics.db";
inline constexpr const char* kStatisticsFileExtension = ".db";

// The file of the statistics database for `connection` (CSnReportSettings::DbConnection,
// "<SNROOT>" standing for `engineRoot`).  The same file the size test before a graph
// measures.  A file connection (Jet, ACE or SQLite provider with a "Data Source") names
// it; an Access file name (.mdb, .accdb) stands for the SQLite file of the same name with
// the extension ".db" beside it.  Empty for a server connection, which this system
// cannot keep statistics in.
CQvcString StatisticsDatabasePath(const CQvcString& connection, const CQvcString& engineRoot);

class CHistoryStore {
public:
    CHistoryStore();
    ~CHistoryStore();
    CHistoryStore(const CHistoryStore&) = delete;
    CHistoryStore& operator=(const CHistoryStore&) = delete;

    // Opens the file; `writable` creates it and its tables when missing.  0 or an error
    // code with ErrorText() set (a missing file opened read-only is an error).
    long Open(const CQvcString& path, bool writable);
    void Close();
    bool IsOpen() const;
    const CQvcString& ErrorText() const { return m_error; }

    // Appends entries and samples in one transaction.  0 or an error code.
    long Append(const std::vector<CHistoryEntry>& entries, const std::vector<CGraphSample>& samples);

    // The entries of one check with from <= Time < to, newest first; `changesOnly` keeps
    // the status changes.  At most `limit` (0: all).
    long Entries(std::int32_t checkId, std::int64_t from, std::int64_t to, std::vector<CHistoryEntry>& out,
                 bool changesOnly = false, std::size_t limit = 0) const;
    // The last entry of the check before `time`, if any (the status a period starts in).
    long EntryBefore(std::int32_t checkId, std::int64_t time, CHistoryEntry& out, bool& found) const;
    // The samples of the given checks with from <= Time < to, oldest first.
    long Samples(const std::vector<std::int32_t>& checkIds, std::int64_t from, std::int64_t to,
                 std::vector<CGraphSample>& out) const;

    // The status of every check's newest entry, by check.
    long LastStatuses(std::vector<std::pair<std::int32_t, std::int32_t>>& out) const;
    // How many entries and samples the database holds.
    long Counts(std::int64_t& entries, std::int64_t& samples) const;
    // Deletes the oldest entries beyond `maxEntries` and the oldest samples beyond
    // `maxSamples`, keeping each check's newest status change.  0 or an error code.
    long Cleanup(std::int64_t maxEntries, std::int64_t maxSamples);

private:
    long Fail(int code, const char* what) const;
    // Commits when `rc` is SQLITE_OK, else (or when the commit fails) rolls back: 0 or the
    // error code, with `what` in the error text.
    long EndTransaction(int rc, const char* what);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    mutable CQvcString m_error;
};

// Availability of one check over a period, from its status changes.
struct CAvailability {
    std::int64_t From = 0, To = 0;     // the period [From, To)
    std::int64_t MonitoredSecs = 0;    // time with a known status, on hold and maintenance excluded
    std::int64_t DowntimeSecs = 0;     // time in Error, Failure or a dependee's failure
    std::int64_t LongestOutageSecs = 0;
    std::int32_t Outages = 0;          // outages that began in the period
    std::int64_t MttrSecs = 0;         // mean time to recovery of the outages that began and ended in it
    double UptimePercent = 100.0;      // (Monitored - Downtime) / Monitored; 100 when nothing was monitored
    bool operator==(const CAvailability&) const = default;
};

// The availability over [from, to) given the status the check had at `from` (`initial`,
// kStatusNone when unknown, e.g. a check created mid-period) and its status changes in
// the period, oldest first.  An outage is a run of down statuses (one down status
// following another continues it); any other status ends it.  The longest outage counts
// the part of each outage inside the period, the one still open at `to` included.
// Entries before `from` only set the status the period starts in; consecutive entries
// of the same status count as one.
CAvailability ComputeAvailability(std::int32_t initial, const std::vector<CHistoryEntry>& changes,
                                  std::int64_t from, std::int64_t to);

// Calendar periods in local time: days, weeks starting on Monday, months.
enum class AvailabilityBucket { Day, Week, Month };
// The consecutive periods of `bucket` that cover [from, to), cut to it.
std::vector<std::pair<std::int64_t, std::int64_t>> CalendarPeriods(std::int64_t from, std::int64_t to,
                                                                   AvailabilityBucket bucket);
