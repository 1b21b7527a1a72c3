#pragma once
// One message handed to one SMTP server through libcurl: the client of the alert mails,
// also used by the checks that send a test message.  Not part of the engine's interface.
#include "engine/CheckRunner.h"

#include <chrono>
#include <string>
#include <vector>

struct SmtpServer {
    std::string Host;
    int Port = 25;
    bool Secure = false; // TLS: from the first byte on port 465, else STARTTLS required
    std::string Login;   // when set, the message goes only after a successful log-on
    std::string Password;
    std::string SenderName;
    std::string SenderAddress;

    // "smtp://host:port/<this computer's name for EHLO>" (smtps:// for port 465 with TLS).
    std::string Url() const;
    // "host:port".
    std::string Name() const;
};

// The name this computer gives with EHLO: its name without the characters a domain
// cannot hold, "localhost" when nothing is left.
std::string SmtpGreetingName();

// What one server made of the message.
struct SmtpAttempt {
    long Code = 0; // 0 sent, else the notification error code (23710...)
    std::string Description;
    std::string LastReply;             // the last line the server sent
    std::vector<std::string> Dialogue; // for the log, passwords hidden
};

// Sends `message` (a whole RFC 5322 text, CR LF line ends) to `recipients` within
// `share` of the time: the connection, the greeting and every later reply each wait at
// most that long.  A stop of the engine ends it within a fraction of a second.
SmtpAttempt SendOverSmtp(const SmtpServer& server, const std::vector<std::string>& recipients,
                         const std::string& message, std::chrono::milliseconds share,
                         const RunContext& context);
