#include "model/notify/NotifyPageRules.h"

#include "model/notify/AddressRules.h"

#include <string>

namespace notifyrules {

const char* const kTemplatePlaceholders[10] = {"Name", "Host",     "Type", "Status", "Data",
                                               "Response", "Time", "Folder", "ID",   "Direction"};

namespace {

CQvcString Trimmed(const CQvcString& text) {
    CQvcString t = text;
    return t.Trim();
}

// The port as a number, or 0 when it is not one from 1 to 65535.
std::int32_t PortNumber(const CQvcString& text) {
    const std::string s = Trimmed(text).Str();
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const long port = std::stol(s);
    return port >= 1 && port <= 65535 ? static_cast<std::int32_t>(port) : 0;
}

CQvcString CheckServer(const SmtpServerFields& f, const char* which) {
    const CQvcString prefix = CQvcString(which) + " SMTP server: ";
    if (PortNumber(f.Port) == 0)
        return prefix + "the port must be a number from 1 to 65535.";
    const bool implicitPort = PortNumber(f.Port) == kImplicitTlsPort;
    if (f.Security == SmtpSecurity::Tls && !implicitPort)
        return prefix + "TLS is used on port 465 only; choose STARTTLS for other ports.";
    if (f.Security == SmtpSecurity::StartTls && implicitPort)
        return prefix + "port 465 uses TLS, not STARTTLS.";
    if (f.Auth && Trimmed(f.Login).IsEmpty())
        return prefix + "a login is required when the server requires authentication.";
    if (Trimmed(f.SenderAddress).IsEmpty())
        return prefix + "the sender's e-mail address is required.";
    if (!IsValidEmailAddress(Trimmed(f.SenderAddress)))
        return prefix + "invalid sender e-mail address.";
    return CQvcString();
}

SmtpServerFields ServerFrom(const CQvcString& server, std::int32_t port, bool secure, bool auth,
                            const CQvcString& login, const CQvcString& password, const CQvcString& name,
                            const CQvcString& address) {
    return {server,   CQvcString(std::to_string(port)), SecurityOf(secure, port), auth, login,
            CQvcString::Unscramble(password.Str()), name, address};
}

} // namespace

SmtpSecurity SecurityOf(bool secure, std::int32_t port) {
    if (!secure)
        return SmtpSecurity::None;
    return port == kImplicitTlsPort ? SmtpSecurity::Tls : SmtpSecurity::StartTls;
}

bool IsSecure(SmtpSecurity security) { return security != SmtpSecurity::None; }

CQvcString CheckSmtpPage(const SmtpPageFields& fields) {
    if (!fields.Enabled)
        return CQvcString();
    if (Trimmed(fields.Primary.Server).IsEmpty())
        return CQvcString("The primary SMTP server is required while e-mail notifications are enabled.");
    if (CQvcString refusal = CheckServer(fields.Primary, "Primary"); !refusal.IsEmpty())
        return refusal;
    if (!Trimmed(fields.Secondary.Server).IsEmpty())
        return CheckServer(fields.Secondary, "Secondary");
    return CQvcString();
}

SmtpPageFields SmtpPageFrom(const CSnSmtpSettings& s) {
    return {!Trimmed(s.Server1).IsEmpty(),
            ServerFrom(s.Server1, s.Port1, s.Secure1, s.AuthRequired1, s.Login1, s.Password1, s.SenderName1,
                       s.SenderAddress1),
            ServerFrom(s.Server2, s.Port2, s.Secure2, s.AuthRequired2, s.Login2, s.Password2, s.SenderName2,
                       s.SenderAddress2),
            s.CharSet};
}

void SmtpPageTo(const SmtpPageFields& f, CSnSmtpSettings& s) {
    auto put = [](const SmtpServerFields& in, CQvcString& server, std::int32_t& port, bool& secure, bool& auth,
                  CQvcString& login, CQvcString& password, CQvcString& name, CQvcString& address) {
        server = Trimmed(in.Server);
        if (const std::int32_t p = PortNumber(in.Port))
            port = p;
        secure = IsSecure(in.Security);
        auth = in.Auth;
        login = Trimmed(in.Login);
        password = CQvcString::Scramble(in.Password.Str());
        name = Trimmed(in.SenderName);
        address = Trimmed(in.SenderAddress);
    };
    put(f.Primary, s.Server1, s.Port1, s.Secure1, s.AuthRequired1, s.Login1, s.Password1, s.SenderName1,
        s.SenderAddress1);
    put(f.Secondary, s.Server2, s.Port2, s.Secure2, s.AuthRequired2, s.Login2, s.Password2, s.SenderName2,
        s.SenderAddress2);
    if (!f.Enabled)
        s.Server1 = CQvcString();
    s.CharSet = f.CharSet;
}

namespace {

// Dotted decimal arcs, at least two, the first 0, 1 or 2.
bool IsValidOid(const std::string& oid) {
    if (oid.empty() || oid.find_first_not_of("0123456789.") != std::string::npos || oid.front() == '.' ||
        oid.back() == '.' || oid.find("..") != std::string::npos || oid.find('.') == std::string::npos)
        return false;
    return oid[0] <= '2' && (oid.size() < 2 || oid[1] == '.');
}

} // namespace

CQvcString CheckTrapsPage(const TrapsPageFields& f) {
    if (!f.Enabled)
        return CQvcString();
    if (Trimmed(f.Agent).IsEmpty())
        return CQvcString("The agent that receives the traps is required while SNMP trap notifications are enabled.");
    if (PortNumber(f.Port) == 0)
        return CQvcString("SNMP traps: the port must be a number from 1 to 65535.");
    if (Trimmed(f.Community).IsEmpty())
        return CQvcString("SNMP traps: the community is required.");
    if (!IsValidOid(Trimmed(f.Oid).Str()))
        return CQvcString("SNMP traps: invalid enterprise OID (digits separated by dots, such as 1.3.6.1.4.1.0).");
    return CQvcString();
}

TrapsPageFields TrapsPageFrom(const CSnSnmpTrapsSettings& s) {
    return {!Trimmed(s.Agent).IsEmpty(), s.Agent,          CQvcString(std::to_string(s.Port)), s.Community,
            s.ProtocolVersion,           s.GenericTrap,    s.Oid};
}

void TrapsPageTo(const TrapsPageFields& f, CSnSnmpTrapsSettings& s) {
    s.Agent = f.Enabled ? Trimmed(f.Agent) : CQvcString();
    if (const std::int32_t port = PortNumber(f.Port))
        s.Port = port;
    s.Community = Trimmed(f.Community);
    s.ProtocolVersion = f.ProtocolVersion;
    s.GenericTrap = f.GenericTrap;
    s.Oid = Trimmed(f.Oid);
}

CQvcString CheckMessengerPage(const MessengerPageFields& f) {
    if (!f.Enabled)
        return CQvcString();
    if (Trimmed(f.Server).IsEmpty())
        return CQvcString("The messenger server is required while messenger notifications are enabled.");
    if (PortNumber(f.Port) == 0)
        return CQvcString("Messenger: the port must be a number from 1 to 65535.");
    if (!IsValidEmailAddress(Trimmed(f.Account)))
        return CQvcString("Messenger: the account must be an e-mail address.");
    return CQvcString();
}

MessengerPageFields MessengerPageFrom(const CSnMsnSettings& s) {
    return {!Trimmed(s.Server).IsEmpty(), s.Server, CQvcString(std::to_string(s.Port)), s.Account,
            CQvcString::Unscramble(s.Password.Str()), s.DisplayName};
}

void MessengerPageTo(const MessengerPageFields& f, CSnMsnSettings& s) {
    s.Server = f.Enabled ? Trimmed(f.Server) : CQvcString();
    if (const std::int32_t port = PortNumber(f.Port))
        s.Port = port;
    s.Account = Trimmed(f.Account);
    s.Password = CQvcString::Scramble(f.Password.Str());
    s.DisplayName = Trimmed(f.DisplayName);
}

CQvcString CheckPagerPage(const PagerPageFields& f) {
    if (!f.Enabled)
        return CQvcString();
    if (f.Protocol == 1)
        return Trimmed(f.DtmfDevice).IsEmpty()
                   ? CQvcString("The modem device is required while pager notifications are enabled.")
                   : CQvcString();
    if (Trimmed(f.SnppServer).IsEmpty())
        return CQvcString("The SNPP server is required while pager notifications are enabled.");
    if (PortNumber(f.SnppPort) == 0)
        return CQvcString("Pager: the SNPP port must be a number from 1 to 65535.");
    return CQvcString();
}

PagerPageFields PagerPageFrom(const CSnPagerSettings& s) {
    const CQvcString& used = s.Protocol == 1 ? s.DtmfDevice : s.SnppServer;
    return {!Trimmed(used).IsEmpty(), s.Protocol,      s.SnppServer,
            CQvcString(std::to_string(s.SnppPort)),     CQvcString::Unscramble(s.SnppPassword.Str()),
            s.SnppTimeOut,            s.DtmfDevice,    s.DtmfDeviceSpeed,
            s.DtmfDeviceInitString,   s.DtmfDialPulse, s.DtmfRedials};
}

void PagerPageTo(const PagerPageFields& f, CSnPagerSettings& s) {
    s.Protocol = f.Protocol;
    s.SnppServer = Trimmed(f.SnppServer);
    if (const std::int32_t port = PortNumber(f.SnppPort))
        s.SnppPort = port;
    s.SnppPassword = CQvcString::Scramble(f.SnppPassword.Str());
    s.SnppTimeOut = f.SnppTimeOut;
    s.DtmfDevice = Trimmed(f.DtmfDevice);
    s.DtmfDeviceSpeed = f.DtmfSpeed;
    s.DtmfDeviceInitString = Trimmed(f.DtmfInitString);
    s.DtmfDialPulse = f.DtmfDialPulse;
    s.DtmfRedials = f.DtmfRedials;
    if (!f.Enabled)
        (f.Protocol == 1 ? s.DtmfDevice : s.SnppServer) = CQvcString();
}

CQvcString CheckSmsPage(const SmsPageFields& f) {
    if (!f.Enabled)
        return CQvcString();
    if (f.Protocol == 0) {
        if (Trimmed(f.GsmDevice).IsEmpty())
            return CQvcString("The GSM device is required while SMS notifications are enabled.");
        const std::string pin = Trimmed(f.GsmPin).Str();
        if (f.GsmHasPin && (pin.size() < 4 || pin.size() > 8 || pin.find_first_not_of("0123456789") != std::string::npos))
            return CQvcString("SMS: the PIN code must be 4 to 8 digits.");
    } else if (f.Protocol == 1) {
        const CQvcString url = Trimmed(f.Url);
        if (url.IsEmpty())
            return CQvcString("The provider URL is required while SMS notifications are enabled.");
        if (url.Str().rfind("http://", 0) != 0 && url.Str().rfind("https://", 0) != 0)
            return CQvcString("SMS: the provider URL must begin with http:// or https://.");
        if (url.Find("<% Number %>") < 0 || url.Find("<% Message %>") < 0)
            return CQvcString("SMS: the provider URL must hold <% Number %> and <% Message %>.");
    }
    return CQvcString();
}

SmsPageFields SmsPageFrom(const CSnSmsSettings& s) {
    const bool enabled = s.Protocol == 0 ? !Trimmed(s.GsmDevice).IsEmpty()
                                         : s.Protocol != 1 || !Trimmed(s.HttpProviderUrl).IsEmpty();
    auto plain = [](const CQvcString& scrambled) { return CQvcString::Unscramble(scrambled.Str()); };
    return {enabled,           s.Protocol,          s.GsmHasPinCode,         plain(s.GsmPinCode),
            s.GsmDevice,       s.GsmDeviceSpeed,    s.GsmInitString,         s.HttpProviderUrl,
            s.HttpSuccessResponse, s.HttpSender,    s.HttpWebAccount,        plain(s.HttpWebPassword),
            s.HttpProxyServer, s.HttpProxyAccount,  plain(s.HttpProxyPassword)};
}

void SmsPageTo(const SmsPageFields& f, CSnSmsSettings& s) {
    auto scrambled = [](const CQvcString& plain) { return CQvcString::Scramble(plain.Str()); };
    s.Protocol = f.Protocol;
    s.GsmHasPinCode = f.GsmHasPin;
    s.GsmPinCode = scrambled(Trimmed(f.GsmPin));
    s.GsmDevice = Trimmed(f.GsmDevice);
    s.GsmDeviceSpeed = f.GsmSpeed;
    s.GsmInitString = Trimmed(f.GsmInitString);
    s.HttpProviderUrl = Trimmed(f.Url);
    s.HttpSuccessResponse = f.SuccessResponse;
    s.HttpSender = Trimmed(f.Sender);
    s.HttpWebAccount = Trimmed(f.WebAccount);
    s.HttpWebPassword = scrambled(f.WebPassword);
    s.HttpProxyServer = Trimmed(f.ProxyServer);
    s.HttpProxyAccount = Trimmed(f.ProxyAccount);
    s.HttpProxyPassword = scrambled(f.ProxyPassword);
    if (!f.Enabled) {
        s.GsmDevice = CQvcString();
        s.HttpProviderUrl = CQvcString();
        if (s.Protocol == 2)
            s.Protocol = 0;
    }
}

} // namespace notifyrules
