#include "engine/HistoryWriter.h"

#include "engine/EngineLog.h"
#include "model/tree/NodeStatus.h"

#include <cstdlib>
#include <filesystem>

namespace {

// The sample of a run: its data figure when it starts with a number ("12.5", "340 ms",
// "<1 ms" counting as 1), else how long it ran.
double SampleValue(const CQvcString& data, std::int32_t responseMs) {
    const char* text = data.c_str();
    while (*text == ' ' || *text == '<' || *text == '>')
        ++text;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end != text ? value : static_cast<double>(responseMs);
}

} // namespace

CHistoryWriter::CHistoryWriter(CQvcString path, const CSnStatsLimits& limits, CEngineLog* log,
                               std::chrono::milliseconds flushPeriod)
    : m_path(std::move(path)), m_log(log), m_flushPeriod(flushPeriod), m_limits(limits) {
    if (m_flushPeriod.count() > 0)
        m_thread = std::thread([this] { Loop(); });
}

CHistoryWriter::~CHistoryWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    Flush();
}

void CHistoryWriter::SetLimits(const CSnStatsLimits& limits) {
    std::lock_guard lock(m_mutex);
    m_limits = limits;
}

void CHistoryWriter::Record(std::int32_t id, std::int64_t now, std::int32_t status, const CQvcString& data,
                            std::int32_t responseMs, const CQvcString& response) {
    if (status == kStatusNone)
        return; // no result: waiting for a schedule, or a failure just cleared
    Last& last = m_last[id];
    std::lock_guard lock(m_mutex);
    m_wall = now;
    if (status == last.Status && now - last.EntryTime < static_cast<std::int64_t>(m_limits.RpLogFrequencySecs))
        return;
    last.Status = status;
    last.EntryTime = now;
    // Whether it changed is decided where the database's last statuses are known.
    m_entries.push_back({now, id, status, data, responseMs, response, false});
}

void CHistoryWriter::Sample(std::int32_t id, std::int64_t now, const CQvcString& data, std::int32_t responseMs) {
    Last& last = m_last[id];
    std::lock_guard lock(m_mutex);
    m_wall = now;
    if (last.Sampled && now - last.SampleTime < static_cast<std::int64_t>(m_limits.GrLogFrequencySecs))
        return;
    last.Sampled = true;
    last.SampleTime = now;
    m_samples.push_back({now, id, SampleValue(data, responseMs)});
}

void CHistoryWriter::Loop() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, m_flushPeriod, [this] { return m_stop; });
        if (m_stop)
            break;
        lock.unlock();
        Flush();
        lock.lock();
    }
}

bool CHistoryWriter::EnsureOpen() {
    if (m_store.IsOpen())
        return true;
    if (m_store.Open(m_path, true) != 0) {
        if (!m_openFailed && m_log)
            m_log->Error("No history is kept: %s", m_store.ErrorText().c_str());
        m_openFailed = true;
        return false;
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> last;
    if (m_store.LastStatuses(last) != 0 && m_log)
        m_log->Warning("Cannot read the last statuses of the history: %s", m_store.ErrorText().c_str());
    m_stored = {last.begin(), last.end()};
    if (m_openFailed && m_log)
        m_log->Info("History is kept again in %s", m_path.c_str());
    m_openFailed = false;
    return true;
}

void CHistoryWriter::Flush() {
    std::vector<CHistoryEntry> entries;
    std::vector<CGraphSample> samples;
    CSnStatsLimits limits;
    std::int64_t wall = 0;
    std::lock_guard write(m_writeMutex);
    {
        std::lock_guard lock(m_mutex);
        entries.swap(m_entries);
        samples.swap(m_samples);
        limits = m_limits;
        wall = m_wall;
    }
    if (!EnsureOpen())
        return;
    for (CHistoryEntry& entry : entries) {
        auto [stored, added] = m_stored.try_emplace(entry.CheckId, entry.Status);
        entry.Change = added || stored->second != entry.Status;
        stored->second = entry.Status;
    }
    if (m_store.Append(entries, samples) != 0 && m_log)
        m_log->Error("%zu history entries and %zu graph samples are lost: %s", entries.size(), samples.size(),
                     m_store.ErrorText().c_str());
    if (wall > 0)
        Maintain(wall, limits);
}

void CHistoryWriter::Maintain(std::int64_t wall, const CSnStatsLimits& limits) {
    if (wall >= m_nextCleanup) {
        m_nextCleanup = wall + static_cast<std::int64_t>(limits.DbCleanupIntervalHours) * 3600;
        if (m_store.Cleanup(limits.RpTblSqlRecordLimit, limits.GrTblSqlRecordLimit) != 0 && m_log)
            m_log->Error("Cannot clean up the history: %s", m_store.ErrorText().c_str());
    }
    if (wall < m_nextWarningTest || !m_log)
        return;
    m_nextWarningTest = wall + static_cast<std::int64_t>(limits.SvcWarningLogIntervalSecs);
    std::int64_t entries = 0, samples = 0;
    if (m_store.Counts(entries, samples) == 0) {
        if (entries >= static_cast<std::int64_t>(limits.RpTblSqlRecordWarning))
            m_log->Warning("The history holds %lld results; it warns from %u and keeps at most %u",
                           static_cast<long long>(entries), limits.RpTblSqlRecordWarning, limits.RpTblSqlRecordLimit);
        if (samples >= static_cast<std::int64_t>(limits.GrTblSqlRecordWarning))
            m_log->Warning("The history holds %lld graph samples; it warns from %u and keeps at most %u",
                           static_cast<long long>(samples), limits.GrTblSqlRecordWarning, limits.GrTblSqlRecordLimit);
    }
    std::error_code error;
    const std::uintmax_t megabytes = std::filesystem::file_size(m_path.Str(), error) / (1024 * 1024);
    if (error)
        return;
    if (megabytes >= limits.DbMsaSizeMBLimit)
        m_log->Error("The history database %s has reached %ju MB, its limit of %u MB: graphs are refused until it "
                     "is cleaned up", m_path.c_str(), megabytes, limits.DbMsaSizeMBLimit);
    else if (megabytes >= limits.DbMsaSizeMBWarning)
        m_log->Warning("The history database %s has reached %ju MB (warning from %u MB, limit %u MB)", m_path.c_str(),
                       megabytes, limits.DbMsaSizeMBWarning, limits.DbMsaSizeMBLimit);
}
