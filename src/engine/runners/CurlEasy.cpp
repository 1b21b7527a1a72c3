#include "CurlEasy.h"

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
