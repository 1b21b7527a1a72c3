#include "model/tree/SnNodeCfg.h"

namespace {

bool Same(const CSnNodeCfgActionRunProgram& a, const CSnNodeCfgActionRunProgram& b) {
    return a.RunExecutable == b.RunExecutable && a.Executable == b.Executable && a.RunScript == b.RunScript &&
           a.Script == b.Script;
}

bool Same(const CSnNodeCfgFunction& a, const CSnNodeCfgFunction& b) {
    return a.Type == b.Type && a.ScriptTimeout == b.ScriptTimeout && a.UseCredentials == b.UseCredentials &&
           a.CredentialsServer == b.CredentialsServer && a.ParamOption == b.ParamOption &&
           a.ParamOption2 == b.ParamOption2 && a.ParamLogin == b.ParamLogin && a.ParamLogin2 == b.ParamLogin2 &&
           a.ParamPassword == b.ParamPassword && a.ParamPassword2 == b.ParamPassword2 &&
           a.ParamServer == b.ParamServer && a.ParamByteCodes == b.ParamByteCodes && a.Param1 == b.Param1 &&
           a.Param2 == b.Param2 && a.Param3 == b.Param3 && a.Param4 == b.Param4 && a.Param5 == b.Param5 &&
           a.Param6 == b.Param6 && a.Param7 == b.Param7 && a.Param8 == b.Param8;
}

bool Same(const CSnNodeCfgAction& a, const CSnNodeCfgAction& b) {
    if (a.Maintenance.Enabled != b.Maintenance.Enabled || !(a.Maintenance.Schedule == b.Maintenance.Schedule) ||
        a.Dependencies != b.Dependencies || a.Uncertain.UseGlobal != b.Uncertain.UseGlobal ||
        a.Uncertain.AsError != b.Uncertain.AsError || a.Uncertain.AsSuccess != b.Uncertain.AsSuccess ||
        a.ReNotify.Repeat != b.ReNotify.Repeat || a.ReNotify.Minutes != b.ReNotify.Minutes ||
        a.ReRun.Repeat != b.ReRun.Repeat || a.ReRun.Minutes != b.ReRun.Minutes)
        return false;
    for (int i = 0; i < kNotifyEntries; ++i)
        if (a.Notify[i].Enabled != b.Notify[i].Enabled || a.Notify[i].Recipients != b.Notify[i].Recipients)
            return false;
    const auto& ra = a.Restart;
    const auto& rb = b.Restart;
    return Same(a.RunOnFailure, b.RunOnFailure) && Same(a.RunOnSuccess, b.RunOnSuccess) && ra.Reboot == rb.Reboot &&
           ra.RestartServices == rb.RestartServices && ra.Computer == rb.Computer && ra.Services == rb.Services &&
           ra.UseCredentials == rb.UseCredentials && ra.Credentials == rb.Credentials;
}

} // namespace

bool CSnNodeCfg::IsEqual(const CSnNodeCfg& other) const {
    const auto& sa = ScanFrequency;
    const auto& sb = other.ScanFrequency;
    return ID == other.ID && Name == other.Name && Notes == other.Notes && OnHold == other.OnHold &&
           Inverse == other.Inverse && GraphEnabled == other.GraphEnabled && sa.Mode == sb.Mode &&
           sa.Interval == sb.Interval && sa.ErrorThreshold == sb.ErrorThreshold && sa.Schedule == sb.Schedule &&
           Same(Function, other.Function) && Same(Action, other.Action);
}
