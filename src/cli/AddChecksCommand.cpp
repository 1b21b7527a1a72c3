#include "cli/AddChecksCommand.h"

#include "cli/CliConfiguration.h"
#include "cli/CliOptions.h"
#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/HostList.h"
#include "model/store/SnCfg.h"
#include "model/checks/SnCheckCreator.h"
#include "model/tree/SnNode.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr const char* kCommand = "add-checks";
constexpr const char* kUsageText =
    "usage: sentrelle add-checks --type NAME --folder ID --hosts LIST [--name PATTERN] [--root DIR]\n";
constexpr unsigned kMsgInvalidAddress = 61553; // "Invalid IP address: '%s'."
constexpr unsigned kMsgPlaceholder = 61552;    // "Placeholder '%s' is required in the Display Name ..."

// A type's display name or number; 0 when it names no check type.
std::int32_t ResolveType(const std::string& text) {
    if (std::int32_t type = CheckTypeFromName(CQvcString(text)))
        return type;
    if (!text.empty() && CQvcString(text).IsDigits()) {
        const long number = std::atol(text.c_str());
        if (IsKnownCheckType(static_cast<std::int32_t>(number)))
            return static_cast<std::int32_t>(number);
    }
    return 0;
}

CQvcString Filled(unsigned message, const CQvcString& value) {
    return CQvcString().FormatGrow(MessageText(message), value.c_str());
}

} // namespace

bool CAddChecksCommand::ExpandHosts(const CQvcString& text, CServerList& hosts, CQvcString& error) {
    hosts.Clear();
    error.Empty();
    CServerList entries;
    entries.Parse(text);
    for (const CServerListItem& entry : entries) {
        const CQvcString& host = entry.Host();
        const long dash = host.Find('-');
        const CQvcString from = dash > 0 ? host.Left(static_cast<std::size_t>(dash)).Trim() : CQvcString();
        // A host name may hold "-" too: only an address before it makes a range.
        if (dash <= 0 || !IsValidIPv4Address(from)) {
            hosts.Append(entry);
            continue;
        }
        const CQvcString to = host.Mid(static_cast<std::size_t>(dash) + 1).Trim();
        std::vector<CQvcString> addresses;
        CQvcString bad;
        if (int code = ExpandIPRange(from, to, addresses, &bad)) {
            error = code == static_cast<int>(kMsgInvalidAddress) ? Filled(kMsgInvalidAddress, bad)
                                                                 : CQvcString(MessageText(static_cast<unsigned>(code)));
            return false;
        }
        if (addresses.empty()) {
            error = CQvcString("The IP range '") + host + "' holds no address.";
            return false;
        }
        for (const CQvcString& address : addresses)
            hosts.Append(address);
    }
    if (hosts.IsEmpty()) {
        error = "No host given.";
        return false;
    }
    return true;
}

int CAddChecksCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CCliOptions options;
    std::string problem;
    if (!options.Parse(args, {"type", "folder", "hosts", "name", "root"}, problem) ||
        !options.Positionals().empty() || !options.Has("type") || !options.Has("folder") || !options.Has("hosts")) {
        err << "sentrelle " << kCommand << ": " << (problem.empty() ? "missing or extra arguments" : problem)
            << "\n"
            << kUsageText;
        return kUsage;
    }
    const std::int32_t type = ResolveType(options.Value("type"));
    if (type == 0) {
        err << "sentrelle " << kCommand << ": unknown check type '" << options.Value("type")
            << "' (give a type's display name, such as \"ICMP Ping\", or its number)\n";
        return kUsage;
    }
    const CQvcString folderText(options.Value("folder"));
    if (folderText.IsEmpty() || !folderText.IsDigits()) {
        err << "sentrelle " << kCommand << ": invalid folder ID '" << folderText.Str() << "'\n";
        return kUsage;
    }
    CServerList hosts;
    CQvcString error;
    if (!ExpandHosts(CQvcString(options.Value("hosts")), hosts, error)) {
        err << "sentrelle " << kCommand << ": " << error.Str() << "\n";
        return kUsage;
    }
    const bool several = hosts.Count() > 1;
    const CQvcString pattern(options.Value("name"));
    if (options.Has("name") && several && pattern.Find(kHostsPlaceholder) < 0) {
        err << "sentrelle " << kCommand << ": " << Filled(kMsgPlaceholder, kHostsPlaceholder).Str() << "\n";
        return kUsage;
    }

    CSnCfg store("CLI");
    CSnNode* root = nullptr;
    if (!LoadConfiguration(store, options.Value("root"), root, kCommand, err))
        return kFailure;
    const long folderId = std::atol(folderText.c_str());
    CSnNode* folder = CSnCfg::FindNode(root, folderId);
    if (folder == nullptr || !folder->IsFolder()) {
        err << "sentrelle " << kCommand << ": " << folderId
            << (folder ? " is a check, not a folder" : " names no folder of the configuration") << "\n";
        return kFailure;
    }

    CSnCheckCreator creator(store);
    // The limits first, so that a refused creation reserves no record.
    if (creator.CheckLimits(root, hosts.Count(), error) != 0) {
        err << "sentrelle " << kCommand << ": " << error.Str() << "\n";
        return kFailure;
    }
    CSnNode* check = nullptr;
    if (long code = creator.NewCheck(check)) {
        err << "sentrelle " << kCommand << ": cannot create a check: " << ErrorText(code).Str() << "\n";
        return kFailure;
    }
    creator.SetType(*check, type);
    check->Cfg.Function.ParamServer = hosts[0].Host();
    check->Cfg.Name = options.Has("name") ? pattern : CheckDescription(*check, CQvcString(), several);
    const CSnCheckCreator::Result result = creator.Create(root, folder, check, hosts);
    if (!result.Ok()) {
        err << "sentrelle " << kCommand << ": " << result.Message.Str() << "\n";
        return kFailure;
    }
    out << "Created " << result.Created.size() << " check" << (result.Created.size() == 1 ? "" : "s")
        << " in folder " << folder->Id() << " (" << folder->Cfg.Name.Str() << "):\n";
    for (const CSnNode* node : result.Created)
        out << "  " << node->Id() << " | " << node->Cfg.Name.Str() << " | " << node->Cfg.Function.ParamServer.Str()
            << "\n";
    return kSuccess;
}
