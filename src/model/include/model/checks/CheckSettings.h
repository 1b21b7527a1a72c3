#pragma once
// The typed settings of the check types the engine runs, kept in a check's type-specific
// record (CSnNodeCfgFunction).  This is the one place that says which field holds what and
// what a new check of the type holds: the default member initialisers below are the
// defaults of a new check (the catalogue writes them with Write), the engine's runners
// Read them, and the type dialogs Read and Write the same fields.  Reading never fails: an
// empty or malformed number gives the default, and numbers are clamped to the range the
// type's dialog accepts.
//
// ParamByteCodes holds one character per option, counted here from 0; "x" marks a
// position the type does not use, and a position beyond the end of the text reads as the
// default given.  Numbers are decimal texts.  Passwords (ParamPassword, ParamPassword2)
// are stored scrambled and read here as plain text.
#include "library/QvcString.h"
#include "model/tree/SnNodeCfg.h"

#include <string>
#include <vector>

// ICMP Ping (10).
//   ParamServer  the host: name, IPv4 or IPv6 address
//   Param1       time-out of each echo request, ms, 1..10000 (default 1000)
//   Param2       echo requests, 1..8 (default 1): sent one after the other until one is
//                answered; the check fails only when none is
//   Param3       time to live of the requests, 1..255 (default 255)
//   Param4       payload bytes of each request, 0..8191 (default 32)
struct IcmpSettings {
    std::string Host;
    int TimeoutMs = 1000;
    int Count = 1;
    int Ttl = 255;
    int PayloadBytes = 32;

    static IcmpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const IcmpSettings&) const = default;
};

// TCP/IP (30) and the TCP-based types NNTP Newsserver (38), IMAP Mailserver (39) and
// Citrix - ICA (44), all edited by the TCP/IP dialog.
//   ParamServer     the host
//   Param1          the port, 1..65535 (default 80; 119, 143 and 1494 for 38, 39, 44)
//   Param2          text sent once connected; "||" stands for a line break, and CR LF is
//                   added at the end unless the text ends with a line break
//   Param3          text the response must include, letter case ignored
//   Param4          time-out, ms, for connecting and the whole exchange (default 7000)
//   ParamByteCodes  [0] '1': send Param2 once connected
//                   [1] '1': read the response until it includes Param3 (any text at
//                        all when Param3 is empty); '0': connecting is enough
struct TcpSettings {
    std::string Host;
    int Port = 80;
    bool SendText = false;
    std::string Send; // with its line breaks, as it goes on the wire
    bool ExpectResponse = false;
    std::string Expect;
    int TimeoutMs = 7000;

    static TcpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const TcpSettings&) const = default;
    // A new check of `type`: the TCP-based types differ from TCP/IP in the port and in
    // the response they expect.
    static TcpSettings ForType(int type);
};

// HTTP/HTTPs (33).  The dialog's "URL: http(s)://" field is split: the host part (with
// an optional ":port") goes to ParamServer, the rest of the URL to Param1.
//   ParamServer     host of the URL, optionally ":port"; a leading "http://" or
//                   "https://" is honoured and a path typed after the host is kept
//   Param1          the rest of the URL: path and query ("/status?full=1"); may be empty
//   Param2          text the page must contain, letter case ignored (with [2])
//   Param3          accepted status codes, a list such as "200,204,300-399" (",", ";" or
//                   blanks between entries); empty: 200 to 399
//   Param4          the proxy server, "host:port" (with [5]; a new check has "127.0.0.1:80")
//   Param5          time-out, seconds, 1..3600 (default 5)
//   ParamLogin      the website account (with [4]); ParamPassword its password
//   ParamLogin2     the proxy account (with [6]); ParamPassword2 its password
//   ParamByteCodes  (a new check has "0x0x000")
//                   [0] '1': https, '0': http
//                   [1] not used
//                   [2] '1': the page must contain Param2
//                   [3] not used
//                   [4] '1': log on to the website (basic or digest, as the server asks)
//                   [5] '1': go through the proxy of Param4 (otherwise never a proxy, whatever
//                        the environment of the engine says)
//                   [6] '1': log on to the proxy
//                   [7] '0': do not follow redirects (the 3xx answer itself is judged by
//                        the status rule); anything else or missing: follow up to 10
//                   [8] '1': accept any server certificate (self-signed, other name)
struct HttpSettings {
    bool Https = false;
    std::string HostPort;
    std::string Path;
    bool MatchContent = false;
    std::string Content;
    std::string StatusRule;
    bool UseProxy = false;
    std::string Proxy = "127.0.0.1:80";
    int TimeoutSecs = 5;
    bool WebLogin = false;
    std::string Login;
    std::string Password;
    bool ProxyLogin = false;
    std::string ProxyAccount;
    std::string ProxyPassword;
    bool FollowRedirects = true;
    bool AnyCertificate = false;

    static HttpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const HttpSettings&) const = default;
    // The URL asked for: "http://host:port/path".
    std::string Url() const;
};

// SMTP Mailserver (32).
//   ParamServer     the host
//   Param1          the port, 1..65535 (default 25)
//   Param3          the pattern the server's response must include (default "250")
//   ParamLogin      the account of the authentication; ParamPassword its password
//   ParamByteCodes  "xx" then two options (a new check has "xx01"):
//                   [2] '1': secure mail server (TLS)
//                   [3] '1': the server requires authentication (ParamLogin)
struct SmtpSettings {
    std::string Host;
    int Port = 25;
    std::string Pattern = "250";
    bool Secure = false;
    bool Authenticate = true;
    std::string Login;
    std::string Password;

    static SmtpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SmtpSettings&) const = default;
};

// POP3 Mailserver (31).  ParamOption (a new check has 1) is kept as it is.
//   ParamServer     the host
//   Param1          the port, 1..65535 (default 110)
//   ParamLogin      the account; ParamPassword its password
//   ParamByteCodes  "xx" then [2] '1': secure (TLS) (a new check has "xx0")
struct Pop3Settings {
    std::string Host;
    int Port = 110;
    bool Secure = false;
    std::string Login;
    std::string Password;

    static Pop3Settings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const Pop3Settings&) const = default;
};

// FTP (34).
//   ParamServer     the host; a leading "ftp://" (any letter case) is not part of it
//   ParamLogin      the account (unless anonymous); ParamPassword its password
//   Param1          the directory of the file
//   Param2          the file
//   Param3          the pattern looked for in the file
//   ParamByteCodes  six options (a new check has "101000"):
//                   [0] '1': passive mode
//                   [1] '1': anonymous log-on
//                   [2] '1': binary file transfer
//                   [3] '0': connectivity only (log on), '1': the file must exist
//                   [4] '0': the file's existence only, '1': look for the pattern in it
//                   [5] '0': the pattern should match, '1': it should not
struct FtpSettings {
    std::string Host;
    std::string Login;
    std::string Password;
    std::string Directory;
    std::string File;
    std::string Pattern;
    bool Passive = true;
    bool Anonymous = false;
    bool Binary = true;
    bool CheckFile = false;
    bool CheckPattern = false;
    bool PatternMustNotMatch = false;

    static FtpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const FtpSettings&) const = default;
};

// TFTP (270).  The server's port is the TFTP port, 69.
//   ParamServer     the host
//   Param2          the file fetched
//   Param3          the pattern looked for in the file
//   ParamByteCodes  (a new check has "xx1x00")
//                   [0], [1], [3] not used
//                   [2] '1': binary transfer ("octet"), '0': text ("netascii")
//                   [4] '0': the file's existence only, '1': look for the pattern in it
//                   [5] '0': the pattern should match, '1': it should not
struct TftpSettings {
    std::string Host;
    std::string File;
    std::string Pattern;
    bool Binary = true;
    bool CheckPattern = false;
    bool PatternMustNotMatch = false;

    static TftpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const TftpSettings&) const = default;
};

// SFTP (310).
//   ParamServer     the host
//   Param1          the port, 1..65535 (default 22)
//   ParamLogin      the account (default "root"); ParamPassword its password
//   Param2          the private key file (with [1] '0')
//   Param3          time-out, ms (default 30000)
//   Param4          the file
//   Param5          the pattern looked for in the file
//   ParamByteCodes  (a new check has "01000")
//                   [0] '1': accept any host key, '0': only a known one
//                   [1] '1': log on with the password, '0': with the private key of Param2
//                   [2] '0': connectivity only (log on), '1': the file must exist
//                   [3] '1': look for the pattern in the file
//                   [4] '0': the pattern should match, '1': it should not
struct SftpSettings {
    std::string Host;
    int Port = 22;
    std::string Login = "root";
    std::string Password;
    std::string KeyFile;
    int TimeoutMs = 30000;
    std::string File;
    std::string Pattern;
    bool AnyHostKey = false;
    bool PasswordLogon = true;
    bool CheckFile = false;
    bool CheckPattern = false;
    bool PatternMustNotMatch = false;

    static SftpSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SftpSettings&) const = default;
};

// SMTP to POP3 (240): a test message is sent through an SMTP server to a mailbox and
// looked for there over POP3.
//   Param1          recipient||subject (a new check has "||" and the default subject)
//   Param2          the SMTP server the message is sent through: "host" or "host:port"
//                   (port 25); empty until configured
//   Param3          check||count||error, minutes between the test messages (1..5), the
//                   newest messages looked at (more than 0) and minutes after which a
//                   message that has not arrived is an error (2..30); "1||5||10" for a new check
//   Param4          the POP3 server
//   Param5          the POP3 port (default 110)
//   ParamLogin      the POP3 account; ParamPassword its password
//   ParamLogin2     the SMTP account (with [3]); ParamPassword2 its password
//   ParamByteCodes  four options (a new check has "0101"):
//                   [0] '1': POP3 over TLS
//                   [1] '1': delete the test messages found in the mailbox
//                   [2] '1': SMTP over TLS
//                   [3] '1': the SMTP server requires authentication
struct Smtp2Pop3Settings {
    std::string Recipient;
    std::string Subject = "Quorvane SMTP to POP3 Message";
    std::string SmtpServer;
    int CheckMinutes = 1;
    int MailCount = 5;
    int ErrorMinutes = 10;
    std::string Pop3Server;
    int Pop3Port = 110;
    std::string Pop3Login;
    std::string Pop3Password;
    std::string SmtpLogin;
    std::string SmtpPassword;
    bool Pop3Secure = false;
    bool DeleteMessages = true;
    bool SmtpSecure = false;
    bool SmtpAuthentication = true;

    static Smtp2Pop3Settings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const Smtp2Pop3Settings&) const = default;
};

// DNS (36).
//   ParamServer     the DNS server asked: name or address, optionally ":port" (default 53);
//                   empty: the system resolver (for MX and CNAME records, the first
//                   "nameserver" of the system's resolver configuration)
//   Param1          the name looked up
//   Param2          the expected answers, separated by "||", ",", ";" or blanks: addresses
//                   for A records, host names for MX and CNAME records (a final "." and
//                   letter case do not count); empty: any answer is a success
//   ParamByteCodes  (a new check has "A01")
//                   [0] the record type: 'A' A (IPv4 address), 'M' MX, 'C' CNAME
//                   [1] '0': success when one expected answer is found, '1': only when all are
//                   [2] '1': ask the server to recurse, '0': ask what it holds itself
struct DnsSettings {
    enum class Record { A, MX, CNAME };

    std::string Server;
    std::string Name;
    std::string ExpectedText;
    Record Type = Record::A;
    bool RequireAll = false;
    bool Recursion = true;

    static DnsSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const DnsSettings&) const = default;
    // The expected answers, one per entry.
    std::vector<std::string> Expected() const;
};

// SNMP GET (37).
//   ParamServer     the agent: host name or address
//   Param1          the community (default "public")
//   Param2          the OID asked for: numbers joined by ".", without a leading "."
//   Param3          the two comparison values, "first||second"
//   Param4          the two comparison operators as codes (ComparisonOperators: 1 "Equal
//                   To" ... 6), "first||second" (default "1||1")
//   Param5          the data type of the value as a code (SnmpDataTypes: 1..11; 0 none)
//   Param6          the agent's UDP port, 1..65535 (default 161)
//   Param7          "note||OID as entered": a free description of the value and the OID
//                   exactly as the user typed it
//   ParamByteCodes  (a new check has "000")
//                   [0] '1': SNMP v1, anything else: SNMP v2c
//                   [1] '0': both conditions must hold, '1': one of them is enough
//                   [2] '1': the second condition is used
struct SnmpGetSettings {
    std::string Host;
    int Port = 161;
    std::string Community = "public";
    std::string Oid;
    std::string OidAsEntered;
    std::string Note;
    int DataType = 0;
    int Operator1 = 1;
    std::string Value1;
    bool UseSecond = false;
    bool EitherCondition = false;
    int Operator2 = 1;
    std::string Value2;
    bool Version1 = false;

    static SnmpGetSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SnmpGetSettings&) const = default;
};

// SNMP Trap Receive (42).  The Engine's trap receiver (global options) takes the traps;
// a check of this type watches for the ones that match.
//   ParamServer     hosts the trap is accepted from; "*" or empty: any
//   Param2          the trap's OID; "*" or empty: any (default "*")
//   Param3          the value a variable of the trap is compared with (with [2])
//   Param4          "operator||data type": a ComparisonOperators code and an
//                   SnmpDataTypes code, 0 for any type (default "1||0")
//   Param5          the SNMP version the trap must come in: 0 any, 1 v1, 2 v2c (default 0)
//   Param6          "variable OID||community": the variable compared (empty: any variable
//                   of the trap) and the community the trap must carry ("*": any)
//                   (default "||*")
//   ParamByteCodes  (a new check has "0100")
//                   [0] '0': a matching trap makes the check a success, '1': an error
//                   [1] '1': the OID filter also accepts the OIDs below it
//                   [2] '1': a variable of the trap must meet the value condition
//                   [3] '1': values compared as text ignore letter case
struct SnmpTrapSettings {
    std::string Host;
    std::string Oid = "*";
    bool OidSubtree = true;
    bool MatchValue = false;
    std::string VariableOid;
    int Operator = 1;
    int DataType = 0;
    std::string Value;
    bool IgnoreCase = false;
    int Version = 0;
    std::string Community = "*";
    bool ErrorWhenReceived = false;

    static SnmpTrapSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SnmpTrapSettings&) const = default;
};

// NTP Timeserver (40).
//   ParamServer     the time server asked (UDP port 123)
struct NtpSettings {
    std::string Host;

    static NtpSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const NtpSettings&) const = default;
};

// SSH (43): runs a command or script on a Linux/Unix computer.
//   ParamServer     the host
//   Param1          the port, 1..65535 (default 22)
//   ParamLogin      the account (default "root"); ParamPassword its password
//   Param2          the private key file (with [0])
//   Param3          the command run on the host (default "~/<myscript>.sh")
//   Param4          time-out, ms, 1..3600000 (default 30000)
//   Param5          the local script (with [3]): a file in the Engine's SSH script
//                   directory kSshScriptDirectory or below it, copied to the host as the
//                   file Param3 names before Param3 is run
//   ParamByteCodes  (a new check has "0110")
//                   [0] '1': log on with the private key of Param2, '0': with the password
//                   [1] '1': accept the host's key when it is not known yet
//                   [2] '1': output on standard error makes the check an error
//                   [3] '1': copy the local script of Param5 to the host first
inline constexpr const char* kSshScriptDirectory = "<SNROOT>scripts\\ssh\\";
// True when the stored path `local` names a file in kSshScriptDirectory or below it ("\"
// read as "/", letter case ignored, no ".." step): the only scripts a check may copy.
bool IsInSshScriptDirectory(const std::string& local);
struct SshSettings {
    std::string Host;
    int Port = 22;
    std::string Account = "root";
    std::string Password;
    bool UseKey = false;
    std::string KeyFile;
    std::string Command = "~/<myscript>.sh";
    int TimeoutMs = 30000;
    bool AcceptHostKey = true;
    bool ErrorOnStderr = true;
    bool CopyScript = false;
    std::string LocalScript;

    static SshSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SshSettings&) const = default;
};

// RSH (35).
//   ParamServer     the remote host
//   Param1          the port (default 514; the dialog keeps it as it is)
//   ParamLogin      the remote user name
//   Param2          the command
//   Param5          time-out, ms, 1..3600000 (default 30000)
//   ParamByteCodes  (a new check has "010"; positions 0 and 2 are kept as they are)
//                   [1] '1': output on standard error makes the check an error
struct RshSettings {
    std::string Host;
    int Port = 514;
    std::string User;
    std::string Command;
    int TimeoutMs = 30000;
    bool ErrorOnStderr = true;

    static RshSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const RshSettings&) const = default;
};

// TraceRoute (11).
//   ParamServer     the host traced
//   Param1          the most hops, 1..255 (default 30)
//   Param2          the listed hops: addresses, or host names with [0], separated by
//                   "||", ",", ";" or blanks
//   Param3          the longest response time a hop may take, ms (default 500; with [2])
//   ParamByteCodes  (a new check has "101")
//                   [0] '1': resolve the addresses of the route to host names
//                   [1] the hop rule: '0' none, '1' at least one listed hop must be in the
//                       route, '2' none of the listed hops may be in it
//                   [2] '1': a hop slower than Param3 makes the check an error
struct TraceRouteSettings {
    enum class HopRule { None, AnyListed, NoneListed };

    std::string Host;
    int MaxHops = 30;
    std::string Hops;
    int MaxHopMs = 500;
    bool Resolve = true;
    HopRule Rule = HopRule::None;
    bool CheckHopTime = true;

    static TraceRouteSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const TraceRouteSettings&) const = default;
    // The listed hops, one per entry.
    std::vector<std::string> HopList() const;
};

// RADIUS (300).
//   ParamServer     the RADIUS server
//   Param1          its UDP port, 1..65535 (empty: 1812)
//   Param2          the shared secret
//   Param3          time-out, ms, 1..3600000 (empty: 5000)
//   ParamLogin      the user authenticated; ParamPassword the user's password
struct RadiusSettings {
    std::string Host;
    int Port = 1812;
    std::string Secret;
    int TimeoutMs = 5000;
    std::string User;
    std::string Password;

    static RadiusSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const RadiusSettings&) const = default;
};

// SMPP (340).
//   ParamServer     the SMS centre
//   Param1          its port, 1..65535 (default 2775)
//   Param2          the system type sent when binding (default "SMPP")
//   ParamLogin      the system ID; ParamPassword its password
//   ParamByteCodes  [0] '0': connecting is enough, '1': bind with the account (a new
//                   check has "0")
struct SmppSettings {
    std::string Host;
    int Port = 2775;
    std::string SystemType = "SMPP";
    std::string SystemId;
    std::string Password;
    bool LogOn = false;

    static SmppSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SmppSettings&) const = default;
};

// Disk Space (20).  Only this computer is checked.
//   ParamServer     the computer: empty, ".", "localhost", a loopback address or this
//                   computer's name; any other computer cannot be reached (Uncertain)
//   Param2          the file system: its mount point or any path on it ("<SNROOT>" allowed).
//                   "C:" (with or without "\") stands for "/": it is the system drive of
//                   the product's first platform and the drive of a new check; any other
//                   drive letter has no meaning on this system (Uncertain)
//   Param1          the limit, in the unit of [2] (decimals allowed; default 85)
//   ParamByteCodes  (a new check has "0U2")
//                   [0] '0': error when the measured value is above the limit, '1': below
//                   [1] 'U': the used space is measured, 'F': the free space
//                   [2] the unit: '0' MB, '1' GB, '2' percent of the file system's size
struct DiskSpaceSettings {
    enum class Unit { MB, GB, Percent };

    std::string Computer;
    std::string Drive = "C:";
    double Limit = 85;
    bool ErrorBelow = false;
    bool MeasureFree = false;
    Unit LimitUnit = Unit::Percent;

    static DiskSpaceSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const DiskSpaceSettings&) const = default;
};

// File (60).  Paths (here and for Directory) are local paths; "\" counts as "/" and
// "<SNROOT>" stands for the Engine root.  Paths of other computers ("\\server\share\...")
// and drive letters cannot be reached (Uncertain).
//   Param1          the file
//   Param2          the text the file must contain, letter case ignored (condition '2')
//   Param3          the size limit in the unit of [2] (default 5)
//   Param4          the age limit, minutes (condition '3'; default 60)
//   ParamByteCodes  (a new check has "100")
//                   [0] the condition: '1' the file exists; '0' it exists and its size is
//                       at most Param3; '2' it exists and contains Param2; '3' it exists
//                       and was changed within the last Param4 minutes
//                   [1] '0': the condition should be true, '1': it should be false
//                   [2] the unit of Param3: '0' MB, '1' KB, '2' GB
// A file that does not exist makes every condition but existence an error whatever [1] says.
struct FileSettings {
    enum class Condition { Exists, MaxSize, Contains, ChangedWithin };

    std::string Path; // as stored
    std::string Text;
    double SizeLimit = 5;
    long long SizeUnitBytes = 1024 * 1024; // 1 KB, 1 MB or 1 GB
    int AgeMinutes = 60;
    Condition Rule = Condition::Exists;
    bool ShouldBeFalse = false;

    static FileSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const FileSettings&) const = default;
};

// Directory (140).
//   Param1          the directory
//   Param2          the size limit in the unit of [3] (default 1024)
//   Param3          the most files (default 1000)
//   ParamByteCodes  (a new check has "00000")
//                   [0] the condition: '0' the directory exists; '1' it exists and its
//                       size is at most Param2; '2' it exists and holds at most Param3 files
//                   [1] '1': count directories as files too
//                   [2] '1': include subdirectories (their files and sizes)
//                   [3] the unit of Param2: '0' MB, '1' KB, '2' GB
//                   [4] '0': the condition should be true, '1': it should be false
// As for File, a missing directory makes the size and count conditions an error.
struct DirectorySettings {
    enum class Condition { Exists, MaxSize, MaxFiles };

    std::string Path; // as stored
    double SizeLimit = 1024;
    long long SizeUnitBytes = 1024 * 1024;
    long long MaxFiles = 1000;
    Condition Rule = Condition::Exists;
    bool CountDirectories = false;
    bool Recursive = false;
    bool ShouldBeFalse = false;

    static DirectorySettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const DirectorySettings&) const = default;
};

// Process (190).  Only this computer is checked.
//   ParamServer     the computer (as for Disk Space)
//   Param1          the process: the name the system shows for it or its program's file
//                   name, letter case ignored, a final ".exe" ignored
//   Param2          the CPU limit, percent of the whole computer (default 50)
//   Param3          the memory limit, MB resident (default 100)
//   Param4          names left out of the scan of [2], separated by ","
//   ParamByteCodes  (a new check has "0000")
//                   [0] '0': the process must run, '1': it must not run
//                   [1] '1': no instance of the process may use more than Param3 MB
//                   [2] '1': no process on this computer may use more than Param3 MB
//                       (Param1 and the other options are not used then)
//                   [3] '1': the process (all its instances) may use at most Param2 percent CPU
struct ProcessSettings {
    std::string Computer;
    std::string Name;
    double CpuLimit = 50;
    double MemoryLimitMB = 100;
    std::string Excluded;
    bool MustNotRun = false;
    bool CheckMemory = false;
    bool AnyProcessMemory = false;
    bool CheckCpu = false;

    static ProcessSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const ProcessSettings&) const = default;
};

// CPU Usage (130).  Only this computer is checked; the usage is sampled over one second.
//   ParamServer     the computer (as for Disk Space)
//   Param1          the highest usage allowed, percent (default 80)
//   Param2          the CPU, counted from 0 (with [0] '1')
//   ParamByteCodes  [0] '0': all CPUs together, '1': the CPU of Param2
struct CpuSettings {
    std::string Computer;
    double MaxPercent = 80;
    bool OneCpu = false;
    int Cpu = 0;

    static CpuSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const CpuSettings&) const = default;
};

// Memory Usage (170).  Only this computer is checked.
//   ParamServer     the computer (as for Disk Space)
//   Param1          the limit (default 100)
//   ParamByteCodes  [0] '0': Param1 is the most memory in use, percent of the memory
//                       and swap together (the committed memory against the commit
//                       limit); '1': Param1 is the most pages per second read from or
//                       written to disk to serve memory (sampled over one second)
struct MemorySettings {
    std::string Computer;
    double Limit = 100;
    bool PagesPerSecond = false;

    static MemorySettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const MemorySettings&) const = default;
};

// --- the Windows-based types the engine does not watch on this platform ---------------------
// Their settings stay editable and portable; the engine answers them with its "not
// supported" result.  The computer is ParamServer ("." or empty: the engine's own); the
// stored credentials of that computer (UseCredentials, CredentialsServer) are written by
// the dialogs and are not part of these structs.

// Service (50).
//   Param1          the service's name
//   ParamByteCodes  [0] '0': the service must be running, '1': it must not be running
struct ServiceSettings {
    std::string Computer;
    std::string Service;
    bool MustNotRun = false;

    static ServiceSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const ServiceSettings&) const = default;
};

// Registry (61).
//   Param1          the root key ("HKEY_LOCAL_MACHINE", ...)
//   Param2          the sub key's path
//   Param3          the value's name (empty: the key's default value)
//   Param4          the operators of the two data conditions as ComparisonOperators codes,
//                   "first||second" (a new check has "1||1")
//   Param5          the data of the two conditions, "first||second"
//   ParamByteCodes  (a new check has "000")
//                   [0] '0': the data must meet the conditions, '1': any change of the data
//                        is reported instead
//                   [1] '1': the second condition is used
//                   [2] '0': both conditions must hold (AND), '1': one is enough (OR)
struct RegistrySettings {
    std::string Computer;
    std::string RootKey;
    std::string SubKey;
    std::string Value;
    int Operator1 = 1;
    std::string Data1;
    int Operator2 = 1;
    std::string Data2;
    bool DetectChange = false;
    bool UseSecond = false;
    bool EitherCondition = false;

    static RegistrySettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const RegistrySettings&) const = default;
};

// The server-role types (70-81): one type per role, chosen with the dialog's "Check What".
//   Param1          the role's name as the type chooser lists it (the check's name shows it)
//   Param2          the services that must be running, joined by "||"
//   Param3          the processes that must be running, joined by "||"
//   Param4          the performance counters read, joined by "||"
//   ParamByteCodes  (a new check has "0"; kept as it is)
struct ServerRoleSettings {
    std::string Computer;
    std::string Role;
    std::vector<std::string> Services;
    std::vector<std::string> Processes;
    std::vector<std::string> Counters;

    static ServerRoleSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const ServerRoleSettings&) const = default;
};

// Event Log (90).
//   Param1          the log ("Application", "System", "Security", ...)
//   Param2..Param5  the event's source, category, ID and user; "*" matches any
//   Param6          text the description must contain (empty: any)
//   Param7          the events of the last so many minutes are looked at (default 60)
//   ParamByteCodes  (a new check has "001111100")
//                   [0] '0': a matching event is an error, '1': no matching event is
//                   [1] '1': the description match is case sensitive
//                   [2]..[6] '1': events of the type match: information, warning, error,
//                        success audit, failure audit
//                   [7], [8] kept as they are
struct EventLogSettings {
    std::string Computer;
    std::string Log = "Application";
    std::string Source = "*";
    std::string Category = "*";
    std::string Id = "*";
    std::string User = "*";
    std::string Description;
    int LastMinutes = 60;
    bool ErrorWhenAbsent = false;
    bool CaseSensitive = false;
    // information, warning, error, success audit, failure audit
    std::vector<bool> EventTypes = std::vector<bool>(5, true);

    static EventLogSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const EventLogSettings&) const = default;
};

// MS Terminal Server (120).  Param4 (a new check has "7000") is kept as it is.
//   Param1..Param3  the most active, inactive and all sessions (defaults 2, 0, 0)
//   ParamByteCodes  "%d%d%d": [0], [1], [2] '1': the maximum of Param1, Param2, Param3
//                   applies (a new check has "100")
struct TerminalServerSettings {
    std::string Computer;
    int MaxActive = 2;
    int MaxInactive = 0;
    int MaxTotal = 0;
    bool CheckActive = true;
    bool CheckInactive = false;
    bool CheckTotal = false;

    static TerminalServerSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const TerminalServerSettings&) const = default;
};

// Disk Drives (150): every fixed drive of the computer must be healthy; only the computer
// is set.
struct DiskDrivesSettings {
    std::string Computer;

    static DiskDrivesSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const DiskDrivesSettings&) const = default;
};

// Remote Command (280).  On this platform the engine runs the command over SSH.
//   ParamServer     the computer
//   Param2          the command
//   Param5          time-out, ms, 1..3600000 (default 30000)
//   ParamByteCodes  (a new check has "x10"; positions 0 and 2 are kept as they are)
//                   [1] '1': output on standard error makes the check an error
//   UseCredentials  log on with the account stored for the computer in the server
//                   credentials list, else as the engine's own user with its own keys
struct RemoteCommandSettings {
    std::string Host;
    std::string Command;
    int TimeoutMs = 30000;
    bool ErrorOnStderr = true;
    bool UseCredentials = false;

    static RemoteCommandSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const RemoteCommandSettings&) const = default;
};

// VBScript (100), also created by the type chooser's "LDAP" and "User/group membership".
//   Param1          the script file, below the engine's VBScript directory
//                   ("<SNROOT>scripts\monitor (vbs)\" and its subdirectories)
//   Param2          the function called
//   Param3..Param8  its six arguments, as texts written as in the VBScript call: a text
//                   in double quotes ("\"server1\""), a number bare; the dialog fills them
//                   from the sample line of the function's header comment
//   ScriptTimeout   seconds the script may run (default 900)
//   ParamByteCodes  (a new check has "10"; position 1 is kept as it is)
//                   [0] '1': after a bad operation (the script fails to run, or runs out of
//                       time) the check is blocked, not run again until its failure is cleared
struct ScriptCheckSettings {
    std::string File = "<SNROOT>scripts\\monitor (vbs)\\";
    std::string Function;
    std::vector<std::string> Args = std::vector<std::string>(6);
    int TimeoutSecs = 900;
    bool BlockAfterFailure = true;

    static ScriptCheckSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const ScriptCheckSettings&) const = default;
};

// The directory checks.  The chooser's "LDAP" and "User/group membership" make VBScript
// checks that call one of two functions of the stock script DirectoryService.vbs; the
// engine runs these two itself through the LDAP client library, whatever the file's text.
//   CheckLdap(strHost, strBaseDN, strFilter, strBindDN, strPassword, nMinEntries):
//       a bind (anonymous when strBindDN is empty) and a subtree search that must find at
//       least nMinEntries entries (default 1)
//   CheckGroupMembership(strHost, strBaseDN, strUser, strGroup, strBindDN, strPassword):
//       the user (a uid or a DN) must be a member of the group (a cn or a DN)
// strHost is a host name or address, with ":port" or as an "ldap://" / "ldaps://" URL.
inline constexpr const char* kDirectoryScriptFile = "<SNROOT>scripts\\monitor (vbs)\\DirectoryService.vbs";
inline constexpr const char* kLdapFunction = "CheckLdap";
inline constexpr const char* kMembershipFunction = "CheckGroupMembership";
// Which of the two a check calls: 2 LDAP, 1 membership, 0 neither (the file's name part is
// DirectoryService.vbs and the function matches, letter case ignored).
int DirectoryFunctionMode(const ScriptCheckSettings& settings);

// PowerShell (290): a whole .ps1 file run with arguments; it reports on standard output a
// line beginning "SUCCESS:" or "UNCERTAIN:", with the data value after "DATA:".
//   Param1          the script file, below the engine's PowerShell directory
//                   ("<SNROOT>scripts\monitor (ps1)\" and its subdirectories); only the
//                   text before a first "||" counts
//   Param3..Param8  its six arguments, as texts
//   ScriptTimeout   seconds the script may run (default 60)
//   ParamByteCodes  (a new check has "110")
//                   [0] '1': the script is stopped when it runs longer than ScriptTimeout
//                   [1] '1': a script stopped so makes the check an error, '0' uncertain
//                   [2] '1': output on standard error makes the check an error
struct PowerShellSettings {
    std::string File = "<SNROOT>scripts\\monitor (ps1)\\";
    std::vector<std::string> Args = std::vector<std::string>(6);
    int TimeoutSecs = 60;
    bool StopOnTimeout = true;
    bool TimeoutIsError = true;
    bool ErrorOnStderr = false;

    static PowerShellSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const PowerShellSettings&) const = default;
};

// IMAP Mailserver (39) with an account: the TCP/IP fields (TcpSettings) and a log-on.
// Without an account the check stays the TCP/IP check of TcpSettings.
//   ParamLogin      the mailbox account; ParamPassword its password
// Port 993 means IMAP over TLS from the first byte; another port asks for STARTTLS when
// the server offers it.
struct ImapSettings {
    TcpSettings Connection;
    std::string Login;
    std::string Password;

    static ImapSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const ImapSettings&) const = default;
    bool HasAccount() const { return !Login.empty(); }
};

// --- reading and writing helpers shared by the structs above --------------------------------------
// The option character at `position`, or `fallback` beyond the end of the text.
char ByteCode(const CQvcString& codes, std::size_t position, char fallback);
// A whole number from a decimal text, `fallback` when empty or not a number, clamped.
int ParamNumber(const CQvcString& text, int fallback, int lowest, int highest);
// A number that may have decimals ("85", "12.5", "12,5"), `fallback` when not a number.
double ParamDecimal(const CQvcString& text, double fallback);
// A number as stored: the shortest decimal text that reads back as the same value.
std::string DecimalText(double value);
// A text to send as stored ("||" for a line break) and as it goes on the wire (CR LF added
// at the end unless it ends with a line break), and back.
std::string WireText(const CQvcString& stored);
CQvcString StoredText(const std::string& wire);
// `host` without a leading `scheme` ("ftp://"), compared without regard to letter case.
std::string WithoutScheme(const std::string& host, const std::string& scheme);

// --- types whose dialogs exist while the engine has no runner for them -----------------------
// The engine answers these with its "not supported" result; the fields are fixed here so that
// configurations made on any platform stay editable and a later runner reads the same ones.
// The credentials row of their dialogs writes UseCredentials and CredentialsServer itself.

// Printer availability (180).
//   ParamServer     the print server
//   Param1          the printer's name on that server
struct PrinterSettings {
    std::string Server;
    std::string Printer;

    static PrinterSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const PrinterSettings&) const = default;
};

// Scheduled Task (220): a task's log file is searched for today's run of a job.
//   Param1          the log file: "\\server\share\..." or a local absolute path ("/...",
//                   "<SNROOT>...")
//   Param2          the job name
//   Param3          the keyword of a completed run (default "Finished")
//   Param4          how today's date is written in the log, as strftime writes it ("%m/%d/%Y")
//   Param5          the pattern looked for in the run's lines (default "Result: The task
//                   completed with an exit code of (0).")
//   ParamByteCodes  [0] '0': a match makes the check a success, '1': an error (default "0")
struct ScheduledTaskSettings {
    std::string LogFile;
    std::string Job;
    std::string Keyword = "Finished";
    std::string DateFormat;
    std::string Pattern = "Result: The task completed with an exit code of (0).";
    bool ErrorWhenMatched = false;

    static ScheduledTaskSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const ScheduledTaskSettings&) const = default;
};

// MS Message Queue (250).
//   ParamServer     the computer holding the queue
//   Param1          the queue's name
//   Param2          the most messages the queue may hold (default 5)
//   Param3          the most MB the queue may hold (default 2)
//   ParamByteCodes  [0] '1': a private queue ("private$\" before the name), '0': a public one
struct MsmqSettings {
    std::string Computer;
    std::string Queue;
    int MaxMessages = 5;
    int MaxSizeMB = 2;
    bool PrivateQueue = false;

    static MsmqSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const MsmqSettings&) const = default;
};

// Serial Device (260): a command is sent to a device on a serial line and its answer read.
//   ParamServer     the device ("/dev/ttyS0"; "COM1" on the product's first platform)
//   Param1          flow control: 0 none, 1 hardware (RTS/CTS), 2 software (XON/XOFF)
//   Param2          the baud rate (default 9600)
//   Param3          the command sent once the line is open (default "AT")
//   Param4          the text the answer must include, letter case ignored (default "OK")
//   Param5          time-out, ms (default 8000)
//   ParamByteCodes  (a new check has "11")
//                   [0] '1': send Param3 once the line is open
//                   [1] '1': the answer must include Param4; '0': opening the line is enough
struct SerialDeviceSettings {
    enum class Flow { None, Hardware, Software };

    std::string Device;
    Flow FlowControl = Flow::None;
    int BaudRate = 9600;
    std::string Send = "AT";
    std::string Expect = "OK";
    int TimeoutMs = 8000;
    bool SendText = true;
    bool ExpectResponse = true;

    static SerialDeviceSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const SerialDeviceSettings&) const = default;
};

// Performance Counters (320).
//   ParamServer     the computer
//   Param1          the counters, joined by "||"; each "path|operator|limit": the counter's
//                   path ("\Processor(_Total)\% Processor Time"), a ComparisonOperators code
//                   and the value the counter is compared with; the check fails when one
//                   comparison does not hold
struct PerfCounterSettings {
    struct Counter {
        std::string Path;
        int Operator = 4; // "Less or Equal To"
        std::string Limit;
        bool operator==(const Counter&) const = default;
    };
    std::string Computer;
    std::vector<Counter> Counters;

    static PerfCounterSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const PerfCounterSettings&) const = default;
};

// Removable Drives (330): which computers carry removable drives.
//   ParamServer     the domain whose computers are all looked at (with [0] '1')
//   Param1          the computers looked at, separated by "," (with [0] '0')
//   Param2          the drives left out, separated by "," ("A:,D:") (with [1] '1')
//   ParamByteCodes  (a new check has "110")
//                   [0] '1': all computers of the domain, '0': the listed computers
//                   [1] '1': the drives of Param2 are left out
//                   [2] '1': CD and DVD drives count as removable drives too
struct RemovableDrivesSettings {
    bool WholeDomain = true;
    std::string Domain;
    std::string Computers;
    bool ExcludeDrives = true;
    std::string Drives;
    bool CountOptical = false;

    static RemovableDrivesSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const RemovableDrivesSettings&) const = default;
};

// The environmental types (41, 200-208, 210): one probe of a sensor unit.
//   ParamServer     the unit: name or address, optionally ":port" (HTTP)
//   Param1          the probe's ID on the unit (a new check has "0": none chosen yet)
//   Param2          the temperature unit of the limits: 0 Fahrenheit, 1 Celsius, 2 Kelvin,
//                   3 Rankine (empty: 0)
//   Param3          "low|high": the range the probe's value must stay in
//   Param4          kept as it is (a new check has "127.0.0.1:80")
//   Param5          logging: "on||database||table||log file||" with on '1' or '0'; the
//                   dialog edits the first and the fourth field and keeps the others
//   ParamByteCodes  kept as it is (a new check has "xxxxx00")
struct EnvironmentalSettings {
    std::string Device;
    int Probe = 0;
    int TemperatureUnit = 0;
    std::string Low;
    std::string High;
    bool Log = false;
    std::string LogDatabase;
    std::string LogTable;
    std::string LogFile;
    std::string LogExtra;

    static EnvironmentalSettings Read(const CSnNodeCfgFunction& function);
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const EnvironmentalSettings&) const = default;
};
// --- the database checks ------------------------------------------------------------------

// ODBC Connectivity (110).
//   Param1          the data source name (DSN)
//   ParamLogin      the account logged on with; ParamPassword its password
struct OdbcSettings {
    std::string Dsn;
    std::string Login;
    std::string Password;

    static OdbcSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const OdbcSettings&) const = default;
};

// Oracle Connectivity (112).
//   Param1          the server's TNS name
//   ParamOption     1: log on to the database with the account; 0: only ask the listener
//                   for the name (TnsPing)
//   ParamLogin      the account; ParamPassword its password
struct OracleSettings {
    std::string Server;
    bool LogOn = false;
    std::string Login;
    std::string Password;

    static OracleSettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const OracleSettings&) const = default;
};

// Database Query (Generic) (111).  The query runs, and the value of one field of the
// first row it returns is compared with one or two conditions.
//   Param1          the connection text; "<SNROOT>" stands for the Engine root
//                   (ConnectionWithRootPlaceholder / ConnectionWithRoot)
//   ParamPassword   the password given with the connection
//   Param2          the query
//   Param3          the field (column name) whose value is compared
//   Param6          the value's type: 1 number, 2 text, 0 none chosen (a new check has "0")
//   Param4          "value1||value2": the values of the two conditions
//   Param5          "operator1||operator2": ComparisonOperators codes, 0 none chosen
//                   (a new check has "1||0")
//   ParamByteCodes  (a new check has "x00"; position 0 is kept as it is)
//                   [1] '1': the second condition is used
//                   [2] '0': both conditions must hold (AND), '1': one is enough (OR)
struct DatabaseQuerySettings {
    enum DataType { kNoType = 0, kNumber = 1, kText = 2 };

    std::string Connection;
    std::string Password;
    std::string Query;
    std::string Field;
    int Type = kNoType;
    int Operator1 = 1;
    std::string Value1;
    bool UseSecond = false;
    bool EitherCondition = false;
    int Operator2 = 0;
    std::string Value2;

    static DatabaseQuerySettings Read(const CSnNodeCfgFunction& function);
    // Writes every field above back in the stored form, the same that Read reads.
    void Write(CSnNodeCfgFunction& function) const;
    bool operator==(const DatabaseQuerySettings&) const = default;
};
// The connection text as stored: each occurrence of the Engine root (a directory, with or
// without its final separator) replaced by "<SNROOT>".  An empty root changes nothing.
std::string ConnectionWithRootPlaceholder(const std::string& connection, const std::string& engineRoot);
// The reverse, as the dialog shows it and the engine uses it: each "<SNROOT>" (letter
// case ignored) replaced by the root with its final separator.
std::string ConnectionWithRoot(const std::string& stored, const std::string& engineRoot);
