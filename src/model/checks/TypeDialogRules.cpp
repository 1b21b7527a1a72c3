#include "model/checks/TypeDialogRules.h"

#include "library/Messages.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/HostList.h"
#include "model/checks/ServerList.h"
#include "model/notify/AddressRules.h"
#include "model/scripts/ScriptFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

constexpr unsigned kHostRequired = 51512;
constexpr unsigned kManyHostsWhenEditing = 61556;
constexpr unsigned kOperatorRequired = 51590;
constexpr unsigned kAgentRequired = 51591;
constexpr unsigned kCommunityRequired = 51592;
constexpr unsigned kOidInvalid = 51593;
constexpr unsigned kValueRequired = 51594;
constexpr unsigned kDataTypeRequired = 51595;
constexpr unsigned kTimeserverRequired = 51600;
constexpr unsigned kRemoteHostRequired = 51526;
constexpr unsigned kHopsRequired = 51752;
constexpr unsigned kHostNamesNeedResolve = 51753;
constexpr unsigned kBadHop = 51754;
constexpr unsigned kAnyTypeNeedsEqual = 59504;
constexpr unsigned kSshDirectory = 59511;
constexpr unsigned kTrapReceiverOff = 59525;
constexpr unsigned kValueConflictsType = 61514;
// Numbers whose words the message table does not hold: the dialogs' own texts.
constexpr const char* kOidInvalidText =
    "A valid SNMP OID is required (numbers separated by dots, for instance 1.3.6.1.2.1.1.3.0).";
constexpr const char* kTrapReceiverOffText =
    "The SNMP Trap Receiver is not enabled. Checks of this type see no traps until it is enabled: select "
    "'Options' from the 'Tools' menu and enable the SNMP Trap Receiver.";
constexpr unsigned kBadSnmpPort = 61446;

// A range check: refusal `text` unless lowest <= value <= highest.
DialogRefusal Range(long value, long lowest, long highest, const char* text, int field) {
    return value < lowest || value > highest ? DialogRefusal::Plain(text).At(field) : DialogRefusal{};
}

// The first refusal of a list made in the order of a dialog's checks.
DialogRefusal First(std::initializer_list<DialogRefusal> refusals) {
    for (const DialogRefusal& r : refusals)
        if (r.Refused())
            return r;
    return {};
}

bool Blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

// A host field that must be filled: `requiredId` when blank, else the shared host check.
DialogRefusal RequiredHost(const std::string& host, unsigned requiredId, const HostCheckLimits& limits,
                           int field) {
    if (Blank(host))
        return DialogRefusal::Numbered(requiredId).At(field);
    return CheckHostField(host, limits).At(field);
}

DialogRefusal When(bool refused, DialogRefusal refusal) {
    return refused ? refusal : DialogRefusal{};
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits `text` at `separator`, keeping empty parts.
std::vector<std::string_view> Parts(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool IsIpv4(std::string_view text) {
    const auto parts = Parts(text, '.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](std::string_view p) {
               return AllDigits(p) && p.size() <= 3 && std::stoi(std::string(p)) <= 255;
           });
}

bool IsIpv6(std::string_view text) {
    const std::size_t gap = text.find("::");
    if (gap != std::string_view::npos && text.find("::", gap + 1) != std::string_view::npos)
        return false;
    std::size_t groups = 0;
    for (std::string_view half :
         {text.substr(0, gap == std::string_view::npos ? text.size() : gap),
          gap == std::string_view::npos ? std::string_view() : text.substr(gap + 2)}) {
        if (half.empty())
            continue;
        for (std::string_view group : Parts(half, ':')) {
            if (group.empty() || group.size() > 4 || !std::all_of(group.begin(), group.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                }))
                return false;
            ++groups;
        }
    }
    return gap == std::string_view::npos ? groups == 8 : groups < 8;
}

std::string Trim(const std::string& text) {
    CQvcString copy = text;
    return copy.Trim().Str();
}

DialogRefusal ValueConflict(int type, const std::string& value, int field) {
    if (ValueFitsSnmpType(type, value))
        return {};
    DialogRefusal r{kValueConflictsType, {}, field};
    r.Text.FormatGrow(MessageText(kValueConflictsType), value.c_str(), DialogTextOf(SnmpDataTypes(), type));
    return r;
}

bool KnownOperator(int code) {
    return code >= 1 && code <= 6;
}

// 51512 for an empty (or blank) host.
DialogRefusal HostRequired(const std::string& host, int field) {
    return Blank(host) ? DialogRefusal::Numbered(kHostRequired).At(field) : DialogRefusal{};
}

// A "Field required" refusal when `text` is blank.
DialogRefusal Required(const std::string& text, const char* message, int field) {
    return Blank(text) ? DialogRefusal::Plain(message).At(field) : DialogRefusal{};
}

} // namespace

DialogRefusal DialogRefusal::Numbered(unsigned id) {
    return {id, MessageText(id), -1};
}

DialogRefusal DialogRefusal::Numbered(unsigned id, int value) {
    DialogRefusal r{id, {}, -1};
    r.Text.FormatGrow(MessageText(id), value);
    return r;
}

DialogRefusal DialogRefusal::Numbered(unsigned id, const CQvcString& value) {
    DialogRefusal r{id, {}, -1};
    r.Text.FormatGrow(MessageText(id), value.c_str());
    return r;
}

DialogRefusal CheckHostField(const CQvcString& hostText, const HostCheckLimits& limits) {
    CServerList hosts;
    const int count = hosts.Parse(hostText);
    if (count == 0)
        return {};
    if (count >= 2 && !limits.Creating)
        return DialogRefusal::Numbered(kManyHostsWhenEditing);
    const int code =
        CheckTargetLimits(count, static_cast<int>(limits.ExistingChecks), limits.MaxCreate, limits.MaxTotal);
    if (code != 0)
        return DialogRefusal::Numbered(static_cast<unsigned>(code),
                                       code == 61692 ? limits.MaxCreate : limits.MaxTotal);
    return {};
}

DialogRefusal CheckIcmpFields(const IcmpSettings& f, const HostCheckLimits& limits) {
    CQvcString host = f.Host;
    if (host.Trim().IsEmpty())
        return DialogRefusal::Numbered(kHostRequired).At(kIcmpHost);
    for (const DialogRefusal& r : {
             CheckHostField(f.Host, limits).At(kIcmpHost),
             Range(f.TimeoutMs, 1, 10000, "Bad TimeOut value for TimeOut. Valid range is from 1 to 10000.",
                   kIcmpTimeout),
             Range(f.Count, 1, 8, "Bad number of Echo Requests. Valid range is from 1 to 8.", kIcmpRetries),
             Range(f.Ttl, 1, 255, "Bad value for TTL. Valid range is from 1 to 255.", kIcmpTtl),
             Range(f.PayloadBytes, 0, 8191, "Bad value for Buffer Size. Valid range is from 0 to 8191.",
                   kIcmpBuffer),
         })
        if (r.Refused())
            return r;
    return {};
}

IcmpSettings IcmpSampleData() {
    IcmpSettings s;
    s.Host = "127.0.0.1";
    s.TimeoutMs = 500;
    s.Count = 3;
    s.Ttl = 255;
    s.PayloadBytes = 32;
    return s;
}

// --- the network family -------------------------------------------------------------------

bool IsDnsName(const std::string& name) {
    std::string_view text = name;
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1);
    if (text.empty() || text.size() > 253)
        return false;
    for (std::string_view label : Parts(text, '.')) {
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label)
            if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-' && c != '_')
                return false;
    }
    return true;
}

DialogRefusal CheckDnsFields(const DnsSettings& f, const HostCheckLimits& limits) {
    const std::string name = Trim(f.Name);
    return First({
        RequiredHost(f.Server, kHostRequired, limits, kDnsHost),
        When(name.empty(), DialogRefusal::Plain("Name is required.").At(kDnsName)),
        When(!name.empty() && !IsDnsName(name), DialogRefusal::Plain("Not a valid name.").At(kDnsName)),
    });
}

DnsSettings DnsSampleData() {
    DnsSettings s;
    s.Server = "127.0.0.1";
    s.Name = "localhost";
    s.ExpectedText = "127.0.0.1";
    return s;
}

bool IsOid(const std::string& text) {
    std::string_view oid = text;
    if (!oid.empty() && oid.front() == '.')
        oid.remove_prefix(1);
    const auto parts = Parts(oid, '.');
    return parts.size() >= 2 && std::all_of(parts.begin(), parts.end(), [](std::string_view p) {
               return AllDigits(p) && p.size() <= 10;
           });
}

bool ValueFitsSnmpType(int type, const std::string& value) {
    const std::string text = Trim(value);
    switch (type) {
    case 3:  // counter
    case 9:  // time ticks
    case 10: // unsigned integer
        return AllDigits(text);
    case 4: // integer
        return AllDigits(!text.empty() && (text[0] == '-' || text[0] == '+') ? text.substr(1) : text);
    case 5:
        return IsIpv4(text);
    case 6:
        return IsOid(text);
    default:
        return true;
    }
}

DialogRefusal CheckSnmpGetFields(const SnmpGetSettings& f, const HostCheckLimits& limits) {
    const bool second = f.UseSecond;
    return First({
        RequiredHost(f.Host, kAgentRequired, limits, kSnmpHost),
        When(Blank(f.Community), DialogRefusal::Numbered(kCommunityRequired).At(kSnmpCommunity)),
        When(!IsOid(Trim(f.Oid)), DialogRefusal{kOidInvalid, kOidInvalidText, -1}.At(kSnmpOid)),
        When(f.DataType < 1 || f.DataType > 11, DialogRefusal::Numbered(kDataTypeRequired).At(kSnmpDataType)),
        When(!KnownOperator(f.Operator1), DialogRefusal::Numbered(kOperatorRequired).At(kSnmpOperator1)),
        When(second && !KnownOperator(f.Operator2),
             DialogRefusal::Numbered(kOperatorRequired).At(kSnmpOperator2)),
        When(Blank(f.Value1), DialogRefusal::Numbered(kValueRequired).At(kSnmpValue1)),
        When(second && Blank(f.Value2), DialogRefusal::Numbered(kValueRequired).At(kSnmpValue2)),
        ValueConflict(f.DataType, f.Value1, kSnmpValue1),
        second ? ValueConflict(f.DataType, f.Value2, kSnmpValue2) : DialogRefusal{},
        When(f.Port < 1 || f.Port > 65535, DialogRefusal::Numbered(kBadSnmpPort).At(kSnmpPort)),
    });
}

SnmpGetSettings SnmpGetSampleData() {
    SnmpGetSettings s;
    s.Host = "127.0.0.1";
    s.Oid = "1.3.6.1.2.1.1.3.0";
    s.OidAsEntered = ".1.3.6.1.2.1.1.3.0";
    s.Note = "sysUpTime";
    s.DataType = 9;
    s.Operator1 = 5; // Greater Than
    s.Value1 = "0";
    return s;
}

DialogRefusal CheckSnmpTrapFields(const SnmpTrapSettings& f) {
    const bool value = f.MatchValue;
    const auto oidRefused = [](const std::string& oid) {
        const std::string text = Trim(oid);
        return !text.empty() && text != "*" && !IsOid(text);
    };
    return First({
        When(value && f.DataType == 0 && f.Operator != 1,
             DialogRefusal::Numbered(kAnyTypeNeedsEqual).At(kTrapOperator)),
        When(value && !KnownOperator(f.Operator),
             DialogRefusal::Numbered(kOperatorRequired).At(kTrapOperator)),
        When(value && Blank(f.Value), DialogRefusal::Numbered(kValueRequired).At(kTrapValue)),
        When(value && (f.DataType < 0 || f.DataType > 11),
             DialogRefusal::Numbered(kDataTypeRequired).At(kTrapDataType)),
        When(oidRefused(f.Oid), DialogRefusal{kOidInvalid, kOidInvalidText, -1}.At(kTrapOid)),
        When(value && oidRefused(f.VariableOid),
             DialogRefusal{kOidInvalid, kOidInvalidText, -1}.At(kTrapVariableOid)),
        value ? ValueConflict(f.DataType, f.Value, kTrapValue) : DialogRefusal{},
    });
}

DialogRefusal SnmpTrapReceiverOff() {
    return {kTrapReceiverOff, kTrapReceiverOffText, -1};
}

DialogRefusal CheckNtpFields(const NtpSettings& f, const HostCheckLimits& limits) {
    return RequiredHost(f.Host, kTimeserverRequired, limits, 0);
}

DialogRefusal CheckSshFields(const SshSettings& f, const HostCheckLimits& limits,
                             const std::function<bool(const std::string&)>& fileExists) {
    const std::string key = Trim(f.KeyFile);
    return First({
        RequiredHost(f.Host, kRemoteHostRequired, limits, kSshHost),
        When(f.UseKey && key.empty(), DialogRefusal::Plain("Private Key File is required.").At(kSshKeyFile)),
        When(f.UseKey && !key.empty() && !fileExists(key),
             DialogRefusal::Plain("Private Key File does not exist.").At(kSshKeyFile)),
        When(f.CopyScript && !IsInSshScriptDirectory(f.LocalScript),
             DialogRefusal::Numbered(kSshDirectory, CQvcString(kSshScriptDirectory)).At(kSshLocalScript)),
        Range(f.Port, 1, 65535, kBadPort, kSshPort),
        Range(f.TimeoutMs, 1, 3600 * 1000, kBadTimeoutMs, kSshTimeout),
    });
}

SshSettings SshSampleData() {
    SshSettings s;
    s.Host = "127.0.0.1";
    s.Command = "df -h /";
    s.TimeoutMs = 10000;
    return s;
}

RshSettings RshSampleData() {
    RshSettings s;
    s.Host = "127.0.0.1";
    s.User = "root";
    s.Command = "uptime";
    s.TimeoutMs = 10000;
    return s;
}

SnmpTrapSettings SnmpTrapSampleData() {
    SnmpTrapSettings s;
    s.Host = "*";
    s.Oid = "1.3.6.1.6.3.1.1.5.3";
    s.OidSubtree = false;
    s.Community = "public";
    s.ErrorWhenReceived = true;
    return s;
}

DialogRefusal CheckRshFields(const RshSettings& f, const HostCheckLimits& limits) {
    return First({
        CheckHostField(f.Host, limits).At(kRshHost),
        Range(f.TimeoutMs, 1, 3600 * 1000, kBadTimeoutMs, kRshTimeout),
    });
}

bool IsIpAddress(const std::string& text) {
    return IsIpv4(text) || IsIpv6(text);
}

DialogRefusal CheckTraceRouteFields(const TraceRouteSettings& f, const HostCheckLimits& limits) {
    const std::vector<std::string> hops = f.HopList();
    DialogRefusal hopRefusal;
    if (f.Rule != TraceRouteSettings::HopRule::None) {
        if (hops.empty())
            hopRefusal = DialogRefusal::Numbered(kHopsRequired);
        for (const std::string& hop : hops) {
            if (IsIpAddress(hop))
                continue;
            hopRefusal = IsDnsName(hop) && !f.Resolve ? DialogRefusal::Numbered(kHostNamesNeedResolve)
                         : IsDnsName(hop)             ? DialogRefusal{}
                                                      : DialogRefusal::Numbered(kBadHop, CQvcString(hop));
            if (hopRefusal.Refused())
                break;
        }
    }
    return First({
        RequiredHost(f.Host, kHostRequired, limits, kTraceHost),
        hopRefusal.At(kTraceHops),
        Range(f.MaxHops, 1, 255, "Bad value for Max. Hops. Valid range is from 1 to 255.", kTraceMaxHops),
        Range(f.MaxHopMs, 1, 3600 * 1000,
              "Bad value for Maximum response time of a hop. Valid range is from 1 to 3600000.", kTraceHopTime),
    });
}

DialogRefusal CheckRadiusFields(const RadiusSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredHost(f.Host, kHostRequired, limits, kRadiusHost),
        Range(f.Port, 1, 65535, kBadPort, kRadiusPort),
        Range(f.TimeoutMs, 1, 3600 * 1000, kBadTimeoutMs, kRadiusTimeout),
    });
}

DialogRefusal CheckSmppFields(const SmppSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredHost(f.Host, kHostRequired, limits, kSmppHost),
        Range(f.Port, 1, 65535, kBadPort, kSmppPort),
    });
}

DialogRefusal CheckTcpFields(const TcpSettings& f, const HostCheckLimits& limits) {
    return First({
        HostRequired(f.Host, kTcpHost),
        f.ExpectResponse && Blank(f.Expect) ? DialogRefusal::Numbered(51530).At(kTcpExpect) : DialogRefusal{},
        CheckHostField(f.Host, limits).At(kTcpHost),
        Range(f.Port, 1, 65535, kBadPort, kTcpPort),
        Range(f.TimeoutMs, 1, 3600 * 1000, kBadTimeoutMs, kTcpTimeout),
    });
}

std::optional<TcpSettings> TcpSampleData(int type) {
    if (type == kTypeCitrixIca)
        return std::nullopt;
    TcpSettings s = TcpSettings::ForType(type);
    s.Host = "127.0.0.1";
    if (type == kTypeTcpIp) {
        s.SendText = true;
        s.Send = "HEAD / HTTP/1.0\r\n\r\n";
        s.ExpectResponse = true;
        s.Expect = "HTTP/1.";
    }
    s.TimeoutMs = 5000;
    return s;
}

DialogRefusal CheckHttpFields(const HttpSettings& f, const HostCheckLimits& limits) {
    return First({
        Blank(f.HostPort) ? DialogRefusal::Numbered(51532).At(kHttpUrl) : DialogRefusal{},
        CheckHostField(f.HostPort, limits).At(kHttpUrl),
        Range(f.TimeoutSecs, 1, 3600, "Bad value for Time-out. Valid range is from 1 to 3600.", kHttpTimeout),
    });
}

std::string TypedUrl(const HttpSettings& s) {
    std::string url = (s.Https ? "https://" : "") + s.HostPort;
    if (!s.Path.empty() && s.Path.front() != '/' && s.Path.front() != '?')
        url += '/';
    return url + s.Path;
}

HttpSettings HttpSampleData() {
    HttpSettings s;
    s.HostPort = "127.0.0.1";
    s.Path = "/";
    s.StatusRule = "200-399";
    return s;
}

DialogRefusal CheckSmtpFields(const SmtpSettings& f, const HostCheckLimits& limits) {
    return First({
        HostRequired(f.Host, kSmtpHost),
        CheckHostField(f.Host, limits).At(kSmtpHost),
        f.Authenticate && Blank(f.Login) ? DialogRefusal::Numbered(50003).At(kSmtpAuthentication)
                                         : DialogRefusal{},
        Blank(f.Pattern) ? DialogRefusal::Numbered(51530).At(kSmtpPattern) : DialogRefusal{},
        Range(f.Port, 1, 65535, kBadPort, kSmtpPort),
    });
}

DialogRefusal CheckPop3Fields(const Pop3Settings& f, const HostCheckLimits& limits) {
    return First({
        HostRequired(f.Host, kPop3Host),
        CheckHostField(f.Host, limits).At(kPop3Host),
        Range(f.Port, 1, 65535, kBadPort, kPop3Port),
    });
}

DialogRefusal CheckFtpFields(const FtpSettings& f, const HostCheckLimits& limits) {
    const DialogRefusal none;
    return First({
        HostRequired(f.Host, kFtpHost),
        CheckHostField(f.Host, limits).At(kFtpHost),
        f.Anonymous ? none
                    : Required(f.Login,
                               "Field required: Account. Select the 'Anonymous' box to use anonymous access.",
                               kFtpAccount),
        f.CheckFile ? Required(f.Directory, "Field required: Directory", kFtpDirectory) : none,
        f.CheckFile ? Required(f.File, "Field required: File", kFtpFile) : none,
        f.CheckFile && f.CheckPattern ? Required(f.Pattern, "Field required: Pattern", kFtpPattern) : none,
    });
}

DialogRefusal CheckTftpFields(const TftpSettings& f, const HostCheckLimits& limits) {
    return First({HostRequired(f.Host, 0), CheckHostField(f.Host, limits).At(0)});
}

DialogRefusal CheckSftpFields(const SftpSettings& f, const HostCheckLimits& limits) {
    return First({
        HostRequired(f.Host, kSftpHost),
        CheckHostField(f.Host, limits).At(kSftpHost),
        Range(f.Port, 1, 65535, kBadPort, kSftpPort),
        Range(f.TimeoutMs, 1, 3600 * 1000, kBadTimeoutMs, kSftpTimeout),
    });
}

bool IsServerName(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || std::strchr(".-_:[]", c) != nullptr;
    });
}

DialogRefusal CheckSmtp2Pop3Fields(const Smtp2Pop3Settings& f) {
    const DialogRefusal none;
    return First({
        IsValidEmailAddress(f.Recipient) ? none : DialogRefusal::Numbered(2200).At(kS2pRecipient),
        Blank(f.Subject) ? DialogRefusal::Numbered(50354).At(kS2pSubject) : none,
        Required(f.SmtpServer,
                 "You must configure an SMTP server. Please press the 'Configure SMTP Server' button.",
                 kS2pSmtpServer),
        IsServerName(f.Pop3Server)
            ? none
            : DialogRefusal::Plain("POP3 Server: Invalid hostname.").At(kS2pPop3Server),
        f.Pop3Port < 1 || f.Pop3Port > 65535 ? DialogRefusal::Numbered(59513).At(kS2pPop3Port) : none,
        Required(f.Pop3Login, "Invalid POP3 Account.", kS2pPop3Account),
        f.CheckMinutes < 1 || f.CheckMinutes > 5 ? DialogRefusal::Numbered(61504).At(kS2pCheckMinutes) : none,
        f.ErrorMinutes < 2 || f.ErrorMinutes > 30 ? DialogRefusal::Numbered(61505).At(kS2pErrorMinutes)
                                                  : none,
        f.MailCount < 1 ? DialogRefusal::Numbered(61510).At(kS2pMailCount) : none,
    });
}

// --- code tables ----------------------------------------------------------------------------

const std::vector<CodeTableEntry>& ComparisonOperators() {
    static const std::vector<CodeTableEntry> table{
        {1, "Equal To"},         {2, "Not Equal To"}, {3, "Less Than"},
        {4, "Less or Equal To"}, {5, "Greater Than"}, {6, "Greater or Equal To"},
    };
    return table;
}

const std::vector<CodeTableEntry>& SnmpDataTypes() {
    static const std::vector<CodeTableEntry> table{
        {1, "(null)  (ASN_NULL)"},
        {2, "Bit stream  (ASN_BITS)"},
        {3, "Counter  (ASN_COUNTER32, ASN_COUNTER64)"},
        {4, "Integer  (ASN_INTEGER, ASN_INTEGER32)"},
        {5, "IP Address  (ASN_IPADDRESS)"},
        {6, "Object Identifier  (ASN_OBJECTIDENTIFIER)"},
        {7, "Opaque string  (ASN_OPAQUE)"},
        {8, "String  (ASN_OCTETSTRING)"},
        {9, "TimeTicks  (ASN_TIMETICKS)"},
        {10, "Unsigned integer  (ASN_GAUGE32, ASN_UNSIGNED32)"},
        {11, "Sequence  (ASN_SEQUENCE, ASN_SEQUENCEOF)"},
    };
    return table;
}

int DialogCodeOf(const std::vector<CodeTableEntry>& table, const CQvcString& text) {
    for (const CodeTableEntry& entry : table)
        if (text == entry.Text)
            return entry.Code;
    return 0;
}

const char* DialogTextOf(const std::vector<CodeTableEntry>& table, int code) {
    for (const CodeTableEntry& entry : table)
        if (entry.Code == code)
            return entry.Text;
    return "";
}

const char* SnmpProtocolName(int code) {
    return code == 1 ? "SNMP v1" : "SNMP v2c";
}

// --- credentials ----------------------------------------------------------------------------

bool NeedsCredentialsQuestion(bool useCredentials, const CQvcString& server,
                              const CSnCfgServerCredentials& list) {
    CQvcString name = server;
    return useCredentials && !name.Trim().IsEmpty() && list.Find(name) == nullptr;
}

DialogRefusal CheckCredentialsEntry(const CSnCfgServerCredentials::Entry& entry, const CQvcString& confirm) {
    CQvcString server = entry.Server;
    if (server.Trim().IsEmpty())
        return DialogRefusal::Plain("Server is required.");
    // The stored list separates its parts with ";;" and its entries with "||".
    for (const CQvcString* part : {&entry.Server, &entry.Login, &entry.Password})
        if (part->Contains(";;") || part->Contains("||"))
            return DialogRefusal::Plain("Server, login and password must not contain \";;\" or \"||\".");
    if (entry.Password != confirm)
        return DialogRefusal::Plain("The two passwords do not match.");
    return {};
}

void PutCredentials(CSnCfgServerCredentials& list, CSnCfgServerCredentials::Entry entry) {
    entry.Server.Trim();
    for (CSnCfgServerCredentials::Entry& e : list.Entries)
        if (e.Server.EqualsNoCase(entry.Server)) {
            e = std::move(entry);
            return;
        }
    list.Entries.push_back(std::move(entry));
}

// --- field-writing helpers ----------------------------------------------------------------

CQvcString NumberText(long value) {
    return CQvcString(value);
}

long FieldNumber(const CQvcString& text, long invalid) {
    CQvcString digits = text;
    digits.Trim();
    if (digits.IsEmpty() || digits.Length() > 9 || !digits.IsDigits())
        return invalid;
    return std::stol(digits.Str());
}

CQvcString OptionCodes(std::initializer_list<bool> flags) {
    CQvcString codes;
    for (bool flag : flags)
        codes += flag ? '1' : '0';
    return codes;
}

void SetOptionCode(CQvcString& codes, std::size_t position, char code) {
    std::string text = codes.Str();
    if (text.size() <= position)
        text.resize(position + 1, 'x');
    text[position] = code;
    codes = text;
}

CQvcString JoinPair(const CQvcString& first, const CQvcString& second) {
    return first + "||" + second;
}

std::pair<CQvcString, CQvcString> SplitPair(const CQvcString& text) {
    const long at = text.Find("||");
    if (at < 0)
        return {text, {}};
    return {text.Left(static_cast<std::size_t>(at)), text.Mid(static_cast<std::size_t>(at) + 2)};
}

// --- the Windows, serial and environmental dialogs ---------------------------------------

namespace {

constexpr unsigned kAllFieldsRequired = 51541;
constexpr unsigned kComputerRequired = 51528;
constexpr unsigned kProcessRequired = 61694;
constexpr unsigned kNotUnc = 51523;
constexpr unsigned kJobRequired = 50355;
constexpr unsigned kKeywordRequired = 50356;
constexpr unsigned kDateFormatRequired = 50357;
constexpr unsigned kBlankPattern = 51520;
constexpr unsigned kQueueRequired = 61511;
constexpr unsigned kQueueMessages = 61512;
constexpr unsigned kQueueSize = 61513;
constexpr unsigned kResponseRequired = 61521;
constexpr unsigned kTimeoutNotPositive = 61522;
constexpr unsigned kCounterRequired = 61699;
constexpr unsigned kNoComputer = 51720;
constexpr unsigned kNoDomain = 51721;
constexpr unsigned kNoDrive = 51722;
constexpr unsigned kSensorHostRequired = 51687;
constexpr unsigned kProbeRequired = 51662;
constexpr const char* kBadTemperatures =
    "At least one of the temperatures are not valid. Please enter valid temperatures.";

DialogRefusal NumberedWhen(bool refused, unsigned id, int field) {
    return refused ? DialogRefusal::Numbered(id).At(field) : DialogRefusal{};
}

// A number as typed: optional sign, digits with one "." or ",".
std::optional<double> Decimal(const std::string& text) {
    std::string value = Trim(text);
    std::replace(value.begin(), value.end(), ',', '.');
    if (value.empty() || value.find_first_not_of("+-.0123456789") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    return end == value.c_str() + value.size() ? std::optional<double>(number) : std::nullopt;
}

} // namespace

DialogRefusal CheckPrinterFields(const PrinterSettings& f, const HostCheckLimits& limits) {
    return First({
        NumberedWhen(Blank(f.Server), kAllFieldsRequired, kPrinterServer),
        NumberedWhen(Blank(f.Printer), kAllFieldsRequired, kPrinterName),
        CheckHostField(f.Server, limits).At(kPrinterServer),
    });
}

DialogRefusal CheckProcessFields(const ProcessSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredHost(f.Computer, kComputerRequired, limits, kProcessComputer),
        NumberedWhen(!f.AnyProcessMemory && Blank(f.Name), kProcessRequired, kProcessName),
        When((f.CheckMemory || f.AnyProcessMemory) && f.MemoryLimitMB <= 0,
             DialogRefusal::Plain(kBadMemoryLimit).At(kProcessMemory)),
        When(!f.AnyProcessMemory && f.CheckCpu && (f.CpuLimit < 1 || f.CpuLimit > 100),
             DialogRefusal::Plain(kBadCpuLimit).At(kProcessCpu)),
    });
}

bool IsNetworkOrLocalPath(const std::string& path) {
    const std::string p = Trim(path);
    if (p.rfind("/", 0) == 0 || p.rfind("<SNROOT>", 0) == 0)
        return true;
    if (p.rfind("\\\\", 0) != 0)
        return false;
    // server, share and what lies in it, none empty
    const auto parts = Parts(std::string_view(p).substr(2), '\\');
    return parts.size() >= 3 && !parts[0].empty() && !parts[1].empty() && !parts[2].empty();
}

std::string PathServer(const std::string& path) {
    const std::string p = Trim(path);
    if (p.rfind("\\\\", 0) != 0)
        return {};
    return p.substr(2, p.find('\\', 2) == std::string::npos ? std::string::npos : p.find('\\', 2) - 2);
}

DialogRefusal CheckScheduledTaskFields(const ScheduledTaskSettings& f) {
    return First({
        NumberedWhen(!IsNetworkOrLocalPath(f.LogFile), kNotUnc, kTaskLogFile),
        NumberedWhen(Blank(f.Job), kJobRequired, kTaskJob),
        NumberedWhen(Blank(f.Keyword), kKeywordRequired, kTaskKeyword),
        NumberedWhen(Blank(f.DateFormat), kDateFormatRequired, kTaskDateFormat),
        NumberedWhen(Blank(f.Pattern), kBlankPattern, kTaskPattern),
    });
}

DialogRefusal CheckMsmqFields(const MsmqSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredHost(f.Computer, kComputerRequired, limits, kMsmqComputer),
        NumberedWhen(Blank(f.Queue), kQueueRequired, kMsmqQueue),
        NumberedWhen(f.MaxMessages <= 0, kQueueMessages, kMsmqMessages),
        NumberedWhen(f.MaxSizeMB <= 0, kQueueSize, kMsmqSize),
    });
}

DialogRefusal CheckSerialDeviceFields(const SerialDeviceSettings& f) {
    return First({
        NumberedWhen(f.ExpectResponse && Blank(f.Expect), kResponseRequired, kSerialResponse),
        NumberedWhen(f.TimeoutMs <= 0, kTimeoutNotPositive, kSerialTimeout),
    });
}

const std::vector<int>& SerialBaudRates() {
    static const std::vector<int> rates{300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return rates;
}

DialogRefusal CheckPerfCounterFields(const PerfCounterSettings& f, const HostCheckLimits& limits) {
    return First({
        RequiredHost(f.Computer, kComputerRequired, limits, kPerfComputer),
        NumberedWhen(f.Counters.empty(), kCounterRequired, kPerfCounters),
    });
}

DialogRefusal CheckPerfCounterEntry(const std::string& path, int op, const std::string& limit) {
    return First({
        NumberedWhen(Blank(path), kCounterRequired, 0),
        NumberedWhen(!KnownOperator(op), kOperatorRequired, 1),
        NumberedWhen(!Decimal(limit), kValueRequired, 2),
    });
}

DialogRefusal CheckRemovableDrivesFields(const RemovableDrivesSettings& f) {
    return First({
        NumberedWhen(!f.WholeDomain && Blank(f.Computers), kNoComputer, kRemDrvComputers),
        NumberedWhen(f.WholeDomain && Blank(f.Domain), kNoDomain, kRemDrvDomain),
        NumberedWhen(f.ExcludeDrives && Blank(f.Drives), kNoDrive, kRemDrvDrives),
    });
}

DialogRefusal CheckEnvironmentalFields(const EnvironmentalSettings& f, const HostCheckLimits& limits) {
    const std::optional<double> low = Decimal(f.Low);
    const std::optional<double> high = Decimal(f.High);
    return First({
        RequiredHost(f.Device, kSensorHostRequired, limits, kSensorHost),
        NumberedWhen(f.Probe <= 0, kProbeRequired, kSensorProbe),
        When(!low || !high || *low > *high, DialogRefusal::Plain(kBadTemperatures).At(kSensorLow)),
    });
}

const std::vector<CodeTableEntry>& TemperatureUnits() {
    // "Celcius" is spelled as the dialog has always shown it.
    static const std::vector<CodeTableEntry> units{
        {0, "Fahrenheit"}, {1, "Celcius"}, {2, "Kelvin"}, {3, "Rankine"}};
    return units;
}
bool StoredPathInside(const std::string& stored, const std::string& directory) {
    std::string path = Trim(stored);
    std::string dir = directory;
    for (std::string* text : {&path, &dir}) {
        std::replace(text->begin(), text->end(), '\\', '/');
        std::transform(text->begin(), text->end(), text->begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    if (path.size() <= dir.size() || path.compare(0, dir.size(), dir) != 0)
        return false;
    const auto parts = Parts(std::string_view(path).substr(dir.size()), '/');
    return std::none_of(parts.begin(), parts.end(), [](std::string_view p) { return p == ".."; }) &&
           !parts.back().empty();
}

namespace {
constexpr unsigned kScriptOutsideDirectory = 51625;
// The name after the last "\" or "/"; empty for a directory.
std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
constexpr const char* kBadScriptTimeout = "Bad value for the script time-out. Valid range is from 1 to 86400 seconds.";
} // namespace

DialogRefusal CheckVbScriptFields(const ScriptCheckSettings& f,
                                  const std::function<bool(const std::string&, const std::string&)>& defined) {
    const std::string file = Trim(f.File);
    const std::string function = Trim(f.Function);
    const std::string fileName = FileNameOf(file);
    if (fileName.empty())
        return DialogRefusal::Numbered(51668).At(kVbsFile);
    if (function.empty())
        return DialogRefusal::Numbered(51539).At(kVbsFunction);
    if (!defined(file, function))
        return DialogRefusal{51684, CQvcString().FormatGrow(MessageText(51684), function.c_str(), fileName.c_str()),
                             kVbsFunction};
    return First({
        When(!StoredPathInside(file, kVbScriptDirectory),
             DialogRefusal::Numbered(kScriptOutsideDirectory, CQvcString(kVbScriptDirectory)).At(kVbsFile)),
        Range(f.TimeoutSecs, 1, 86400, kBadScriptTimeout, kVbsTimeout),
    });
}

DialogRefusal CheckPowerShellFields(const PowerShellSettings& f,
                                    const std::function<bool(const std::string&)>& fileExists) {
    const std::string file = Trim(f.File);
    if (FileNameOf(file).empty())
        return DialogRefusal::Numbered(61547).At(kPs1File);
    return First({
        When(!fileExists(file), DialogRefusal::Numbered(51685, CQvcString(file)).At(kPs1File)),
        When(!StoredPathInside(file, kPowerShellDirectory),
             DialogRefusal::Numbered(kScriptOutsideDirectory, CQvcString(kPowerShellDirectory)).At(kPs1File)),
        Range(f.TimeoutSecs, 1, 86400, kBadScriptTimeout, kPs1Timeout),
    });
}

DialogRefusal CheckOdbcFields(const OdbcSettings& f) {
    return When(Blank(f.Dsn), DialogRefusal::Numbered(51525).At(0));
}

DialogRefusal CheckOracleFields(const OracleSettings& f, const HostCheckLimits& limits) {
    return Blank(f.Server) ? DialogRefusal{} : CheckHostField(f.Server, limits).At(0);
}

DialogRefusal CheckQueryToExecute(const DatabaseQuerySettings& f) {
    return First({
        When(Blank(f.Connection), DialogRefusal::Numbered(51601).At(kQueryConnection)),
        When(Blank(f.Query), DialogRefusal::Numbered(51602).At(kQueryText)),
    });
}

DialogRefusal CheckDatabaseQueryFields(const DatabaseQuerySettings& f) {
    constexpr unsigned kOperandRequired = 61470;
    constexpr unsigned kValueMissing = 61469;
    return First({
        CheckQueryToExecute(f),
        When(Blank(f.Field), DialogRefusal::Numbered(61471).At(kQueryField)),
        When(f.Type != 1 && f.Type != 2, DialogRefusal::Numbered(61468).At(kQueryDataType)),
        When(f.Operator1 < 1 || f.Operator1 > 6, DialogRefusal::Numbered(kOperandRequired).At(kQueryOperator1)),
        When(f.UseSecond && (f.Operator2 < 1 || f.Operator2 > 6),
             DialogRefusal::Numbered(kOperandRequired).At(kQueryOperator2)),
        When(Blank(f.Value1), DialogRefusal::Numbered(kValueMissing).At(kQueryValue1)),
        When(f.UseSecond && Blank(f.Value2), DialogRefusal::Numbered(kValueMissing).At(kQueryValue2)),
    });
}
