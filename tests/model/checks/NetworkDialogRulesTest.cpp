// The checks on OK of the network dialogs, one table per dialog: each row is the fields
// as the dialog collected them and the first refusal expected (field and text), so the
// rows walk the checks in their order and across the range boundaries.
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/TypeDialogRules.h"
#include "DialogRuleTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(NetworkDialogRules, Tcp) {
    const char* timeout = kBadTimeoutMs;
    TcpSettings ok = TcpSettings::ForType(kTypeImap);
    ok.Host = "127.0.0.1";
    auto row = [&ok](const char* host, int port, bool expect, const char* text, int timeoutMs) {
        TcpSettings s = ok;
        s.Host = host;
        s.Port = port;
        s.ExpectResponse = expect;
        s.Expect = text;
        s.TimeoutMs = timeoutMs;
        return s;
    };
    RunTable<TcpSettings>(
        {
            {ok, -1, ""},
            {row(" ", 0, true, "", 0), kTcpHost, kHostRequired},
            {row("h", 0, true, " ", 0), kTcpExpect, "Response string is required."},
            {row("a,b", 0, false, "", 0), kTcpHost, kManyHosts},
            {row("h", 0, false, "", 0), kTcpPort, kBadPort},
            {row("h", 65536, false, "", 1), kTcpPort, kBadPort},
            {row("h", 1, false, "", 0), kTcpTimeout, timeout},
            {row("h", 65535, false, "", 3600001), kTcpTimeout, timeout},
            {row("h", 65535, false, "", 3600000), -1, ""},
        },
        CheckTcpFields);
    // Every type has a sample that passes, except Citrix - ICA.
    for (const int type : {kTypeTcpIp, kTypeNntp, kTypeImap})
        EXPECT_FALSE(CheckTcpFields(TcpSampleData(type).value(), {}).Refused()) << type;
    EXPECT_EQ(TcpSampleData(kTypeCitrixIca), std::nullopt);
}

TEST(NetworkDialogRules, Http) {
    const char* timeout = "Bad value for Time-out. Valid range is from 1 to 3600.";
    auto row = [](const char* host, int secs) {
        HttpSettings s;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict" // GCC 12 false positive on assigning a literal (GCC bug 105329)
        s.HostPort = host;
#pragma GCC diagnostic pop
        s.TimeoutSecs = secs;
        return s;
    };
    RunTable<HttpSettings>(
        {
            {row("127.0.0.1:8080", 1), -1, ""},
            {row(" ", 0), kHttpUrl, "Please enter the URL."},
            {row("a;b", 0), kHttpUrl, kManyHosts},
            {row("h", 0), kHttpTimeout, timeout},
            {row("h", 3601), kHttpTimeout, timeout},
            {row("h", 3600), -1, ""},
        },
        CheckHttpFields);
    EXPECT_FALSE(CheckHttpFields(HttpSampleData(), {}).Refused());
}

TEST(NetworkDialogRules, Smtp) {
    auto row = [](const char* host, bool authenticate, const char* login, const char* pattern, int port) {
        return SmtpSettings{host, port, pattern, false, authenticate, login, ""};
    };
    RunTable<SmtpSettings>(
        {
            {row("h", true, "mx", "250", 1), -1, ""},
            {row(" ", true, "", "", 0), kSmtpHost, kHostRequired},
            {row("a,b", true, "", "", 0), kSmtpHost, kManyHosts},
            {row("h", true, " ", "", 0), kSmtpAuthentication, "SMTP Authentication required."},
            {row("h", false, "", " ", 0), kSmtpPattern, "Response string is required."},
            {row("h", false, "", "250", 0), kSmtpPort, kBadPort},
            {row("h", false, "", "250", 65536), kSmtpPort, kBadPort},
            {row("h", false, "", "250", 65535), -1, ""},
        },
        CheckSmtpFields);
}

TEST(NetworkDialogRules, Pop3AndSftp) {
    RunTable<Pop3Settings>(
        {
            {{"h", 1, false, "", ""}, -1, ""},
            {{"", 0, false, "", ""}, kPop3Host, kHostRequired},
            {{"a;b", 0, false, "", ""}, kPop3Host, kManyHosts},
            {{"h", 0, false, "", ""}, kPop3Port, kBadPort},
            {{"h", 65536, false, "", ""}, kPop3Port, kBadPort},
        },
        CheckPop3Fields);
    auto sftp = [](const char* host, int port, int timeoutMs) {
        SftpSettings s;
        s.Host = host;
        s.Port = port;
        s.TimeoutMs = timeoutMs;
        return s;
    };
    RunTable<SftpSettings>(
        {
            {sftp("h", 65535, 3600000), -1, ""},
            {sftp(" ", 0, 0), kSftpHost, kHostRequired},
            {sftp("a,b", 0, 0), kSftpHost, kManyHosts},
            {sftp("h", 0, 0), kSftpPort, kBadPort},
            {sftp("h", 65536, 1), kSftpPort, kBadPort},
            {sftp("h", 1, 0), kSftpTimeout, kBadTimeoutMs},
            {sftp("h", 1, 3600001), kSftpTimeout, kBadTimeoutMs},
        },
        CheckSftpFields);
    RunTable<TftpSettings>({{{"h", "", "", true, true, false}, -1, ""},
                            {{" ", "", "", true, false, false}, 0, kHostRequired},
                            {{"a,b", "", "", true, false, false}, 0, kManyHosts}},
                           CheckTftpFields);
}

TEST(NetworkDialogRules, Ftp) {
    const char* account = "Field required: Account. Select the 'Anonymous' box to use anonymous access.";
    // host, account, directory, file, pattern, anonymous, file check, pattern check
    auto row = [](const char* host, const char* login, const char* dir, const char* file, const char* pattern,
                  bool anonymous, bool checkFile, bool checkPattern) {
        return FtpSettings{host, login,     "",   dir,       file,         pattern,
                           true, anonymous, true, checkFile, checkPattern, false};
    };
    RunTable<FtpSettings>(
        {
            {row("h", "u", "", "", "", false, false, true), -1, ""}, // a pattern check needs a file check
            {row(" ", "", "", "", "", false, true, true), kFtpHost, kHostRequired},
            {row("a,b", "", "", "", "", false, true, true), kFtpHost, kManyHosts},
            {row("h", " ", "", "", "", false, true, true), kFtpAccount, account},
            {row("h", "", " ", "", "", true, true, true), kFtpDirectory, "Field required: Directory"},
            {row("h", "u", "/", "", "", false, true, true), kFtpFile, "Field required: File"},
            {row("h", "u", "/", "f", " ", false, true, true), kFtpPattern, "Field required: Pattern"},
            {row("h", "u", "/", "f", "", false, true, false), -1, ""},
        },
        CheckFtpFields);
    EXPECT_EQ((std::vector<std::string>{WithoutScheme("FtP://h", "ftp://"), WithoutScheme("ftp:/h", "ftp://"),
                                        WithoutScheme("ftp://", "ftp://"), WithoutScheme("h", "ftp://")}),
              (std::vector<std::string>{"h", "ftp:/h", "", "h"}));
}

TEST(NetworkDialogRules, SmtpToPop3) {
    Smtp2Pop3Settings ok;
    ok.Recipient = "probe@mail.test";
    ok.SmtpServer = "127.0.0.1:25";
    ok.Pop3Server = "127.0.0.1";
    ok.Pop3Login = "probe";
    // One field changed from `ok` per row.
    auto row = [&ok](auto change) {
        Smtp2Pop3Settings s = ok;
        change(s);
        return s;
    };
    using S = Smtp2Pop3Settings;
    RunTable<S>(
        {
            {ok, -1, ""},
            {row([](S& s) { s = {}; }), kS2pRecipient, "Invalid e-mail address."},
            {row([](S& s) { s.Subject = " "; }), kS2pSubject, "Subject is required."},
            {row([](S& s) { s.SmtpServer = ""; }), kS2pSmtpServer,
             "You must configure an SMTP server. Please press the 'Configure SMTP Server' button."},
            {row([](S& s) { s.Pop3Server = "pop server"; }), kS2pPop3Server,
             "POP3 Server: Invalid hostname."},
            {row([](S& s) { s.Pop3Server = ""; }), kS2pPop3Server, "POP3 Server: Invalid hostname."},
            {row([](S& s) { s.Pop3Port = 0; }), kS2pPop3Port, "Invalid POP3 port."},
            {row([](S& s) { s.Pop3Port = 65536; }), kS2pPop3Port, "Invalid POP3 port."},
            {row([](S& s) { s.Pop3Login = ""; }), kS2pPop3Account, "Invalid POP3 Account."},
            {row([](S& s) { s.CheckMinutes = 0; }), kS2pCheckMinutes,
             "Invalid parameter: check minutes must be between 1 and 5 minutes."},
            {row([](S& s) { s.CheckMinutes = 6; }), kS2pCheckMinutes,
             "Invalid parameter: check minutes must be between 1 and 5 minutes."},
            {row([](S& s) { s.ErrorMinutes = 1; }), kS2pErrorMinutes,
             "Invalid parameter: error minutes must be between 2 and 30 minutes."},
            {row([](S& s) { s.ErrorMinutes = 31; }), kS2pErrorMinutes,
             "Invalid parameter: error minutes must be between 2 and 30 minutes."},
            {row([](S& s) { s.MailCount = 0; }), kS2pMailCount,
             "Number of e-mails to be checked must be greater than 0."},
            {row([](S& s) { s.CheckMinutes = 5, s.ErrorMinutes = 30, s.MailCount = 1, s.Pop3Port = 65535; }),
             -1, ""},
        },
        [](const S& s, const HostCheckLimits&) { return CheckSmtp2Pop3Fields(s); });
}
