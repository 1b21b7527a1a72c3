#include "engine/PackedNodeCfg.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace {

// The parts of the action that a node stores only when they differ from their defaults:
// read from the node for packing, and unpacked into these values, then assigned, so
// that a part left at its defaults takes no memory.
struct UnpackedParts {
    CSnNodeCfgActionMaintenance Maintenance;
    std::array<CSnNodeCfgActionNotification, kNotifyEntries> Notify;
    CSnNodeCfgActionRunProgram RunOnFailure;
    CSnNodeCfgActionRunProgram RunOnSuccess;
    CSnNodeCfgActionRestart Restart;

    void AssignTo(CSnNodeCfgAction& a) const {
        a.Maintenance.Assign(Maintenance);
        for (int k = 0; k < kNotifyEntries; ++k)
            a.Notify.Assign(k, Notify[static_cast<std::size_t>(k)]);
        a.RunOnFailure.Assign(RunOnFailure);
        a.RunOnSuccess.Assign(RunOnSuccess);
        a.Restart.Assign(Restart);
    }
};

struct StoredParts {
    explicit StoredParts(const CSnNodeCfgAction& a)
        : Maintenance(*a.Maintenance), Notify(a.Notify), RunOnFailure(*a.RunOnFailure),
          RunOnSuccess(*a.RunOnSuccess), Restart(*a.Restart) {}
    const CSnNodeCfgActionMaintenance& Maintenance;
    const CSnNodeCfgNotifyEntries& Notify;
    const CSnNodeCfgActionRunProgram& RunOnFailure;
    const CSnNodeCfgActionRunProgram& RunOnSuccess;
    const CSnNodeCfgActionRestart& Restart;
};

// Calls `field` on every stored field of the configuration, always in the same order:
// the position is the field's index in the packed form.  `parts` stands for the action's
// parts held apart (StoredParts or UnpackedParts).
template <class Cfg, class Parts, class Field>
void EachField(Cfg& c, Parts& parts, Field&& field) {
    field(c.ID);
    field(c.Name);
    field(c.Notes);
    field(c.OnHold);
    field(c.Inverse);
    field(c.GraphEnabled);
    auto& scan = c.ScanFrequency;
    field(scan.Mode);
    field(scan.Interval);
    field(scan.ErrorThreshold);
    field(scan.Schedule);
    auto& f = c.Function;
    field(f.Type);
    field(f.ScriptTimeout);
    field(f.UseCredentials);
    field(f.CredentialsServer);
    field(f.ParamOption);
    field(f.ParamOption2);
    field(f.ParamLogin);
    field(f.ParamLogin2);
    field(f.ParamPassword);
    field(f.ParamPassword2);
    field(f.ParamServer);
    field(f.ParamByteCodes);
    for (auto* param : {&f.Param1, &f.Param2, &f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8})
        field(*param);
    auto& a = c.Action;
    field(parts.Maintenance.Enabled);
    field(parts.Maintenance.Schedule);
    field(a.Dependencies);
    field(a.Uncertain.UseGlobal);
    field(a.Uncertain.AsError);
    field(a.Uncertain.AsSuccess);
    field(a.ReNotify.Repeat);
    field(a.ReNotify.Minutes);
    field(a.ReRun.Repeat);
    field(a.ReRun.Minutes);
    for (int k = 0; k < kNotifyEntries; ++k) {
        auto& notify = parts.Notify[static_cast<std::size_t>(k)];
        field(notify.Enabled);
        field(notify.Recipients);
    }
    for (auto* program : {&parts.RunOnFailure, &parts.RunOnSuccess}) {
        field(program->RunExecutable);
        field(program->Executable);
        field(program->RunScript);
        field(program->Script);
    }
    field(parts.Restart.Reboot);
    field(parts.Restart.RestartServices);
    field(parts.Restart.Computer);
    field(parts.Restart.Services);
    field(parts.Restart.UseCredentials);
    field(parts.Restart.Credentials);
}

void PutVarint(std::string& out, std::uint32_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7f) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

bool GetVarint(std::string_view& in, std::uint32_t& value) {
    value = 0;
    for (int shift = 0; shift < 35 && !in.empty(); shift += 7) {
        const auto byte = static_cast<std::uint8_t>(in.front());
        in.remove_prefix(1);
        value |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

const std::string& TextOf(const CQvcString& text) { return text.Str(); }
const std::string& TextOf(const CSnCfgScheduleList& schedule) { return schedule.Text().Str(); }

} // namespace

std::string PackNodeCfg(const CSnNodeCfg& cfg) {
    std::string out;
    std::uint32_t index = 0;
    const StoredParts parts(cfg.Action);
    EachField(cfg, parts, [&](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::int32_t>) {
            if (value != 0) {
                PutVarint(out, index);
                PutVarint(out, static_cast<std::uint32_t>(value));
            }
        } else {
            const std::string& text = TextOf(value);
            if (!text.empty()) {
                PutVarint(out, index);
                PutVarint(out, static_cast<std::uint32_t>(text.size()));
                out += text;
            }
        }
        ++index;
    });
    return out;
}

CSnNodeCfg UnpackNodeCfg(std::string_view packed) {
    CSnNodeCfg cfg;
    std::uint32_t wanted = 0;
    bool more = GetVarint(packed, wanted);
    std::uint32_t index = 0;
    UnpackedParts parts;
    EachField(cfg, parts, [&](auto& value) {
        if (more && index == wanted) {
            using T = std::decay_t<decltype(value)>;
            std::uint32_t number = 0;
            more = GetVarint(packed, number);
            if constexpr (std::is_same_v<T, std::int32_t>) {
                value = static_cast<std::int32_t>(number);
            } else {
                more = more && number <= packed.size();
                if (more) {
                    const std::string text(packed.substr(0, number));
                    packed.remove_prefix(number);
                    if constexpr (std::is_same_v<T, CSnCfgScheduleList>)
                        value.SetText(CQvcString(text));
                    else
                        value = CQvcString(text);
                }
            }
            more = more && GetVarint(packed, wanted);
        }
        ++index;
    });
    parts.AssignTo(cfg.Action);
    return cfg;
}
