#pragma once
// CHistoryWriter: the engine's side of the statistics database.  The engine hands it
// every result it publishes; it decides what goes into the history (every status change,
// otherwise one result per check every RpLogFrequencySecs, and one graph sample per
// graph-enabled check every GrLogFrequencySecs) and buffers it.  A thread of its own
// writes the buffer in one transaction every flush period, so that checking never waits
// on the disk, and cleans the database up every DbCleanupIntervalHours, keeping the
// record limits.  The warnings of the record counts and the file's size go to the engine
// log at most once every SvcWarningLogIntervalSecs.  A database that cannot be opened is
// logged once; what was buffered for it is dropped and the next flush tries again.
//
// Threads: Record, Sample and SetLimits run on the engine's thread; Flush on any thread.
#include "library/QvcString.h"
#include "model/history/HistoryStore.h"
#include "model/settings/SnStatsLimits.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class CEngineLog;

class CHistoryWriter {
public:
    // `flushPeriod` 0: no thread, only Flush writes.
    CHistoryWriter(CQvcString path, const CSnStatsLimits& limits, CEngineLog* log,
                   std::chrono::milliseconds flushPeriod);
    // Stops the thread and writes what is left.
    ~CHistoryWriter();
    CHistoryWriter(const CHistoryWriter&) = delete;
    CHistoryWriter& operator=(const CHistoryWriter&) = delete;

    void SetLimits(const CSnStatsLimits& limits);
    // A published result of check `id` at wall time `now` (seconds).
    void Record(std::int32_t id, std::int64_t now, std::int32_t status, const CQvcString& data,
                std::int32_t responseMs, const CQvcString& response);
    // A finished run of a graph-enabled check: its data figure, or the response time
    // when the data is no number.
    void Sample(std::int32_t id, std::int64_t now, const CQvcString& data, std::int32_t responseMs);
    // Writes the buffer now, then cleans up and tests the limits when they are due.
    void Flush();
    const CQvcString& Path() const { return m_path; }

private:
    struct Last {
        std::int32_t Status = -1;
        std::int64_t EntryTime = 0;
        std::int64_t SampleTime = 0;
        bool Sampled = false;
    };
    void Loop();
    // With m_writeMutex held.
    bool EnsureOpen();
    void Maintain(std::int64_t wall, const CSnStatsLimits& limits);

    const CQvcString m_path;
    CEngineLog* const m_log;
    const std::chrono::milliseconds m_flushPeriod;

    // Engine thread only.
    std::unordered_map<std::int32_t, Last> m_last;

    // Guards the buffer, the limits and the latest wall time.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<CHistoryEntry> m_entries;
    std::vector<CGraphSample> m_samples;
    CSnStatsLimits m_limits;
    std::int64_t m_wall = 0;
    bool m_stop = false;

    // Guards the store and what the writing side remembers.
    std::mutex m_writeMutex;
    CHistoryStore m_store;
    // The status of each check's newest entry in the database, to mark changes.
    std::unordered_map<std::int32_t, std::int32_t> m_stored;
    bool m_openFailed = false;
    std::int64_t m_nextCleanup = 0;
    std::int64_t m_nextWarningTest = 0;

    std::thread m_thread;
};
