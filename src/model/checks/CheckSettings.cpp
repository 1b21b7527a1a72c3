#include "model/checks/CheckSettings.h"

#include "model/checks/CheckTypes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

std::string Trimmed(const CQvcString& text) {
    CQvcString copy = text;
    copy.Trim();
    return copy.Str();
}

// A host as stored: blanks, quotes and a leading pair of backslashes removed.
std::string HostText(const CQvcString& text) {
    std::string host = Trimmed(text);
    if (host.size() >= 2 && host.front() == '"' && host.back() == '"')
        host = host.substr(1, host.size() - 2);
    while (host.rfind("\\\\", 0) == 0)
        host.erase(0, 2);
    return host;
}

// Size units as stored: '0' MB, '1' KB, '2' GB.
long long UnitBytes(char code) {
    switch (code) {
    case '1':
        return 1024LL;
    case '2':
        return 1024LL * 1024 * 1024;
    default:
        return 1024LL * 1024;
    }
}

char UnitCode(long long bytes) {
    if (bytes == 1024LL)
        return '1';
    if (bytes == 1024LL * 1024 * 1024)
        return '2';
    return '0';
}

char Flag(bool on) {
    return on ? '1' : '0';
}

// The option at `position` as a yes/no: '1' is yes; beyond the end of the text, `fallback`.
bool FlagAt(const CQvcString& codes, std::size_t position, bool fallback) {
    return ByteCode(codes, position, Flag(fallback)) == '1';
}

// An option that picks one of several values: `codes` holds the stored character of each
// enumerator, in order.  A character not listed reads as `fallback`.
template <typename E, std::size_t N> E Choice(char code, const char (&codes)[N], E fallback) {
    for (std::size_t i = 0; i + 1 < N; ++i)
        if (codes[i] == code)
            return static_cast<E>(i);
    return fallback;
}

template <typename E, std::size_t N> char ChoiceCode(E value, const char (&codes)[N]) {
    return codes[static_cast<std::size_t>(value)];
}

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The halves of a stored "first||second" pair; the second is "" without "||".
std::pair<std::string, std::string> Halves(const CQvcString& text) {
    const std::string all = text.Str();
    const std::size_t at = all.find("||");
    if (at == std::string::npos)
        return {all, {}};
    return {all.substr(0, at), all.substr(at + 2)};
}

std::string Joined(const std::string& first, const std::string& second) {
    return first + "||" + second;
}

// A code field: a whole number, `fallback` when not one (no clamping: an unknown code
// stays unknown, so that the dialog can refuse it).
int CodeNumber(const std::string& text, int fallback) {
    return ParamNumber(text, fallback, -1000000, 1000000);
}

// `codes` with the character at `position` replaced, padded with "x" as needed; the
// other positions are kept as they were.
std::string WithCode(const CQvcString& codes, std::size_t position, char code) {
    std::string text = codes.Str();
    if (text.size() <= position)
        text.resize(position + 1, 'x');
    text[position] = code;
    return text;
}

constexpr char kDnsRecords[] = "AMC";     // Record::A, MX, CNAME
constexpr char kHopRules[] = "012";       // HopRule::None, AnyListed, NoneListed
constexpr char kDiskUnits[] = "012";      // Unit::MB, GB, Percent
constexpr char kFileRules[] = "1023";     // Exists, MaxSize, Contains, ChangedWithin
constexpr char kDirectoryRules[] = "012"; // Exists, MaxSize, MaxFiles

} // namespace

// "||" as CR LF; CR LF added at the end unless the text ends with a line break.
std::string WireText(const CQvcString& text) {
    CQvcString wire = text;
    wire.BarsToLineBreaks();
    std::string out = wire.Str();
    if (!out.empty() && out.back() != '\n')
        out += "\r\n";
    return out;
}

// The reverse of WireText: the final CR LF that reading adds is dropped, line breaks are
// stored as "||".
CQvcString StoredText(const std::string& wire) {
    std::string text = wire;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 && text[text.size() - 3] != '\n')
        text.erase(text.size() - 2);
    CQvcString stored(text);
    stored.LineBreaksToBars();
    return stored;
}

char ByteCode(const CQvcString& codes, std::size_t position, char fallback) {
    return position < codes.Length() ? codes[position] : fallback;
}

int ParamNumber(const CQvcString& text, int fallback, int lowest, int highest) {
    const std::string value = Trimmed(text);
    long long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc() || end != value.data() + value.size())
        return fallback;
    return static_cast<int>(std::clamp<long long>(number, lowest, highest));
}

std::string DecimalText(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

double ParamDecimal(const CQvcString& text, double fallback) {
    std::string value = Trimmed(text);
    std::replace(value.begin(), value.end(), ',', '.');
    if (value.empty())
        return fallback;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size())
        return fallback;
    return number;
}

IcmpSettings IcmpSettings::Read(const CSnNodeCfgFunction& f) {
    IcmpSettings s;
    s.Host = HostText(f.ParamServer);
    s.TimeoutMs = ParamNumber(f.Param1, s.TimeoutMs, 1, 10000);
    s.Count = ParamNumber(f.Param2, s.Count, 1, 8);
    s.Ttl = ParamNumber(f.Param3, s.Ttl, 1, 255);
    s.PayloadBytes = ParamNumber(f.Param4, s.PayloadBytes, 0, 8191);
    return s;
}

void IcmpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(TimeoutMs);
    f.Param2 = std::to_string(Count);
    f.Param3 = std::to_string(Ttl);
    f.Param4 = std::to_string(PayloadBytes);
}

TcpSettings TcpSettings::ForType(int type) {
    TcpSettings s;
    auto expect = [&s](int port, const char* response) {
        s.Port = port;
        s.ExpectResponse = true;
        s.Expect = response;
    };
    switch (type) {
    case kTypeNntp:
        expect(119, "200");
        break;
    case kTypeImap:
        expect(143, "IMAP");
        break;
    case kTypeCitrixIca:
        expect(1494, "ICA");
        break;
    default:
        break;
    }
    return s;
}

TcpSettings TcpSettings::Read(const CSnNodeCfgFunction& f) {
    TcpSettings s = ForType(f.Type);
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.SendText = FlagAt(f.ParamByteCodes, 0, s.SendText);
    s.Send = WireText(f.Param2);
    s.ExpectResponse = FlagAt(f.ParamByteCodes, 1, s.ExpectResponse);
    s.Expect = f.Param3.Str();
    s.TimeoutMs = ParamNumber(f.Param4, s.TimeoutMs, 1, 3600 * 1000);
    return s;
}

void TcpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.Param2 = StoredText(Send);
    f.Param3 = Expect;
    f.Param4 = std::to_string(TimeoutMs);
    f.ParamByteCodes = std::string{Flag(SendText), Flag(ExpectResponse)};
}

HttpSettings HttpSettings::Read(const CSnNodeCfgFunction& f) {
    HttpSettings s;
    s.Https = FlagAt(f.ParamByteCodes, 0, s.Https);
    std::string host = HostText(f.ParamServer);
    // A typed scheme wins over the option.
    for (const auto& [scheme, https] : {std::pair{"https://", true}, std::pair{"http://", false}}) {
        std::string rest = WithoutScheme(host, scheme);
        if (rest.size() != host.size()) {
            s.Https = https;
            host = rest;
            break;
        }
    }
    // A path typed after the host stays in front of Param1.
    std::string typedPath;
    const std::size_t slash = host.find_first_of("/?");
    if (slash != std::string::npos) {
        typedPath = host.substr(slash);
        host.erase(slash);
    }
    s.HostPort = host;
    std::string rest = Trimmed(f.Param1);
    if (!typedPath.empty() && !rest.empty() && typedPath.back() == '/' && rest.front() == '/')
        rest.erase(0, 1);
    s.Path = typedPath + rest;
    s.MatchContent = FlagAt(f.ParamByteCodes, 2, s.MatchContent);
    s.Content = f.Param2.Str();
    s.StatusRule = Trimmed(f.Param3);
    s.UseProxy = FlagAt(f.ParamByteCodes, 5, s.UseProxy);
    s.Proxy = HostText(f.Param4);
    s.TimeoutSecs = ParamNumber(f.Param5, s.TimeoutSecs, 1, 3600);
    s.WebLogin = FlagAt(f.ParamByteCodes, 4, s.WebLogin);
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.ProxyLogin = FlagAt(f.ParamByteCodes, 6, s.ProxyLogin);
    s.ProxyAccount = f.ParamLogin2.Str();
    s.ProxyPassword = CQvcString::Unscramble(f.ParamPassword2.Str()).Str();
    s.FollowRedirects = ByteCode(f.ParamByteCodes, 7, Flag(s.FollowRedirects)) != '0';
    s.AnyCertificate = FlagAt(f.ParamByteCodes, 8, s.AnyCertificate);
    return s;
}

void HttpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = HostPort;
    f.Param1 = Path;
    f.Param2 = Content;
    f.Param3 = StatusRule;
    f.Param4 = Proxy;
    f.Param5 = std::to_string(TimeoutSecs);
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.ParamLogin2 = ProxyAccount;
    f.ParamPassword2 = CQvcString::Scramble(ProxyPassword);
    std::string codes{Flag(Https),     'x', Flag(MatchContent), 'x', Flag(WebLogin), Flag(UseProxy),
                      Flag(ProxyLogin)};
    // The last two options are written only when they differ from what a missing one means.
    if (!FollowRedirects || AnyCertificate)
        codes += Flag(FollowRedirects);
    if (AnyCertificate)
        codes += '1';
    f.ParamByteCodes = codes;
}

std::string HttpSettings::Url() const {
    std::string url = Https ? "https://" : "http://";
    url += HostPort;
    if (Path.empty() || (Path.front() != '/' && Path.front() != '?'))
        url += '/';
    url += Path;
    return url;
}

SmtpSettings SmtpSettings::Read(const CSnNodeCfgFunction& f) {
    SmtpSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.Pattern = f.Param3.Str();
    s.Secure = FlagAt(f.ParamByteCodes, 2, s.Secure);
    s.Authenticate = FlagAt(f.ParamByteCodes, 3, s.Authenticate);
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    return s;
}

void SmtpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.Param3 = Pattern;
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.ParamByteCodes = std::string{'x', 'x', Flag(Secure), Flag(Authenticate)};
}

Pop3Settings Pop3Settings::Read(const CSnNodeCfgFunction& f) {
    Pop3Settings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.Secure = FlagAt(f.ParamByteCodes, 2, s.Secure);
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    return s;
}

void Pop3Settings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.ParamByteCodes = std::string{'x', 'x', Flag(Secure)};
}

FtpSettings FtpSettings::Read(const CSnNodeCfgFunction& f) {
    FtpSettings s;
    s.Host = WithoutScheme(HostText(f.ParamServer), "ftp://");
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.Directory = Trimmed(f.Param1);
    s.File = Trimmed(f.Param2);
    s.Pattern = f.Param3.Str();
    s.Passive = FlagAt(f.ParamByteCodes, 0, s.Passive);
    s.Anonymous = FlagAt(f.ParamByteCodes, 1, s.Anonymous);
    s.Binary = FlagAt(f.ParamByteCodes, 2, s.Binary);
    s.CheckFile = FlagAt(f.ParamByteCodes, 3, s.CheckFile);
    s.CheckPattern = FlagAt(f.ParamByteCodes, 4, s.CheckPattern);
    s.PatternMustNotMatch = FlagAt(f.ParamByteCodes, 5, s.PatternMustNotMatch);
    return s;
}

void FtpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.Param1 = Directory;
    f.Param2 = File;
    f.Param3 = Pattern;
    f.ParamByteCodes = std::string{Flag(Passive),   Flag(Anonymous),    Flag(Binary),
                                   Flag(CheckFile), Flag(CheckPattern), Flag(PatternMustNotMatch)};
}

TftpSettings TftpSettings::Read(const CSnNodeCfgFunction& f) {
    TftpSettings s;
    s.Host = HostText(f.ParamServer);
    s.File = Trimmed(f.Param2);
    s.Pattern = f.Param3.Str();
    s.Binary = FlagAt(f.ParamByteCodes, 2, s.Binary);
    s.CheckPattern = FlagAt(f.ParamByteCodes, 4, s.CheckPattern);
    s.PatternMustNotMatch = FlagAt(f.ParamByteCodes, 5, s.PatternMustNotMatch);
    return s;
}

void TftpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param2 = File;
    f.Param3 = Pattern;
    f.ParamByteCodes =
        std::string{'x', 'x', Flag(Binary), 'x', Flag(CheckPattern), Flag(PatternMustNotMatch)};
}

SftpSettings SftpSettings::Read(const CSnNodeCfgFunction& f) {
    SftpSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.KeyFile = Trimmed(f.Param2);
    s.TimeoutMs = ParamNumber(f.Param3, s.TimeoutMs, 1, 3600 * 1000);
    s.File = Trimmed(f.Param4);
    s.Pattern = f.Param5.Str();
    s.AnyHostKey = FlagAt(f.ParamByteCodes, 0, s.AnyHostKey);
    s.PasswordLogon = FlagAt(f.ParamByteCodes, 1, s.PasswordLogon);
    s.CheckFile = FlagAt(f.ParamByteCodes, 2, s.CheckFile);
    s.CheckPattern = FlagAt(f.ParamByteCodes, 3, s.CheckPattern);
    s.PatternMustNotMatch = FlagAt(f.ParamByteCodes, 4, s.PatternMustNotMatch);
    return s;
}

void SftpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.Param2 = KeyFile;
    f.Param3 = std::to_string(TimeoutMs);
    f.Param4 = File;
    f.Param5 = Pattern;
    f.ParamByteCodes = std::string{Flag(AnyHostKey), Flag(PasswordLogon), Flag(CheckFile), Flag(CheckPattern),
                                   Flag(PatternMustNotMatch)};
}

Smtp2Pop3Settings Smtp2Pop3Settings::Read(const CSnNodeCfgFunction& f) {
    Smtp2Pop3Settings s;
    const std::string mail = f.Param1.Str();
    const std::size_t bars = mail.find("||");
    s.Recipient = Trimmed(mail.substr(0, bars));
    s.Subject = bars == std::string::npos ? std::string() : mail.substr(bars + 2);
    s.SmtpServer = HostText(f.Param2);
    // check||count||error
    std::string numbers[3];
    std::string rest = f.Param3.Str();
    for (std::string& number : numbers) {
        const std::size_t at = rest.find("||");
        number = rest.substr(0, at);
        rest = at == std::string::npos ? std::string() : rest.substr(at + 2);
    }
    s.CheckMinutes = ParamNumber(numbers[0], s.CheckMinutes, 1, 5);
    s.MailCount = ParamNumber(numbers[1], s.MailCount, 1, 1000000);
    s.ErrorMinutes = ParamNumber(numbers[2], s.ErrorMinutes, 2, 30);
    s.Pop3Server = HostText(f.Param4);
    s.Pop3Port = ParamNumber(f.Param5, s.Pop3Port, 1, 65535);
    s.Pop3Login = f.ParamLogin.Str();
    s.Pop3Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.SmtpLogin = f.ParamLogin2.Str();
    s.SmtpPassword = CQvcString::Unscramble(f.ParamPassword2.Str()).Str();
    s.Pop3Secure = FlagAt(f.ParamByteCodes, 0, s.Pop3Secure);
    s.DeleteMessages = FlagAt(f.ParamByteCodes, 1, s.DeleteMessages);
    s.SmtpSecure = FlagAt(f.ParamByteCodes, 2, s.SmtpSecure);
    s.SmtpAuthentication = FlagAt(f.ParamByteCodes, 3, s.SmtpAuthentication);
    return s;
}

void Smtp2Pop3Settings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = Recipient + "||" + Subject;
    f.Param2 = SmtpServer;
    f.Param3 =
        std::to_string(CheckMinutes) + "||" + std::to_string(MailCount) + "||" + std::to_string(ErrorMinutes);
    f.Param4 = Pop3Server;
    f.Param5 = std::to_string(Pop3Port);
    f.ParamLogin = Pop3Login;
    f.ParamPassword = CQvcString::Scramble(Pop3Password);
    f.ParamLogin2 = SmtpLogin;
    f.ParamPassword2 = CQvcString::Scramble(SmtpPassword);
    f.ParamByteCodes =
        std::string{Flag(Pop3Secure), Flag(DeleteMessages), Flag(SmtpSecure), Flag(SmtpAuthentication)};
}

DnsSettings DnsSettings::Read(const CSnNodeCfgFunction& f) {
    DnsSettings s;
    s.Server = HostText(f.ParamServer);
    s.Name = Trimmed(f.Param1);
    s.ExpectedText = f.Param2.Str();
    s.Type =
        Choice(Upper(ByteCode(f.ParamByteCodes, 0, ChoiceCode(s.Type, kDnsRecords))), kDnsRecords, s.Type);
    s.RequireAll = FlagAt(f.ParamByteCodes, 1, s.RequireAll);
    s.Recursion = ByteCode(f.ParamByteCodes, 2, Flag(s.Recursion)) != '0';
    return s;
}

void DnsSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Server;
    f.Param1 = Name;
    f.Param2 = ExpectedText;
    f.ParamByteCodes = std::string{ChoiceCode(Type, kDnsRecords), Flag(RequireAll), Flag(Recursion)};
}

std::vector<std::string> DnsSettings::Expected() const {
    std::vector<std::string> out;
    std::string current;
    auto flush = [&] {
        if (!current.empty())
            out.push_back(current);
        current.clear();
    };
    for (char c : ExpectedText) {
        if (c == '|' || c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n')
            flush();
        else
            current += c;
    }
    flush();
    return out;
}

DiskSpaceSettings DiskSpaceSettings::Read(const CSnNodeCfgFunction& f) {
    DiskSpaceSettings s;
    s.Computer = HostText(f.ParamServer);
    s.Drive = Trimmed(f.Param2);
    s.Limit = ParamDecimal(f.Param1, s.Limit);
    s.ErrorBelow = FlagAt(f.ParamByteCodes, 0, s.ErrorBelow);
    s.MeasureFree = Upper(ByteCode(f.ParamByteCodes, 1, s.MeasureFree ? 'F' : 'U')) == 'F';
    s.LimitUnit =
        Choice(ByteCode(f.ParamByteCodes, 2, ChoiceCode(s.LimitUnit, kDiskUnits)), kDiskUnits, s.LimitUnit);
    return s;
}

void DiskSpaceSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = DecimalText(Limit);
    f.Param2 = Drive;
    f.ParamByteCodes =
        std::string{Flag(ErrorBelow), MeasureFree ? 'F' : 'U', ChoiceCode(LimitUnit, kDiskUnits)};
}

FileSettings FileSettings::Read(const CSnNodeCfgFunction& f) {
    FileSettings s;
    s.Path = Trimmed(f.Param1);
    s.Text = f.Param2.Str();
    s.SizeLimit = ParamDecimal(f.Param3, s.SizeLimit);
    s.SizeUnitBytes = UnitBytes(ByteCode(f.ParamByteCodes, 2, UnitCode(s.SizeUnitBytes)));
    s.AgeMinutes = ParamNumber(f.Param4, s.AgeMinutes, 0, 100 * 365 * 24 * 60);
    s.Rule = Choice(ByteCode(f.ParamByteCodes, 0, ChoiceCode(s.Rule, kFileRules)), kFileRules, s.Rule);
    s.ShouldBeFalse = FlagAt(f.ParamByteCodes, 1, s.ShouldBeFalse);
    return s;
}

void FileSettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = Path;
    f.Param2 = Text;
    f.Param3 = DecimalText(SizeLimit);
    f.Param4 = std::to_string(AgeMinutes);
    f.ParamByteCodes =
        std::string{ChoiceCode(Rule, kFileRules), Flag(ShouldBeFalse), UnitCode(SizeUnitBytes)};
}

DirectorySettings DirectorySettings::Read(const CSnNodeCfgFunction& f) {
    DirectorySettings s;
    s.Path = Trimmed(f.Param1);
    s.SizeLimit = ParamDecimal(f.Param2, s.SizeLimit);
    s.MaxFiles = ParamNumber(f.Param3, static_cast<int>(s.MaxFiles), 0, 2147483647);
    s.Rule =
        Choice(ByteCode(f.ParamByteCodes, 0, ChoiceCode(s.Rule, kDirectoryRules)), kDirectoryRules, s.Rule);
    s.CountDirectories = FlagAt(f.ParamByteCodes, 1, s.CountDirectories);
    s.Recursive = FlagAt(f.ParamByteCodes, 2, s.Recursive);
    s.SizeUnitBytes = UnitBytes(ByteCode(f.ParamByteCodes, 3, UnitCode(s.SizeUnitBytes)));
    s.ShouldBeFalse = FlagAt(f.ParamByteCodes, 4, s.ShouldBeFalse);
    return s;
}

void DirectorySettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = Path;
    f.Param2 = DecimalText(SizeLimit);
    f.Param3 = std::to_string(MaxFiles);
    f.ParamByteCodes = std::string{ChoiceCode(Rule, kDirectoryRules), Flag(CountDirectories), Flag(Recursive),
                                   UnitCode(SizeUnitBytes), Flag(ShouldBeFalse)};
}

ProcessSettings ProcessSettings::Read(const CSnNodeCfgFunction& f) {
    ProcessSettings s;
    s.Computer = HostText(f.ParamServer);
    s.Name = Trimmed(f.Param1);
    s.CpuLimit = ParamDecimal(f.Param2, s.CpuLimit);
    s.MemoryLimitMB = ParamDecimal(f.Param3, s.MemoryLimitMB);
    s.Excluded = f.Param4.Str();
    s.MustNotRun = FlagAt(f.ParamByteCodes, 0, s.MustNotRun);
    s.CheckMemory = FlagAt(f.ParamByteCodes, 1, s.CheckMemory);
    s.AnyProcessMemory = FlagAt(f.ParamByteCodes, 2, s.AnyProcessMemory);
    s.CheckCpu = FlagAt(f.ParamByteCodes, 3, s.CheckCpu);
    return s;
}

void ProcessSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = Name;
    f.Param2 = DecimalText(CpuLimit);
    f.Param3 = DecimalText(MemoryLimitMB);
    f.Param4 = Excluded;
    f.ParamByteCodes =
        std::string{Flag(MustNotRun), Flag(CheckMemory), Flag(AnyProcessMemory), Flag(CheckCpu)};
}

CpuSettings CpuSettings::Read(const CSnNodeCfgFunction& f) {
    CpuSettings s;
    s.Computer = HostText(f.ParamServer);
    s.MaxPercent = ParamDecimal(f.Param1, s.MaxPercent);
    s.OneCpu = FlagAt(f.ParamByteCodes, 0, s.OneCpu);
    s.Cpu = ParamNumber(f.Param2, s.Cpu, 0, 65535);
    return s;
}

void CpuSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = DecimalText(MaxPercent);
    f.Param2 = std::to_string(Cpu);
    f.ParamByteCodes = std::string{Flag(OneCpu)};
}

MemorySettings MemorySettings::Read(const CSnNodeCfgFunction& f) {
    MemorySettings s;
    s.Computer = HostText(f.ParamServer);
    s.Limit = ParamDecimal(f.Param1, s.Limit);
    s.PagesPerSecond = FlagAt(f.ParamByteCodes, 0, s.PagesPerSecond);
    return s;
}

void MemorySettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = DecimalText(Limit);
    f.ParamByteCodes = std::string{Flag(PagesPerSecond)};
}

SnmpGetSettings SnmpGetSettings::Read(const CSnNodeCfgFunction& f) {
    SnmpGetSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param6, s.Port, 1, 65535);
    s.Community = f.Param1.Str();
    s.Oid = Trimmed(f.Param2);
    std::tie(s.Value1, s.Value2) = Halves(f.Param3);
    const auto [op1, op2] = Halves(f.Param4);
    s.Operator1 = CodeNumber(op1, 0);
    s.Operator2 = CodeNumber(op2, 0);
    s.DataType = CodeNumber(f.Param5.Str(), 0);
    std::tie(s.Note, s.OidAsEntered) = Halves(f.Param7);
    s.Version1 = FlagAt(f.ParamByteCodes, 0, s.Version1);
    s.EitherCondition = FlagAt(f.ParamByteCodes, 1, s.EitherCondition);
    s.UseSecond = FlagAt(f.ParamByteCodes, 2, s.UseSecond);
    return s;
}

void SnmpGetSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param6 = std::to_string(Port);
    f.Param1 = Community;
    f.Param2 = Oid;
    f.Param3 = Joined(Value1, Value2);
    f.Param4 = Joined(std::to_string(Operator1), std::to_string(Operator2));
    f.Param5 = std::to_string(DataType);
    f.Param7 = Joined(Note, OidAsEntered);
    f.ParamByteCodes = std::string{Flag(Version1), Flag(EitherCondition), Flag(UseSecond)};
}

SnmpTrapSettings SnmpTrapSettings::Read(const CSnNodeCfgFunction& f) {
    SnmpTrapSettings s;
    s.Host = HostText(f.ParamServer);
    s.Oid = Trimmed(f.Param2);
    s.Value = f.Param3.Str();
    const auto [op, type] = Halves(f.Param4);
    s.Operator = CodeNumber(op, 0);
    s.DataType = CodeNumber(type, 0);
    s.Version = ParamNumber(f.Param5, s.Version, 0, 2);
    std::tie(s.VariableOid, s.Community) = Halves(f.Param6);
    s.ErrorWhenReceived = FlagAt(f.ParamByteCodes, 0, s.ErrorWhenReceived);
    s.OidSubtree = FlagAt(f.ParamByteCodes, 1, s.OidSubtree);
    s.MatchValue = FlagAt(f.ParamByteCodes, 2, s.MatchValue);
    s.IgnoreCase = FlagAt(f.ParamByteCodes, 3, s.IgnoreCase);
    return s;
}

void SnmpTrapSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param2 = Oid;
    f.Param3 = Value;
    f.Param4 = Joined(std::to_string(Operator), std::to_string(DataType));
    f.Param5 = std::to_string(Version);
    f.Param6 = Joined(VariableOid, Community);
    f.ParamByteCodes =
        std::string{Flag(ErrorWhenReceived), Flag(OidSubtree), Flag(MatchValue), Flag(IgnoreCase)};
}

NtpSettings NtpSettings::Read(const CSnNodeCfgFunction& f) {
    return {HostText(f.ParamServer)};
}

void NtpSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
}

bool IsInSshScriptDirectory(const std::string& local) {
    std::string path = Trimmed(CQvcString(local));
    std::string dir = kSshScriptDirectory;
    for (std::string* text : {&path, &dir}) {
        std::replace(text->begin(), text->end(), '\\', '/');
        std::transform(text->begin(), text->end(), text->begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    if (path.size() <= dir.size() || path.compare(0, dir.size(), dir) != 0 || path.back() == '/')
        return false;
    for (std::size_t at = dir.size(); at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (path.compare(at, end - at, "..") == 0 && end - at == 2)
            return false;
        at = end + 1;
    }
    return true;
}

SshSettings SshSettings::Read(const CSnNodeCfgFunction& f) {
    SshSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.Account = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.KeyFile = Trimmed(f.Param2);
    s.Command = f.Param3.Str();
    s.TimeoutMs = ParamNumber(f.Param4, s.TimeoutMs, 1, 3600 * 1000);
    s.LocalScript = Trimmed(f.Param5);
    s.UseKey = FlagAt(f.ParamByteCodes, 0, s.UseKey);
    s.AcceptHostKey = FlagAt(f.ParamByteCodes, 1, s.AcceptHostKey);
    s.ErrorOnStderr = FlagAt(f.ParamByteCodes, 2, s.ErrorOnStderr);
    s.CopyScript = FlagAt(f.ParamByteCodes, 3, s.CopyScript);
    return s;
}

void SshSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.ParamLogin = Account;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.Param2 = KeyFile;
    f.Param3 = Command;
    f.Param4 = std::to_string(TimeoutMs);
    f.Param5 = LocalScript;
    f.ParamByteCodes = std::string{Flag(UseKey), Flag(AcceptHostKey), Flag(ErrorOnStderr), Flag(CopyScript)};
}

RshSettings RshSettings::Read(const CSnNodeCfgFunction& f) {
    RshSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.User = f.ParamLogin.Str();
    s.Command = f.Param2.Str();
    s.TimeoutMs = ParamNumber(f.Param5, s.TimeoutMs, 1, 3600 * 1000);
    s.ErrorOnStderr = FlagAt(f.ParamByteCodes, 1, s.ErrorOnStderr);
    return s;
}

void RshSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.ParamLogin = User;
    f.Param2 = Command;
    f.Param5 = std::to_string(TimeoutMs);
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 1, Flag(ErrorOnStderr));
}

TraceRouteSettings TraceRouteSettings::Read(const CSnNodeCfgFunction& f) {
    TraceRouteSettings s;
    s.Host = HostText(f.ParamServer);
    s.MaxHops = ParamNumber(f.Param1, s.MaxHops, 1, 255);
    s.Hops = f.Param2.Str();
    s.MaxHopMs = ParamNumber(f.Param3, s.MaxHopMs, 1, 3600 * 1000);
    s.Resolve = FlagAt(f.ParamByteCodes, 0, s.Resolve);
    s.Rule = Choice(ByteCode(f.ParamByteCodes, 1, ChoiceCode(s.Rule, kHopRules)), kHopRules, s.Rule);
    s.CheckHopTime = FlagAt(f.ParamByteCodes, 2, s.CheckHopTime);
    return s;
}

void TraceRouteSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(MaxHops);
    f.Param2 = Hops;
    f.Param3 = std::to_string(MaxHopMs);
    f.ParamByteCodes = std::string{Flag(Resolve), ChoiceCode(Rule, kHopRules), Flag(CheckHopTime)};
}

std::vector<std::string> TraceRouteSettings::HopList() const {
    std::vector<std::string> out;
    std::string current;
    for (char c : Hops + ' ') {
        if (c == '|' || c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c))) {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return out;
}

RadiusSettings RadiusSettings::Read(const CSnNodeCfgFunction& f) {
    RadiusSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.Secret = f.Param2.Str();
    s.TimeoutMs = ParamNumber(f.Param3, s.TimeoutMs, 1, 3600 * 1000);
    s.User = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    return s;
}

void RadiusSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.Param2 = Secret;
    f.Param3 = std::to_string(TimeoutMs);
    f.ParamLogin = User;
    f.ParamPassword = CQvcString::Scramble(Password);
}

SmppSettings SmppSettings::Read(const CSnNodeCfgFunction& f) {
    SmppSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, s.Port, 1, 65535);
    s.SystemType = f.Param2.Str();
    s.SystemId = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.LogOn = FlagAt(f.ParamByteCodes, 0, s.LogOn);
    return s;
}

void SmppSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param1 = std::to_string(Port);
    f.Param2 = SystemType;
    f.ParamLogin = SystemId;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.ParamByteCodes = std::string{Flag(LogOn)};
}

std::string WithoutScheme(const std::string& host, const std::string& scheme) {
    const bool has =
        host.size() >= scheme.size() &&
        std::equal(scheme.begin(), scheme.end(), host.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
    return has ? host.substr(scheme.size()) : host;
}

ScriptCheckSettings ScriptCheckSettings::Read(const CSnNodeCfgFunction& f) {
    ScriptCheckSettings s;
    s.File = f.Param1.Str();
    s.Function = Trimmed(f.Param2);
    const CQvcLazyString* args[] = {&f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8};
    for (std::size_t i = 0; i < s.Args.size(); ++i)
        s.Args[i] = args[i]->Str();
    s.TimeoutSecs = f.ScriptTimeout > 0 ? f.ScriptTimeout : s.TimeoutSecs;
    s.BlockAfterFailure = FlagAt(f.ParamByteCodes, 0, s.BlockAfterFailure);
    return s;
}

void ScriptCheckSettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = File;
    f.Param2 = Function;
    CQvcLazyString* args[] = {&f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8};
    for (std::size_t i = 0; i < 6; ++i)
        *args[i] = i < Args.size() ? Args[i] : std::string();
    f.ScriptTimeout = TimeoutSecs;
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 0, Flag(BlockAfterFailure));
}

int DirectoryFunctionMode(const ScriptCheckSettings& settings) {
    const std::size_t slash = settings.File.find_last_of("\\/");
    CQvcString name(slash == std::string::npos ? settings.File : settings.File.substr(slash + 1));
    name.Trim();
    if (!name.EqualsNoCase("DirectoryService.vbs"))
        return 0;
    const CQvcString function(settings.Function);
    if (function.EqualsNoCase(kLdapFunction))
        return 2;
    if (function.EqualsNoCase(kMembershipFunction))
        return 1;
    return 0;
}

namespace {

// A list stored as entries joined by "||"; blank entries are dropped.
std::vector<std::string> ListEntries(const CQvcString& text) {
    std::vector<std::string> entries;
    const std::string all = text.Str();
    for (std::size_t start = 0; start <= all.size();) {
        const std::size_t at = std::min(all.find("||", start), all.size());
        const std::string entry = Trimmed(all.substr(start, at - start));
        if (!entry.empty())
            entries.push_back(entry);
        start = at + 2;
    }
    return entries;
}

std::string ListText(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : "||") + entry;
    return text;
}

} // namespace

ServiceSettings ServiceSettings::Read(const CSnNodeCfgFunction& f) {
    return {HostText(f.ParamServer), Trimmed(f.Param1), FlagAt(f.ParamByteCodes, 0, false)};
}

void ServiceSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = Service;
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 0, Flag(MustNotRun));
}

RegistrySettings RegistrySettings::Read(const CSnNodeCfgFunction& f) {
    RegistrySettings s;
    s.Computer = HostText(f.ParamServer);
    s.RootKey = Trimmed(f.Param1);
    s.SubKey = Trimmed(f.Param2);
    s.Value = Trimmed(f.Param3);
    const auto [op1, op2] = Halves(f.Param4);
    s.Operator1 = CodeNumber(op1, s.Operator1);
    s.Operator2 = CodeNumber(op2, s.Operator2);
    std::tie(s.Data1, s.Data2) = Halves(f.Param5);
    s.DetectChange = FlagAt(f.ParamByteCodes, 0, s.DetectChange);
    s.UseSecond = FlagAt(f.ParamByteCodes, 1, s.UseSecond);
    s.EitherCondition = FlagAt(f.ParamByteCodes, 2, s.EitherCondition);
    return s;
}

void RegistrySettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = RootKey;
    f.Param2 = SubKey;
    f.Param3 = Value;
    f.Param4 = Joined(std::to_string(Operator1), std::to_string(Operator2));
    f.Param5 = Joined(Data1, Data2);
    f.ParamByteCodes = std::string{Flag(DetectChange), Flag(UseSecond), Flag(EitherCondition)};
}

ServerRoleSettings ServerRoleSettings::Read(const CSnNodeCfgFunction& f) {
    return {HostText(f.ParamServer), Trimmed(f.Param1), ListEntries(f.Param2), ListEntries(f.Param3),
            ListEntries(f.Param4)};
}

void ServerRoleSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = Role;
    f.Param2 = ListText(Services);
    f.Param3 = ListText(Processes);
    f.Param4 = ListText(Counters);
}

EventLogSettings EventLogSettings::Read(const CSnNodeCfgFunction& f) {
    EventLogSettings s;
    s.Computer = HostText(f.ParamServer);
    s.Log = Trimmed(f.Param1);
    s.Source = Trimmed(f.Param2);
    s.Category = Trimmed(f.Param3);
    s.Id = Trimmed(f.Param4);
    s.User = Trimmed(f.Param5);
    s.Description = f.Param6.Str();
    s.LastMinutes = ParamNumber(f.Param7, s.LastMinutes, 1, 100 * 365 * 24 * 60);
    s.ErrorWhenAbsent = FlagAt(f.ParamByteCodes, 0, s.ErrorWhenAbsent);
    s.CaseSensitive = FlagAt(f.ParamByteCodes, 1, s.CaseSensitive);
    for (std::size_t i = 0; i < s.EventTypes.size(); ++i)
        s.EventTypes[i] = FlagAt(f.ParamByteCodes, 2 + i, true);
    return s;
}

void EventLogSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = Log;
    f.Param2 = Source;
    f.Param3 = Category;
    f.Param4 = Id;
    f.Param5 = User;
    f.Param6 = Description;
    f.Param7 = std::to_string(LastMinutes);
    std::string codes = WithCode(WithCode(f.ParamByteCodes, 0, Flag(ErrorWhenAbsent)), 1, Flag(CaseSensitive));
    for (std::size_t i = 0; i < EventTypes.size(); ++i)
        codes = WithCode(codes, 2 + i, Flag(EventTypes[i]));
    f.ParamByteCodes = codes;
}

TerminalServerSettings TerminalServerSettings::Read(const CSnNodeCfgFunction& f) {
    TerminalServerSettings s;
    s.Computer = HostText(f.ParamServer);
    s.MaxActive = ParamNumber(f.Param1, s.MaxActive, 0, 1000000);
    s.MaxInactive = ParamNumber(f.Param2, s.MaxInactive, 0, 1000000);
    s.MaxTotal = ParamNumber(f.Param3, s.MaxTotal, 0, 1000000);
    s.CheckActive = FlagAt(f.ParamByteCodes, 0, s.CheckActive);
    s.CheckInactive = FlagAt(f.ParamByteCodes, 1, s.CheckInactive);
    s.CheckTotal = FlagAt(f.ParamByteCodes, 2, s.CheckTotal);
    return s;
}

void TerminalServerSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = std::to_string(MaxActive);
    f.Param2 = std::to_string(MaxInactive);
    f.Param3 = std::to_string(MaxTotal);
    f.ParamByteCodes = std::string{Flag(CheckActive), Flag(CheckInactive), Flag(CheckTotal)};
}

DiskDrivesSettings DiskDrivesSettings::Read(const CSnNodeCfgFunction& f) {
    return {HostText(f.ParamServer)};
}

void DiskDrivesSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
}

RemoteCommandSettings RemoteCommandSettings::Read(const CSnNodeCfgFunction& f) {
    RemoteCommandSettings s;
    s.Host = HostText(f.ParamServer);
    s.Command = f.Param2.Str();
    s.TimeoutMs = ParamNumber(f.Param5, s.TimeoutMs, 1, 3600 * 1000);
    s.ErrorOnStderr = FlagAt(f.ParamByteCodes, 1, s.ErrorOnStderr);
    s.UseCredentials = f.UseCredentials != 0;
    return s;
}

void RemoteCommandSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Host;
    f.Param2 = Command;
    f.Param5 = std::to_string(TimeoutMs);
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 1, Flag(ErrorOnStderr));
    f.UseCredentials = UseCredentials ? 1 : 0;
}

namespace {

// `text` cut at every `separator`; empty parts are kept.
std::vector<std::string> SplitAll(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string JoinAll(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : separator) + parts[i];
    return text;
}

constexpr char kFlowCodes[] = "012"; // Flow::None, Hardware, Software

} // namespace

PrinterSettings PrinterSettings::Read(const CSnNodeCfgFunction& f) {
    return {HostText(f.ParamServer), Trimmed(f.Param1)};
}

void PrinterSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Server;
    f.Param1 = Printer;
}

ScheduledTaskSettings ScheduledTaskSettings::Read(const CSnNodeCfgFunction& f) {
    ScheduledTaskSettings s;
    s.LogFile = Trimmed(f.Param1);
    s.Job = f.Param2.Str();
    s.Keyword = f.Param3.Str();
    s.DateFormat = f.Param4.Str();
    s.Pattern = f.Param5.Str();
    s.ErrorWhenMatched = FlagAt(f.ParamByteCodes, 0, s.ErrorWhenMatched);
    return s;
}

void ScheduledTaskSettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = LogFile;
    f.Param2 = Job;
    f.Param3 = Keyword;
    f.Param4 = DateFormat;
    f.Param5 = Pattern;
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 0, Flag(ErrorWhenMatched));
}

MsmqSettings MsmqSettings::Read(const CSnNodeCfgFunction& f) {
    MsmqSettings s;
    s.Computer = HostText(f.ParamServer);
    s.Queue = Trimmed(f.Param1);
    s.MaxMessages = ParamNumber(f.Param2, s.MaxMessages, 1, 999999999);
    s.MaxSizeMB = ParamNumber(f.Param3, s.MaxSizeMB, 1, 999999999);
    s.PrivateQueue = FlagAt(f.ParamByteCodes, 0, s.PrivateQueue);
    return s;
}

void MsmqSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    f.Param1 = Queue;
    f.Param2 = std::to_string(MaxMessages);
    f.Param3 = std::to_string(MaxSizeMB);
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 0, Flag(PrivateQueue));
}

SerialDeviceSettings SerialDeviceSettings::Read(const CSnNodeCfgFunction& f) {
    SerialDeviceSettings s;
    s.Device = Trimmed(f.ParamServer);
    s.FlowControl = Choice(ByteCode(Trimmed(f.Param1), 0, '0'), kFlowCodes, s.FlowControl);
    s.BaudRate = ParamNumber(f.Param2, s.BaudRate, 1, 99999999);
    s.Send = f.Param3.Str();
    s.Expect = f.Param4.Str();
    s.TimeoutMs = ParamNumber(f.Param5, s.TimeoutMs, 1, 3600 * 1000);
    s.SendText = FlagAt(f.ParamByteCodes, 0, s.SendText);
    s.ExpectResponse = FlagAt(f.ParamByteCodes, 1, s.ExpectResponse);
    return s;
}

void SerialDeviceSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Device;
    f.Param1 = std::string(1, ChoiceCode(FlowControl, kFlowCodes));
    f.Param2 = std::to_string(BaudRate);
    f.Param3 = Send;
    f.Param4 = Expect;
    f.Param5 = std::to_string(TimeoutMs);
    f.ParamByteCodes = std::string{Flag(SendText), Flag(ExpectResponse)};
}

PerfCounterSettings PerfCounterSettings::Read(const CSnNodeCfgFunction& f) {
    PerfCounterSettings s;
    s.Computer = HostText(f.ParamServer);
    if (Trimmed(f.Param1).empty())
        return s;
    for (const std::string& entry : SplitAll(f.Param1.Str(), "||")) {
        std::vector<std::string> fields = SplitAll(entry, "|");
        fields.resize(3);
        s.Counters.push_back({fields[0], CodeNumber(fields[1], Counter{}.Operator), fields[2]});
    }
    return s;
}

void PerfCounterSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Computer;
    std::vector<std::string> entries;
    for (const Counter& c : Counters)
        entries.push_back(JoinAll({c.Path, std::to_string(c.Operator), c.Limit}, "|"));
    f.Param1 = JoinAll(entries, "||");
}

RemovableDrivesSettings RemovableDrivesSettings::Read(const CSnNodeCfgFunction& f) {
    RemovableDrivesSettings s;
    s.WholeDomain = FlagAt(f.ParamByteCodes, 0, s.WholeDomain);
    s.Domain = Trimmed(f.ParamServer);
    s.Computers = Trimmed(f.Param1);
    s.ExcludeDrives = FlagAt(f.ParamByteCodes, 1, s.ExcludeDrives);
    s.Drives = Trimmed(f.Param2);
    s.CountOptical = FlagAt(f.ParamByteCodes, 2, s.CountOptical);
    return s;
}

void RemovableDrivesSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Domain;
    f.Param1 = Computers;
    f.Param2 = Drives;
    f.ParamByteCodes = std::string{Flag(WholeDomain), Flag(ExcludeDrives), Flag(CountOptical)};
}

EnvironmentalSettings EnvironmentalSettings::Read(const CSnNodeCfgFunction& f) {
    EnvironmentalSettings s;
    s.Device = HostText(f.ParamServer);
    s.Probe = ParamNumber(f.Param1, s.Probe, 0, 999999);
    s.TemperatureUnit = ParamNumber(f.Param2, s.TemperatureUnit, 0, 3);
    const std::vector<std::string> range = SplitAll(f.Param3.Str(), "|");
    s.Low = range[0];
    s.High = range.size() > 1 ? range[1] : std::string();
    std::vector<std::string> log = SplitAll(f.Param5.Str(), "||");
    log.resize(5);
    s.Log = log[0] == "1";
    s.LogDatabase = log[1];
    s.LogTable = log[2];
    s.LogFile = log[3];
    s.LogExtra = log[4];
    return s;
}

void EnvironmentalSettings::Write(CSnNodeCfgFunction& f) const {
    f.ParamServer = Device;
    f.Param1 = std::to_string(Probe);
    f.Param2 = std::to_string(TemperatureUnit);
    f.Param3 = Low + "|" + High;
    f.Param5 = JoinAll({Log ? "1" : "0", LogDatabase, LogTable, LogFile, LogExtra}, "||");
}

PowerShellSettings PowerShellSettings::Read(const CSnNodeCfgFunction& f) {
    PowerShellSettings s;
    s.File = Halves(f.Param1).first;
    const CQvcLazyString* args[] = {&f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8};
    for (std::size_t i = 0; i < s.Args.size(); ++i)
        s.Args[i] = args[i]->Str();
    s.TimeoutSecs = f.ScriptTimeout > 0 ? f.ScriptTimeout : s.TimeoutSecs;
    s.StopOnTimeout = FlagAt(f.ParamByteCodes, 0, s.StopOnTimeout);
    s.TimeoutIsError = FlagAt(f.ParamByteCodes, 1, s.TimeoutIsError);
    s.ErrorOnStderr = FlagAt(f.ParamByteCodes, 2, s.ErrorOnStderr);
    return s;
}

void PowerShellSettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = File;
    CQvcLazyString* args[] = {&f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8};
    for (std::size_t i = 0; i < 6; ++i)
        *args[i] = i < Args.size() ? Args[i] : std::string();
    f.ScriptTimeout = TimeoutSecs;
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 0, Flag(StopOnTimeout));
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 1, Flag(TimeoutIsError));
    f.ParamByteCodes = WithCode(f.ParamByteCodes, 2, Flag(ErrorOnStderr));
}

ImapSettings ImapSettings::Read(const CSnNodeCfgFunction& f) {
    ImapSettings s;
    s.Connection = TcpSettings::Read(f);
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    return s;
}

void ImapSettings::Write(CSnNodeCfgFunction& f) const {
    Connection.Write(f);
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
}

OdbcSettings OdbcSettings::Read(const CSnNodeCfgFunction& f) {
    return {Trimmed(f.Param1), f.ParamLogin.Str(), CQvcString::Unscramble(f.ParamPassword.Str()).Str()};
}

void OdbcSettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = Dsn;
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
}

OracleSettings OracleSettings::Read(const CSnNodeCfgFunction& f) {
    return {Trimmed(f.Param1), f.ParamOption != 0, f.ParamLogin.Str(),
            CQvcString::Unscramble(f.ParamPassword.Str()).Str()};
}

void OracleSettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = Server;
    f.ParamOption = LogOn ? 1 : 0;
    f.ParamLogin = Login;
    f.ParamPassword = CQvcString::Scramble(Password);
}

DatabaseQuerySettings DatabaseQuerySettings::Read(const CSnNodeCfgFunction& f) {
    DatabaseQuerySettings s;
    s.Connection = Trimmed(f.Param1);
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.Query = f.Param2.Str();
    s.Field = Trimmed(f.Param3);
    s.Type = CodeNumber(f.Param6.Str(), kNoType);
    std::tie(s.Value1, s.Value2) = Halves(f.Param4);
    const auto [op1, op2] = Halves(f.Param5);
    s.Operator1 = CodeNumber(op1, 0);
    s.Operator2 = CodeNumber(op2, 0);
    s.UseSecond = FlagAt(f.ParamByteCodes, 1, s.UseSecond);
    s.EitherCondition = FlagAt(f.ParamByteCodes, 2, s.EitherCondition);
    return s;
}

void DatabaseQuerySettings::Write(CSnNodeCfgFunction& f) const {
    f.Param1 = Connection;
    f.ParamPassword = CQvcString::Scramble(Password);
    f.Param2 = Query;
    f.Param3 = Field;
    f.Param6 = std::to_string(Type);
    f.Param4 = Joined(Value1, Value2);
    f.Param5 = Joined(std::to_string(Operator1), std::to_string(Operator2));
    f.ParamByteCodes = WithCode(WithCode(f.ParamByteCodes, 1, Flag(UseSecond)), 2, Flag(EitherCondition));
}

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to, bool ignoreCase) {
    if (from.empty())
        return text;
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    const std::string pattern = ignoreCase ? lower(from) : from;
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t hit = (ignoreCase ? lower(text) : text).find(pattern, at);
        if (hit == std::string::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, hit - at) + to;
        at = hit + pattern.size();
    }
    return out;
}

std::string WithFinalSeparator(std::string root) {
    if (!root.empty() && root.back() != '/' && root.back() != '\\')
        root += '/';
    return root;
}

} // namespace

std::string ConnectionWithRootPlaceholder(const std::string& connection, const std::string& engineRoot) {
    std::string root = engineRoot;
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\'))
        root.pop_back();
    if (root.empty())
        return connection;
    // Only a whole path counts: one that begins where a value begins and goes on below
    // the root or ends with it ("/srv/root2" is not below "/srv/root").
    const auto startsValue = [&](std::size_t at) { return at == 0 || std::strchr("=;\"' ", connection[at - 1]); };
    std::string out;
    std::size_t at = 0;
    for (std::size_t hit = connection.find(root); hit != std::string::npos; hit = connection.find(root, hit + 1)) {
        const std::size_t end = hit + root.size();
        const char next = end < connection.size() ? connection[end] : ';';
        if (!startsValue(hit) || std::strchr("/\\;\"'", next) == nullptr)
            continue;
        out += connection.substr(at, hit - at) + "<SNROOT>";
        at = next == '/' || next == '\\' ? end + 1 : end;
        hit = at - 1;
    }
    return out + connection.substr(at);
}

std::string ConnectionWithRoot(const std::string& stored, const std::string& engineRoot) {
    if (engineRoot.empty())
        return stored;
    return Replaced(stored, "<SNROOT>", WithFinalSeparator(engineRoot), true);
}
