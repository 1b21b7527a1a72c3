#include "model/tree/SnNodeRecord.h"

#include "model/tree/SnNode.h"
#include "model/store/SnRecordProperties.h"

#include <string>

namespace {

using namespace snnode;

std::int32_t Flag(bool value) { return value ? 1 : 0; }

// The property's text, read where the record holds it; `spare` holds it when it has to
// be converted from a number.
const CQvcString& TextOf(const CSnRecord& r, int property, CQvcString& spare) {
    if (const CQvcString* text = r.Get(property).TextIf())
        return *text;
    spare = r.GetText(property);
    return spare;
}

// Character `index` of a flag text (missing characters count as blanks) is "1".
bool FlagAt(const std::string& text, std::size_t index) { return index < text.size() && text[index] == '1'; }

// Property of notification entry `entry` that holds its recipients; 0 for the trap entries.
int RecipientsProperty(int entry) {
    if (entry < 8)
        return kRecipients0 + entry;
    if (entry == 10)
        return kRecipients10;
    if (entry == 11)
        return kRecipients11;
    return 0;
}

CQvcLazyString& ParamField(CSnNodeCfgFunction& f, int n) {
    CQvcLazyString* fields[] = {&f.Param1, &f.Param2, &f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8};
    return *fields[n];
}

const CQvcLazyString& ParamField(const CSnNodeCfgFunction& f, int n) {
    return ParamField(const_cast<CSnNodeCfgFunction&>(f), n);
}

// A text that the node holds only when not empty, read where the record holds it.
void GetLazyText(const CSnRecord& r, int property, CQvcLazyString& out) {
    CQvcString spare;
    out = TextOf(r, property, spare);
}

void DecodeSummary(const CSnRecord& r, CSnNodeCfg& cfg) {
    cfg.ID = static_cast<std::int32_t>(r.GetLong(kId));
    r.GetText(kName, cfg.Name);
    cfg.ScanFrequency.Mode = static_cast<std::int32_t>(r.GetLong(kScanMode));
    cfg.ScanFrequency.Interval = static_cast<std::int32_t>(r.GetLong(kScanInterval));
    cfg.ScanFrequency.ErrorThreshold = static_cast<std::int32_t>(r.GetLong(kErrorThreshold));
    cfg.ScanFrequency.Schedule.SetText(r.GetText(kScanSchedule));
    cfg.OnHold = Flag(r.GetBool(kOnHold));
    cfg.Inverse = Flag(r.GetBool(kInverse));
    cfg.GraphEnabled = Flag(r.GetBool(kGraphEnabled));
    cfg.Function.Type = static_cast<std::int32_t>(r.GetLong(kType));
    cfg.Function.ScriptTimeout = static_cast<std::int32_t>(r.GetLong(kScriptTimeout));
    r.GetText(kDependencies, cfg.Action.Dependencies);
    r.GetText(kParamServer, cfg.Function.ParamServer);
    GetLazyText(r, kParam1, cfg.Function.Param1);
    GetLazyText(r, kParam2, cfg.Function.Param2);
}

// The texts a record holds exactly as the node does and that only the full load reads,
// each given to `visit` with its property; the parts are const for encoding.
template <class Program, class Restart, class Visit>
void ForEachActionText(Program& onFailure, Program& onSuccess, Restart& restart, Visit&& visit) {
    visit(kFailureExecutable, onFailure.Executable);
    visit(kSuccessExecutable, onSuccess.Executable);
    visit(kSuccessScript, onSuccess.Script);
    visit(kFailureScript, onFailure.Script);
    visit(kRestartServices, restart.Services);
    visit(kRestartComputer, restart.Computer);
    visit(kRestartCredentials, restart.Credentials);
}

// The function's texts that only the full load reads; the node holds them only when not
// empty.
template <class Function, class Visit>
void ForEachFunctionText(Function& f, Visit&& visit) {
    visit(kCredentialsServer, f.CredentialsServer);
    visit(kParamLogin, f.ParamLogin);
    visit(kParamLogin2, f.ParamLogin2);
    visit(kParamPassword, f.ParamPassword);
    visit(kParamPassword2, f.ParamPassword2);
    visit(kParamByteCodes, f.ParamByteCodes);
}

} // namespace

void CSnNodeRecord::Encode(const CSnNode& node, CSnRecord& r) {
    const CSnNodeCfg& cfg = node.Cfg;
    const CSnNodeCfgAction& a = cfg.Action;
    const CSnNodeCfgFunction& f = cfg.Function;

    r.SetText(kName, cfg.Name);
    CQvcString notes = cfg.Notes;
    notes.LineBreaksToBars();
    r.SetText(kNotes, notes);
    r.SetLong(kScanMode, cfg.ScanFrequency.Mode);
    r.SetLong(kScanInterval, cfg.ScanFrequency.Interval);
    r.SetText(kScanSchedule, cfg.ScanFrequency.Schedule.Text());
    r.SetLong(kErrorThreshold, cfg.ScanFrequency.ErrorThreshold);
    r.SetBool(kOnHold, cfg.OnHold != 0);
    r.SetBool(kInverse, cfg.Inverse != 0);
    r.SetLong(kScriptTimeout, f.ScriptTimeout);
    r.SetLong(kType, f.Type);
    r.SetBool(kMaintenanceEnabled, a.Maintenance->Enabled != 0);
    r.SetText(kMaintenanceSchedule, a.Maintenance->Schedule.Text());
    r.SetText(kDependencies, a.Dependencies);
    r.SetBool(kReNotifyRepeat, a.ReNotify.Repeat != 0);
    r.SetLong(kReNotifyMinutes, a.ReNotify.Minutes);

    CQvcString flags;
    for (int k = 0; k < kNotifyEntries; ++k) {
        if (k > 0)
            flags += "9";
        flags += CQvcString(static_cast<long>(a.Notify[k].Enabled));
    }
    r.SetText(kNotifyFlags, flags);
    for (int k = 0; k < kNotifyEntries; ++k)
        if (int p = RecipientsProperty(k))
            r.SetText(p, a.Notify[k].Recipients);

    r.SetBool(kReRunRepeat, a.ReRun.Repeat != 0);
    r.SetLong(kReRunMinutes, a.ReRun.Minutes);
    CQvcString actionFlags;
    actionFlags.Format("%d%d%d%d%d%d%d", a.RunOnFailure->RunExecutable, a.RunOnFailure->RunScript,
                       a.RunOnSuccess->RunExecutable, a.RunOnSuccess->RunScript, a.Restart->Reboot,
                       a.Restart->RestartServices, a.Restart->UseCredentials);
    r.SetText(kActionFlags, actionFlags);
    long uncertain = 1;
    if (a.Uncertain.UseGlobal)
        uncertain = 0;
    else if (a.Uncertain.AsError)
        uncertain = 2;
    else if (a.Uncertain.AsSuccess)
        uncertain = 3;
    r.SetLong(kUncertain, uncertain);
    r.SetBool(kGraphEnabled, cfg.GraphEnabled != 0);

    r.SetBool(kUseCredentials, f.UseCredentials != 0);
    r.SetBool(kParamOption, f.ParamOption != 0);
    r.SetBool(kParamOption2, f.ParamOption2 != 0);
    r.SetText(kParamServer, f.ParamServer);
    auto put = [&r](int property, const CQvcString& text) { r.SetText(property, text); };
    ForEachActionText(*a.RunOnFailure, *a.RunOnSuccess, *a.Restart, put);
    ForEachFunctionText(f, put);
    for (int n = 0; n < 8; ++n)
        r.SetText(kParam1 + n, ParamField(f, n).Get());
}

void CSnNodeRecord::Decode(const CSnRecord& r, CSnNode& node, bool summaryOnly) {
    CSnNodeCfg& cfg = node.Cfg;
    DecodeSummary(r, cfg);
    if (summaryOnly)
        return;
    CSnNodeCfgAction& a = cfg.Action;
    CSnNodeCfgFunction& f = cfg.Function;

    r.GetText(kNotes, cfg.Notes);
    cfg.Notes.BarsToLineBreaks();
    // Each part is decoded into a local value and assigned, so that a part left at its
    // defaults takes no memory.
    CSnNodeCfgActionMaintenance maintenance = *a.Maintenance;
    maintenance.Enabled = Flag(r.GetBool(kMaintenanceEnabled));
    maintenance.Schedule.SetText(r.GetText(kMaintenanceSchedule));
    a.Maintenance.Assign(maintenance);
    a.ReNotify.Repeat = Flag(r.GetBool(kReNotifyRepeat));
    a.ReNotify.Minutes = static_cast<std::int32_t>(r.GetLong(kReNotifyMinutes));

    CQvcString spare;
    const std::string& flags = TextOf(r, kNotifyFlags, spare).Str();
    for (int k = 0; k < kNotifyEntries; ++k) {
        CSnNodeCfgActionNotification entry = a.Notify[k];
        entry.Enabled = Flag(FlagAt(flags, static_cast<std::size_t>(2 * k)));
        if (int p = RecipientsProperty(k))
            r.GetText(p, entry.Recipients);
        a.Notify.Assign(k, entry);
    }

    a.ReRun.Repeat = Flag(r.GetBool(kReRunRepeat));
    a.ReRun.Minutes = static_cast<std::int32_t>(r.GetLong(kReRunMinutes));
    CQvcString actionSpare;
    const std::string& actionFlags = TextOf(r, kActionFlags, actionSpare).Str();
    CSnNodeCfgActionRunProgram onFailure = *a.RunOnFailure;
    CSnNodeCfgActionRunProgram onSuccess = *a.RunOnSuccess;
    CSnNodeCfgActionRestart restart = *a.Restart;
    onFailure.RunExecutable = Flag(FlagAt(actionFlags, 0));
    onFailure.RunScript = Flag(FlagAt(actionFlags, 1));
    onSuccess.RunExecutable = Flag(FlagAt(actionFlags, 2));
    onSuccess.RunScript = Flag(FlagAt(actionFlags, 3));
    restart.Reboot = Flag(FlagAt(actionFlags, 4));
    restart.RestartServices = Flag(FlagAt(actionFlags, 5));
    restart.UseCredentials = Flag(FlagAt(actionFlags, 6));

    const long uncertain = r.GetLong(kUncertain);
    a.Uncertain.UseGlobal = Flag(uncertain == 0);
    a.Uncertain.AsError = Flag(uncertain == 2);
    a.Uncertain.AsSuccess = Flag(uncertain == 3);

    f.UseCredentials = Flag(r.GetBool(kUseCredentials));
    f.ParamOption = Flag(r.GetBool(kParamOption));
    f.ParamOption2 = Flag(r.GetBool(kParamOption2));
    for (int n = 2; n < 8; ++n)
        GetLazyText(r, kParam1 + n, ParamField(f, n));
    ForEachActionText(onFailure, onSuccess, restart, [&r](int property, CQvcString& text) { r.GetText(property, text); });
    ForEachFunctionText(f, [&r](int property, CQvcLazyString& text) { GetLazyText(r, property, text); });
    a.RunOnFailure.Assign(onFailure);
    a.RunOnSuccess.Assign(onSuccess);
    a.Restart.Assign(restart);
}
