#pragma once
// CResultFile: the engine's side of the result file (section "Results" of
// Sys/Res/result.dat, one line per check keyed by its ID in decimal).  Changes are
// collected and written together: one locked read-and-replace of the file per flush,
// however many checks finished since the last one, so that a configuration of ten
// thousand checks does not rewrite the file ten thousand times a cycle.
#include "engine/ResultLine.h"
#include "library/QvcString.h"

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>

class CResultFile {
public:
    explicit CResultFile(CQvcString path);

    const CQvcString& Path() const { return m_path; }

    // The lines in the file now, by check ID; keys that are not an ID ("EXISTS") are
    // left out.
    std::unordered_map<std::int32_t, ResultLine> ReadAll() const;

    // Queues the check's line; a later Put or Remove of the same ID replaces it.
    void Put(std::int32_t id, const ResultLine& line);
    // Queues the removal of the check's line.
    void Remove(std::int32_t id);
    bool HasPending() const { return !m_pending.empty(); }
    std::size_t PendingCount() const { return m_pending.size(); }

    // Writes every queued change in one update.  True when written (or nothing was
    // queued); on failure the changes stay queued for the next flush.
    bool Flush();

private:
    CQvcString m_path;
    // Ordered, so that new lines land in the file in ID order.
    std::map<std::int32_t, std::optional<ResultLine>> m_pending;
};
