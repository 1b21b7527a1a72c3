#include "model/checks/CheckTypes.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/HostList.h"
#include "model/scripts/ScriptFiles.h"
#include "model/checks/ServerList.h"
#include "model/tree/SnNode.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

namespace {

constexpr const char* kInternet = "Internet Protocols";
constexpr const char* kWindows = "Windows";
constexpr const char* kScript = "Windows Custom Script";
constexpr const char* kUnix = "Linux / Unix";
constexpr const char* kDatabases = "Databases";
constexpr const char* kEnvironment = "Environment";
constexpr const char* kMiscellaneous = "Miscellaneous";

struct TypeEntry {
    std::int32_t id;
    const char* name;
    const char* category;
    const char* dialog;
};

// Sorted by identifier (checked below) for the binary search.
constexpr TypeEntry kTypes[] = {
    {10, "ICMP Ping", kInternet, "CDialogTypeICMP"},
    {11, "TraceRoute", kInternet, "CDialogTypeTraceRoute"},
    {20, "Disk Space", kWindows, "CDialogTypeDiskSpace"},
    {30, "TCP/IP", kInternet, "CDialogTypeTCP"},
    {31, "POP3 Mailserver", kInternet, "CDialogTypePOP3"},
    {32, "SMTP Mailserver", kInternet, "CDialogTypeSMTP"},
    {33, "HTTP/HTTPs", kInternet, "CDialogTypeTcpHttp"},
    {34, "FTP", kInternet, "CDialogTypeTcpFtp"},
    {35, "RSH (Remote Shell Script)", kUnix, "CDialogTypeRsh"},
    {36, "DNS", kInternet, "CDialogTypeDns"},
    {37, "SNMP GET", kInternet, "CDialogTypeSnmp"},
    {38, "NNTP Newsserver", kInternet, "CDialogTypeTCP"},
    {39, "IMAP Mailserver", kInternet, "CDialogTypeTCP"},
    {40, "NTP Timeserver", kInternet, "CDialogTypeNtp"},
    {41, "Temperature", kEnvironment, "CDialogTypeSensatronics"},
    {42, "SNMP Trap Receive", kInternet, "CDialogTypeSnmpTrapRcv"},
    {43, "SSH (Secure Shell Script)", kUnix, "CDialogTypeSsh"},
    {44, "Citrix - ICA", kWindows, "CDialogTypeTCP"},
    {50, "Service", kWindows, "CDialogTypeService"},
    {60, "File", kWindows, "CDialogTypeFile"},
    {61, "Registry", kWindows, "CDialogTypeRegistry"},
    {70, "Anti-Virus/Internet Security", kWindows, "CDialogTypeServiceProcess"},
    {71, "MS Active Directory", kWindows, "CDialogTypeServiceProcess"},
    {72, "MS Hyper-V Server", kWindows, "CDialogTypeServiceProcess"},
    {73, "MS Exchange Server", kWindows, "CDialogTypeServiceProcess"},
    {74, "MS IIS Server", kWindows, "CDialogTypeServiceProcess"},
    {75, "MS ISA Server", kWindows, "CDialogTypeServiceProcess"},
    {76, "MS SharePoint Server", kWindows, "CDialogTypeServiceProcess"},
    {77, "MS SQL Server", kWindows, "CDialogTypeServiceProcess"},
    {78, "Windows Defender", kWindows, "CDialogTypeServiceProcess"},
    {79, "MS BizTalk", kWindows, "CDialogTypeServiceProcess"},
    {80, "MS Index Server", kWindows, "CDialogTypeServiceProcess"},
    {81, "Citrix - XenApp", kWindows, "CDialogTypeServiceProcess"},
    {90, "Event Log", kWindows, "CDialogTypeEventLog"},
    {100, "VBScript", kScript, "CDialogTypeVBScript1"},
    {110, "ODBC Connectivity", kDatabases, "CDialogTypeOdbc"},
    {111, "Database Query (Generic)", kDatabases, "CDialogTypeAdoSql"},
    {112, "Oracle Connectivity", kDatabases, "CDialogTypeOracle"},
    {120, "MS Terminal Server", kWindows, "CDialogTypeTse"},
    {130, "CPU Usage", kWindows, "CDialogTypeCpu"},
    {140, "Directory", kWindows, "CDialogTypeDirSize"},
    {150, "Disk Drives", kWindows, "CDialogTypeDisks"},
    {170, "Memory Usage", kWindows, "CDialogTypeMemory"},
    {180, "Printer availability", kWindows, "CDialogTypePrinter"},
    {190, "Process", kWindows, "CDialogTypeProcess"},
    {200, "Humidity", kEnvironment, "CDialogTypeSensatronics"},
    {201, "Power Presence", kEnvironment, "CDialogTypeSensatronics"},
    {202, "Light", kEnvironment, "CDialogTypeSensatronics"},
    {203, "Motion", kEnvironment, "CDialogTypeSensatronics"},
    {204, "Smoke", kEnvironment, "CDialogTypeSensatronics"},
    {205, "Door", kEnvironment, "CDialogTypeSensatronics"},
    {206, "Resistance", kEnvironment, "CDialogTypeSensatronics"},
    {207, "Switch (NC)", kEnvironment, "CDialogTypeSensatronics"},
    {208, "Switch (NO)", kEnvironment, "CDialogTypeSensatronics"},
    {210, "Wetness", kEnvironment, "CDialogTypeSensatronics"},
    {220, "Scheduled Task", kWindows, "CDialogTypeSchedTask"},
    {240, "SMTP to POP3", kInternet, "CDialogTypeSmtp2Pop3"},
    {250, "MS Message Queue (MSMQ)", kWindows, "CDialogTypeMsmq"},
    {260, "Serial Device", kMiscellaneous, "CDialogTypeSerialDevice"},
    {270, "TFTP", kInternet, "CDialogTypeTftp"},
    {280, "Remote Command", kScript, "CDialogTypeRCmd"},
    {290, "PowerShell", kScript, "CDialogTypePowShell"},
    {300, "RADIUS", kInternet, "CDialogTypeRadius"},
    {310, "SFTP", kInternet, "CDialogTypeSftp"},
    {320, "Performance Counters", kWindows, "CDialogTypePerfCounter"},
    {330, "Removable Drives", kWindows, "CDialogTypeRemDrv"},
    {340, "SMPP", kInternet, "CDialogTypeSmpp"},
};

constexpr bool TypesAscending() {
    for (std::size_t i = 1; i < std::size(kTypes); ++i) {
        if (kTypes[i - 1].id >= kTypes[i].id)
            return false;
    }
    return true;
}
static_assert(TypesAscending(), "the type table must be sorted by identifier");

const TypeEntry* FindType(std::int32_t type) {
    const auto* last = std::end(kTypes);
    const auto* found = std::lower_bound(std::begin(kTypes), last, type,
                                         [](const TypeEntry& e, std::int32_t key) { return e.id < key; });
    return (found != last && found->id == type) ? found : nullptr;
}

constexpr const char* kUserGroupMembership = "User/group membership";
constexpr const char* kLdap = "LDAP";

// The chooser's (category, name) pairs in the order it lists them.
struct ChooserPair {
    const char* category;
    const char* name;
};
constexpr ChooserPair kChooser[] = {
    {kInternet, "DNS"},
    {kInternet, "FTP"},
    {kInternet, "HTTP/HTTPs"},
    {kInternet, "ICMP Ping"},
    {kInternet, "IMAP Mailserver"},
    {kInternet, kLdap},
    {kInternet, "NNTP Newsserver"},
    {kInternet, "NTP Timeserver"},
    {kInternet, "POP3 Mailserver"},
    {kInternet, "RADIUS"},
    {kInternet, "SFTP"},
    {kInternet, "SMPP"},
    {kInternet, "SMTP Mailserver"},
    {kInternet, "SMTP to POP3"},
    {kInternet, "SNMP GET"},
    {kInternet, "SNMP Trap Receive"},
    {kInternet, "TCP/IP"},
    {kInternet, "TFTP"},
    {kInternet, "TraceRoute"},
    {kWindows, "Anti-Virus/Internet Security"},
    {kWindows, "Citrix - ICA"},
    {kWindows, "Citrix - XenApp"},
    {kWindows, "CPU Usage"},
    {kWindows, "Directory"},
    {kWindows, "Disk Drives"},
    {kWindows, "Disk Space"},
    {kWindows, "Event Log"},
    {kWindows, "File"},
    {kWindows, "Memory Usage"},
    {kWindows, "MS Active Directory"},
    {kWindows, "MS BizTalk"},
    {kWindows, "MS Exchange Server"},
    {kWindows, "MS Hyper-V Server"},
    {kWindows, "MS IIS Server"},
    {kWindows, "MS Index Server"},
    {kWindows, "MS ISA Server"},
    {kWindows, "MS Message Queue (MSMQ)"},
    {kWindows, "MS SharePoint Server"},
    {kWindows, "MS SQL Server"},
    {kWindows, "MS Terminal Server"},
    {kWindows, "Performance Counters"},
    {kWindows, "Printer availability"},
    {kWindows, "Process"},
    {kWindows, "Removable Drives"},
    {kWindows, "Registry"},
    {kWindows, "Scheduled Task"},
    {kWindows, "Service"},
    {kWindows, kUserGroupMembership},
    {kWindows, "Windows Defender"},
    {kScript, "VBScript"},
    {kScript, "PowerShell"},
    {kScript, "Remote Command"},
    {kUnix, "SSH (Secure Shell Script)"},
    {kUnix, "RSH (Remote Shell Script)"},
    {kDatabases, "Database Query (Generic)"},
    {kDatabases, "ODBC Connectivity"},
    {kDatabases, "Oracle Connectivity"},
    {kEnvironment, "Temperature"},
    {kEnvironment, "Humidity"},
    {kEnvironment, "Wetness"},
    {kEnvironment, "Power Presence"},
    {kEnvironment, "Light"},
    {kEnvironment, "Motion"},
    {kEnvironment, "Smoke"},
    {kEnvironment, "Door"},
    {kEnvironment, "Resistance"},
    {kEnvironment, "Switch (NC)"},
    {kEnvironment, "Switch (NO)"},
    {kMiscellaneous, kUserGroupMembership},
    {kMiscellaneous, "Serial Device"},
};

struct EnvironmentEntry {
    std::int32_t id;
    const char* kind;
    const char* limits;
};
constexpr EnvironmentEntry kEnvironmental[] = {
    {41, "Temperature", "50.0|90.0"}, {200, "Humidity", "20.0|85.0"}, {201, "Power", "100.0|140.0"},
    {202, "Light", "0.0|800.0"},      {203, "Motion", "0.0|0.0"},     {204, "Smoke", "0.0|0.0"},
    {205, "Door", "0.0|0.0"},         {206, "Resistance", "0.0|999999.0"}, {207, "SwitchNC", "0.0|0.0"},
    {208, "SwitchNO", "0.0|0.0"},     {210, "Wetness", "0.0|60.0"},
};

const EnvironmentEntry* FindEnvironmental(std::int32_t type) {
    for (const EnvironmentEntry& e : kEnvironmental) {
        if (e.id == type)
            return &e;
    }
    return nullptr;
}

constexpr const char* kEnvironmentalLogDatabase =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\Environmental.mdb";

constexpr std::string_view kStockScripts[] = {
    "AntiVirus.vbs",  "Cpu.vbs",          "Database.vbs",     "DirectoryService.vbs", "Disks.vbs",
    "EventLog.vbs",   "FileSystem.vbs",   "Ip.vbs",           "Memory.vbs",           "Miscellaneous.vbs",
    "MsExchange.vbs", "MsIsaServer.vbs",  "MsQueue.vbs",      "MsSharePoint.vbs",     "MsTerminalServer.vbs",
    "Printer.vbs",    "Process.vbs",      "Serial.vbs",       "Service.vbs",          "Xml.vbs",
};

// The part of a path after its last backslash (all of it without one).
CQvcString FileNamePart(const CQvcString& path) {
    const long slash = path.ReverseFind('\\');
    return slash < 0 ? path : path.Mid(static_cast<std::size_t>(slash) + 1);
}

char FirstChar(const CQvcString& text) { return text.IsEmpty() ? '\0' : text[0]; }

CQvcString StripQuotes(const CQvcString& text) {
    CQvcString out = text;
    out.TrimLeftChar('"');
    out.TrimRightChar('"');
    return out;
}

// The name that a Database Query check gets from its connection string: the data file
// of a "DBQ=" connection, else the whole string; a password in it is cut out.
CQvcString ConnectionStringLabel(const CQvcString& connection) {
    CQvcString upper = connection;
    upper.MakeUpper();
    CQvcString label = connection;
    const long dbq = upper.Find("DBQ=");
    if (dbq > 0)
        label = FileNamePart(connection.Mid(static_cast<std::size_t>(dbq) + 4));
    CQvcString labelUpper = label;
    labelUpper.MakeUpper();
    if (labelUpper.Contains("PWD=") || labelUpper.Contains("PWD =")) {
        label = labelUpper;
        const long pwd = label.Find("PWD");
        const long semicolon = label.Find(';', static_cast<std::size_t>(pwd));
        label = label.Left(static_cast<std::size_t>(pwd)) +
                (semicolon < 0 ? CQvcString() : label.Mid(static_cast<std::size_t>(semicolon) + 1));
    }
    label.TrimRightChar(';');
    return label;
}

} // namespace

// --- names ------------------------------------------------------------------------------

const char* CheckTypeName(std::int32_t type) {
    const TypeEntry* entry = FindType(type);
    return entry ? entry->name : "Unknown";
}

std::int32_t CheckTypeFromName(const CQvcString& text) {
    if (text == kLdap || text == kUserGroupMembership)
        return kTypeVBScript;
    for (const TypeEntry& entry : kTypes) {
        if (text == entry.name)
            return entry.id;
    }
    return kTypeNone;
}

int VBScriptModeFromName(const CQvcString& text) {
    if (text == kLdap)
        return 2;
    if (text == kUserGroupMembership)
        return 1;
    if (text == CheckTypeName(kTypeVBScript))
        return 0;
    return -1;
}

const char* CheckTypeCategory(std::int32_t type) {
    const TypeEntry* entry = FindType(type);
    return entry ? entry->category : "";
}

const char* CheckTypeDialogClass(std::int32_t type) {
    const TypeEntry* entry = FindType(type);
    return entry ? entry->dialog : "";
}

bool IsKnownCheckType(std::int32_t type) { return FindType(type) != nullptr; }

const std::vector<std::int32_t>& AllCheckTypes() {
    static const std::vector<std::int32_t> types = [] {
        std::vector<std::int32_t> ids;
        for (const TypeEntry& entry : kTypes)
            ids.push_back(entry.id);
        return ids;
    }();
    return types;
}

bool IsEnvironmentalType(std::int32_t type) { return FindEnvironmental(type) != nullptr; }

bool IsServerRoleType(std::int32_t type) { return type >= kTypeAntiVirus && type <= kTypeCitrixXenApp; }

CQvcString CheckTypeText(const CSnNodeCfgFunction& function) {
    CQvcString text = CheckTypeName(function.Type);
    if (function.Type == kTypeVBScript)
        text += " - " + function.Param2;
    return text;
}

// --- the type chooser -----------------------------------------------------------------

int CheckTypeCategoryImage(const CQvcString& category) {
    static constexpr struct {
        const char* category;
        int image;
    } kImages[] = {{kDatabases, 6}, {kScript, 3}, {kUnix, 5}, {kInternet, 4}, {kEnvironment, 7}, {kWindows, 8}};
    for (const auto& entry : kImages) {
        if (category == entry.category)
            return entry.image;
    }
    return 1;
}

std::vector<CCheckTypeChooserItem> CheckTypeChooserItems() {
    std::vector<CCheckTypeChooserItem> items;
    items.push_back({1, 0, "<select>", {}});
    std::string_view current;
    for (const ChooserPair& pair : kChooser) {
        if (pair.category != current) {
            current = pair.category;
            items.push_back({CheckTypeCategoryImage(pair.category), 1, CQvcString("[") + pair.category + "]", {}});
        }
        items.push_back({-1, 1, pair.name, {}});
    }
    return items;
}

// --- defaults of a new check -----------------------------------------------------------

const char* EnvironmentalKindName(std::int32_t type) {
    const EnvironmentEntry* entry = FindEnvironmental(type);
    return entry ? entry->kind : "";
}

const char* EnvironmentalDefaultLimits(std::int32_t type) {
    const EnvironmentEntry* entry = FindEnvironmental(type);
    return entry ? entry->limits : "";
}

namespace {

// The types with typed settings take their defaults from them; the host already in the
// record is kept.  False for every other type.
bool RunnableTypeDefaults(CSnNodeCfgFunction& f) {
    const CQvcString host = f.ParamServer;
    switch (f.Type) {
    case kTypeIcmpPing:
        IcmpSettings{}.Write(f);
        break;
    case kTypeTcpIp:
    case kTypeNntp:
    case kTypeImap:
    case kTypeCitrixIca:
        TcpSettings::ForType(f.Type).Write(f);
        break;
    case kTypeHttp:
        HttpSettings{}.Write(f);
        break;
    case kTypeDns:
        DnsSettings{}.Write(f);
        break;
    case kTypeDiskSpace:
        DiskSpaceSettings{}.Write(f);
        break;
    case kTypeFile:
        FileSettings{}.Write(f);
        break;
    case kTypeDirectory:
        DirectorySettings{}.Write(f);
        break;
    case kTypeProcess:
        ProcessSettings{}.Write(f);
        break;
    case kTypeCpuUsage:
        CpuSettings{}.Write(f);
        break;
    case kTypeMemoryUsage:
        MemorySettings{}.Write(f);
        break;
    default:
        return false;
    }
    f.ParamServer = host;
    return true;
}

} // namespace

int CheckTypeDefaults(CSnNodeCfgFunction* function) {
    if (function == nullptr)
        return -1;
    CSnNodeCfgFunction& f = *function;
    if (const EnvironmentEntry* env = FindEnvironmental(f.Type)) {
        f.ParamByteCodes = "xxxxx00";
        f.Param1 = "0";
        f.Param3 = env->limits;
        f.Param4 = "127.0.0.1:80";
        f.Param5.Edit().FormatGrow("0||%s||%s||%s||%s", kEnvironmentalLogDatabase, env->kind,
                            (CQvcString("<SNROOT>Logs\\") + env->kind + ".txt").c_str(), "");
        return 0;
    }
    if (IsServerRoleType(f.Type)) {
        f.ParamByteCodes = "0";
        return 0;
    }
    if (RunnableTypeDefaults(f))
        return 0;
    switch (f.Type) {
    case kTypeTraceRoute:
        f.ParamByteCodes = "101";
        f.Param1 = "30";
        f.Param3 = "500";
        break;
    case kTypePop3:
        f.ParamOption = 1;
        f.ParamByteCodes = "xx0";
        f.Param1 = "110";
        break;
    case kTypeSmtp:
        f.ParamByteCodes = "xx01";
        f.Param1 = "25";
        f.Param3 = "250";
        break;
    case kTypeFtp:
        f.ParamByteCodes = "101000";
        break;
    case kTypeRsh:
        f.ParamByteCodes = "010";
        f.Param1 = "514";
        f.Param5 = "30000";
        break;
    case kTypeSnmpGet:
        f.ParamByteCodes = "000";
        f.Param1 = "public";
        f.Param4 = "1||1";
        f.Param5 = "0";
        f.Param6 = "161";
        break;
    case kTypeSnmpTrapReceive:
        f.ParamByteCodes = "0100";
        f.Param2 = "*";
        f.Param4 = "1||0";
        f.Param5 = "0";
        f.Param6 = "||*";
        break;
    case kTypeSsh:
        f.ParamLogin = "root";
        f.ParamByteCodes = "0110";
        f.Param1 = "22";
        f.Param3 = "~/<myscript>.sh";
        f.Param4 = "30000";
        break;
    case kTypeService:
        f.ParamByteCodes = "0";
        break;
    case kTypeRegistry:
        f.ParamByteCodes = "000";
        f.Param4 = "1||1";
        break;
    case kTypeEventLog:
        f.ParamByteCodes = "001111100";
        f.Param1 = "Application";
        f.Param2 = "*";
        f.Param3 = "*";
        f.Param4 = "*";
        f.Param5 = "*";
        f.Param7 = "60";
        break;
    case kTypeVBScript:
        f.ScriptTimeout = 900;
        f.ParamByteCodes = "10";
        f.Param1 = kVbScriptDirectory;
        break;
    case kTypeDatabaseQuery:
        f.ParamByteCodes = "x00";
        f.Param5 = "1||0";
        f.Param6 = "0";
        break;
    case kTypeTerminalServer:
        f.ParamByteCodes = "100";
        f.Param1 = "2";
        f.Param2 = "0";
        f.Param3 = "0";
        f.Param4 = "7000";
        break;
    case kTypeScheduledTask:
        f.ParamByteCodes = "0";
        f.Param3 = "Finished";
        f.Param5 = "Result: The task completed with an exit code of (0).";
        break;
    case kTypeSmtpToPop3:
        f.ParamByteCodes = "0101";
        f.Param1 = "||Quorvane SMTP to POP3 Message";
        f.Param3 = "1||5||10";
        f.Param5 = "110";
        break;
    case kTypeMsmq:
        f.ParamByteCodes = "0";
        f.Param2 = "5";
        f.Param3 = "2";
        break;
    case kTypeSerialDevice:
        f.ParamByteCodes = "11";
        f.Param1 = "0";
        f.Param2 = "9600";
        f.Param3 = "AT";
        f.Param4 = "OK";
        f.Param5 = "8000";
        break;
    case kTypeTftp:
        f.ParamByteCodes = "xx1x00";
        break;
    case kTypeRemoteCommand:
        f.ParamByteCodes = "x10";
        f.Param5 = "30000";
        break;
    case kTypePowerShell:
        f.ScriptTimeout = 60;
        f.ParamByteCodes = "110";
        f.Param1 = kPowerShellDirectory;
        break;
    case kTypeSftp:
        f.ParamLogin = "root";
        f.ParamByteCodes = "01000";
        f.Param1 = "22";
        f.Param3 = "30000";
        break;
    case kTypeRemovableDrives:
        f.ParamByteCodes = "110";
        break;
    case kTypeSmpp:
        f.ParamByteCodes = "0";
        f.Param1 = "2775";
        f.Param2 = "SMPP";
        break;
    default:
        // NTP, ODBC, Oracle, Disk Drives, Printer, RADIUS and Performance Counters start
        // with every field empty; unknown types are left alone.
        break;
    }
    return 0;
}

// --- proposed display name --------------------------------------------------------------

bool IsStockScript(const CQvcString& path) {
    CQvcString name = FileNamePart(path);
    name.MakeLower();
    name.Trim();
    for (std::string_view stock : kStockScripts) {
        if (name.EqualsNoCase(stock))
            return true;
    }
    return false;
}

CQvcString CheckDescription(const CSnNode& node, const CQvcString& probeName, bool multipleHosts) {
    const CSnNodeCfgFunction& f = node.Cfg.Function;
    const CQvcString host = multipleHosts ? CQvcString(kHostsPlaceholder) : HostDisplayForm(f.ParamServer);
    const CQvcString type = CheckTypeText(f);

    if (IsEnvironmentalType(f.Type))
        return probeName.IsEmpty() ? host : host + " / " + probeName;
    if (IsServerRoleType(f.Type))
        return host + " - " + f.Param1;

    switch (f.Type) {
    case kTypeDirectory:
        return host + " - Directory " + f.Param1;
    case kTypeCpuUsage:
        return host + " - " + type + (FirstChar(f.ParamByteCodes) == '0' ? CQvcString(" (all CPU's)")
                                                                          : " (CPU" + f.Param2 + ")");
    case kTypeDiskSpace:
        return host + " - " + type + " of Drive '" + f.Param2 + "'";
    case kTypeFile:
        return host + " - File " + FileNamePart(f.Param1);
    case kTypeRegistry:
        return host + " - Registry";
    case kTypeFtp:
        return host + " - FTP";
    case kTypeTftp:
        return host + " - TFTP";
    case kTypeSftp:
        return host + " - SFTP";
    case kTypeRadius:
        return host + " - RADIUS";
    case kTypeHttp:
        return host + (f.Param2.IsEmpty() ? CQvcString(" - HTTP(s)") : f.Param1 + " - HTTP(s)");
    case kTypeProcess:
        if (f.ParamByteCodes.Length() >= 3 && f.ParamByteCodes[2] == '1')
            return host + " - Any process consuming too much memory";
        return host + " - " + type + " '" + f.Param1 + "'";
    case kTypeSerialDevice:
        return f.ParamServer + " - " + type;
    case kTypeMsmq:
    case kTypeService:
    case kTypePerformanceCounters:
        return host + " - " + type + " '" + f.Param1 + "'";
    case kTypeScheduledTask:
        return host + " - " + type + " '" + f.Param2 + "'";
    case kTypePrinter:
        return host + " - Printer'" + f.Param1 + " '";
    case kTypeRemovableDrives: {
        CQvcString target = host;
        if (FirstChar(f.ParamByteCodes) == '0') {
            CServerList computers;
            computers.Parse(f.Param1);
            if (computers.IsEmpty())
                target = "Unknown host";
            else if (computers.Count() == 1)
                target = computers[0].Host();
            else
                target = computers[0].Host() + ",...";
        }
        return target + " - " + type;
    }
    case kTypeSnmpGet:
        return host + " - SNMP Get( '" + f.Param2 + "' ) ";
    case kTypeSnmpTrapReceive: {
        const bool anyHost = f.ParamServer.IsEmpty() || f.ParamServer == "*";
        const bool anyOid = f.Param2.IsEmpty() || f.Param2 == "*";
        return CQvcString("Receive SNMP Trap from ") + (anyHost ? CQvcString("any host") : host) + ", " +
               (anyOid ? CQvcString("any OID") : "OID '" + f.Param2 + "'");
    }
    case kTypeTcpIp:
        return host + " - " + type + " port " + f.Param1;
    case kTypeSmtpToPop3:
        return f.Param1.Token("||", 0) + " - " + type;
    case kTypeOdbc:
    case kTypeOracle:
        return f.Param1 + " - " + type;
    case kTypeDatabaseQuery:
        return ConnectionStringLabel(f.Param1) + " - " + type;
    case kTypePowerShell: {
        CQvcString text = host.IsEmpty() ? CQvcString() : host + " - ";
        return text + FileNamePart(f.Param1.Token("||", 0)) + " " + type + " script";
    }
    case kTypeVBScript: {
        CQvcString name = node.Cfg.Name;
        name.Trim();
        if (!name.IsEmpty())
            return node.Cfg.Name;
        const CQvcString function = f.Param2 + "(...)";
        if (!IsStockScript(f.Param1))
            return function;
        if (!FileNamePart(f.Param1).Trim().EqualsNoCase("xml.vbs") && !f.Param3.IsEmpty())
            return StripQuotes(f.Param3) + " - " + function;
        return (host.IsEmpty() ? CQvcString() : host + " - ") + function;
    }
    default:
        return host + " - " + type;
    }
}
