// The e-mail channel of notification tests: the message goes over SMTP through libcurl.
#include "CurlEasy.h"
#include "SmtpSend.h"
#include "NotificationLog.h"
#include "engine/MailMessage.h"
#include "engine/NetworkHelpers.h"
#include "engine/NotificationSender.h"
#include "engine/RunDeadline.h"
#include "library/ErrorTexts.h"
#include "model/notify/AddressRules.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "platform/System.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <memory>

std::string SmtpGreetingName() {
    std::string helo = platform::ComputerName();
    helo.erase(std::remove_if(helo.begin(), helo.end(),
                              [](char c) { return !(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.'); }),
               helo.end());
    return helo.empty() ? "localhost" : helo;
}

std::string SmtpServer::Url() const {
    const bool implicitTls = Secure && Port == 465;
    std::string host = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    return std::string(implicitTls ? "smtps://" : "smtp://") + host + ":" + std::to_string(Port) + "/" +
           SmtpGreetingName();
}

std::string SmtpServer::Name() const {
    return FormatHostPort(Host, Port);
}

namespace {

using Server = SmtpServer;
using Attempt = SmtpAttempt;

constexpr long kNoServer = 23710, kNoSender = 23711, kNoRecipients = 23712, kBadRecipient = 23713,
               kBadSender = 23714, kCannotConnect = 23715, kAuthFailed = 23716, kSenderRejected = 23717,
               kRecipientRejected = 23718, kMessageRejected = 23719, kTimedOut = 23720, kConnectionLost = 23721,
               kTlsFailed = 23727, kCertificate = 23728, kBothFailed = 23741, kUnknown = 23790;

Server FirstServer(const CSnSmtpNotificationRequest& r) {
    return {r.MailServer1.Str(), r.MailServerPort1, r.MailSecure1 != 0, r.MailServerLogin1.Str(),
            r.MailServerPassword1.Str(), r.SenderName1.Str(), r.SenderAddress1.Str()};
}

Server SecondServer(const CSnSmtpNotificationRequest& r) {
    return {r.MailServer2.Str(), r.MailServerPort2, r.MailSecure2 != 0, r.MailServerLogin2.Str(),
            r.MailServerPassword2.Str(), r.SenderName2.Str(), r.SenderAddress2.Str()};
}

// The SMTP dialogue as libcurl reports it: server lines in, commands out.
struct Dialogue {
    Attempt* Into = nullptr;
    std::string LastCommand; // its first word, upper case
    bool Challenged = false; // the server asked for a secret (334): the next line is one
    bool Quitting = false;   // after QUIT the replies no longer tell what went wrong
    bool OffersAuth = false; // the server's EHLO reply names AUTH
    bool AuthSent = false;   // the client authenticated (or tried to)
    bool NeedsAuth = false;  // a login is configured for the server
    bool Unauthenticated = false; // the message was held back: the login went unused
};

int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    auto* dialogue = static_cast<Dialogue*>(user);
    if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
        return 0;
    std::string text(data, size);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (line.empty())
            continue;
        if (type == CURLINFO_HEADER_IN) {
            if (!dialogue->Quitting)
                dialogue->Into->LastReply = line;
            if (dialogue->LastCommand == "EHLO" && line.size() > 8 && line.compare(0, 3, "250") == 0) {
                std::string keyword = line.substr(4, 4);
                std::transform(keyword.begin(), keyword.end(), keyword.begin(),
                               [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
                dialogue->OffersAuth = dialogue->OffersAuth || keyword == "AUTH";
            }
            dialogue->Challenged = line.rfind("334", 0) == 0;
            dialogue->Into->Dialogue.push_back("S: " + line);
            continue;
        }
        std::string word = line.substr(0, line.find(' '));
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (dialogue->Challenged) {
            dialogue->Into->Dialogue.push_back("C: ********");
            dialogue->Challenged = false;
        } else if (word == "AUTH") {
            // "AUTH PLAIN <secret>" carries the password inline.
            const std::size_t second = line.find(' ', 5);
            dialogue->Into->Dialogue.push_back("C: " + line.substr(0, second) +
                                               (second == std::string::npos ? "" : " ********"));
            dialogue->LastCommand = word;
            dialogue->AuthSent = true;
        } else {
            dialogue->Into->Dialogue.push_back("C: " + line);
            if (word == "QUIT")
                dialogue->Quitting = true;
            else
                dialogue->LastCommand = word;
        }
    }
    return 0;
}

struct Upload {
    const std::string* Text;
    std::size_t At = 0;
    Dialogue* Talk = nullptr;
};

std::size_t OnRead(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    // The library goes on without logging in when the server offers no authentication it
    // can use; a configured login must not go silently unused, so the message is held
    // back before its first byte (the server drops a message whose data never ends).
    if (upload->Talk->NeedsAuth && !upload->Talk->AuthSent) {
        upload->Talk->Unauthenticated = true;
        return CURL_READFUNC_ABORT;
    }
    const std::size_t n = std::min(size * count, upload->Text->size() - upload->At);
    std::memcpy(buffer, upload->Text->data() + upload->At, n);
    upload->At += n;
    return n;
}

long CodeFor(CURLcode code, const std::string& lastCommand) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return kTimedOut;
    case CURLE_LOGIN_DENIED:
        return kAuthFailed;
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
        return kTlsFailed;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return kCertificate;
    default:
        break;
    }
    // A refusal: the command it answered tells what was refused.
    if (lastCommand == "MAIL")
        return kSenderRejected;
    if (lastCommand == "RCPT")
        return kRecipientRejected;
    if (lastCommand == "DATA")
        return kMessageRejected;
    if (lastCommand == "AUTH")
        return kAuthFailed;
    if (lastCommand.empty())
        return kCannotConnect; // the greeting already refused us
    if (code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR || code == CURLE_GOT_NOTHING)
        return kConnectionLost;
    return kUnknown;
}

} // namespace

SmtpAttempt SendOverSmtp(const SmtpServer& server, const std::vector<std::string>& recipients, const std::string& message,
             std::chrono::milliseconds share, const RunContext& context) {
    Attempt attempt;
    CCurlEasy curl(&context);
    if (!curl) {
        attempt.Code = kUnknown;
        attempt.Description = "The mail client could not be started";
        return attempt;
    }
    CURL* handle = curl.Handle();
    Dialogue dialogue;
    dialogue.Into = &attempt;
    dialogue.NeedsAuth = !server.Login.empty();
    Upload upload{&message, 0, &dialogue};
    using List = std::unique_ptr<curl_slist, void (*)(curl_slist*)>;
    List to(nullptr, &curl_slist_free_all);
    for (const std::string& recipient : recipients)
        to.reset(curl_slist_append(to.release(), ("<" + recipient + ">").c_str()));
    const std::string url = server.Url();
    const std::string from = "<" + server.SenderAddress + ">";
    const long limit = static_cast<long>(std::max<long long>(share.count(), 1));

    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(server.Secure ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, to.get());
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, &OnRead);
    curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limit);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limit);
    // The greeting and each reply (whole seconds only in this option).
    curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, std::max(1L, (limit + 999) / 1000));
    curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &OnDebug);
    curl_easy_setopt(handle, CURLOPT_DEBUGDATA, &dialogue);
    if (!server.Login.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, server.Login.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, server.Password.c_str());
    }

    const CURLcode code = curl_easy_perform(handle);
    if (code == CURLE_OK)
        return attempt;
    if (dialogue.Unauthenticated) {
        attempt.Code = kAuthFailed;
        attempt.Description = std::string(ErrorTextOnly(kAuthFailed)) + ": " + server.Name() +
                              (dialogue.OffersAuth ? " offers no authentication method this client supports"
                                                   : " offers no authentication") +
                              "; the message was not sent because the configured login would go unused";
        return attempt;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK && curl.WasCancelled()) {
        attempt.Code = kUnknown;
        attempt.Description = std::string(ErrorTextOnly(kUnknown)) + ": cancelled, the engine is stopping";
        return attempt;
    }
    attempt.Code = CodeFor(code, dialogue.LastCommand);
    attempt.Description = ErrorTextOnly(attempt.Code);
    // Where the server said nothing useful, the client's own words tell more.
    if (attempt.LastReply.empty() || attempt.Code == kUnknown || attempt.Code == kTimedOut ||
        attempt.Code == kTlsFailed || attempt.Code == kCertificate)
        attempt.Description += std::string(" (") + server.Name() + ": " + curl.ErrorText(code) + ")";
    return attempt;
}

namespace {

CSnNotificationResponse Failure(const CSnSmtpNotificationRequest& request, long code, const std::string& detail) {
    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    response.ErrorCode = code;
    response.ErrorDescription = std::string(ErrorTextOnly(code)) + (detail.empty() ? "" : ": " + detail);
    return response;
}

// `what` names the message in the log ("E-mail test", "E-mail").
CSnNotificationResponse SendMail(const CSnSmtpNotificationRequest& request, const RunContext& context,
                                 const std::string& what) {
    const CRunDeadline deadline(context);
    const std::vector<std::string> recipients = SplitAddressList(request.RecipientAddressList.Str());
    if (recipients.empty())
        return Failure(request, kNoRecipients, "");
    for (const std::string& recipient : recipients) {
        if (!IsValidEmailAddress(CQvcString(recipient)))
            return Failure(request, kBadRecipient, "'" + recipient + "'");
    }
    std::vector<Server> servers;
    for (Server server : {FirstServer(request), SecondServer(request)}) {
        CQvcString host(server.Host);
        host.Trim();
        server.Host = host.Str();
        if (server.Host.empty())
            continue;
        if (server.Port <= 0)
            server.Port = server.Secure ? 465 : 25;
        servers.push_back(server);
    }
    if (servers.empty())
        return Failure(request, kNoServer, "");

    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    std::vector<std::string> log;
    std::vector<Attempt> attempts;
    for (std::size_t i = 0; i < servers.size(); ++i) {
        const Server& server = servers[i];
        // Each server its own share of what is left: one that accepts and never greets
        // cannot use up the time of the next.
        const auto share = std::chrono::duration_cast<std::chrono::milliseconds>(
            ShareOf(deadline.End(), servers.size() - i) - CRunDeadline::Clock::now());
        Attempt attempt;
        if (server.SenderAddress.empty()) {
            attempt.Code = kNoSender;
            attempt.Description = ErrorTextOnly(kNoSender);
        } else if (!IsValidEmailAddress(CQvcString(server.SenderAddress))) {
            attempt.Code = kBadSender;
            attempt.Description = std::string(ErrorTextOnly(kBadSender)) + ": '" + server.SenderAddress + "'";
        } else {
            MailContent content;
            content.SenderName = server.SenderName;
            content.SenderAddress = server.SenderAddress;
            content.Recipients = recipients;
            content.Subject = request.Subject.Str();
            CQvcString body = request.Message;
            body.BarsToLineBreaks();
            content.Body = body.Str();
            content.CodePage = request.CharSet;
            content.HostName = platform::ComputerName();
            content.Date = std::time(nullptr);
            std::string message, why;
            attempt.Code = BuildMailMessage(content, message, why);
            if (attempt.Code != 0)
                attempt.Description = std::string(ErrorTextOnly(attempt.Code)) + ": " + why;
            else
                attempt = SendOverSmtp(server, recipients, message, share, context);
        }
        log.push_back(what + " to " + request.RecipientAddressList.Str() + " through " + server.Name() + ": " +
                      (attempt.Code == 0 ? "sent" : "failed, Error #" + std::to_string(attempt.Code) + ": " +
                                                        attempt.Description));
        for (const std::string& line : attempt.Dialogue)
            log.push_back("  " + line);
        attempts.push_back(attempt);
        response.Param[0] = server.Name();
        if (attempt.Code == 0 || deadline.Cancelled() || deadline.Expired())
            break;
    }
    AppendNotificationLog(request.LogFile.Str(), context.EngineRoot, log);

    const Attempt& last = attempts.back();
    response.ErrorDescriptionEx = last.LastReply;
    if (last.Code == 0)
        return response;
    if (attempts.size() == 1) {
        response.ErrorCode = last.Code;
        response.ErrorDescription = last.Description;
        return response;
    }
    response.ErrorCode = kBothFailed;
    response.ErrorDescription = std::string(ErrorTextOnly(kBothFailed)) + ": " + servers[0].Name() + ": " +
                                attempts[0].Description + "; " + servers[1].Name() + ": " + last.Description;
    return response;
}

} // namespace

CSnNotificationResponse SendTestMail(const CSnSmtpNotificationRequest& request, const RunContext& context) {
    return SendMail(request, context, "E-mail test");
}

CSnNotificationResponse SendAlertMail(const CSnSmtpNotificationRequest& request, const RunContext& context) {
    return SendMail(request, context, "E-mail");
}
