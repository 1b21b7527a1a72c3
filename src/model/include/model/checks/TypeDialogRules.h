#pragma once
// The window-free rules of the check-type dialogs: the host check that every dialog with
// a Host/Computer field runs, the ICMP dialog's checks in their order, the code tables of
// the comparison fields, the credentials question, and the helpers through which the
// dialogs write their fields in the stored form (numbers as decimal text, one option
// character per position in ParamByteCodes, pairs joined by "||").
#include "library/QvcString.h"
#include "model/settings/SnCfgServerCredentials.h"

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

#include <functional>
#include <optional>
#include <string>

struct IcmpSettings;
struct DnsSettings;
struct SnmpGetSettings;
struct SnmpTrapSettings;
struct NtpSettings;
struct SshSettings;
struct RshSettings;
struct TraceRouteSettings;
struct RadiusSettings;
struct SmppSettings;
struct TcpSettings;
struct HttpSettings;
struct SmtpSettings;
struct Pop3Settings;
struct FtpSettings;
struct TftpSettings;
struct SftpSettings;
struct Smtp2Pop3Settings;
struct ScriptCheckSettings;
struct PowerShellSettings;
struct DiskSpaceSettings;
struct FileSettings;
struct DirectorySettings;
struct CpuSettings;
struct MemorySettings;
struct RemoteCommandSettings;
struct ServiceSettings;
struct RegistrySettings;
struct ServerRoleSettings;
struct EventLogSettings;
struct TerminalServerSettings;
struct DiskDrivesSettings;

// What a dialog shows when a check fails: the message number (0 for a text without
// one), the text, already filled with its value or limit, and the field to put the focus
// on (numbered by the rule that refused, -1 for none).  No text: the check passed.
struct DialogRefusal {
    unsigned Id = 0;
    CQvcString Text;
    int Field = -1;

    bool Refused() const { return !Text.IsEmpty(); }
    // A numbered message filled with one number ("%d") or one text ("%s").
    static DialogRefusal Numbered(unsigned id);
    static DialogRefusal Numbered(unsigned id, int value);
    static DialogRefusal Numbered(unsigned id, const CQvcString& value);
    static DialogRefusal Plain(const char* text) { return {0, text, -1}; }
    DialogRefusal& At(int field) {
        Field = field;
        return *this;
    }
    bool operator==(const DialogRefusal& o) const { return Id == o.Id && Text == o.Text && Field == o.Field; }
};

// What the host check knows about the configuration and the Manager preferences.
struct HostCheckLimits {
    bool Creating = false;   // a new check is made: a host list is allowed
    long ExistingChecks = 0; // checks in the configuration now
    int MaxCreate = 255;     // Manager preference MaxCreateChecks
    int MaxTotal = 4096;     // Manager preference MaxTotalChecks
};

// The shared host check on a non-empty host text, split by the host-list grammar:
// 61556 for two or more hosts when an existing check is edited, then the creation limits
// 61692 and 61693 with their limit.  Every type dialog runs it after its own "required"
// check of the field.
DialogRefusal CheckHostField(const CQvcString& hostText, const HostCheckLimits& limits);

// The ICMP dialog's checks on OK, in order: the host (51512, then the shared host check),
// the time-out 1..10000 ms, the retries 1..8, the TTL 1..255, the buffer 0..8191 bytes.
// The refusal's Field is an IcmpField.
enum IcmpField { kIcmpHost, kIcmpTimeout, kIcmpRetries, kIcmpTtl, kIcmpBuffer };
DialogRefusal CheckIcmpFields(const IcmpSettings& fields, const HostCheckLimits& limits);
// What the sample link fills in.
IcmpSettings IcmpSampleData();

// --- the network family -----------------------------------------------------------------
// Each function runs one dialog's checks on OK in the dialog's order and returns the
// first refusal; its Field is the dialog's field enumerator.  A host that a dialog requires
// is checked for being there first, then by the shared host check.

// DNS: the server (51512, shared host check), the name looked up ("Name is required.",
// "Not a valid name.").
enum DnsField { kDnsHost, kDnsName };
DialogRefusal CheckDnsFields(const DnsSettings& fields, const HostCheckLimits& limits);
DnsSettings DnsSampleData();
// A name DNS can look up: labels of letters, digits, "-" and "_" joined by ".", each 1..63
// characters and not beginning or ending with "-", 253 characters at most, one final "."
// allowed.
bool IsDnsName(const std::string& name);

// SNMP GET: the agent (51591, shared host check), the community (51592), the OID (51593),
// the data type (51595), the operators (51590), the values (51594), each value against the
// data type (61514), the port 1..65535 (61446).  The second condition counts only when used.
enum SnmpGetField {
    kSnmpHost,
    kSnmpCommunity,
    kSnmpOid,
    kSnmpDataType,
    kSnmpOperator1,
    kSnmpOperator2,
    kSnmpValue1,
    kSnmpValue2,
    kSnmpPort
};
DialogRefusal CheckSnmpGetFields(const SnmpGetSettings& fields, const HostCheckLimits& limits);
SnmpGetSettings SnmpGetSampleData();
// An OID as the SNMP dialogs accept it: two or more numbers joined by ".", one leading "."
// allowed.
bool IsOid(const std::string& text);
// Whether `value` can be a value of SNMP data type `type` (an SnmpDataTypes code): whole
// numbers for the counters, time ticks and unsigned integers (no sign) and the integers
// (with one), four numbers 0..255 for an IP address, an OID for an object identifier, any
// text for the others.
bool ValueFitsSnmpType(int type, const std::string& value);

// SNMP Trap Receive, with the value condition set: "Any Type" only with "Equal To"
// (59504), an operator (51590), a value (51594), a known data type (51595); then the
// trap's OID and the variable's OID when given and not "*" (51593); then the value
// against the data type (61514).
enum SnmpTrapField { kTrapOid, kTrapVariableOid, kTrapOperator, kTrapDataType, kTrapValue };
DialogRefusal CheckSnmpTrapFields(const SnmpTrapSettings& fields);
// What opening the dialog says when the Engine's trap receiver is off (59525).
DialogRefusal SnmpTrapReceiverOff();

// NTP: the time server (51600, shared host check).
DialogRefusal CheckNtpFields(const NtpSettings& fields, const HostCheckLimits& limits);

// SSH: the host (51526, shared host check); with the private key: "Private Key File is
// required.", "Private Key File does not exist." (asked of `fileExists`); when a local
// script is copied: 59511 unless it lies in kSshScriptDirectory or below it; then the port
// (kBadPort) and the time-out (kBadTimeoutMs).
enum SshField { kSshHost, kSshKeyFile, kSshLocalScript, kSshPort, kSshTimeout };
DialogRefusal CheckSshFields(const SshSettings& fields, const HostCheckLimits& limits,
                             const std::function<bool(const std::string&)>& fileExists);
SshSettings SshSampleData();
// The sample data of the RSH dialog: uptime of this computer, as root.
RshSettings RshSampleData();
// The sample data of the SNMP Trap Receive dialog: a link-down trap (SNMPv2-MIB linkDown)
// from any host in the "public" community makes the check an error.
SnmpTrapSettings SnmpTrapSampleData();

// RSH: the shared host check, the time-out (kBadTimeoutMs).
enum RshField { kRshHost, kRshTimeout };
DialogRefusal CheckRshFields(const RshSettings& fields, const HostCheckLimits& limits);

// TraceRoute: the host (51512, shared host check); a hop rule needs hops (51752); each
// listed hop in turn must be an address, or a host name when addresses are resolved
// (51753 for a host name without it, 51754 for anything else); then the most hops 1..255
// and the slowest hop 1..3600000 ms.
enum TraceRouteField { kTraceHost, kTraceHops, kTraceMaxHops, kTraceHopTime };
DialogRefusal CheckTraceRouteFields(const TraceRouteSettings& fields, const HostCheckLimits& limits);
// Four numbers 0..255 joined by "."; or an IPv6 address (hex groups, one "::").
bool IsIpAddress(const std::string& text);

// RADIUS and SMPP: the host (51512, shared host check), the port (kBadPort), for RADIUS the
// time-out (kBadTimeoutMs).
enum RadiusField { kRadiusHost, kRadiusPort, kRadiusTimeout };
enum SmppField { kSmppHost, kSmppPort };
DialogRefusal CheckRadiusFields(const RadiusSettings& fields, const HostCheckLimits& limits);
DialogRefusal CheckSmppFields(const SmppSettings& fields, const HostCheckLimits& limits);

// The ports and time-outs of the network dialogs whose checks name no message of their own
// are refused with these texts.
constexpr const char* kBadPort = "Bad value for Port. Valid range is from 1 to 65535.";
constexpr const char* kBadTimeoutMs = "Bad value for Time-out. Valid range is from 1 to 3600000.";

// The TCP/IP dialog (30, 38, 39, 44), in order: the host (51512), the response string when
// the response is checked (51530), the shared host check, the port, the time-out
// 1..3600000 ms.
enum TcpField { kTcpHost, kTcpPort, kTcpExpect, kTcpTimeout };
DialogRefusal CheckTcpFields(const TcpSettings& fields, const HostCheckLimits& limits);
// The sample of a TCP-based type; none for Citrix - ICA (44), whose link says 3008.
std::optional<TcpSettings> TcpSampleData(int type);

// The HTTP/HTTPs dialog (33), in order: the URL's host (51532), the shared host check on
// it, the time-out 1..3600 s.
enum HttpField { kHttpUrl, kHttpTimeout };
DialogRefusal CheckHttpFields(const HttpSettings& fields, const HostCheckLimits& limits);
// The URL as the dialog shows it: "https://" only for https, then host, port and path.
std::string TypedUrl(const HttpSettings& settings);
HttpSettings HttpSampleData();

// The SMTP dialog (32), in order: the host (51512), the shared host check, the account
// when the server requires authentication (50003), the response pattern (51530), the port.
enum SmtpField { kSmtpHost, kSmtpPort, kSmtpAuthentication, kSmtpPattern };
DialogRefusal CheckSmtpFields(const SmtpSettings& fields, const HostCheckLimits& limits);

// The POP3 dialog (31), in order: the host (51512), the shared host check, the port.
enum Pop3Field { kPop3Host, kPop3Port };
DialogRefusal CheckPop3Fields(const Pop3Settings& fields, const HostCheckLimits& limits);

// The FTP dialog (34), in order: the host (51512), the shared host check, the account
// unless anonymous, with a file check the directory and the file, with a pattern check the
// pattern.
enum FtpField { kFtpHost, kFtpAccount, kFtpDirectory, kFtpFile, kFtpPattern };
DialogRefusal CheckFtpFields(const FtpSettings& fields, const HostCheckLimits& limits);

// The TFTP dialog (270): the host (51512), the shared host check.
DialogRefusal CheckTftpFields(const TftpSettings& fields, const HostCheckLimits& limits);

// The SFTP dialog (310), in order: the host (51512), the shared host check, the port, the
// time-out 1..3600000 ms.
enum SftpField { kSftpHost, kSftpPort, kSftpTimeout };
DialogRefusal CheckSftpFields(const SftpSettings& fields, const HostCheckLimits& limits);

// The SMTP to POP3 dialog (240), in order: the recipient (2200), the subject (50354), the
// SMTP server, the POP3 server's name, port (59513) and account, the check minutes 1..5
// (61504), the error minutes 2..30 (61505), the number of messages looked at (61510).
enum Smtp2Pop3Field {
    kS2pRecipient,
    kS2pSubject,
    kS2pSmtpServer,
    kS2pPop3Server,
    kS2pPop3Port,
    kS2pPop3Account,
    kS2pCheckMinutes,
    kS2pErrorMinutes,
    kS2pMailCount
};
DialogRefusal CheckSmtp2Pop3Fields(const Smtp2Pop3Settings& fields);
// A host name or address as a single server: letters, digits, ".", "-", "_", ":" and
// "[" "]" (IPv6), not empty.
bool IsServerName(const std::string& text);

// --- the system family ------------------------------------------------------------------
// As above: each function runs one dialog's checks on OK in order and returns the first
// refusal, with the dialog's field enumerator.  A computer that may stay empty (this
// computer) only goes through the shared host check.

// A file or directory path as the File and Directory dialogs take it: a network path
// "\\server\share\..." (server and share named), or on this platform a local absolute
// path ("/...") or one below the Engine root ("<SNROOT>...").
bool IsUncOrLocalPath(const std::string& path);
// The server of a network path ("\\server\share\..."), "" for any other path.
std::string UncServer(const std::string& path);

// Disk Space: the shared host check; a limit below 0; in percent a limit above 100 (61516);
// a unit text other than "MB", "GB" or "%" (61515).
enum DiskSpaceField { kDiskHost, kDiskLimit, kDiskUnit };
DialogRefusal CheckDiskSpaceFields(const DiskSpaceSettings& fields, const std::string& unitText,
                                   const HostCheckLimits& limits);
// The unit texts of the Disk Space dialog, in the order of DiskSpaceSettings::Unit.
const std::vector<const char*>& DiskSpaceUnits();

// File: the path (51523), the text of a "contains" condition (51520), the size or age
// limit the condition needs (51541; `limitGiven` false when its field is empty).
enum FileField { kFilePath, kFileText, kFileLimit };
DialogRefusal CheckFileFields(const FileSettings& fields, bool limitGiven);

// Directory: the path (51648), the limit the condition needs (51541), a size below 0
// (51755), a file count below 0 (51756).
enum DirectoryField { kDirPath, kDirSize, kDirFiles };
DialogRefusal CheckDirectoryFields(const DirectorySettings& fields, bool limitGiven);

// CPU Usage: the computer (51528, shared host check), the highest usage 1..100 percent,
// the CPU 0..1023 when one CPU is watched.
enum CpuField { kCpuHost, kCpuMax, kCpuNumber };
DialogRefusal CheckCpuFields(const CpuSettings& fields, const HostCheckLimits& limits);

// Memory Usage: the shared host check, the limit (1..100 percent of committed memory, or
// 1..1000000 pages per second).
enum MemoryField { kMemoryHost, kMemoryLimit };
DialogRefusal CheckMemoryFields(const MemorySettings& fields, const HostCheckLimits& limits);

// Disk Drives: the computer (51528, shared host check).
DialogRefusal CheckDiskDrivesFields(const DiskDrivesSettings& fields, const HostCheckLimits& limits);

// Service: the shared host check.
DialogRefusal CheckServiceFields(const ServiceSettings& fields, const HostCheckLimits& limits);

// Remote Command: the shared host check, the time-out (kBadTimeoutMs).
enum RemoteCommandField { kRCmdHost, kRCmdTimeout };
DialogRefusal CheckRemoteCommandFields(const RemoteCommandSettings& fields, const HostCheckLimits& limits);

// Registry: the computer (51528, shared host check), the root key (51728), the sub key
// (51729), unless changes are detected the data of each condition used (51730).
enum RegistryField { kRegComputer, kRegRootKey, kRegSubKey, kRegData1, kRegData2 };
DialogRefusal CheckRegistryFields(const RegistrySettings& fields, const HostCheckLimits& limits);
// The root keys the dialog lists.
const std::vector<const char*>& RegistryRootKeys();

// The server roles (70-81): the computer (51528, shared host check), at least one service,
// process or counter (61696).
enum ServerRoleField { kRoleComputer, kRoleLists };
DialogRefusal CheckServerRoleFields(const ServerRoleSettings& fields, const HostCheckLimits& limits);

// Event Log: the computer (51518, shared host check), the log (51519), source, category,
// ID and user all filled (51521), the ID "*" or a number above 0 (51522), the minutes
// 1..525600.
enum EventLogField { kEventComputer, kEventLog, kEventCriteria, kEventId, kEventMinutes };
DialogRefusal CheckEventLogFields(const EventLogSettings& fields, const HostCheckLimits& limits);

// MS Terminal Server: the shared host check, then each maximum that applies above 0.
enum TerminalServerField { kTseHost, kTseActive, kTseInactive, kTseTotal };
DialogRefusal CheckTerminalServerFields(const TerminalServerSettings& fields, const HostCheckLimits& limits);

// --- code tables ------------------------------------------------------------------------
struct CodeTableEntry {
    int Code;
    const char* Text;
};
// "Equal To" 1 ... "Greater or Equal To" 6, in the order the combo boxes list them.
const std::vector<CodeTableEntry>& ComparisonOperators();
// The SNMP data types 1..11 as the combo boxes show them (two blanks before "(").
const std::vector<CodeTableEntry>& SnmpDataTypes();
// The code of a combo text: exact match, 0 for any other text.
int DialogCodeOf(const std::vector<CodeTableEntry>& table, const CQvcString& text);
// The text of a code; "" for an unknown code.
const char* DialogTextOf(const std::vector<CodeTableEntry>& table, int code);
// 1 is "SNMP v1", any other value "SNMP v2c".
const char* SnmpProtocolName(int code);

// --- credentials -------------------------------------------------------------------------
// Whether OK must ask 61481: the credentials box is set, a computer is named and the
// list holds no entry for it.
bool NeedsCredentialsQuestion(bool useCredentials, const CQvcString& server,
                              const CSnCfgServerCredentials& list);
// The credentials editor's check of one entry: a server name, and the password typed
// twice alike.
DialogRefusal CheckCredentialsEntry(const CSnCfgServerCredentials::Entry& entry, const CQvcString& confirm);
// Replaces the entry of the same server (names compared without regard to case) or
// appends it; the server name is trimmed first.
void PutCredentials(CSnCfgServerCredentials& list, CSnCfgServerCredentials::Entry entry);

// --- the script checks ---------------------------------------------------------------------
// Whether a stored path ("\\" read as "/", letter case ignored) names a file inside the
// stored `directory` or one of its subdirectories, without ".." steps.
bool StoredPathInside(const std::string& stored, const std::string& directory);
// VBScript: the file (51668; a directory alone counts as none), the function (51539), the
// function defined in the file (51684, asked of `defined` with the stored file and the
// function), the file in the VBScript directory (51625), the time-out 1..86400 seconds.
enum VbScriptField { kVbsFile, kVbsFunction, kVbsTimeout };
DialogRefusal CheckVbScriptFields(const ScriptCheckSettings& fields,
                                  const std::function<bool(const std::string&, const std::string&)>& defined);
// PowerShell: the file (61547; a directory alone counts as none), its existence (51685,
// asked of `fileExists` with the stored file), the PowerShell directory (51625), the
// time-out 1..86400 seconds.
enum PowerShellField { kPs1File, kPs1Timeout };
DialogRefusal CheckPowerShellFields(const PowerShellSettings& fields,
                                    const std::function<bool(const std::string&)>& fileExists);

// --- field-writing helpers ------------------------------------------------------------
// A number as stored: decimal text.
CQvcString NumberText(long value);
// A number read from a dialog field: decimal digits (blanks around allowed), `invalid`
// for an empty field, other characters or a value beyond nine digits, so that the range
// check refuses it.
long FieldNumber(const CQvcString& text, long invalid = -1);
// One "0"/"1" character per flag, in order.
CQvcString OptionCodes(std::initializer_list<bool> flags);
// Sets the option character at `position`, padding with "x" (unused positions).
void SetOptionCode(CQvcString& codes, std::size_t position, char code);
// Two values joined by "||", and the two halves of such a pair (the second "" when the
// text holds no "||").
CQvcString JoinPair(const CQvcString& first, const CQvcString& second);
std::pair<CQvcString, CQvcString> SplitPair(const CQvcString& text);

// --- the Windows, serial and environmental dialogs ---------------------------------------
struct PrinterSettings;
struct ProcessSettings;
struct ScheduledTaskSettings;
struct MsmqSettings;
struct SerialDeviceSettings;
struct PerfCounterSettings;
struct RemovableDrivesSettings;
struct EnvironmentalSettings;

// Printer availability (180): both fields (51541), then the shared host check on the server.
enum PrinterField { kPrinterServer, kPrinterName };
DialogRefusal CheckPrinterFields(const PrinterSettings& fields, const HostCheckLimits& limits);

// Process (190): the computer (51528, shared host check), the process (61694) unless every
// process of the computer is watched, then the limits in use: memory above 0 MB, CPU
// 1..100 %.
enum ProcessField { kProcessComputer, kProcessName, kProcessMemory, kProcessCpu };
constexpr const char* kBadMemoryLimit = "Value must be greater than 0.";
constexpr const char* kBadCpuLimit = "Bad value for CPU usage. Valid range is from 1 to 100.";
DialogRefusal CheckProcessFields(const ProcessSettings& fields, const HostCheckLimits& limits);

// A path a network-path field accepts: "\\server\share\..." (a server, a share and at least
// one more part) or, on this platform, a local absolute path ("/..." or "<SNROOT>...").
bool IsNetworkOrLocalPath(const std::string& path);
// The server of a "\\server\share\..." path; "" for a local path.
std::string PathServer(const std::string& path);

// Scheduled Task (220), in order: the log file's path (51523), the job name (50355), the
// completed keyword (50356), the date format (50357), the pattern (51520).
enum ScheduledTaskField { kTaskLogFile, kTaskJob, kTaskKeyword, kTaskDateFormat, kTaskPattern };
DialogRefusal CheckScheduledTaskFields(const ScheduledTaskSettings& fields);

// MS Message Queue (250), in order: the computer (51528, shared host check), the queue
// (61511), the most messages (61512) and the most MB (61513), each above 0.
enum MsmqField { kMsmqComputer, kMsmqQueue, kMsmqMessages, kMsmqSize };
DialogRefusal CheckMsmqFields(const MsmqSettings& fields, const HostCheckLimits& limits);

// Serial Device (260): the expected answer when the answer is checked (61521), the
// time-out above 0 (61522).
enum SerialDeviceField { kSerialResponse, kSerialTimeout };
DialogRefusal CheckSerialDeviceFields(const SerialDeviceSettings& fields);
// The baud rates the dialog offers.
const std::vector<int>& SerialBaudRates();

// Performance Counters (320): the computer (51528, shared host check), at least one
// counter (61699).
enum PerfCounterField { kPerfComputer, kPerfCounters };
DialogRefusal CheckPerfCounterFields(const PerfCounterSettings& fields, const HostCheckLimits& limits);
// One counter of the list editor: a path (61699), an operator (51590), a number to compare
// with (51594).  Field: 0 path, 1 operator, 2 limit.
DialogRefusal CheckPerfCounterEntry(const std::string& path, int op, const std::string& limit);

// Removable Drives (330): the listed computers when not the whole domain (51720), the
// domain when it is (51721), the drives when drives are left out (51722).
enum RemovableDrivesField { kRemDrvComputers, kRemDrvDomain, kRemDrvDrives };
DialogRefusal CheckRemovableDrivesFields(const RemovableDrivesSettings& fields);

// Environmental (41, 200-208, 210), in order: the unit (51687, shared host check), a probe
// ID above 0 (51662), both limits numbers with low <= high.
enum EnvironmentalField { kSensorHost, kSensorProbe, kSensorLow };
DialogRefusal CheckEnvironmentalFields(const EnvironmentalSettings& fields, const HostCheckLimits& limits);
// The temperature units as the dialog lists them, by SnTemperatureUnit code.
const std::vector<CodeTableEntry>& TemperatureUnits();
// --- the database dialogs ---------------------------------------------------------------
struct OdbcSettings;
struct OracleSettings;
struct DatabaseQuerySettings;

// ODBC (110): the data source name (51525).
DialogRefusal CheckOdbcFields(const OdbcSettings& fields);
// Oracle (112): the shared host check on the TNS name.
DialogRefusal CheckOracleFields(const OracleSettings& fields, const HostCheckLimits& limits);
// Database Query (111), in order: the connection text (51601), the query (51602), the
// field (61471), the data type (61468), the operators (61470), the values (61469); the
// second condition counts only when used.
enum DatabaseQueryField {
    kQueryConnection,
    kQueryText,
    kQueryField,
    kQueryDataType,
    kQueryOperator1,
    kQueryOperator2,
    kQueryValue1,
    kQueryValue2
};
DialogRefusal CheckDatabaseQueryFields(const DatabaseQuerySettings& fields);
// What "Execute Query" needs before it asks the engine: the connection text and the query.
DialogRefusal CheckQueryToExecute(const DatabaseQuerySettings& fields);
