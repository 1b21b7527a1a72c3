#pragma once
// CCurlEasy: one libcurl easy handle for one transfer of a runner or sender.  It makes the
// library's process-wide set-up once, asks for no signals (the engine runs transfers on
// worker threads), collects the library's error text, and aborts the transfer when the
// engine stops.
#include "engine/CheckRunner.h"

#include <curl/curl.h>

#include <string>

class CCurlEasy {
public:
    // Without a context, the transfer cannot be cancelled.
    explicit CCurlEasy(const RunContext* context = nullptr);
    ~CCurlEasy();
    CCurlEasy(const CCurlEasy&) = delete;
    CCurlEasy& operator=(const CCurlEasy&) = delete;

    CURL* Handle() const { return m_curl; }
    explicit operator bool() const { return m_curl != nullptr; }
    // The library's text for the last failure: its detailed message when it gave one.
    const char* ErrorText(CURLcode code) const;
    // True when the last transfer ended because the engine stopped.
    bool WasCancelled() const;

private:
    static int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    CURL* m_curl = nullptr;
    const RunContext* m_context = nullptr;
    char m_error[CURL_ERROR_SIZE] = {};
};

// The outcome of a failed transfer with `peer` ("host:port"): Uncertain when the engine
// stopped, otherwise an Error that says what went wrong in a person's words, with the
// server's last line (`lastReply`) where it refused something and `limitMs` where it
// did not answer in time.
CheckOutcome CurlFailure(const CCurlEasy& curl, CURLcode code, const std::string& peer, long long limitMs,
                         const std::string& lastReply = "");
