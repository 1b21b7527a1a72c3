#include "engine/HttpRunner.h"

#include "CurlEasy.h"
#include "RunnerCommon.h"
#include "StreamMatcher.h"
#include "model/checks/CheckSettings.h"
#include "engine/NetworkHelpers.h"

#include <cctype>
#include <charconv>
#include <utility>
#include <vector>

namespace {

struct Transfer {
    CStreamMatcher* matcher = nullptr; // set when the page content is matched
    std::size_t bytes = 0;
    std::string statusLine; // of the last answer, "HTTP/1.1 200 OK"
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    transfer->bytes += bytes;
    if (transfer->matcher)
        transfer->matcher->Feed(std::string_view(data, bytes));
    return bytes;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    if (line.substr(0, 5) == "HTTP/") {
        transfer->statusLine = FirstLine(line, 120);
        transfer->bytes = 0;
        if (transfer->matcher)
            transfer->matcher->Restart();
    }
    return size * count;
}

// Accepted status codes: "200,204,300-399".  False when the rule holds no valid entry.
bool ParseStatusRule(const std::string& rule, std::vector<std::pair<long, long>>& ranges) {
    std::string entry;
    bool valid = true;
    auto flush = [&] {
        if (entry.empty())
            return;
        long from = 0, to = 0;
        const std::size_t dash = entry.find('-');
        const std::string first = entry.substr(0, dash);
        const std::string second = dash == std::string::npos ? first : entry.substr(dash + 1);
        const auto a = std::from_chars(first.data(), first.data() + first.size(), from);
        const auto b = std::from_chars(second.data(), second.data() + second.size(), to);
        if (a.ec != std::errc() || a.ptr != first.data() + first.size() || b.ec != std::errc() ||
            b.ptr != second.data() + second.size() || from > to)
            valid = false;
        else
            ranges.emplace_back(from, to);
        entry.clear();
    };
    for (char c : rule) {
        if (c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c)))
            flush();
        else
            entry += c;
    }
    flush();
    return valid && !ranges.empty();
}

// "HTTP 404 Not Found" from the status line, or from the code alone.
std::string StatusText(const Transfer& transfer, long status) {
    const std::size_t blank = transfer.statusLine.find(' ');
    if (blank != std::string::npos)
        return "HTTP " + transfer.statusLine.substr(blank + 1);
    return "HTTP " + std::to_string(status);
}

} // namespace

CheckOutcome CHttpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const HttpSettings settings = HttpSettings::Read(check.Function);
    const CRunDeadline deadline(context, std::chrono::seconds(settings.TimeoutSecs));
    if (settings.HostPort.empty())
        return CheckOutcome::Uncertain("No URL configured");
    std::vector<std::pair<long, long>> accepted;
    if (settings.StatusRule.empty())
        accepted.emplace_back(200, 399);
    else if (!ParseStatusRule(settings.StatusRule, accepted))
        return CheckOutcome::Uncertain("The accepted status codes '" + settings.StatusRule + "' are not valid");
    if (settings.MatchContent && settings.Content.empty())
        return CheckOutcome::Uncertain("No page content to look for configured");

    CCurlEasy curl(&context);
    if (!curl)
        return CheckOutcome::Uncertain("The HTTP client could not be started");
    CURL* handle = curl.Handle();
    const std::string url = settings.Url();
    const long limitMs = static_cast<long>(std::max<long long>(deadline.Limit().count(), 1));
    CStreamMatcher matcher(settings.Content);
    Transfer transfer;
    transfer.matcher = settings.MatchContent ? &matcher : nullptr;

    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, settings.FollowRedirects ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limitMs);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limitMs);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Sentrelle");
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    // Only the proxy the check names, never one from the engine's environment.
    curl_easy_setopt(handle, CURLOPT_PROXY, settings.UseProxy ? settings.Proxy.c_str() : "");
    if (settings.UseProxy && settings.ProxyLogin) {
        curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, settings.ProxyAccount.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, settings.ProxyPassword.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    }
    if (settings.WebLogin) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, settings.Login.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, settings.Password.c_str());
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    }
    if (settings.AnyCertificate) {
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    }

    const CURLcode code = curl_easy_perform(handle);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed());
    // The URL of the last request: after a redirect, the one that answered or failed.
    char* effective = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
    const std::string finalUrl = effective ? effective : url;
    const std::string comment = finalUrl != url ? "GET " + url + ", redirected to " + finalUrl : "GET " + url;
    if (code != CURLE_OK) {
        if (code == CURLE_ABORTED_BY_CALLBACK && curl.WasCancelled())
            return runner::Cancelled();
        CheckOutcome outcome;
        switch (code) {
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            // The configured URL is wrong: no fault of the server.  Where a redirect led to
            // it, the server sent it and it is the server's failure.
            if (finalUrl == url) {
                outcome = CheckOutcome::Uncertain("The URL '" + url + "' is not valid: " + curl.ErrorText(code));
                break;
            }
            outcome = CheckOutcome::Error(finalUrl + ": " + curl.ErrorText(code));
            break;
        case CURLE_OPERATION_TIMEDOUT:
            outcome = CheckOutcome::Error("No answer from " + finalUrl + " within " + std::to_string(limitMs) + " ms");
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
            outcome = CheckOutcome::Error("Host of " + finalUrl + " could not be resolved");
            break;
        case CURLE_TOO_MANY_REDIRECTS:
            outcome = CheckOutcome::Error("Too many redirects from " + url);
            break;
        default:
            outcome = CheckOutcome::Error(finalUrl + ": " + curl.ErrorText(code));
            break;
        }
        outcome.Comment = comment;
        return outcome;
    }

    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const std::string statusText = StatusText(transfer, status);
    const std::string data = FormatMilliseconds(took);

    bool statusOk = false;
    for (const auto& [from, to] : accepted)
        statusOk = statusOk || (status >= from && status <= to);

    CheckOutcome outcome;
    if (!statusOk) {
        outcome = CheckOutcome::Error(statusText, data);
    } else if (settings.MatchContent) {
        const bool found = matcher.Found();
        const std::string what = statusText + ", page " + (found ? "contains '" : "does not contain '") +
                                 settings.Content + "'";
        outcome = found ? CheckOutcome::Success(what, data) : CheckOutcome::Error(what, data);
    } else {
        outcome = CheckOutcome::Success(statusText + " (" + runner::Bytes(static_cast<double>(transfer.bytes)) + ")",
                                        data);
    }
    outcome.Comment = comment;
    return outcome;
}
