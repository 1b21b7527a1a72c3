#include "model/sensors/SnHttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace {

// curl_global_init is not thread-safe; the first client of the process does it once.
void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
    std::string* body;
    bool tooLarge = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body->size() + bytes > CSnHttpClient::kMaxBodyBytes) {
        sink->tooLarge = true;
        return 0; // makes the transfer fail
    }
    sink->body->append(data, bytes);
    return bytes;
}

} // namespace

struct CSnHttpClient::Handle {
    CURL* curl = nullptr;
    ~Handle() {
        if (curl)
            curl_easy_cleanup(curl);
    }
};

std::unique_ptr<CSnHttpClient> CSnHttpClient::Create() {
    auto client = std::make_unique<CSnHttpClient>();
    return client->IsValid() ? std::move(client) : nullptr;
}

CSnHttpClient::CSnHttpClient() : m_handle(std::make_unique<Handle>()) {
    InitialiseCurlOnce();
    m_handle->curl = curl_easy_init();
}

bool CSnHttpClient::IsValid() const {
    return m_handle->curl != nullptr;
}

CSnHttpClient::~CSnHttpClient() = default;

void CSnHttpClient::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    // 0 would mean "no limit" to the client library: keep at least one millisecond.
    m_connectTimeout = std::max(connect, std::chrono::milliseconds(1));
    m_totalTimeout = std::max(total, std::chrono::milliseconds(1));
}

bool CSnHttpClient::Get(const std::string& url, long& status, std::string& body, std::string& error) {
    status = 0;
    body.clear();
    error.clear();
    CURL* curl = m_handle->curl;
    if (!curl) {
        error = "No HTTP client";
        return false;
    }
    curl_easy_reset(curl);
    char errorBuffer[CURL_ERROR_SIZE] = {};
    Sink sink{&body};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");    // no proxy, whatever the environment says
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L); // time-outs without SIGALRM, safe in threads
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(m_totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Sentrelle");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    if (code != CURLE_OK) {
        body.clear();
        if (sink.tooLarge)
            error = "The answer is larger than " + std::to_string(kMaxBodyBytes >> 20) + " MiB";
        else
            error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
        return false;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return true;
}
