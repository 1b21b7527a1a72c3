#pragma once
// The rules of the notification settings pages, without windows: how a page's fields map
// onto the channel's settings record and which input a page refuses.
#include "library/QvcString.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"

#include <cstdint>

namespace notifyrules {

// How the engine talks to a mail server.  The record keeps one "secure" switch per
// server; the engine starts TLS at once on port 465 and with STARTTLS on any other.
enum class SmtpSecurity { None, StartTls, Tls };
inline constexpr std::int32_t kImplicitTlsPort = 465;

SmtpSecurity SecurityOf(bool secure, std::int32_t port);
bool IsSecure(SmtpSecurity security);

// One mail server as the E-mail page shows it (the port as typed).
struct SmtpServerFields {
    CQvcString Server;
    CQvcString Port;
    SmtpSecurity Security = SmtpSecurity::None;
    bool Auth = false;
    CQvcString Login;
    CQvcString Password; // plain
    CQvcString SenderName;
    CQvcString SenderAddress;
    bool operator==(const SmtpServerFields&) const = default;
};

// The character sets offered for e-mail messages, by their code page numbers.
struct MailCharSet {
    std::int32_t Code;
    const char* Name;
};
inline constexpr MailCharSet kMailCharSets[] = {{65001, "Unicode (UTF-8)"},
                                                {28591, "Western European (ISO-8859-1)"},
                                                {1252, "Western European (Windows)"},
                                                {28592, "Central European (ISO-8859-2)"},
                                                {20127, "US-ASCII"}};

struct SmtpPageFields {
    // The channel counts as set up while the first server is filled (the rule by which a
    // check's notifications grey the channel), so switching it off clears that server.
    bool Enabled = false;
    SmtpServerFields Primary;
    SmtpServerFields Secondary;
    std::int32_t CharSet = 65001;
    bool operator==(const SmtpPageFields&) const = default;
};

// The first refusal of the page; empty when it may be saved.  Only a filled server's
// fields are checked, the primary one first.
CQvcString CheckSmtpPage(const SmtpPageFields& fields);
SmtpPageFields SmtpPageFrom(const CSnSmtpSettings& settings);
// Writes an accepted page into the record (passwords scrambled); other fields stay.
void SmtpPageTo(const SmtpPageFields& fields, CSnSmtpSettings& settings);

// The SNMP Traps page.  The channel counts as set up while an agent is filled, so
// switching it off clears the agent.
struct TrapsPageFields {
    bool Enabled = false;
    CQvcString Agent;
    CQvcString Port;
    CQvcString Community;
    std::int32_t ProtocolVersion = 1; // 1 or 2
    std::int32_t GenericTrap = 6;     // 0 to 6
    CQvcString Oid;
    bool operator==(const TrapsPageFields&) const = default;
};
// The first refusal of the page (nothing is checked while it is switched off).
CQvcString CheckTrapsPage(const TrapsPageFields& fields);
TrapsPageFields TrapsPageFrom(const CSnSnmpTrapsSettings& settings);
void TrapsPageTo(const TrapsPageFields& fields, CSnSnmpTrapsSettings& settings);

// The Messenger page.  The channel counts as set up while a server is filled, so
// switching it off clears the server.
struct MessengerPageFields {
    bool Enabled = false;
    CQvcString Server;
    CQvcString Port;
    CQvcString Account;
    CQvcString Password; // plain
    CQvcString DisplayName;
    bool operator==(const MessengerPageFields&) const = default;
};
// The first refusal of the page (nothing is checked while it is switched off).
CQvcString CheckMessengerPage(const MessengerPageFields& fields);
MessengerPageFields MessengerPageFrom(const CSnMsnSettings& settings);
void MessengerPageTo(const MessengerPageFields& fields, CSnMsnSettings& settings);

// The Pager page: SNPP (protocol 0) or DTMF through a modem (1).  The channel counts as
// set up while the chosen protocol's server or device is filled, so switching it off
// clears that one.
struct PagerPageFields {
    bool Enabled = false;
    std::int32_t Protocol = 0;
    CQvcString SnppServer;
    CQvcString SnppPort;
    CQvcString SnppPassword; // plain
    std::int32_t SnppTimeOut = 30;
    CQvcString DtmfDevice;
    std::int32_t DtmfSpeed = 9600;
    CQvcString DtmfInitString;
    bool DtmfDialPulse = false;
    std::int32_t DtmfRedials = 3;
    bool operator==(const PagerPageFields&) const = default;
};
CQvcString CheckPagerPage(const PagerPageFields& fields);
PagerPageFields PagerPageFrom(const CSnPagerSettings& settings);
void PagerPageTo(const PagerPageFields& fields, CSnPagerSettings& settings);

// The SMS page: a GSM device (protocol 0), an HTTP provider (1) or the messaging server
// (2).  The channel counts as set up while the GSM device or the provider URL of the
// chosen protocol is filled, and always with the messaging server; switching it off
// clears the device and the URL and leaves the messaging server for the GSM device.
struct SmsPageFields {
    bool Enabled = false;
    std::int32_t Protocol = 0;
    bool GsmHasPin = false;
    CQvcString GsmPin; // plain
    CQvcString GsmDevice;
    std::int32_t GsmSpeed = 9600;
    CQvcString GsmInitString;
    CQvcString Url;
    CQvcString SuccessResponse;
    CQvcString Sender;
    CQvcString WebAccount;
    CQvcString WebPassword; // plain
    CQvcString ProxyServer;
    CQvcString ProxyAccount;
    CQvcString ProxyPassword; // plain
    bool operator==(const SmsPageFields&) const = default;
};
CQvcString CheckSmsPage(const SmsPageFields& fields);
SmsPageFields SmsPageFrom(const CSnSmsSettings& settings);
void SmsPageTo(const SmsPageFields& fields, CSnSmsSettings& settings);
// The placeholders the provider URL takes.
inline constexpr const char* kSmsUrlPlaceholders =
    "<% Number %>, <% Message %>, <% Sender %>, <% Account %>, <% Password %>";

// The placeholders the engine fills in a message template, each written "<% Name %>".
extern const char* const kTemplatePlaceholders[10];

} // namespace notifyrules
