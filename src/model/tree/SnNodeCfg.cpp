#include "model/tree/SnNodeCfg.h"

#include <cassert>

namespace {

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
    return a.Maintenance == b.Maintenance && a.Dependencies == b.Dependencies &&
           a.Uncertain.UseGlobal == b.Uncertain.UseGlobal && a.Uncertain.AsError == b.Uncertain.AsError &&
           a.Uncertain.AsSuccess == b.Uncertain.AsSuccess && a.ReNotify.Repeat == b.ReNotify.Repeat &&
           a.ReNotify.Minutes == b.ReNotify.Minutes && a.ReRun.Repeat == b.ReRun.Repeat &&
           a.ReRun.Minutes == b.ReRun.Minutes && a.Notify == b.Notify && a.RunOnFailure == b.RunOnFailure &&
           a.RunOnSuccess == b.RunOnSuccess && a.Restart == b.Restart;
}

// A stored entry of the type its position needs, copied from `value`.
std::unique_ptr<CSnNodeCfgActionNotification> MakeEntry(int entry, const CSnNodeCfgActionNotification& value) {
    if (IsTrapEntry(entry)) {
        auto trap = std::make_unique<CSnNodeCfgActionTrap>();
        static_cast<CSnNodeCfgActionNotification&>(*trap) = value;
        return trap;
    }
    return std::make_unique<CSnNodeCfgActionNotification>(value);
}

const CSnNodeCfgActionNotification& DefaultEntry(int entry) {
    static const CSnNodeCfgActionNotification notification{};
    static const CSnNodeCfgActionTrap trap{};
    return IsTrapEntry(entry) ? trap : notification;
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

CSnNodeCfgNotifyEntries::CSnNodeCfgNotifyEntries(const CSnNodeCfgNotifyEntries& other) { *this = other; }

CSnNodeCfgNotifyEntries& CSnNodeCfgNotifyEntries::operator=(const CSnNodeCfgNotifyEntries& other) {
    if (this == &other)
        return *this;
    for (int k = 0; k < kNotifyEntries; ++k) {
        const auto& from = other.m_entries[static_cast<std::size_t>(k)];
        auto& to = m_entries[static_cast<std::size_t>(k)];
        if (!from)
            to.reset();
        else if (to)
            *to = *from;
        else
            to = MakeEntry(k, *from);
    }
    return *this;
}

const CSnNodeCfgActionNotification& CSnNodeCfgNotifyEntries::operator[](int entry) const {
    assert(entry >= 0 && entry < kNotifyEntries);
    const auto& stored = m_entries[static_cast<std::size_t>(entry)];
    return stored ? *stored : DefaultEntry(entry);
}

CSnNodeCfgActionNotification& CSnNodeCfgNotifyEntries::Edit(int entry) {
    assert(entry >= 0 && entry < kNotifyEntries);
    auto& stored = m_entries[static_cast<std::size_t>(entry)];
    if (!stored)
        stored = MakeEntry(entry, DefaultEntry(entry));
    return *stored;
}

void CSnNodeCfgNotifyEntries::Assign(int entry, const CSnNodeCfgActionNotification& value) {
    assert(entry >= 0 && entry < kNotifyEntries);
    auto& stored = m_entries[static_cast<std::size_t>(entry)];
    if (value == DefaultEntry(entry))
        stored.reset();
    else if (stored)
        *stored = value;
    else
        stored = MakeEntry(entry, value);
}

bool CSnNodeCfgNotifyEntries::operator==(const CSnNodeCfgNotifyEntries& other) const {
    for (int k = 0; k < kNotifyEntries; ++k)
        if (!((*this)[k] == other[k]))
            return false;
    return true;
}
