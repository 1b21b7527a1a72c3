#include "engine/MailCheckRunners.h"

#include "CurlEasy.h"
#include "RunnerCommon.h"
#include "SmtpSend.h"
#include "engine/MailMessage.h"
#include "engine/NetworkHelpers.h"
#include "engine/TcpRunner.h"
#include "model/checks/CheckSettings.h"
#include "platform/System.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <optional>
#include <random>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// What the server said in one session, as libcurl reports the dialogue.
struct Talk {
    std::vector<std::string> Replies;
    bool LogOnSent = false; // a log-on command went out (libcurl skips SMTP AUTH silently
                            // when the server offers none)

    std::string Greeting() const { return Replies.empty() ? std::string() : FirstLine(Replies.front()); }
    std::string LastReply() const { return Replies.empty() ? std::string() : FirstLine(Replies.back()); }
    // Whether any reply includes `pattern`, letter case ignored; an empty one always does.
    bool Includes(const std::string& pattern) const {
        const std::string wanted = Upper(pattern);
        return std::any_of(Replies.begin(), Replies.end(), [&](const std::string& line) {
            return Upper(line).find(wanted) != std::string::npos;
        });
    }
};

int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
        return 0;
    auto* talk = static_cast<Talk*>(user);
    const std::string text(data, size);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (type == CURLINFO_HEADER_IN) {
            talk->Replies.push_back(line);
            continue;
        }
        // The command word; an IMAP command comes after its tag ("A002 LOGIN ...").
        const std::string first = Upper(line.substr(0, line.find(' ')));
        const std::size_t blank = line.find(' ');
        const std::string second = blank == std::string::npos
                                       ? std::string()
                                       : Upper(line.substr(blank + 1, line.find(' ', blank + 1) - blank - 1));
        for (const char* word : {"AUTH", "USER", "APOP", "LOGIN", "AUTHENTICATE"})
            talk->LogOnSent = talk->LogOnSent || first == word || second == word;
    }
    return 0;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// One server of a check: where it is and how to talk to it.
struct MailServer {
    std::string Scheme; // "smtp", "pop3s", ...
    std::string Host;
    int Port = 0;
    long UseSsl = CURLUSESSL_NONE;
    std::string Login; // empty: no log-on
    std::string Password;
    std::string Path; // of the URL of a log-on: for SMTP, the name sent with EHLO

    std::string Peer() const { return FormatHostPort(Host, Port); }
    std::string Url(const std::string& path) const { return Scheme + "://" + Peer() + "/" + path; }
};

// `text` ("host" or "host:port") with `port` where it names none; false when not valid.
bool ParseServer(const std::string& text, int port, MailServer& server) {
    HostAndPort target;
    if (!SplitHostPort(text, target))
        return false;
    server.Host = target.Host;
    server.Port = target.Port != 0 ? target.Port : port;
    return true;
}

// Why a check of the server `host` (with `port` where it names none) cannot start, if it
// cannot; else fills `server`'s address.
std::optional<CheckOutcome> AddressOf(const std::string& host, int port, MailServer& server) {
    if (host.empty())
        return CheckOutcome::Uncertain("No host configured");
    if (!ParseServer(host, port, server))
        return CheckOutcome::Uncertain("Host '" + host + "' is not valid");
    return std::nullopt;
}

// Sets `server`'s scheme and TLS: TLS from the first byte on `implicitPort`, else STARTTLS
// (required when `secure`, else `otherwise`).
void ChooseTls(MailServer& server, const std::string& scheme, bool secure, int implicitPort,
               long otherwise = CURLUSESSL_NONE) {
    const bool implicit = secure && server.Port == implicitPort;
    server.Scheme = implicit ? scheme + "s" : scheme;
    server.UseSsl = implicit ? long{CURLUSESSL_NONE} : (secure ? long{CURLUSESSL_ALL} : otherwise);
}

// Sets the options of a session with `server` on `curl` that ends at the deadline.
void Prepare(const CCurlEasy& curl, const MailServer& server, const std::string& url, Talk& talk,
             const CRunDeadline& deadline) {
    CURL* handle = curl.Handle();
    const long limit = static_cast<long>(std::max<long long>(deadline.Remaining().count(), 1));
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps,pop3,pop3s,imap,imaps");
    curl_easy_setopt(handle, CURLOPT_USE_SSL, server.UseSsl);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limit);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limit);
    curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &OnDebug);
    curl_easy_setopt(handle, CURLOPT_DEBUGDATA, &talk);
    if (!server.Login.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, server.Login.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, server.Password.c_str());
    }
}

// Greeting, TLS and log-on with the server, nothing more; `pattern` must be in a reply.
CheckOutcome LogOn(const MailServer& server, const std::string& pattern, const CRunDeadline& deadline,
                   const RunContext& context) {
    Talk talk; // before the handle: libcurl reports the QUIT of its clean-up too
    CCurlEasy curl(&context);
    if (!curl)
        return CheckOutcome::Uncertain("The mail client could not be started");
    Prepare(curl, server, server.Url(server.Path), talk, deadline);
    curl_easy_setopt(curl.Handle(), CURLOPT_CONNECT_ONLY, 1L);
    const CURLcode code = curl_easy_perform(curl.Handle());
    const std::string data =
        FormatMilliseconds(std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed()));
    if (code != CURLE_OK)
        return CurlFailure(curl, code, server.Peer(), deadline.Limit().count(), talk.LastReply());
    if (!server.Login.empty() && !talk.LogOnSent)
        return CheckOutcome::Error(server.Peer() + " offers no authentication: the account '" + server.Login +
                                       "' could not log on",
                                   data);
    if (!talk.Includes(pattern))
        return CheckOutcome::Error("The response of " + server.Peer() + " does not include '" + pattern +
                                       "': '" + talk.LastReply() + "'",
                                   data);
    std::string response = talk.Greeting();
    if (!server.Login.empty())
        response += " (logged on as '" + server.Login + "')";
    return CheckOutcome::Success(response, data);
}

} // namespace

CheckOutcome CSmtpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const SmtpSettings settings = SmtpSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    MailServer server;
    if (auto refused = AddressOf(settings.Host, settings.Port, server))
        return *refused;
    ChooseTls(server, "smtp", settings.Secure, 465);
    if (settings.Authenticate) {
        server.Login = settings.Login;
        server.Password = settings.Password;
    }
    server.Path = SmtpGreetingName(); // libcurl sends EHLO with the URL's path
    return LogOn(server, settings.Pattern, deadline, context);
}

CheckOutcome CPop3Runner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const Pop3Settings settings = Pop3Settings::Read(check.Function);
    const CRunDeadline deadline(context);
    MailServer server;
    if (auto refused = AddressOf(settings.Host, settings.Port, server))
        return *refused;
    ChooseTls(server, "pop3", settings.Secure, 995);
    server.Login = settings.Login;
    server.Password = settings.Password;
    return LogOn(server, "", deadline, context);
}

CheckOutcome CImapRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const ImapSettings settings = ImapSettings::Read(check.Function);
    if (!settings.HasAccount())
        return CTcpRunner().Run(check, context);
    const TcpSettings& connection = settings.Connection;
    const CRunDeadline deadline(context, std::chrono::milliseconds(connection.TimeoutMs));
    MailServer server;
    if (auto refused = AddressOf(connection.Host, connection.Port, server))
        return *refused;
    ChooseTls(server, "imap", server.Port == 993, 993, CURLUSESSL_TRY);
    server.Login = settings.Login;
    server.Password = settings.Password;
    return LogOn(server, connection.ExpectResponse ? connection.Expect : "", deadline, context);
}

namespace {

// What one look into the mailbox found.
struct MailboxLook {
    bool Found = false;
    bool Failed = false;
    CheckOutcome Failure;
};

// Looks for the message holding `mark` among the `newest` messages of the mailbox, and
// deletes it when `remove` is set.  A new session each time: a POP3 server shows the
// mailbox as it was when the session began.
MailboxLook LookInMailbox(const MailServer& server, const std::string& mark, int newest, bool remove,
                          const CRunDeadline& deadline, const RunContext& context) {
    MailboxLook look;
    Talk talk; // before the handle: its clean-up still reports to them
    std::string text;
    CCurlEasy curl(&context);
    const auto perform = [&](const std::string& path) {
        text.clear();
        Prepare(curl, server, server.Url(path), talk, deadline);
        curl_easy_setopt(curl.Handle(), CURLOPT_WRITEFUNCTION, &OnBody);
        curl_easy_setopt(curl.Handle(), CURLOPT_WRITEDATA, &text);
        const CURLcode code = curl_easy_perform(curl.Handle());
        if (code != CURLE_OK) {
            look.Failed = true;
            look.Failure = CurlFailure(curl, code, server.Peer(), deadline.Limit().count(), talk.LastReply());
        }
        return code == CURLE_OK;
    };
    if (!curl || !perform(""))
        return look;
    // The listing: "<number> <size>" a line.
    std::vector<std::string> numbers;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        const std::size_t digits = line.find_first_not_of("0123456789");
        if (digits != 0 && !line.empty())
            numbers.push_back(line.substr(0, digits));
        at = end + 1;
    }
    const std::size_t from = numbers.size() > static_cast<std::size_t>(newest) ? numbers.size() - newest : 0;
    for (std::size_t i = numbers.size(); i-- > from;) {
        if (!perform(numbers[i]))
            return look;
        if (text.find(mark) == std::string::npos)
            continue;
        look.Found = true;
        if (remove) {
            curl_easy_setopt(curl.Handle(), CURLOPT_CUSTOMREQUEST, "DELE");
            curl_easy_setopt(curl.Handle(), CURLOPT_NOBODY, 1L);
            perform(numbers[i]);
        }
        break;
    }
    return look;
}

} // namespace

CheckOutcome CSmtpToPop3Runner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const Smtp2Pop3Settings settings = Smtp2Pop3Settings::Read(check.Function);
    const CRunDeadline deadline(context, std::chrono::minutes(settings.ErrorMinutes));
    if (settings.Recipient.empty())
        return CheckOutcome::Uncertain("No recipient configured");
    if (settings.SmtpServer.empty())
        return CheckOutcome::Uncertain("No SMTP server configured");
    if (settings.Pop3Server.empty())
        return CheckOutcome::Uncertain("No POP3 server configured");
    MailServer smtp, pop3;
    if (!ParseServer(settings.SmtpServer, 25, smtp))
        return CheckOutcome::Uncertain("SMTP server '" + settings.SmtpServer + "' is not valid");
    if (!ParseServer(settings.Pop3Server, settings.Pop3Port, pop3))
        return CheckOutcome::Uncertain("POP3 server '" + settings.Pop3Server + "' is not valid");
    ChooseTls(pop3, "pop3", settings.Pop3Secure, 995);
    pop3.Login = settings.Pop3Login;
    pop3.Password = settings.Pop3Password;

    // A mark no other message has: the check, the time and a random number.
    std::random_device random;
    const std::string mark = "Sentrelle-" + std::to_string(check.ID) + "-" +
                             std::to_string(std::time(nullptr)) + "-" + std::to_string(random());
    MailContent content;
    content.SenderName = "Sentrelle";
    content.SenderAddress = settings.Recipient;
    content.Recipients = {settings.Recipient};
    content.Subject = settings.Subject + " " + mark;
    content.Body = "Test message of an SMTP to POP3 check.\r\n" + mark;
    content.HostName = platform::ComputerName();
    content.Date = std::time(nullptr);
    std::string message, why;
    if (BuildMailMessage(content, message, why) != 0)
        return CheckOutcome::Uncertain("The test message could not be written: " + why);

    SmtpServer sender;
    sender.Host = smtp.Host;
    sender.Port = smtp.Port;
    sender.Secure = settings.SmtpSecure;
    if (settings.SmtpAuthentication) {
        sender.Login = settings.SmtpLogin;
        sender.Password = settings.SmtpPassword;
    }
    sender.SenderAddress = settings.Recipient;
    const SmtpAttempt sent = SendOverSmtp(sender, content.Recipients, message, deadline.Remaining(), context);
    if (deadline.Cancelled())
        return runner::Cancelled();
    if (sent.Code != 0)
        return CheckOutcome::Error("The test message could not be sent through " + sender.Name() + ": " +
                                   sent.Description);
    const auto sentAt = CRunDeadline::Clock::now();
    // Looks soon, then less often.
    std::chrono::milliseconds pause(250);
    for (;;) {
        const MailboxLook look =
            LookInMailbox(pop3, mark, settings.MailCount, settings.DeleteMessages, deadline, context);
        if (look.Failed)
            return look.Failure;
        if (look.Found) {
            const auto took =
                std::chrono::duration_cast<std::chrono::microseconds>(CRunDeadline::Clock::now() - sentAt);
            return CheckOutcome::Success("The test message sent through " + sender.Name() + " arrived at " +
                                             pop3.Peer() +
                                             (settings.DeleteMessages ? " and was deleted" : ""),
                                         FormatMilliseconds(took));
        }
        if (!deadline.SleepFor(pause))
            return runner::Cancelled();
        if (deadline.Expired())
            return CheckOutcome::Error("The test message sent through " + sender.Name() +
                                       " did not arrive at " + pop3.Peer() + " within " +
                                       runner::Millis(deadline.Limit().count()));
        pause = std::min(pause * 2, std::chrono::milliseconds(5000));
    }
}
