#include "model/checks/PasteRules.h"

#include "library/QvcListString.h"
#include "model/tree/SnNode.h"

namespace paste {

namespace {

constexpr int kModeEvent = 2;      // a check run by each incoming trap
constexpr std::size_t kMaxHostsText = 255;

void CopyRunProgram(const CSnNodeCfgActionRunProgram& from, CQvcLazy<CSnNodeCfgActionRunProgram>& target,
                    bool program, bool script) {
    CSnNodeCfgActionRunProgram to = *target;
    if (program) {
        to.RunExecutable = from.RunExecutable;
        to.Executable = from.Executable;
    }
    if (script) {
        to.RunScript = from.RunScript;
        to.Script = from.Script;
    }
    target.Assign(to);
}

} // namespace

Groups Groups::All() {
    Groups all;
    all.Frequency = all.Restart = all.RunProgram = all.RunScript = true;
    all.Graph = all.ActionFrequency = all.NotificationFrequency = all.Maintenance = all.ResultMapping = true;
    all.Notify.fill(true);
    return all;
}

void CopyGroups(const CSnNodeCfg& from, CSnNodeCfg& to, const Groups& groups) {
    if (groups.Frequency) {
        auto& freq = to.ScanFrequency;
        if (from.ScanFrequency.Mode != kModeEvent && freq.Mode != kModeEvent)
            freq.Mode = from.ScanFrequency.Mode;
        freq.Interval = from.ScanFrequency.Interval;
        freq.ErrorThreshold = from.ScanFrequency.ErrorThreshold;
        freq.Schedule = from.ScanFrequency.Schedule;
    }
    for (std::size_t channel = 0; channel < groups.Notify.size(); ++channel)
        if (groups.Notify[channel])
            for (std::size_t entry = 2 * channel; entry <= 2 * channel + 1; ++entry)
                to.Action.Notify.Assign(static_cast<int>(entry), from.Action.Notify[static_cast<int>(entry)]);
    if (groups.Restart)
        to.Action.Restart.Assign(*from.Action.Restart);
    CopyRunProgram(*from.Action.RunOnFailure, to.Action.RunOnFailure, groups.RunProgram, groups.RunScript);
    CopyRunProgram(*from.Action.RunOnSuccess, to.Action.RunOnSuccess, groups.RunProgram, groups.RunScript);
    if (groups.Graph)
        to.GraphEnabled = from.GraphEnabled;
    if (groups.ActionFrequency)
        to.Action.ReRun = from.Action.ReRun;
    if (groups.NotificationFrequency)
        to.Action.ReNotify = from.Action.ReNotify;
    if (groups.Maintenance)
        to.Action.Maintenance.Assign(*from.Action.Maintenance);
    if (groups.ResultMapping) {
        to.Inverse = from.Inverse;
        to.Action.Uncertain = from.Action.Uncertain;
    }
}

void MakePastedCopy(CSnNodeCfg& copy, bool unchanged, const CQvcString& newHost, bool hold) {
    if (unchanged) {
        copy.Name += " (Copy)";
    } else {
        const CQvcString oldHost = copy.Function.ParamServer;
        auto& f = copy.Function;
        copy.Name.Replace(oldHost.Str(), newHost.Str());
        for (CQvcLazyString* text : {&f.Param1, &f.Param2, &f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7,
                                     &f.Param8})
            if (!text->IsEmpty())
                text->Edit().Replace(oldHost.Str(), newHost.Str());
        f.ParamServer = newHost;
    }
    copy.OnHold = hold ? 1 : 0;
}

CQvcString ExistingHosts(const std::vector<const CSnNode*>& checks) {
    CQvcListString hosts;
    for (const CSnNode* check : checks) {
        CQvcString host = check->Cfg.Function.ParamServer;
        host.Trim();
        if (!host.IsEmpty() && host != ".")
            hosts.AddText(host);
    }
    hosts.Sort();
    CQvcString text = hosts.Join();
    if (text.Length() > kMaxHostsText)
        text = text.Left(kMaxHostsText - 3) + "...";
    return text;
}

} // namespace paste
