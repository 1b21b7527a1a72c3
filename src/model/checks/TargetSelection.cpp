#include "model/checks/TargetSelection.h"

#include "library/QvcBase.h"
#include "model/checks/HostList.h"
#include "platform/Registry.h"

#include <algorithm>
#include <string>

namespace {

constexpr unsigned kInvalidAddress = 61553;
constexpr unsigned kRangeTooLarge = 61554;
constexpr unsigned kInternalError = 61555;
constexpr unsigned kOneEntryWhenEditing = 61557;
constexpr unsigned kInvalidPort = 61558;
constexpr const char* kNotSupported = "Not supported.";

using platform::Hive;

std::string ManagerKey() { return std::string(kProductKey) + "\\Quorvane Sentrelle Manager"; }
std::string TargetListKey() { return std::string(kProductKey) + "\\TargetList"; }

// A port text 1..65535 as a number; 0 for anything else.
int PortOf(const CQvcString& text) {
    CQvcString port = text;
    port.Trim();
    if (port.IsEmpty() || port.Length() > 5 || !port.IsDigits())
        return 0;
    const long value = std::stol(port.Str());
    return value >= 1 && value <= 65535 ? static_cast<int>(value) : 0;
}

bool Listed(const CServerList& list, const CQvcString& host) {
    for (const CServerListItem& item : list)
        if (item.Host().EqualsNoCase(host))
            return true;
    return false;
}

} // namespace

const char* TargetListNote(bool editing) {
    return editing ? "You are configuring an existing check. For an existing check, only one entry is allowed."
                   : "You can add multiple hosts. For each entry in the list, a new check will be created.";
}

IPRangeStart StartIPRange(const CQvcString& from, const CQvcString& to, const CQvcString& port,
                          const CQvcString& mode) {
    IPRangeStart start;
    CQvcString first = from, last = to;
    first.Trim();
    last.Trim();
    for (const auto& [text, field] : {std::pair{first, IPRangeStart::kFrom}, std::pair{last, IPRangeStart::kTo}})
        if (!IsValidIPv4Address(text)) {
            start.Refusal = DialogRefusal::Numbered(kInvalidAddress, text).At(field);
            return start;
        }
    const int code = ExpandIPRange(first, last, start.Addresses);
    if (code != 0) {
        start.Addresses.clear();
        start.Refusal = DialogRefusal::Numbered(code == kRangeTooLarge ? kRangeTooLarge : kInternalError)
                            .At(IPRangeStart::kTo);
        return start;
    }
    start.Port = PortOf(port);
    if (mode == kScanPort) {
        start.Scan = true;
        if (start.Port == 0)
            start.Refusal = DialogRefusal::Numbered(kInvalidPort).At(IPRangeStart::kPort);
    } else if (mode == kScanPing) {
        start.Scan = true;
        start.Port = 0;
    } else if (!(mode == kScanListNow)) {
        start.Refusal = DialogRefusal::Plain(kNotSupported);
    }
    if (start.Refusal.Refused())
        start.Addresses.clear();
    return start;
}

bool TargetMessageIsError(unsigned id) {
    return id == kInternalError || id == 61693 || id == 51674 || id == 61559;
}

DialogRefusal TakeTargets(CServerList& targets, const CServerList& entries, bool editing, bool replace) {
    if (editing && entries.Count() > 1)
        return DialogRefusal::Numbered(kOneEntryWhenEditing);
    if (replace || (editing && !entries.IsEmpty()))
        targets.Clear();
    for (const CServerListItem& entry : entries)
        if (!Listed(targets, entry.Host()))
            targets.Append(entry);
    return {};
}

std::vector<CQvcString> RoleChoices(const CWinRoleDefList& roles) {
    std::vector<CQvcString> choices{kAnyRole};
    for (const CWinRoleDef& role : roles.Roles())
        choices.push_back(role.Name);
    choices.emplace_back(kCustomRole);
    return choices;
}

CWinRoleDef RoleFilter(const CQvcString& choice, const CWinRoleDefList& roles, const CQvcString& customServices) {
    if (choice == kCustomRole) {
        CWinRoleDef custom;
        custom.Name = "Custom";
        const std::string& text = customServices.Str();
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find_first_of(",;", start), text.size());
            CQvcString piece(text.substr(start, end - start));
            if (!piece.Trim().IsEmpty())
                custom.Services.push_back(piece);
            start = end + 1;
        }
        return custom;
    }
    const CWinRoleDef* role = choice == kAnyRole ? nullptr : roles.Find(choice);
    return role != nullptr ? *role : CWinRoleDef{};
}

CQvcString DiscoveredTarget(const CDiscoveredHost& host, bool fullName) {
    if (fullName && !host.FullName.IsEmpty() && host.FullName.Find('=') < 0)
        return host.FullName;
    return host.Name;
}

TargetSelectionSettings TargetSelectionSettings::Read() {
    const std::string key = ManagerKey();
    TargetSelectionSettings s;
    s.IPFrom = platform::RegReadStringWriteBack(Hive::CurrentUser, key.c_str(), "MultiHostIPFrom", s.IPFrom.c_str());
    s.IPTo = platform::RegReadStringWriteBack(Hive::CurrentUser, key.c_str(), "MultiHostIPTo", s.IPTo.c_str());
    s.UseHostname = platform::RegReadDwordWriteBack(Hive::CurrentUser, key.c_str(), "MultiHostIPUseHostname", 0) != 0;
    s.UseFqdn = platform::RegReadDwordWriteBack(Hive::CurrentUser, key.c_str(), "MultiHostWinUseFqdn", 0) != 0;
    return s;
}

void TargetSelectionSettings::WriteIPRange() const {
    const std::string key = ManagerKey();
    platform::RegEnsureKey(Hive::CurrentUser, key.c_str());
    platform::RegSetString(Hive::CurrentUser, key.c_str(), "MultiHostIPFrom", IPFrom.c_str());
    platform::RegSetString(Hive::CurrentUser, key.c_str(), "MultiHostIPTo", IPTo.c_str());
    platform::RegSetDword(Hive::CurrentUser, key.c_str(), "MultiHostIPUseHostname", UseHostname ? 1 : 0);
}

void TargetSelectionSettings::WriteDirectory() const {
    const std::string key = ManagerKey();
    platform::RegEnsureKey(Hive::CurrentUser, key.c_str());
    platform::RegSetDword(Hive::CurrentUser, key.c_str(), "MultiHostWinUseFqdn", UseFqdn ? 1 : 0);
}

CQvcString TargetListFolder() {
    const std::string key = TargetListKey();
    return CQvcString(platform::RegReadStringWriteBack(Hive::CurrentUser, key.c_str(), "DefaultPath", ""));
}

void WriteTargetListFolder(const CQvcString& folder) {
    const std::string key = TargetListKey();
    platform::RegEnsureKey(Hive::CurrentUser, key.c_str());
    platform::RegSetString(Hive::CurrentUser, key.c_str(), "DefaultPath", folder.c_str());
}
