#include "engine/FileTransferRunners.h"

#include "CurlEasy.h"
#include "RunnerCommon.h"
#include "StreamMatcher.h"
#include "engine/NetworkHelpers.h"
#include "model/checks/CheckSettings.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

struct Download {
    CStreamMatcher* Matcher = nullptr;
    curl_off_t Bytes = 0;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    download->Bytes += static_cast<curl_off_t>(size * count);
    if (download->Matcher)
        download->Matcher->Feed(std::string_view(data, size * count));
    return size * count;
}

// `path` for a URL: every part escaped, "\" taken for "/", and a leading "/" kept as
// "%2F" so that an FTP server starts from its root rather than the account's directory.
std::string UrlPath(CURL* handle, std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    std::string out = !path.empty() && path.front() == '/' ? "%2F" : "";
    std::size_t at = 0;
    while (at < path.size()) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at) {
            const std::unique_ptr<char, void (*)(void*)> part(
                curl_easy_escape(handle, path.data() + at, static_cast<int>(end - at)), &curl_free);
            if (!out.empty() && out != "%2F")
                out += '/';
            out += part ? part.get() : "";
        }
        at = end + 1;
    }
    return out;
}

// What to fetch and how to judge it, shared by FTP and TFTP.
struct Fetch {
    std::string Peer;
    std::string Url;
    std::string Shown;        // the file as the responses name it
    bool ReadContent = false; // false: the transfer itself (or its absence) says it all
    std::string Pattern;
    bool MustNotMatch = false;
    bool Bodiless = false; // what libcurl writes is its own summary, not the file
};

// Sets the common options on `curl`, transfers and judges the outcome; `success` is the
// response when the transfer alone decides.
CheckOutcome Perform(const CCurlEasy& curl, const Fetch& fetch, const CRunDeadline& deadline,
                     const std::string& success) {
    CURL* handle = curl.Handle();
    const long limit = static_cast<long>(std::max<long long>(deadline.Limit().count(), 1));
    CStreamMatcher matcher(fetch.Pattern);
    Download download;
    download.Matcher = fetch.ReadContent ? &matcher : nullptr;
    curl_easy_setopt(handle, CURLOPT_URL, fetch.Url.c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limit);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limit);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
    const CURLcode code = curl_easy_perform(handle);
    const std::string data =
        FormatMilliseconds(std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed()));
    if (code != CURLE_OK) {
        CheckOutcome failure = CurlFailure(curl, code, fetch.Peer, limit);
        if (failure.kind == CheckOutcome::Kind::Error)
            failure.Data = data;
        return failure;
    }
    if (!fetch.ReadContent)
        return CheckOutcome::Success(download.Bytes > 0 && !fetch.Bodiless
                                         ? success + " (" +
                                               runner::Bytes(static_cast<double>(download.Bytes)) + ")"
                                         : success,
                                     data);
    const bool found = matcher.Found();
    const std::string what = fetch.Shown + " on " + fetch.Peer + " (" +
                             runner::Bytes(static_cast<double>(download.Bytes)) + ") " +
                             (found ? "contains '" : "does not contain '") + fetch.Pattern + "'";
    return found != fetch.MustNotMatch ? CheckOutcome::Success(what, data) : CheckOutcome::Error(what, data);
}

// What both transfers need before they start: a valid host, the file when one is
// fetched (`file` not null) and the pattern when its content is searched (`pattern` not
// null).  The outcome that names the first thing missing, or none.
std::optional<CheckOutcome> MissingSettings(const std::string& host, HostAndPort& target, const std::string* file,
                                            const std::string* pattern) {
    if (host.empty())
        return CheckOutcome::Uncertain("No host configured");
    if (!SplitHostPort(host, target))
        return CheckOutcome::Uncertain("Host '" + host + "' is not valid");
    if (file != nullptr && file->empty())
        return CheckOutcome::Uncertain("No file configured");
    if (pattern != nullptr && pattern->empty())
        return CheckOutcome::Uncertain("No pattern to look for configured");
    return std::nullopt;
}

} // namespace

CheckOutcome CFtpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const FtpSettings settings = FtpSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    HostAndPort target;
    if (auto missing = MissingSettings(settings.Host, target, settings.CheckFile ? &settings.File : nullptr,
                                       settings.CheckFile && settings.CheckPattern ? &settings.Pattern : nullptr))
        return *missing;
    CCurlEasy curl(&context);
    if (!curl)
        return CheckOutcome::Uncertain("The FTP client could not be started");
    CURL* handle = curl.Handle();

    Fetch fetch;
    fetch.Peer = FormatHostPort(target.Host, target.Port != 0 ? target.Port : 21);
    std::string path = settings.Directory;
    if (settings.CheckFile) {
        if (!path.empty() && path.back() != '/' && path.back() != '\\')
            path += '/';
        path += settings.File;
        fetch.Shown = "'" + path + "'";
    }
    const std::string urlPath = UrlPath(handle, path);
    fetch.Url = "ftp://" + fetch.Peer + "/" + urlPath + (settings.CheckFile || urlPath.empty() ? "" : "/");
    fetch.ReadContent = settings.CheckFile && settings.CheckPattern;
    fetch.Pattern = settings.Pattern;
    fetch.MustNotMatch = settings.PatternMustNotMatch;
    fetch.Bodiless = !fetch.ReadContent;

    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "ftp");
    // Without an account libcurl logs on as "anonymous".
    if (!settings.Anonymous) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, settings.Login.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, settings.Password.c_str());
    }
    if (!settings.Passive)
        curl_easy_setopt(handle, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, settings.Binary ? 0L : 1L);
    // Logging on, or asking for the file's size, proves what is asked without a transfer.
    curl_easy_setopt(handle, CURLOPT_NOBODY, fetch.ReadContent ? 0L : 1L);
    const std::string who = settings.Anonymous ? "anonymously" : "as '" + settings.Login + "'";
    if (!settings.CheckFile)
        return Perform(curl, fetch, deadline, "Logged on to " + fetch.Peer + " " + who);
    CheckOutcome outcome = Perform(curl, fetch, deadline, fetch.Shown + " exists on " + fetch.Peer);
    curl_off_t size = -1;
    if (outcome.kind == CheckOutcome::Kind::Success && !fetch.ReadContent &&
        curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK && size >= 0)
        outcome.Response += " (" + runner::Bytes(static_cast<double>(size)) + ")";
    return outcome;
}

CheckOutcome CTftpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const TftpSettings settings = TftpSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    HostAndPort target;
    if (auto missing = MissingSettings(settings.Host, target, &settings.File,
                                       settings.CheckPattern ? &settings.Pattern : nullptr))
        return *missing;
    CCurlEasy curl(&context);
    if (!curl)
        return CheckOutcome::Uncertain("The TFTP client could not be started");
    CURL* handle = curl.Handle();
    Fetch fetch;
    fetch.Peer = FormatHostPort(target.Host, target.Port != 0 ? target.Port : 69);
    // A TFTP path has no root of its own: it is the file's name as the server knows it.
    std::string file = settings.File;
    while (!file.empty() && (file.front() == '/' || file.front() == '\\'))
        file.erase(0, 1);
    fetch.Url = "tftp://" + fetch.Peer + "/" + UrlPath(handle, file);
    fetch.Shown = "'" + settings.File + "'";
    fetch.ReadContent = settings.CheckPattern;
    fetch.Pattern = settings.Pattern;
    fetch.MustNotMatch = settings.PatternMustNotMatch;
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "tftp");
    curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, settings.Binary ? 0L : 1L);
    return Perform(curl, fetch, deadline, fetch.Shown + " fetched from " + fetch.Peer);
}
