#pragma once
// CSnHttpClient: the HTTP client through which the model talks to network devices.  One
// GET at a time, plain HTTP or HTTPS only, no proxy (the devices sit on the local network),
// no redirects followed, and a time-out on connecting and on the whole request so that an
// unreachable or stalled device can never hang its caller.
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

class CSnHttpClient {
public:
    static constexpr std::chrono::milliseconds kDefaultConnectTimeout{5000};
    static constexpr std::chrono::milliseconds kDefaultTotalTimeout{15000};
    // Bodies above this size are refused rather than held in memory.
    static constexpr std::size_t kMaxBodyBytes = 8u << 20;

    // Null when the client library cannot give a handle.
    static std::unique_ptr<CSnHttpClient> Create();
    CSnHttpClient();
    ~CSnHttpClient();
    // False when the client library gave no handle; Get then fails.
    CSnHttpClient(const CSnHttpClient&) = delete;
    CSnHttpClient& operator=(const CSnHttpClient&) = delete;
    bool IsValid() const;

    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

    // One GET of `url`.  True when the server answered (any status): `status` and `body`
    // are set.  False when no answer came (no connection, time-out, refused protocol, a
    // body too large): `error` describes why.
    bool Get(const std::string& url, long& status, std::string& body, std::string& error);

private:
    struct Handle;

    std::unique_ptr<Handle> m_handle;
    std::chrono::milliseconds m_connectTimeout = kDefaultConnectTimeout;
    std::chrono::milliseconds m_totalTimeout = kDefaultTotalTimeout;
};
