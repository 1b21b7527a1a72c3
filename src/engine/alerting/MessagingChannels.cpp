// SMS through an HTTP provider and pages over SNPP.
#include "../runners/CurlEasy.h"
#include "engine/NetworkHelpers.h"
#include "engine/RunDeadline.h"
#include "engine/alerting/PlatformChannels.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int kSmsHttpProvider = 1;
constexpr int kSmsMessagingServer = 2;
constexpr int kPagerSnpp = 0;
constexpr int kSnppPort = 444;
constexpr std::size_t kMostBody = 64 * 1024;

DeliveryOutcome Delivered(std::string text) {
    return {true, false, std::move(text)};
}
DeliveryOutcome Failed(std::string text, bool retry = false) {
    return {false, retry, std::move(text)};
}

std::string PercentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto& body = *static_cast<std::string*>(user);
    const size_t bytes = size * count;
    body.append(data, std::min(bytes, kMostBody - std::min(kMostBody, body.size())));
    return bytes;
}

// ---- SNPP dialogue ------------------------------------------------------------------

class SnppSession {
public:
    SnppSession(int fd, CRunDeadline::Clock::time_point until, const CRunDeadline& deadline)
        : m_fd(fd), m_until(until), m_deadline(deadline) {}

    // Reads one reply line; false with Problem() set when none came.
    bool Reply(std::string& line) {
        for (;;) {
            const std::size_t end = m_buffer.find('\n');
            if (end != std::string::npos) {
                line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return true;
            }
            bool closed = false;
            int error = 0;
            const NetWait got = ReceiveSome(m_fd, m_buffer, 4096, m_until, m_deadline, closed, &error);
            if (got == NetWait::Ready && !closed)
                continue;
            m_problem = got == NetWait::TimedOut    ? "the pager server did not answer in time"
                        : got == NetWait::Cancelled ? "cancelled: the engine is stopping"
                        : closed                    ? "the pager server closed the connection"
                                                    : "receiving failed: " + ErrnoText(error);
            return false;
        }
    }
    // Sends `command` and reads its reply; true when the reply is 2xx.
    bool Command(const std::string& command, std::string& reply) {
        int error = 0;
        const NetWait sent = SendAll(m_fd, command + "\r\n", m_until, m_deadline, &error);
        if (sent != NetWait::Ready) {
            m_problem = sent == NetWait::Cancelled ? "cancelled: the engine is stopping"
                                                   : "sending failed: " + ErrnoText(error);
            return false;
        }
        return Reply(reply) && Accepted(reply);
    }
    static bool Accepted(const std::string& reply) { return !reply.empty() && reply[0] == '2'; }
    const std::string& Problem() const { return m_problem; }

private:
    int m_fd;
    CRunDeadline::Clock::time_point m_until;
    const CRunDeadline& m_deadline;
    std::string m_buffer;
    std::string m_problem;
};

} // namespace

std::string ShortMessageText(const AlertDeliveryRequest& request) {
    const std::string& source = request.Body.empty() ? request.Subject : request.Body;
    std::string text;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (static_cast<unsigned char>(source[i]) >= 0x20)
            text += source[i];
        else if (i == 0 || static_cast<unsigned char>(source[i - 1]) >= 0x20)
            text += ' '; // a line break ("\r\n") becomes one blank
    }
    return text;
}

std::string SmsProviderUrl(const CSnSmsSettings& settings, const std::string& number,
                           const std::string& message) {
    CQvcString url = settings.HttpProviderUrl;
    url.FillPlaceholder("Number", PercentEncode(number));
    url.FillPlaceholder("Message", PercentEncode(message));
    url.FillPlaceholder("Sender", PercentEncode(settings.HttpSender.Str()));
    url.FillPlaceholder("Account", PercentEncode(settings.HttpWebAccount.Str()));
    url.FillPlaceholder("Password",
                        PercentEncode(CQvcString::Unscramble(settings.HttpWebPassword.Str()).Str()));
    return url.Str();
}

DeliveryOutcome SendSms(const AlertDeliveryRequest& request, const AlertSettings& settings,
                        const RunContext& context) {
    const CSnSmsSettings& sms = settings.Sms;
    if (sms.Protocol != kSmsHttpProvider)
        return Failed(std::string("SMS through ") +
                      (sms.Protocol == kSmsMessagingServer ? "the messaging server" : "a GSM device") +
                      " is not available on this platform");
    if (sms.HttpProviderUrl.IsEmpty())
        return Failed("No SMS provider URL is set");
    if (request.Recipient.empty())
        return Failed("No phone number to send the SMS to");

    CCurlEasy curl(&context);
    if (!curl)
        return Failed("The HTTP library could not be started", true);
    CURL* handle = curl.Handle();
    const std::string url = SmsProviderUrl(sms, request.Recipient, ShortMessageText(request));
    const long limitMs = static_cast<long>(std::max<long long>(1, context.Timeout.count()));
    std::string body;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limitMs);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Sentrelle");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    const std::string proxyAccount = sms.HttpProxyAccount.Str();
    const std::string proxyPassword = CQvcString::Unscramble(sms.HttpProxyPassword.Str()).Str();
    const std::string webAccount = sms.HttpWebAccount.Str();
    const std::string webPassword = CQvcString::Unscramble(sms.HttpWebPassword.Str()).Str();
    curl_easy_setopt(handle, CURLOPT_PROXY, sms.HttpProxyServer.c_str());
    if (!sms.HttpProxyServer.IsEmpty() && !proxyAccount.empty()) {
        curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, proxyAccount.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, proxyPassword.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    }
    if (!webAccount.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, webAccount.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, webPassword.c_str());
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    }
    const CURLcode code = curl_easy_perform(handle);
    if (curl.WasCancelled())
        return Failed("SMS to " + request.Recipient + " cancelled: the engine is stopping", true);
    if (code != CURLE_OK)
        return Failed("SMS to " + request.Recipient + " failed: " + curl.ErrorText(code), true);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const std::string expected = sms.HttpSuccessResponse.Str();
    const bool ok =
        expected.empty() ? status >= 200 && status < 300 : body.find(expected) != std::string::npos;
    if (ok)
        return Delivered("SMS sent to " + request.Recipient);
    const std::string answer =
        "HTTP " + std::to_string(status) + (body.empty() ? "" : ": " + FirstLine(body));
    return Failed("The SMS provider did not accept the message to " + request.Recipient + " (" + answer + ")",
                  status >= 500);
}

DeliveryOutcome SendPage(const AlertDeliveryRequest& request, const AlertSettings& settings,
                         const RunContext& context) {
    const CSnPagerSettings& pager = settings.Pager;
    if (pager.Protocol != kPagerSnpp)
        return Failed("Pages through a modem (DTMF) are not available on this platform");
    if (request.Recipient.empty())
        return Failed("No pager ID to page");
    HostAndPort server;
    if (!SplitHostPort(pager.SnppServer.Str(), server))
        return Failed("The pager server '" + pager.SnppServer.Str() + "' is not a host name or address");
    if (server.Port == 0)
        server.Port = pager.SnppPort > 0 ? pager.SnppPort : kSnppPort;
    const CRunDeadline deadline(context, std::chrono::seconds(std::max(0, pager.SnppTimeOut)));
    const std::string where = FormatHostPort(server.Host, server.Port);
    const ResolveOutcome resolved = ResolveHost(server.Host, server.Port, SOCK_STREAM, AF_UNSPEC, deadline);
    if (resolved.Status != NetWait::Ready)
        return Failed("The pager server '" + server.Host + "' " +
                          (resolved.Error.empty() ? "could not be resolved in time" : resolved.Error),
                      true);
    ConnectOutcome connected = ConnectTcp(resolved.Addresses, deadline.End(), deadline);
    if (connected.Status != NetWait::Ready)
        return Failed("Cannot reach the pager server " + where + ": " +
                          (connected.Status == NetWait::TimedOut    ? std::string("no answer in time")
                           : connected.Status == NetWait::Cancelled ? std::string("the engine is stopping")
                                                                    : ErrnoText(connected.Error)),
                      true);

    SnppSession session(connected.Socket.Get(), deadline.End(), deadline);
    const std::string password = CQvcString::Unscramble(pager.SnppPassword.Str()).Str();
    const auto refused = [&](const std::string& step, const std::string& reply) {
        const std::string why = session.Problem().empty() ? "'" + reply + "'" : session.Problem();
        // 4xx replies and a broken dialogue may pass; 5xx is the server's final word.
        return Failed("Page to " + request.Recipient + " through " + where + " failed at " + step + ": " +
                          why,
                      reply.empty() || reply[0] != '5');
    };
    std::string reply;
    if (!session.Reply(reply) || !SnppSession::Accepted(reply))
        return refused("the greeting", reply);
    reply.clear();
    if (!session.Command("PAGE " + request.Recipient + (password.empty() ? "" : " " + password), reply))
        return refused("PAGE", reply);
    reply.clear();
    if (!session.Command("MESS " + ShortMessageText(request), reply))
        return refused("MESS", reply);
    reply.clear();
    if (!session.Command("SEND", reply))
        return refused("SEND", reply);
    std::string bye;
    session.Command("QUIT", bye); // the page is sent; a server that hangs up at once is fine
    return Delivered("Page sent to " + request.Recipient + " through " + where + " (" + FirstLine(reply) +
                     ")");
}
