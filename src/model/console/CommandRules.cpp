#include "model/console/CommandRules.h"

#include "model/console/CommandIds.h"

#include <algorithm>
#include <iterator>

namespace {

using Snapshot = CCommandSnapshot;
using EnabledRule = bool (*)(const Snapshot&);
using TickRule = bool (*)(int id, const Snapshot&);

bool Always(const Snapshot&) { return true; }
bool Never(const Snapshot&) { return false; }
bool Loaded(const Snapshot& s) { return s.loaded; }
bool Changeable(const Snapshot& s) { return s.loaded && s.writable; }
bool ChecksSelected(const Snapshot& s) { return s.loaded && s.selected > 0; }
bool ChangeChecks(const Snapshot& s) { return Changeable(s) && s.selected > 0; }
bool ChangeOneCheck(const Snapshot& s) { return Changeable(s) && s.selected == 1; }
// Properties edits the tree's folder when the tree has the focus, else one selected check.
bool ChangeFolderOrOneCheck(const Snapshot& s) { return Changeable(s) && (s.treeFocus || s.selected == 1); }
// Rename in the main menu only needs a writable configuration (it acts when exactly one
// check or the tree's folder is chosen); a context menu offers it for its one target.
bool ChangeName(const Snapshot& s) { return Changeable(s) && (!s.contextMenu || s.treeFocus || s.selected == 1); }
bool ChangeFolderOrChecks(const Snapshot& s) { return Changeable(s) && (s.treeFocus || s.selected > 0); }
// With several checks selected, which of them can be cleared is decided when the command runs.
bool ClearFailure(const Snapshot& s) { return ChangeChecks(s) && (s.selected != 1 || s.singleSelectedClearable); }
bool PasteChecks(const Snapshot& s) { return Changeable(s) && s.copied >= 1; }
bool PasteProperties(const Snapshot& s) { return ChangeFolderOrChecks(s) && s.copied == 1; }
bool RemoteInstallation(const Snapshot& s) { return Changeable(s) && s.serverValue != 0; }

bool ReadOnlyTick(int, const Snapshot& s) { return !s.writable; }
bool LookTick(int id, const Snapshot& s) { return s.lookCommand == id; }
bool CaptureTick(int, const Snapshot& s) { return s.activityCapture; }
bool ColumnTick(int id, const Snapshot& s) { return (s.shownColumns >> (id - cmd::kColumnFirst) & 1U) != 0; }
bool HoldTick(int, const Snapshot& s) { return ChecksSelected(s) && s.allSelectedOnHold; }
bool ToolbarTick(int, const Snapshot& s) { return s.toolbarShown; }
bool StatusBarTick(int, const Snapshot& s) { return s.statusBarShown; }

struct Rule {
    int first;
    int last;
    EnabledRule enabled;
    TickRule tick = nullptr; // null: the command shows no tick
};

// Sorted by identifier, ranges included (checked below: the lookup is a binary search).
constexpr Rule kRules[] = {
    {cmd::kNewConfiguration, cmd::kConnect, Changeable},
    {cmd::kReadOnly, cmd::kReadOnly, Loaded, ReadOnlyTick},
    {cmd::kLookFirst, cmd::kLookLast, Always, LookTick},
    {cmd::kCustomizeToolbar, cmd::kCustomizeToolbar, Never},
    {cmd::kShowLogFile, cmd::kShowLogFile, Always},
    {cmd::kCaptureActivity, cmd::kCaptureActivity, Always, CaptureTick},
    {cmd::kAutoRefreshSettings, cmd::kRefresh, Always},
    {cmd::kColumnFirst, cmd::kColumnLast, Always, ColumnTick},
    {cmd::kService, cmd::kTemplates, Changeable},
    {cmd::kWebInterface, cmd::kWebInterface, Loaded},
    {cmd::kWebInterfaceSettings, cmd::kWebInterfaceSettings, Changeable},
    {cmd::kRemoteInstallation, cmd::kRemoteInstallation, RemoteInstallation},
    {cmd::kReports, cmd::kReports, Loaded},
    {cmd::kCreateGraph, cmd::kCreateGraph, Changeable},
    {cmd::kDiagnostics, cmd::kDiagnostics, Changeable},
    {cmd::kNotificationSettings, cmd::kNewFolder, Changeable},
    {cmd::kProperties, cmd::kProperties, ChangeFolderOrOneCheck},
    {cmd::kMonitorSelectedNow, cmd::kMonitorSelectedNow, ChecksSelected},
    {cmd::kMonitorFolderNow, cmd::kMonitorFolderNow, Loaded},
    {cmd::kDelete, cmd::kDelete, ChangeFolderOrChecks},
    {cmd::kHold, cmd::kHold, ChangeChecks, HoldTick},
    {cmd::kClearFailure, cmd::kClearFailure, ClearFailure},
    {cmd::kHistoryDetail, cmd::kShowGraph, ChangeOneCheck},
    {cmd::kRename, cmd::kRename, ChangeName},
    {cmd::kHelpTopics, cmd::kSupportSite, Always},
    {cmd::kPasteProperties, cmd::kPasteProperties, PasteProperties},
    {cmd::kCopy, cmd::kCopy, ChangeChecks},
    {cmd::kCut, cmd::kCut, Never},
    {cmd::kPasteChecks, cmd::kPasteChecks, PasteChecks},
    {cmd::kSelectAll, cmd::kSelectAll, Loaded},
    {cmd::kAbout, cmd::kExit, Always},
    {cmd::kViewToolbar, cmd::kViewToolbar, Always, ToolbarTick},
    {cmd::kViewStatusBar, cmd::kViewStatusBar, Always, StatusBarTick},
};

constexpr bool Sorted() {
    for (std::size_t i = 0; i < std::size(kRules); ++i) {
        if (kRules[i].first > kRules[i].last)
            return false;
        if (i > 0 && kRules[i - 1].last >= kRules[i].first)
            return false;
    }
    return true;
}
static_assert(Sorted(), "command rules must stay sorted by identifier without overlaps");

const Rule* FindRule(int id) {
    const auto it = std::lower_bound(std::begin(kRules), std::end(kRules), id,
                                     [](const Rule& rule, int key) { return rule.last < key; });
    return it != std::end(kRules) && it->first <= id ? &*it : nullptr;
}

} // namespace

CCommandState CommandRule(int id, const CCommandSnapshot& snapshot) {
    CCommandState state;
    const Rule* rule = FindRule(id);
    if (rule == nullptr)
        return state;
    state.enabled = rule->enabled(snapshot);
    state.checkable = rule->tick != nullptr;
    state.checked = state.checkable && rule->tick(id, snapshot);
    return state;
}

bool HasCommandRule(int id) { return FindRule(id) != nullptr; }

CCommandSnapshot ForFolderMenu(CCommandSnapshot snapshot) {
    snapshot.contextMenu = true;
    snapshot.treeFocus = true;
    snapshot.selected = 0;
    snapshot.allSelectedOnHold = false;
    snapshot.singleSelectedClearable = false;
    return snapshot;
}

CCommandSnapshot ForCheckMenu(CCommandSnapshot snapshot) {
    snapshot.contextMenu = true;
    snapshot.treeFocus = false;
    return snapshot;
}
