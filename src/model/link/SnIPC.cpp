#include "model/link/SnIPC.h"

#include "library/QvcPath.h"
#include "library/QvcRandom.h"
#include "model/link/LinkFileValues.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>

namespace {

constexpr const char* kUpdates = "Updates";
constexpr const char* kResults = "Results";
constexpr const char* kMonitorNow = "MonitorNow";
constexpr const char* kClearFailureNow = "ClearFailureNow";
constexpr const char* kSharedAccess = "SharedAcess"; // the name the engine and every Manager use
constexpr const char* kReadOnly = "ReadOnly";
constexpr const char* kActLog = "ActLog";
constexpr std::string_view kFieldSeparator = "||";
constexpr std::size_t kResultFields = 7;

constexpr long kMask31 = 0x7FFFFFFF;
constexpr long kMask28 = 0x0FFFFFFF;

// A section that does not fit is read again into a buffer twice as large, up to this
// size; beyond it the section is taken as far as it fits (its last entry cut).
constexpr std::size_t kMaxSectionBuffer = std::size_t{1} << 28;

// The ID a result key stands for, when the key is exactly how "%ld" writes a 32-bit ID:
// an optional minus, then digits without leading zeros.  Any other key ("0012",
// "+12", "-0", "EXISTS") can never equal the key looked up for a node, so it is not
// indexed at all.
bool ParseCanonicalId(std::string_view key, std::int32_t& id) {
    const bool negative = !key.empty() && key.front() == '-';
    const std::string_view digits = negative ? key.substr(1) : key;
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits.front() == '0'))
        return false;
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (negative) {
        if (value == 0)
            return false;
        value = -value;
    }
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    id = static_cast<std::int32_t>(value);
    return true;
}

// What CQvcString::Trim removes: spaces, tabs, CR and LF at both ends.
std::string_view TrimText(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Most texts are the same from one refresh to the next: leaving an equal text alone
// saves an allocation and a free per field and node.
void AssignText(CQvcString& target, std::string_view text) {
    if (std::string_view(target) != text)
        target = CQvcString(text);
}

std::string IdKey(long id) {
    char key[24];
    std::snprintf(key, sizeof key, "%ld", id);
    return key;
}

} // namespace

CSnIPC::CSnIPC(const CQvcString& root, const char* name)
    : CQvcBase(name), m_root(root), m_sectionBuffer(kSectionBufferSize, '\0') {
    if (!m_root.IsEmpty()) {
        m_resultFile = PathJoin(m_root, {"Sys", "Res", "result.dat"});
        m_receiverResultFile = PathJoin(m_root, {"Sys", "Res", "resultrcvr.dat"});
        m_activityLogFile = PathJoin(m_root, {"Sys", "Act", "actlog.dat"});
        m_logDirectory = PathJoin(m_root, "Logs");
        m_notificationDirectory = PathJoin(m_root, {"Sys", "Not"});
        m_controlFile = PathJoin(m_root, {"Sys", "Ctrl", "control.dat"});
    }
    SetClock(nullptr, nullptr);
    SetSectionReader(nullptr);
}

CSnIPC::~CSnIPC() = default;

void CSnIPC::SetClock(TickSource ticks, SecondsSource seconds) {
    m_ticks = ticks ? std::move(ticks) : TickSource(platform::TickCount);
    m_seconds = seconds ? std::move(seconds) : SecondsSource(platform::SecondsSince1970);
}

void CSnIPC::SetSectionReader(SectionReader reader) {
    m_readSection = reader ? std::move(reader) : SectionReader(platform::ProfileReadSection);
}

// --- counters ---------------------------------------------------------------------------

long CSnIPC::NewCounterValue(const char* key, long value) {
    // The tick count has a resolution of one millisecond: two signals within it would
    // write the same value, and a reader that saw the first would miss the second.
    auto [last, fresh] = m_lastWritten.try_emplace(key, value);
    if (!fresh && last->second == value)
        value = (value + 1) & kMask31;
    last->second = value;
    return value;
}

void CSnIPC::WriteCounter(const char* key, long value) {
    if (m_controlFile.IsEmpty())
        return;
    char text[24];
    std::snprintf(text, sizeof text, "%ld", NewCounterValue(key, value));
    if (!platform::ProfileWriteText(m_controlFile.c_str(), kUpdates, key, text))
        Trace(kTraceFile, "Counter %s: writing %s to %s failed", key, text, m_controlFile.c_str());
}

long CSnIPC::ReadCounter(const char* key) const {
    if (m_controlFile.IsEmpty())
        return 0;
    return platform::ProfileReadInt(m_controlFile.c_str(), kUpdates, key, 0);
}

void CSnIPC::SignalConfigChanged(bool engine, bool managers) {
    if (engine)
        WriteCounter("NS", static_cast<long>(m_ticks() & kMask31));
    if (managers)
        WriteCounter("NM", static_cast<long>(m_ticks() & kMask31));
}

long CSnIPC::ReadChangeCounter(int which) const {
    return ReadCounter(which == 0 ? "NM" : "NS");
}

void CSnIPC::SignalGlobalSettingsChanged() {
    WriteCounter("GlobalSettings", static_cast<long>(m_ticks() & kMask31));
}

long CSnIPC::ReadGlobalSettingsCounter() const {
    return ReadCounter("GlobalSettings");
}

void CSnIPC::SignalResultsChanged() {
    // The engine writes this counter too; the random part keeps the Manager's value from
    // meeting one the engine wrote from the same tick count.
    WriteCounter(kResults, static_cast<long>(m_ticks() & kMask28) + QvcRand());
}

long CSnIPC::ReadResultsCounter() const {
    return ReadCounter(kResults);
}

// --- results ----------------------------------------------------------------------------

void CSnIPC::RemoveResult(long id) {
    if (m_resultFile.IsEmpty())
        return;
    platform::ProfileDeleteKey(m_resultFile.c_str(), kResults, IdKey(id).c_str());
    SignalResultsChanged();
}

void CSnIPC::RemoveResults(const std::vector<long>& ids) {
    if (ids.size() == 1)
        return RemoveResult(ids[0]);
    if (m_resultFile.IsEmpty() || ids.empty())
        return;
    std::vector<platform::ProfileChange> changes;
    changes.reserve(ids.size());
    for (long id : ids)
        changes.push_back({IdKey(id), std::nullopt});
    platform::ProfileWriteKeys(m_resultFile.c_str(), kResults, changes);
    SignalResultsChanged();
}

void CSnIPC::RemoveAllResults() {
    if (m_resultFile.IsEmpty())
        return;
    platform::DeleteFile(m_resultFile.Str());
    SignalResultsChanged();
}

std::uint32_t CSnIPC::ReadWholeSection(const CQvcString& file, const char* section) {
    // The buffer has the fixed size the engine's protocol was designed around, but a
    // large configuration outgrows it (100,000 checks at some 60 bytes a line are 6 MB):
    // a section that came back cut (the reader returns size-2) would silently lose the
    // results of the last checks.  So the buffer grows and the section is read again;
    // the grown buffer is kept for the next walks, which then read once again.
    for (;;) {
        const auto size = static_cast<std::uint32_t>(m_sectionBuffer.size());
        const std::uint32_t count = m_readSection(file.c_str(), section, m_sectionBuffer.data(), size);
        if (count < size - 2 || m_sectionBuffer.size() * 2 > kMaxSectionBuffer)
            return count < size - 2 ? count : size - 2;
        m_sectionBuffer.assign(m_sectionBuffer.size() * 2 + 1, '\0');
    }
}

void CSnIPC::IndexResults(std::uint32_t count) {
    m_resultIndex.clear();
    const char* data = m_sectionBuffer.data();
    std::size_t pos = 0;
    while (pos < count && data[pos] != '\0') {
        const std::size_t len = ::strnlen(data + pos, count - pos);
        const std::string_view entry(data + pos, len);
        pos += len + 1;
        const std::size_t eq = entry.find('=');
        std::int32_t id = 0;
        if (eq == std::string_view::npos || !ParseCanonicalId(entry.substr(0, eq), id))
            continue;
        m_resultIndex.push_back({id, entry.substr(eq + 1)});
    }
    // The engine mostly writes its lines in ID order: then there is nothing to sort.  The
    // stable sort keeps an ID's entries in the file's order, so the first one wins, as a
    // search from the start would find it.
    const auto byId = [](const ResultEntry& a, const ResultEntry& b) { return a.id < b.id; };
    if (!std::is_sorted(m_resultIndex.begin(), m_resultIndex.end(), byId))
        std::stable_sort(m_resultIndex.begin(), m_resultIndex.end(), byId);
}

std::string_view CSnIPC::FindResult(std::int32_t id, std::size_t& hint) const {
    const auto begin = m_resultIndex.begin();
    auto at = begin + static_cast<std::ptrdiff_t>(std::min(hint, m_resultIndex.size()));
    // The hint counts only when it is the first entry of its ID.
    if (at == m_resultIndex.end() || at->id != id || (at != begin && std::prev(at)->id == id))
        at = std::lower_bound(begin, m_resultIndex.end(), id,
                              [](const ResultEntry& entry, std::int32_t key) { return entry.id < key; });
    if (at == m_resultIndex.end() || at->id != id)
        return {};
    hint = static_cast<std::size_t>(at - begin) + 1;
    return at->value;
}

void CSnIPC::FillNode(CSnNode& node, std::string_view line) const {
    CSnNodeResult& result = node.Result;
    const std::string_view text = TrimText(line);
    // The fields below are made from the line alone (an empty line leaves the same
    // fields after any number of reads), so a line read before leaves the result as it
    // is.  Between two refreshes most lines are the same: this spares reading the
    // node's texts, which for 100,000 checks are mostly not in the cache.  The low bit
    // keeps the fingerprint of a read line from being 0.
    const std::uint64_t source = std::hash<std::string_view>{}(text) | 1U;
    if (result.Source == source)
        return;
    result.Source = source;
    if (text.empty()) {
        // No line for the check: as far as this Manager can tell the engine is not
        // running.  Processing and Data keep what they showed.
        result.Status = 0;
        result.LastUpdate = 0;
        result.Duration = 0;
        result.Comment.Empty();
        result.Response = kEngineNotRunning;
        return;
    }
    // The fields are the tokens that GetToken gives for "||" (token i after the i-th
    // separator, a missing one empty), taken as views in one pass: a refresh of 100,000
    // checks would otherwise copy every field several times.
    std::array<std::string_view, kResultFields> fields{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size() && start != std::string_view::npos; ++i) {
        const std::size_t end = text.find(kFieldSeparator, start);
        fields[i] = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? end : end + kFieldSeparator.size();
    }
    result.Status = LinkParseInt(fields[0]);
    result.LastUpdate = LinkParseInt(fields[1]);
    result.Processing = LinkParseInt(fields[2]);
    AssignText(result.Comment, fields[3]);
    result.Duration = LinkParseInt(fields[4]);
    AssignText(result.Data, TrimText(fields[5]));
    AssignText(result.Response, fields[6]);
}

void CSnIPC::LoadResults(CSnNode* first) {
    if (first == nullptr || m_resultFile.IsEmpty())
        return;
    // One read of the section per walk; every node then looks its line up in the index.
    IndexResults(ReadWholeSection(m_resultFile, kResults));

    std::size_t hint = 0;
    WalkTree(first, [&](CSnNode* node, int) {
        FillNode(*node, FindResult(node->Id(), hint));
        return WalkStep::Continue;
    });
    // The index points into the buffer, which the next read overwrites.
    m_resultIndex.clear();
}

void CSnIPC::ReadActivityLog(CQvcSectionString& out) {
    out.Clear();
    if (m_activityLogFile.IsEmpty())
        return;
    m_resultIndex.clear();
    const std::uint32_t count = ReadWholeSection(m_activityLogFile, kActLog);
    out.Set(m_sectionBuffer.data(), count);
}

// --- requests ---------------------------------------------------------------------------

void CSnIPC::WriteRequest(const char* section, const CSnNode* node) {
    if (node == nullptr || m_controlFile.IsEmpty())
        return;
    const char* file = m_controlFile.c_str();
    if (!platform::ProfileWriteText(file, section, IdKey(node->Id()).c_str(), "1") ||
        !platform::ProfileWriteText(file, section, "0", "1"))
        Trace(kTraceFile, "%s request for %d: writing %s failed", section, node->Id(), file);
}

void CSnIPC::MonitorNow(const CSnNode* node) {
    WriteRequest(kMonitorNow, node);
}

void CSnIPC::ClearFailureNow(const CSnNode* node) {
    WriteRequest(kClearFailureNow, node);
}

void CSnIPC::MonitorSubtreeNow(const CSnNode* node, bool scheduledToo) {
    constexpr std::int32_t kScheduled = 1;
    constexpr std::int32_t kEventDriven = 2;
    // The given node alone, not its siblings; the nodes below it in tree order.  Only
    // nodes without children are monitored.
    const auto monitor = [&](const CSnNode* current) {
        const std::int32_t mode = current->Cfg.ScanFrequency.Mode;
        if (current->ChildNode() == nullptr && mode != kEventDriven && (mode != kScheduled || scheduledToo))
            MonitorNow(current);
    };
    if (node == nullptr)
        return;
    if (node->ChildNode() == nullptr) {
        monitor(node);
        return;
    }
    WalkTree(node->ChildNode(), [&](CSnNode* current, int) {
        monitor(current);
        return WalkStep::Continue;
    });
}

void CSnIPC::ClearMonitorNowRequests() {
    if (!m_controlFile.IsEmpty())
        platform::ProfileDeleteSection(m_controlFile.c_str(), kMonitorNow);
}

void CSnIPC::MarkReadOnlyReadable() {
    if (!m_controlFile.IsEmpty())
        platform::ProfileWriteText(m_controlFile.c_str(), kSharedAccess, kReadOnly, "1");
}

// A read-only Manager cannot write, so it only looks for the mark that a writable
// Manager sets at start-up.  A writable Manager proves both directions: it writes the
// current time under its own computer's name (one attempt, no retries: a failure is the
// answer) and must read the same value back.  Without a computer name it has no key of
// its own and fails.
bool CSnIPC::ProbeAccess(bool writable, const CQvcString& computerName) {
    if (m_controlFile.IsEmpty())
        return false;
    const char* file = m_controlFile.c_str();
    if (!writable)
        return platform::ProfileReadInt(file, kSharedAccess, kReadOnly, 0) == 1;
    if (computerName.IsEmpty())
        return false;
    const long long now = m_seconds();
    char text[24];
    std::snprintf(text, sizeof text, "%lld", now);
    platform::WritePrivateProfileString(kSharedAccess, computerName.c_str(), text, file);
    // Read as text and converted in 64 bits, so that the probe outlives 2038.
    const std::string back = platform::ProfileReadText(file, kSharedAccess, computerName.c_str(), "");
    if (back.empty())
        return false;
    char* end = nullptr;
    const long long value = std::strtoll(back.c_str(), &end, 10);
    return end != back.c_str() && value == now;
}
