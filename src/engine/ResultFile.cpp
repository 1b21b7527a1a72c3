#include "engine/ResultFile.h"

#include "platform/Profile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kSection = "Results";

// The ID of a key written with "%ld"; false for any other key.
bool KeyToId(const std::string& key, std::int32_t& id) {
    if (key.empty() || key.size() > 11)
        return false;
    char* end = nullptr;
    const long value = std::strtol(key.c_str(), &end, 10);
    if (*end != '\0' || value < INT32_MIN || value > INT32_MAX)
        return false;
    char canonical[16];
    std::snprintf(canonical, sizeof canonical, "%ld", value);
    if (key != canonical)
        return false;
    id = static_cast<std::int32_t>(value);
    return true;
}

} // namespace

CResultFile::CResultFile(CQvcString path) : m_path(std::move(path)) {}

std::unordered_map<std::int32_t, ResultLine> CResultFile::ReadAll() const {
    std::unordered_map<std::int32_t, ResultLine> lines;
    for (const auto& [key, value] : platform::ProfileReadEntries(m_path.c_str(), kSection)) {
        std::int32_t id = 0;
        if (KeyToId(key, id))
            lines.emplace(id, ResultLine::Parse(value));
    }
    return lines;
}

void CResultFile::Put(std::int32_t id, const ResultLine& line) {
    m_pending[id] = line;
}

void CResultFile::Remove(std::int32_t id) {
    m_pending[id] = std::nullopt;
}

bool CResultFile::Flush() {
    if (m_pending.empty())
        return true;
    std::vector<platform::ProfileChange> changes;
    changes.reserve(m_pending.size());
    for (const auto& [id, line] : m_pending) {
        platform::ProfileChange change;
        change.key = std::to_string(id);
        if (line)
            change.value = line->Format().Str();
        changes.push_back(std::move(change));
    }
    if (!platform::ProfileWriteKeys(m_path.c_str(), kSection, changes))
        return false;
    m_pending.clear();
    return true;
}
