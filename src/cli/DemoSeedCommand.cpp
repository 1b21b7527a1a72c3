#include "cli/DemoSeedCommand.h"

#include "library/ErrorTexts.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/TargetSelection.h"
#include "model/console/ManagerPreferences.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/settings/SnStatsLimits.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// The demo's widths of the check list's Display Name, Folder and Data columns (list width
// units): short names, longer folder paths and result data.
constexpr long kDemoNameWidth = 160;
constexpr long kDemoFolderWidth = 100;
constexpr long kDemoDataWidth = 90;

constexpr const char* kUsageText =
    "usage: sentrelle demo-seed --tcp-port N --http-port N [--smtp-port N] [--snmp-port N]\n"
    "                          [--ssh-port N --ssh-key FILE]\n";
// With an SNMP agent: the check that asks it for its uptime (sysUpTime.0, above 0 ticks).
constexpr const char* kSnmpCheck = "Demo SNMP agent";
constexpr const char* kSnmpCommunity = "demo";
constexpr const char* kUptimeOid = "1.3.6.1.2.1.1.3.0";
// With a mail server: the check that alerts by e-mail, and to whom.
constexpr const char* kAlertingCheck = "Demo TCP listener";
constexpr const char* kDemoRecipient = "operator@demo.test";
// The demo keeps history at the shortest periods the engine takes.
constexpr std::uint32_t kDemoLogFrequencySecs = 10;
constexpr const char* kGraphChecks[] = {"Loopback ping", "Demo web server"};

struct DemoCheck {
    const char* folder;
    const char* name;
    std::int32_t type;
    std::int32_t interval;
    const char* server;
    const char* param1;
    const char* param2;
    const char* byteCodes; // null keeps the type's defaults
    bool onHold = false;
    bool scheduled = false;
};

// A scan schedule for weekdays at 06:00 local time: "e0111110;<time>;0".
CQvcString WeekdayMorning() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    tm.tm_hour = 6;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    CQvcString text;
    return text.Format("e0111110;%ld;0", static_cast<long>(std::mktime(&tm)));
}

int Port(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return end != nullptr && *end == '\0' && value >= 1 && value <= 65535 ? static_cast<int>(value) : 0;
}

// The demo's mail server for alerts (every run: its port may have changed), and e-mail
// to the demo's operator when the alerting check fails and when it recovers (once).
long SetUpMail(CSnCfg& store, CSnNode* root, int smtpPort) {
    CSnSmtpSettings smtp;
    if (const long code = smtp.Read(store); code != 0)
        return code;
    smtp.Server1 = "127.0.0.1";
    smtp.Port1 = smtpPort;
    smtp.Secure1 = false;
    smtp.AuthRequired1 = false;
    smtp.SenderAddress1 = "sentrelle@demo.test";
    if (const long code = smtp.Write(store); code != 0)
        return code;
    CSnNode* check = CSnCfg::FindNodeByName(root, kAlertingCheck);
    if (check == nullptr || check->Cfg.Action.Notify[kChannelEmail * 2].Enabled != 0)
        return 0;
    for (int entry : {kChannelEmail * 2, kChannelEmail * 2 + 1}) {
        CSnNodeCfgActionNotification& notify = check->Cfg.Action.Notify.Edit(entry);
        notify.Enabled = 1;
        notify.Recipients = kDemoRecipient;
    }
    return store.WriteNode(check, true, true);
}

// History for the Manager's history and graph views within minutes: every result of a
// check running at least every 10 s is kept, and two checks keep graph samples.
long SetUpHistory(CSnCfg& store, CSnNode* root) {
    CSnStatsLimits limits;
    limits.Read();
    if (limits.RpLogFrequencySecs != kDemoLogFrequencySecs || limits.GrLogFrequencySecs != kDemoLogFrequencySecs) {
        limits.RpLogFrequencySecs = limits.GrLogFrequencySecs = kDemoLogFrequencySecs;
        if (const long code = limits.Write(); code != 0)
            return code;
    }
    for (const char* name : kGraphChecks) {
        CSnNode* check = CSnCfg::FindNodeByName(root, name);
        if (check == nullptr || check->Cfg.GraphEnabled != 0)
            continue;
        check->Cfg.GraphEnabled = 1;
        if (const long code = store.WriteNode(check, true, true); code != 0)
            return code;
    }
    return 0;
}

// The SNMP GET settings of the demo's agent check.
void SetUpSnmpCheck(CSnNodeCfgFunction& function, int port) {
    SnmpGetSettings s = SnmpGetSettings::Read(function);
    s.Host = "127.0.0.1";
    s.Port = port;
    s.Community = kSnmpCommunity;
    s.Oid = kUptimeOid;
    s.DataType = 9; // TimeTicks
    s.Operator1 = 5; // Greater Than
    // GCC 12 at -O3 wrongly sees an overlapping copy in the assignment of a one-character
    // literal to a std::string (GCC bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    s.Value1 = "0";
#pragma GCC diagnostic pop
    s.Write(function);
}

} // namespace

int CDemoSeedCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    int tcpPort = 0, httpPort = 0, smtpPort = -1, snmpPort = -1, sshPort = -1;
    std::string sshKey;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--tcp-port")
            tcpPort = Port(args[i + 1]);
        else if (args[i] == "--http-port")
            httpPort = Port(args[i + 1]);
        else if (args[i] == "--smtp-port")
            smtpPort = Port(args[i + 1]);
        else if (args[i] == "--snmp-port")
            snmpPort = Port(args[i + 1]);
        else if (args[i] == "--ssh-port")
            sshPort = Port(args[i + 1]);
        else if (args[i] == "--ssh-key")
            sshKey = args[i + 1];
    }
    const std::size_t expected =
        4u + (smtpPort < 0 ? 0u : 2u) + (snmpPort < 0 ? 0u : 2u) + (sshPort < 0 ? 0u : 4u);
    if (args.size() != expected || tcpPort == 0 || httpPort == 0 || smtpPort == 0 || snmpPort == 0 ||
        sshPort == 0 || (sshPort > 0) == sshKey.empty()) {
        err << kUsageText;
        return kUsage;
    }

    CSnCfg store("CLI");
    CSnNode* root = nullptr;
    long code = store.Open(true, true);
    if (code == 0)
        code = store.LoadAllNodes(root);
    if (code != 0) {
        err << "sentrelle demo-seed: " << ErrorText(code).Str() << "\n";
        store.FreeTree(root);
        return kFailure;
    }
    // A demo made before the SNMP agent gets its check; one made after keeps it, on the
    // agent's port of this run.
    CSnNode* snmpCheck = snmpPort > 0 ? CSnCfg::FindNodeByName(root, kSnmpCheck) : nullptr;
    if (snmpCheck != nullptr && snmpCheck->Cfg.Function.Param6.Str() != std::to_string(snmpPort)) {
        SetUpSnmpCheck(snmpCheck->Cfg.Function, snmpPort);
        code = store.WriteNode(snmpCheck, true, true);
    }
    const bool addSnmp = snmpPort > 0 && snmpCheck == nullptr;
    const bool seeded = CSnCfg::CountChecks(root) > 0;
    if (seeded && !addSnmp) {
        out << "The configuration already holds checks; nothing added.\n";
        if (code == 0 && smtpPort > 0)
            code = SetUpMail(store, root, smtpPort);
        if (code == 0)
            code = SetUpHistory(store, root);
        store.FreeTree(root);
        if (code != 0)
            err << "sentrelle demo-seed: " << ErrorText(code).Str() << "\n";
        return code == 0 ? kSuccess : kFailure;
    }

    const std::string tcp = std::to_string(tcpPort);
    const std::string web = "127.0.0.1:" + std::to_string(httpPort);
    const std::string ssh = std::to_string(sshPort);
    std::vector<DemoCheck> checks = {
        {"Network", "Loopback ping", kTypeIcmpPing, 30, "127.0.0.1", nullptr, nullptr, nullptr},
        {"Network", "Loopback ping (IPv6)", kTypeIcmpPing, 60, "::1", nullptr, nullptr, nullptr},
        {"Network", "Demo TCP listener", kTypeTcpIp, 20, "127.0.0.1", tcp.c_str(), nullptr, "00"},
        {"Network", "Closed port 9", kTypeTcpIp, 45, "127.0.0.1", "9", nullptr, "00"},
        {"Network", "Morning ping", kTypeIcmpPing, 0, "127.0.0.1", nullptr, nullptr, nullptr, false, true},
        {"Web", "Demo web server", kTypeHttp, 15, web.c_str(), "/", nullptr, "0x0x000"},
        {"Web", "Missing page", kTypeHttp, 60, web.c_str(), "/no-such-page.html", nullptr, "0x0x000"},
        {"Web", "Closed web port", kTypeHttp, 120, "127.0.0.1:1", "/", nullptr, "0x0x000"},
        {"This computer", "Root file system used", kTypeDiskSpace, 300, "localhost", "95", "/", "0U2"},
        {"This computer", "Root file system free", kTypeDiskSpace, 3600, "localhost", "1", "/", "1F1"},
        {"This computer", "Engine process", kTypeProcess, 30, "localhost", "sentrelle-engine", nullptr, "0000"},
        {"This computer", "Demo web server process", kTypeProcess, 60, "localhost", "python3", nullptr, "0000"},
        {"This computer", "No telnet daemon", kTypeProcess, 7200, "localhost", "telnetd", nullptr, "1000"},
        {"This computer", "Paused disk check", kTypeDiskSpace, 600, "localhost", "99", "/tmp", "0U2", true},
    };
    // With an SSH server: logs on with the key, accepts the new host key, runs uptime.
    if (sshPort > 0)
        checks.push_back({"Network", "Demo SSH server", kTypeSsh, 60, "127.0.0.1", ssh.c_str(), sshKey.c_str(), "1110"});
    if (seeded)
        checks.clear();
    if (addSnmp)
        checks.push_back({"Network", kSnmpCheck, kTypeSnmpGet, 30, "127.0.0.1", nullptr, nullptr, nullptr});

    // Every folder and check and the tree change are stored together, or nothing is.
    CSnTreeText::Tree* stored = nullptr;
    auto folderNamed = [&](const char* name) -> CSnNode* {
        if (CSnNode* found = CSnCfg::FindNodeByName(root, name); found != nullptr && found->IsFolder())
            return found;
        CSnNode* folder = nullptr;
        if ((code = store.NewFolderRecord(folder)) != 0)
            return nullptr;
        folder->Cfg.Name = name;
        folder->Cfg.Function.Type = kTypeFolder;
        if ((code = store.WriteNode(folder, false, false)) != 0)
            return nullptr;
        if (!stored->Append(root->Id(), folder->Id())) {
            code = CSnTreeText::kInvalidTree;
            return nullptr;
        }
        CSnCfg::AppendChild(root, folder);
        return folder;
    };

    int added = 0;
    auto addAll = [&](CSnTreeText::Tree& tree) -> long {
        stored = &tree;
        for (const DemoCheck& c : checks) {
            CSnNode* folder = folderNamed(c.folder);
            if (folder == nullptr)
                break;
            CSnNode* check = store.NewNodeObject();
            if ((code = store.InsertNode(check, nullptr, 0)) != 0)
                break;
            check->Cfg.Name = c.name;
            check->Cfg.Function.Type = c.type;
            CheckTypeDefaults(&check->Cfg.Function);
            long interval = 0, threshold = 1;
            store.DefaultScanFrequency(c.type, interval, threshold);
            check->Cfg.ScanFrequency.Interval = c.interval > 0 ? c.interval : static_cast<std::int32_t>(interval);
            check->Cfg.ScanFrequency.ErrorThreshold = static_cast<std::int32_t>(threshold);
            if (c.scheduled) {
                check->Cfg.ScanFrequency.Mode = 1;
                check->Cfg.ScanFrequency.Schedule.SetText(WeekdayMorning());
            }
            check->Cfg.Action.Uncertain.UseGlobal = 1;
            check->Cfg.OnHold = c.onHold ? 1 : 0;
            check->Cfg.Function.ParamServer = c.server;
            if (c.param1 != nullptr)
                check->Cfg.Function.Param1 = c.param1;
            if (c.param2 != nullptr)
                check->Cfg.Function.Param2 = c.param2;
            if (c.byteCodes != nullptr)
                check->Cfg.Function.ParamByteCodes = c.byteCodes;
            if (c.type == kTypeSnmpGet)
                SetUpSnmpCheck(check->Cfg.Function, snmpPort);
            if (c.type == kTypeSsh) {
                SshSettings s = SshSettings::Read(check->Cfg.Function);
                const passwd* me = ::getpwuid(::geteuid());
                s.Account = me != nullptr ? me->pw_name : "root";
                s.Command = "uptime";
                s.Write(check->Cfg.Function);
            }
            if ((code = store.WriteNode(check, false, false)) != 0)
                break;
            if (!tree.Append(folder->Id(), check->Id())) {
                code = CSnTreeText::kInvalidTree;
                break;
            }
            CSnCfg::AppendChild(folder, check);
            ++added;
        }
        return code;
    };
    code = store.EditTree(addAll);
    if (code == 0 && smtpPort > 0)
        code = SetUpMail(store, root, smtpPort);
    if (code == 0)
        code = SetUpHistory(store, root);
    store.FreeTree(root);
    if (code != 0) {
        err << "sentrelle demo-seed: " << ErrorText(code).Str() << "\n";
        return kFailure;
    }
    // The demo's target-selection dialog starts on a loopback range, so that a scan from
    // the demo never reaches another computer.
    TargetSelectionSettings range = TargetSelectionSettings::Read();
    range.IPFrom = "127.0.0.1";
    range.IPTo = "127.0.0.20";
    range.WriteIPRange();
    if (seeded) {
        out << "Added " << added << " demo checks.\n";
        return kSuccess;
    }
    // The demo's names are short, its folder paths and result data longer than the list's
    // defaults: the Manager of the demo opens with columns that fit them, which leaves
    // room for the responses.
    prefs::WriteLong("Manager", "column00", kDemoNameWidth);
    prefs::WriteLong("Manager", "column05", kDemoFolderWidth);
    prefs::WriteLong("Manager", "column08", kDemoDataWidth);
    out << "Added " << added << " demo checks.\n";
    return kSuccess;
}
