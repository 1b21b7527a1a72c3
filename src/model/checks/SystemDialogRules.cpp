// The checks on OK of the system-family type dialogs (Windows-based types, Remote
// Command), declared in TypeDialogRules.h.
#include "model/checks/CheckSettings.h"
#include "model/checks/TypeDialogRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

namespace {

constexpr unsigned kBadUnit = 61515;
constexpr unsigned kBadPercentage = 61516;
constexpr unsigned kServerRequired = 51518;
constexpr unsigned kLogFileRequired = 51519;
constexpr unsigned kBlankMatch = 51520;
constexpr unsigned kCriteriaRequired = 51521;
constexpr unsigned kBadEventId = 51522;
constexpr unsigned kFileNotUnc = 51523;
constexpr unsigned kComputerRequired = 51528;
constexpr unsigned kAllFieldsRequired = 51541;
constexpr unsigned kDirectoryNotUnc = 51648;
constexpr unsigned kRootKeyRequired = 51728;
constexpr unsigned kSubKeyRequired = 51729;
constexpr unsigned kRegistryDataRequired = 51730;
constexpr unsigned kDirectorySizeNegative = 51755;
constexpr unsigned kFileCountNegative = 51756;
constexpr unsigned kNothingSelected = 61696;
constexpr const char* kLimitNegative = "Disk Space must be greater or equal to 0.";
constexpr const char* kValueNotAboveZero = "Value must be greater than 0.";

bool Blank(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

DialogRefusal When(bool refused, DialogRefusal refusal) {
    return refused ? refusal : DialogRefusal{};
}

DialogRefusal First(std::initializer_list<DialogRefusal> refusals) {
    for (const DialogRefusal& r : refusals)
        if (r.Refused())
            return r;
    return {};
}

// "Bad value for <what>. Valid range is from <lowest> to <highest>." outside the range.
DialogRefusal Range(double value, long lowest, long highest, const char* what, int field) {
    if (value >= static_cast<double>(lowest) && value <= static_cast<double>(highest))
        return {};
    DialogRefusal r{0, {}, field};
    r.Text.FormatGrow("Bad value for %s. Valid range is from %ld to %ld.", what, lowest, highest);
    return r;
}

// A computer the dialog requires: 51528 when blank, then the shared host check.
DialogRefusal RequiredComputer(const std::string& host, unsigned requiredId, const HostCheckLimits& limits,
                               int field) {
    if (Blank(host))
        return DialogRefusal::Numbered(requiredId).At(field);
    return CheckHostField(host, limits).At(field);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

bool IsUncOrLocalPath(const std::string& path) {
    if (path.starts_with("/") || StartsWithNoCase(path, "<SNROOT>"))
        return true;
    if (!path.starts_with("\\\\"))
        return false;
    const std::size_t shareAt = path.find('\\', 2);
    if (shareAt == std::string::npos || shareAt == 2)
        return false;
    const std::size_t shareEnd = std::min(path.find('\\', shareAt + 1), path.size());
    return shareEnd > shareAt + 1;
}

std::string UncServer(const std::string& path) {
    if (!IsUncOrLocalPath(path) || !path.starts_with("\\\\"))
        return {};
    return path.substr(2, path.find('\\', 2) - 2);
}

const std::vector<const char*>& DiskSpaceUnits() {
    static const std::vector<const char*> units{"MB", "GB", "%"};
    return units;
}

DialogRefusal CheckDiskSpaceFields(const DiskSpaceSettings& f, const std::string& unitText,
                                   const HostCheckLimits& limits) {
    const bool percent = unitText == "%";
    return First({
        CheckHostField(f.Computer, limits).At(kDiskHost),
        When(f.Limit < 0 || std::isnan(f.Limit), DialogRefusal::Plain(kLimitNegative).At(kDiskLimit)),
        When(percent && f.Limit > 100, DialogRefusal::Numbered(kBadPercentage).At(kDiskLimit)),
        When(std::none_of(DiskSpaceUnits().begin(), DiskSpaceUnits().end(),
                          [&unitText](const char* unit) { return unitText == unit; }),
             DialogRefusal::Numbered(kBadUnit).At(kDiskUnit)),
    });
}

DialogRefusal CheckFileFields(const FileSettings& f, bool limitGiven) {
    using Rule = FileSettings::Condition;
    const bool needsLimit = f.Rule == Rule::MaxSize || f.Rule == Rule::ChangedWithin;
    return First({
        When(!IsUncOrLocalPath(f.Path), DialogRefusal::Numbered(kFileNotUnc).At(kFilePath)),
        When(f.Rule == Rule::Contains && Blank(f.Text), DialogRefusal::Numbered(kBlankMatch).At(kFileText)),
        When(needsLimit && !limitGiven, DialogRefusal::Numbered(kAllFieldsRequired).At(kFileLimit)),
    });
}

DialogRefusal CheckDirectoryFields(const DirectorySettings& f, bool limitGiven) {
    using Rule = DirectorySettings::Condition;
    const int limitField = f.Rule == Rule::MaxFiles ? kDirFiles : kDirSize;
    return First({
        When(!IsUncOrLocalPath(f.Path), DialogRefusal::Numbered(kDirectoryNotUnc).At(kDirPath)),
        When(f.Rule != Rule::Exists && !limitGiven,
             DialogRefusal::Numbered(kAllFieldsRequired).At(limitField)),
        When(f.Rule == Rule::MaxSize && f.SizeLimit < 0,
             DialogRefusal::Numbered(kDirectorySizeNegative).At(kDirSize)),
        When(f.Rule == Rule::MaxFiles && f.MaxFiles < 0,
             DialogRefusal::Numbered(kFileCountNegative).At(kDirFiles)),
    });
}

DialogRefusal CheckCpuFields(const CpuSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredComputer(f.Computer, kComputerRequired, limits, kCpuHost),
        Range(f.MaxPercent, 1, 100, "Max. CPU Usage", kCpuMax),
        f.OneCpu ? Range(f.Cpu, 0, 1023, "This CPU", kCpuNumber) : DialogRefusal{},
    });
}

DialogRefusal CheckMemoryFields(const MemorySettings& f, const HostCheckLimits& limits) {
    return First({
        CheckHostField(f.Computer, limits).At(kMemoryHost),
        f.PagesPerSecond ? Range(f.Limit, 1, 1000000, "Maximum allowed Pages/Second", kMemoryLimit)
                         : Range(f.Limit, 1, 100, "Maximum allowed Committed Memory", kMemoryLimit),
    });
}

DialogRefusal CheckDiskDrivesFields(const DiskDrivesSettings& f, const HostCheckLimits& limits) {
    return First({RequiredComputer(f.Computer, kComputerRequired, limits, 0)});
}

DialogRefusal CheckServiceFields(const ServiceSettings& f, const HostCheckLimits& limits) {
    return First({CheckHostField(f.Computer, limits).At(0)});
}

DialogRefusal CheckRemoteCommandFields(const RemoteCommandSettings& f, const HostCheckLimits& limits) {
    return First({
        CheckHostField(f.Host, limits).At(kRCmdHost),
        When(f.TimeoutMs < 1 || f.TimeoutMs > 3600000, DialogRefusal::Plain(kBadTimeoutMs).At(kRCmdTimeout)),
    });
}

const std::vector<const char*>& RegistryRootKeys() {
    static const std::vector<const char*> keys{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                               "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
    return keys;
}

DialogRefusal CheckRegistryFields(const RegistrySettings& f, const HostCheckLimits& limits) {
    const DialogRefusal dataRequired = DialogRefusal::Numbered(kRegistryDataRequired);
    return First({
        RequiredComputer(f.Computer, kComputerRequired, limits, kRegComputer),
        When(Blank(f.RootKey), DialogRefusal::Numbered(kRootKeyRequired).At(kRegRootKey)),
        When(Blank(f.SubKey), DialogRefusal::Numbered(kSubKeyRequired).At(kRegSubKey)),
        When(!f.DetectChange && Blank(f.Data1), DialogRefusal(dataRequired).At(kRegData1)),
        When(!f.DetectChange && f.UseSecond && Blank(f.Data2), DialogRefusal(dataRequired).At(kRegData2)),
    });
}

DialogRefusal CheckServerRoleFields(const ServerRoleSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredComputer(f.Computer, kComputerRequired, limits, kRoleComputer),
        When(f.Services.empty() && f.Processes.empty() && f.Counters.empty(),
             DialogRefusal::Numbered(kNothingSelected).At(kRoleLists)),
    });
}

DialogRefusal CheckEventLogFields(const EventLogSettings& f, const HostCheckLimits& limits) {
    const bool anyId = f.Id == "*";
    const long id = FieldNumber(f.Id);
    return First({
        RequiredComputer(f.Computer, kServerRequired, limits, kEventComputer),
        When(Blank(f.Log), DialogRefusal::Numbered(kLogFileRequired).At(kEventLog)),
        When(Blank(f.Source) || Blank(f.Category) || Blank(f.Id) || Blank(f.User),
             DialogRefusal::Numbered(kCriteriaRequired).At(kEventCriteria)),
        When(!anyId && id <= 0, DialogRefusal::Numbered(kBadEventId).At(kEventId)),
        Range(f.LastMinutes, 1, 525600, "Only Events from the last", kEventMinutes),
    });
}

DialogRefusal CheckTerminalServerFields(const TerminalServerSettings& f, const HostCheckLimits& limits) {
    const DialogRefusal notAboveZero = DialogRefusal::Plain(kValueNotAboveZero);
    return First({
        CheckHostField(f.Computer, limits).At(kTseHost),
        When(f.CheckActive && f.MaxActive <= 0, DialogRefusal(notAboveZero).At(kTseActive)),
        When(f.CheckInactive && f.MaxInactive <= 0, DialogRefusal(notAboveZero).At(kTseInactive)),
        When(f.CheckTotal && f.MaxTotal <= 0, DialogRefusal(notAboveZero).At(kTseTotal)),
    });
}
