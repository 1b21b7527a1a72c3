#include "model/notify/AddressRules.h"
#include "model/notify/NotifyPageRules.h"
#include "model/notify/SnDistributionGroups.h"

#include <gtest/gtest.h>

#include <string>

using namespace notifyrules;

TEST(AddressBookRules, CaptionsLabelsGroupNamesAndMembers) {
    EXPECT_EQ(AddressBookCaption(kNotifySms).Str() + "|" + AddressBookGroupLabel(kNotifyMessenger).Str() + "|" +
                  AddressBookCaption(kNotifySnmpTrap).Str(),
              "SMS Address Book|&Manage Live Messenger Distribution Group:|##Unknown##");

    CSnDistributionGroups groups(kNotifyEmail);
    groups.Add(1, "Administrators", "");
    groups.Add(12, "Night", "");
    struct NameCase {
        const char* name;
        std::int32_t renamed;
        const char* refusal;
    } names[] = {
        {" Day ", 0, ""},
        {"Night", 12, ""}, // renaming a group to its own name
        {"", 0, "Invalid group name."},
        {"Create New Group...", 0, "Invalid group name."},
        {"Rename Group...", 12, "Invalid group name."},
        {" Night ", 0, "Group already exists."},
        {"Administrators", 12, "Group already exists."},
    };
    // The name's own characters and length are the group's rule; these are the dialog's.
    for (const NameCase& c : names)
        EXPECT_EQ(CheckGroupName(groups, c.name, c.renamed).Str(), c.refusal) << c.name;

    struct MemberCase {
        std::int32_t channel;
        const char* text;
        const char* result; // the stored members, or the refusal
    } members[] = {
        {kNotifyEmail, " a@x.com , b@y.org;;c@z.net ", "a@x.com;b@y.org;c@z.net"},
        {kNotifyEmail, "", ""},
        {kNotifyEmail, "a@x.com;@x.com", "Invalid e-mail address: '@x.com'."},
        {kNotifySms, "+1 (555) 123-4567:12", "+1 (555) 123-4567:12"},
    };
    // Each channel's address rule and message are tested with the rules themselves.
    for (const MemberCase& c : members) {
        CQvcString stored("unchanged");
        const CQvcString refusal = CheckGroupMembers(c.channel, c.text, stored);
        EXPECT_EQ(refusal.IsEmpty() ? stored.Str() : refusal.Str(), c.result) << c.text;
        EXPECT_TRUE(refusal.IsEmpty() || stored == "unchanged") << c.text;
    }
}

TEST(NotifyPageRules, SmtpPageRefusesTheFirstFault) {
    const SmtpServerFields good{"mail.example.com", "25", SmtpSecurity::None, false, "", "", "Ops", "ops@example.com"};
    auto with = [&](auto change) {
        SmtpPageFields f{true, good, {}, 65001};
        change(f);
        return f;
    };
    struct Case {
        SmtpPageFields fields;
        const char* refusal;
    } cases[] = {
        {with([](SmtpPageFields&) {}), ""},
        {with([](SmtpPageFields& f) { f.Enabled = false, f.Primary.Server = ""; }), ""},
        {with([](SmtpPageFields& f) { f.Primary.Server = "  "; }),
         "The primary SMTP server is required while e-mail notifications are enabled."},
        {with([](SmtpPageFields& f) { f.Primary.Port = "65536"; }),
         "Primary SMTP server: the port must be a number from 1 to 65535."},
        {with([](SmtpPageFields& f) { f.Primary.Port = "0"; }),
         "Primary SMTP server: the port must be a number from 1 to 65535."},
        {with([](SmtpPageFields& f) { f.Primary.Port = "465", f.Primary.Security = SmtpSecurity::Tls; }), ""},
        {with([](SmtpPageFields& f) { f.Primary.Port = "587", f.Primary.Security = SmtpSecurity::Tls; }),
         "Primary SMTP server: TLS is used on port 465 only; choose STARTTLS for other ports."},
        {with([](SmtpPageFields& f) { f.Primary.Port = "465", f.Primary.Security = SmtpSecurity::StartTls; }),
         "Primary SMTP server: port 465 uses TLS, not STARTTLS."},
        {with([](SmtpPageFields& f) { f.Primary.Auth = true; }),
         "Primary SMTP server: a login is required when the server requires authentication."},
        {with([](SmtpPageFields& f) { f.Primary.SenderAddress = "ops"; }),
         "Primary SMTP server: invalid sender e-mail address."},
        {with([](SmtpPageFields& f) { f.Secondary = f.Primary, f.Secondary.SenderAddress = ""; }),
         "Secondary SMTP server: the sender's e-mail address is required."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSmtpPage(c.fields).Str(), c.refusal) << c.refusal;
}

TEST(NotifyPageRules, SmtpPageRoundTripsThroughTheRecord) {
    const SmtpPageFields page{true,
                              {"mx1", "465", SmtpSecurity::Tls, true, "ops", "s3cret", "Ops", "ops@x.com"},
                              {"mx2", "587", SmtpSecurity::StartTls, false, "", "", "Ops", "ops@x.com"},
                              1252};
    CSnSmtpSettings record;
    SmtpPageTo(page, record);
    EXPECT_NE(record.Password1.Str(), "s3cret"); // kept scrambled
    EXPECT_EQ(SmtpPageFrom(record), page);

    // Switched off, the first server is cleared: that is what makes the channel unset.
    SmtpPageFields off = page;
    off.Enabled = false;
    SmtpPageTo(off, record);
    SmtpPageFields expected = page;
    expected.Enabled = false;
    expected.Primary.Server = "";
    EXPECT_EQ(SmtpPageFrom(record), expected);
}

TEST(NotifyPageRules, TrapsPageRefusesTheFirstFaultAndRoundTrips) {
    const TrapsPageFields good{true, "127.0.0.1", "162", "public", 2, 6, "1.3.6.1.4.1.0"};
    auto with = [&](auto change) {
        TrapsPageFields f = good;
        change(f);
        return f;
    };
    struct Case {
        TrapsPageFields fields;
        const char* refusal;
    } cases[] = {
        {good, ""},
        {with([](TrapsPageFields& f) { f.Enabled = false, f.Agent = "", f.Oid = "x"; }), ""},
        {with([](TrapsPageFields& f) { f.Agent = " "; }),
         "The agent that receives the traps is required while SNMP trap notifications are enabled."},
        {with([](TrapsPageFields& f) { f.Port = "16a"; }), "SNMP traps: the port must be a number from 1 to 65535."},
        {with([](TrapsPageFields& f) { f.Community = ""; }), "SNMP traps: the community is required."},
        {with([](TrapsPageFields& f) { f.Oid = "1.3."; }),
         "SNMP traps: invalid enterprise OID (digits separated by dots, such as 1.3.6.1.4.1.0)."},
        {with([](TrapsPageFields& f) { f.Oid = "3.1"; }),
         "SNMP traps: invalid enterprise OID (digits separated by dots, such as 1.3.6.1.4.1.0)."},
        {with([](TrapsPageFields& f) { f.Oid = "1"; }),
         "SNMP traps: invalid enterprise OID (digits separated by dots, such as 1.3.6.1.4.1.0)."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckTrapsPage(c.fields).Str(), c.refusal) << c.refusal;

    CSnSnmpTrapsSettings record;
    TrapsPageTo(good, record);
    EXPECT_EQ(TrapsPageFrom(record), good);
    TrapsPageTo(with([](TrapsPageFields& f) { f.Enabled = false; }), record);
    EXPECT_EQ(TrapsPageFrom(record), with([](TrapsPageFields& f) { f.Enabled = false, f.Agent = ""; }));
}

TEST(NotifyPageRules, MessengerPageRefusesTheFirstFaultAndRoundTrips) {
    const MessengerPageFields good{true, "im.example.com", "1863", "ops@example.com", "pw", "Sentrelle"};
    struct Case {
        MessengerPageFields fields;
        const char* refusal;
    } cases[] = {
        {good, ""},
        {{false, "", "x", "", "", ""}, ""},
        {{true, " ", "1863", "ops@example.com", "", ""},
         "The messenger server is required while messenger notifications are enabled."},
        {{true, "im", "", "ops@example.com", "", ""}, "Messenger: the port must be a number from 1 to 65535."},
        {{true, "im", "1863", "ops", "", ""}, "Messenger: the account must be an e-mail address."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckMessengerPage(c.fields).Str(), c.refusal) << c.refusal;

    CSnMsnSettings record;
    MessengerPageTo(good, record);
    EXPECT_NE(record.Password.Str(), "pw");
    EXPECT_EQ(MessengerPageFrom(record), good);
    MessengerPageFields off = good;
    off.Enabled = false;
    MessengerPageTo(off, record);
    off.Server = "";
    EXPECT_EQ(MessengerPageFrom(record), off);
}

TEST(NotifyPageRules, PagerPageChecksTheChosenProtocolAndRoundTrips) {
    const PagerPageFields snpp{true, 0, "pager.example.com", "444", "pw", 45, "/dev/ttyS1", 19200, "ATZ", true, 2};
    auto with = [&](auto change) {
        PagerPageFields f = snpp;
        change(f);
        return f;
    };
    struct Case {
        PagerPageFields fields;
        const char* refusal;
    } cases[] = {
        {snpp, ""},
        {with([](PagerPageFields& f) { f.Protocol = 1, f.SnppServer = "", f.SnppPort = "x"; }), ""},
        {with([](PagerPageFields& f) { f.Protocol = 1, f.DtmfDevice = " "; }),
         "The modem device is required while pager notifications are enabled."},
        {with([](PagerPageFields& f) { f.SnppServer = ""; }),
         "The SNPP server is required while pager notifications are enabled."},
        {with([](PagerPageFields& f) { f.SnppPort = "0"; }), "Pager: the SNPP port must be a number from 1 to 65535."},
        {with([](PagerPageFields& f) { f.Enabled = false, f.SnppServer = ""; }), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckPagerPage(c.fields).Str(), c.refusal) << c.refusal;

    CSnPagerSettings record;
    PagerPageTo(snpp, record);
    EXPECT_EQ(PagerPageFrom(record), snpp);
    // Off with DTMF chosen clears the device and keeps the SNPP server.
    PagerPageTo(with([](PagerPageFields& f) { f.Enabled = false, f.Protocol = 1; }), record);
    EXPECT_EQ(PagerPageFrom(record), with([](PagerPageFields& f) { f.Enabled = false, f.Protocol = 1, f.DtmfDevice = ""; }));
}

TEST(NotifyPageRules, SmsPageChecksTheChosenProtocolAndRoundTrips) {
    const SmsPageFields http{true, 1, true, "1234", "/dev/ttyUSB0", 19200, "AT",
                             "https://sms.example.com/send?to=<% Number %>&text=<% Message %>", "OK", "Ops", "acct",
                             "pw", "proxy:8080", "pacct", "ppw"};
    auto with = [&](auto change) {
        SmsPageFields f = http;
        change(f);
        return f;
    };
    struct Case {
        SmsPageFields fields;
        const char* refusal;
    } cases[] = {
        {http, ""},
        {with([](SmsPageFields& f) { f.Protocol = 0; }), ""},
        {with([](SmsPageFields& f) { f.Protocol = 2, f.Url = "", f.GsmDevice = ""; }), ""},
        {with([](SmsPageFields& f) { f.Protocol = 0, f.GsmDevice = ""; }),
         "The GSM device is required while SMS notifications are enabled."},
        {with([](SmsPageFields& f) { f.Protocol = 0, f.GsmPin = "123"; }), "SMS: the PIN code must be 4 to 8 digits."},
        {with([](SmsPageFields& f) { f.Protocol = 0, f.GsmPin = "12a4"; }), "SMS: the PIN code must be 4 to 8 digits."},
        {with([](SmsPageFields& f) { f.Url = " "; }),
         "The provider URL is required while SMS notifications are enabled."},
        {with([](SmsPageFields& f) { f.Url = "ftp://x/<% Number %><% Message %>"; }),
         "SMS: the provider URL must begin with http:// or https://."},
        {with([](SmsPageFields& f) { f.Url = "http://x/?to=<% Number %>"; }),
         "SMS: the provider URL must hold <% Number %> and <% Message %>."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSmsPage(c.fields).Str(), c.refusal) << c.refusal;

    CSnSmsSettings record;
    SmsPageTo(http, record);
    EXPECT_NE(record.HttpWebPassword.Str(), "pw");
    EXPECT_EQ(SmsPageFrom(record), http);
    // Off with the messaging server chosen: nothing left that sets the channel up.
    SmsPageTo(with([](SmsPageFields& f) { f.Enabled = false, f.Protocol = 2; }), record);
    EXPECT_EQ(SmsPageFrom(record),
              with([](SmsPageFields& f) { f.Enabled = false, f.Protocol = 0, f.Url = "", f.GsmDevice = ""; }));
}
