#include "engine/CheckSettings.h"

#include "model/checks/CheckTypes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

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

// "||" as CR LF; CR LF added at the end unless the text ends with a line break.
std::string WireText(const CQvcString& text) {
    CQvcString wire = text;
    wire.BarsToLineBreaks();
    std::string out = wire.Str();
    if (!out.empty() && out.back() != '\n')
        out += "\r\n";
    return out;
}

} // namespace

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
    s.TimeoutMs = ParamNumber(f.Param1, 1000, 1, 10000);
    s.Count = ParamNumber(f.Param2, 1, 1, 8);
    s.Ttl = ParamNumber(f.Param3, 255, 1, 255);
    s.PayloadBytes = ParamNumber(f.Param4, 32, 0, 8191);
    return s;
}

int TcpSettings::DefaultPort(int type) {
    switch (type) {
    case kTypeNntp:
        return 119;
    case kTypeImap:
        return 143;
    case kTypeCitrixIca:
        return 1494;
    default:
        return 80;
    }
}

TcpSettings TcpSettings::Read(const CSnNodeCfgFunction& f) {
    TcpSettings s;
    s.Host = HostText(f.ParamServer);
    s.Port = ParamNumber(f.Param1, DefaultPort(f.Type), 1, 65535);
    s.SendText = ByteCode(f.ParamByteCodes, 0, '0') == '1';
    s.Send = WireText(f.Param2);
    s.ExpectResponse = ByteCode(f.ParamByteCodes, 1, '0') == '1';
    s.Expect = f.Param3.Str();
    s.TimeoutMs = ParamNumber(f.Param4, 7000, 1, 3600 * 1000);
    return s;
}

HttpSettings HttpSettings::Read(const CSnNodeCfgFunction& f) {
    HttpSettings s;
    s.Https = ByteCode(f.ParamByteCodes, 0, '0') == '1';
    std::string host = HostText(f.ParamServer);
    auto dropScheme = [&host](std::string_view scheme) {
        if (host.size() >= scheme.size() &&
            std::equal(scheme.begin(), scheme.end(), host.begin(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); })) {
            host.erase(0, scheme.size());
            return true;
        }
        return false;
    };
    if (dropScheme("https://"))
        s.Https = true;
    else if (dropScheme("http://"))
        s.Https = false;
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
    s.MatchContent = ByteCode(f.ParamByteCodes, 2, '0') == '1';
    s.Content = f.Param2.Str();
    s.StatusRule = Trimmed(f.Param3);
    s.UseProxy = ByteCode(f.ParamByteCodes, 5, '0') == '1';
    s.Proxy = HostText(f.Param4);
    s.TimeoutSecs = ParamNumber(f.Param5, 5, 1, 3600);
    s.WebLogin = ByteCode(f.ParamByteCodes, 4, '0') == '1';
    s.Login = f.ParamLogin.Str();
    s.Password = CQvcString::Unscramble(f.ParamPassword.Str()).Str();
    s.ProxyLogin = ByteCode(f.ParamByteCodes, 6, '0') == '1';
    s.ProxyAccount = f.ParamLogin2.Str();
    s.ProxyPassword = CQvcString::Unscramble(f.ParamPassword2.Str()).Str();
    s.FollowRedirects = ByteCode(f.ParamByteCodes, 7, '1') != '0';
    s.AnyCertificate = ByteCode(f.ParamByteCodes, 8, '0') == '1';
    return s;
}

std::string HttpSettings::Url() const {
    std::string url = Https ? "https://" : "http://";
    url += HostPort;
    if (Path.empty() || (Path.front() != '/' && Path.front() != '?'))
        url += '/';
    url += Path;
    return url;
}

DnsSettings DnsSettings::Read(const CSnNodeCfgFunction& f) {
    DnsSettings s;
    s.Server = HostText(f.ParamServer);
    s.Name = Trimmed(f.Param1);
    s.ExpectedText = f.Param2.Str();
    switch (std::toupper(static_cast<unsigned char>(ByteCode(f.ParamByteCodes, 0, 'A')))) {
    case 'M':
        s.Type = Record::MX;
        break;
    case 'C':
        s.Type = Record::CNAME;
        break;
    default:
        s.Type = Record::A;
        break;
    }
    s.RequireAll = ByteCode(f.ParamByteCodes, 1, '0') == '1';
    s.Recursion = ByteCode(f.ParamByteCodes, 2, '1') != '0';
    return s;
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
    s.Limit = ParamDecimal(f.Param1, 85);
    s.ErrorBelow = ByteCode(f.ParamByteCodes, 0, '0') == '1';
    s.MeasureFree = std::toupper(static_cast<unsigned char>(ByteCode(f.ParamByteCodes, 1, 'U'))) == 'F';
    switch (ByteCode(f.ParamByteCodes, 2, '2')) {
    case '0':
        s.LimitUnit = Unit::MB;
        break;
    case '1':
        s.LimitUnit = Unit::GB;
        break;
    default:
        s.LimitUnit = Unit::Percent;
        break;
    }
    return s;
}

FileSettings FileSettings::Read(const CSnNodeCfgFunction& f) {
    FileSettings s;
    s.Path = Trimmed(f.Param1);
    s.Text = f.Param2.Str();
    s.SizeLimit = ParamDecimal(f.Param3, 5);
    s.SizeUnitBytes = UnitBytes(ByteCode(f.ParamByteCodes, 2, '0'));
    s.AgeMinutes = ParamNumber(f.Param4, 60, 0, 100 * 365 * 24 * 60);
    switch (ByteCode(f.ParamByteCodes, 0, '1')) {
    case '0':
        s.Rule = Condition::MaxSize;
        break;
    case '2':
        s.Rule = Condition::Contains;
        break;
    case '3':
        s.Rule = Condition::ChangedWithin;
        break;
    default:
        s.Rule = Condition::Exists;
        break;
    }
    s.ShouldBeFalse = ByteCode(f.ParamByteCodes, 1, '0') == '1';
    return s;
}

DirectorySettings DirectorySettings::Read(const CSnNodeCfgFunction& f) {
    DirectorySettings s;
    s.Path = Trimmed(f.Param1);
    s.SizeLimit = ParamDecimal(f.Param2, 1024);
    s.MaxFiles = ParamNumber(f.Param3, 1000, 0, 2147483647);
    switch (ByteCode(f.ParamByteCodes, 0, '0')) {
    case '1':
        s.Rule = Condition::MaxSize;
        break;
    case '2':
        s.Rule = Condition::MaxFiles;
        break;
    default:
        s.Rule = Condition::Exists;
        break;
    }
    s.CountDirectories = ByteCode(f.ParamByteCodes, 1, '0') == '1';
    s.Recursive = ByteCode(f.ParamByteCodes, 2, '0') == '1';
    s.SizeUnitBytes = UnitBytes(ByteCode(f.ParamByteCodes, 3, '0'));
    s.ShouldBeFalse = ByteCode(f.ParamByteCodes, 4, '0') == '1';
    return s;
}

ProcessSettings ProcessSettings::Read(const CSnNodeCfgFunction& f) {
    ProcessSettings s;
    s.Computer = HostText(f.ParamServer);
    s.Name = Trimmed(f.Param1);
    s.CpuLimit = ParamDecimal(f.Param2, 50);
    s.MemoryLimitMB = ParamDecimal(f.Param3, 100);
    s.Excluded = f.Param4.Str();
    s.MustNotRun = ByteCode(f.ParamByteCodes, 0, '0') == '1';
    s.CheckMemory = ByteCode(f.ParamByteCodes, 1, '0') == '1';
    s.AnyProcessMemory = ByteCode(f.ParamByteCodes, 2, '0') == '1';
    s.CheckCpu = ByteCode(f.ParamByteCodes, 3, '0') == '1';
    return s;
}

CpuSettings CpuSettings::Read(const CSnNodeCfgFunction& f) {
    CpuSettings s;
    s.Computer = HostText(f.ParamServer);
    s.MaxPercent = ParamDecimal(f.Param1, 80);
    s.OneCpu = ByteCode(f.ParamByteCodes, 0, '0') == '1';
    s.Cpu = ParamNumber(f.Param2, 0, 0, 65535);
    return s;
}

MemorySettings MemorySettings::Read(const CSnNodeCfgFunction& f) {
    MemorySettings s;
    s.Computer = HostText(f.ParamServer);
    s.Limit = ParamDecimal(f.Param1, 100);
    s.PagesPerSecond = ByteCode(f.ParamByteCodes, 0, '0') == '1';
    return s;
}
