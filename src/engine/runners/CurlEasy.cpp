#include "CurlEasy.h"

#include "RunnerCommon.h"

#include <mutex>

CCurlEasy::CCurlEasy(const RunContext* context) : m_context(context) {
    // curl_global_init must run once before any handle is made, and not concurrently.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_curl = curl_easy_init();
    if (!m_curl)
        return;
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_error);
    if (m_context) {
        curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &CCurlEasy::Progress);
        curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    }
}

CCurlEasy::~CCurlEasy() {
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

const char* CCurlEasy::ErrorText(CURLcode code) const {
    return m_error[0] != '\0' ? m_error : curl_easy_strerror(code);
}

bool CCurlEasy::WasCancelled() const {
    return m_context && m_context->IsCancelled();
}

int CCurlEasy::Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    // Called about once a second at least, and whenever data moves: a non-zero answer
    // aborts the transfer with CURLE_ABORTED_BY_CALLBACK.
    return static_cast<const CCurlEasy*>(user)->WasCancelled() ? 1 : 0;
}

CheckOutcome CurlFailure(const CCurlEasy& curl, CURLcode code, const std::string& peer, long long limitMs,
                         const std::string& lastReply) {
    if (code == CURLE_ABORTED_BY_CALLBACK && curl.WasCancelled())
        return runner::Cancelled();
    // The server's own words where it gave any, else the library's.
    const std::string said = lastReply.empty() ? std::string(curl.ErrorText(code)) : "'" + lastReply + "'";
    const std::string told = lastReply.empty() ? std::string(curl_easy_strerror(code)) : said;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return CheckOutcome::Error("Host of " + peer + " could not be resolved");
    case CURLE_COULDNT_CONNECT:
        return CheckOutcome::Error("Cannot connect to " + peer + ": " + curl.ErrorText(code));
    case CURLE_OPERATION_TIMEDOUT:
        return CheckOutcome::Error("No answer from " + peer + " within " + runner::Millis(limitMs));
    case CURLE_LOGIN_DENIED:
        return CheckOutcome::Error("Log-on to " + peer + " refused: " + said);
    case CURLE_USE_SSL_FAILED:
        return CheckOutcome::Error(peer + " does not offer TLS");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return CheckOutcome::Error("TLS with " + peer + " failed: " + curl.ErrorText(code));
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_TFTP_NOTFOUND:
        return CheckOutcome::Error("File not found on " + peer + ": " + told);
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_TFTP_PERM:
        return CheckOutcome::Error("Access denied by " + peer + ": " + told);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return CheckOutcome::Error("Connection to " + peer + " lost: " + curl.ErrorText(code));
    default:
        return CheckOutcome::Error(peer + ": " + said);
    }
}
