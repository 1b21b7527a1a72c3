#pragma once
// A small SMTP server on 127.0.0.1 for tests: it listens on a free port, takes the
// messages clients deliver and keeps them for the test to look at.  One connection at a
// time (a LoopbackTcpPeer serves them).  It can require an account (AUTH PLAIN and LOGIN), refuse chosen senders and
// recipients, and refuse every message after its data, so that tests can play a server
// that says no.  STARTTLS is never offered.
#include "LoopbackTcpPeer.h"

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

// What the sink refuses or requires (LoopbackSmtpSink::Options).
struct SmtpSinkOptions {
    std::set<std::string> RejectRecipients; // answered 550
    std::set<std::string> RejectSenders;    // answered 553
    bool RejectData = false;                // every message refused after its data (554)
    std::string Login;                      // when set, AUTH is offered and required
    std::string Password;
};

class LoopbackSmtpSink {
public:
    struct Message {
        std::string Helo;                    // the name after EHLO or HELO
        std::string From;                    // the address of MAIL FROM, without <>
        std::vector<std::string> Recipients; // those accepted, without <>
        std::string Data;                    // as sent, dot-stuffing undone, ending in CR LF
        std::string User;                    // the account that logged on, if any
    };
    using Options = SmtpSinkOptions;

    explicit LoopbackSmtpSink(Options options = {})
        : m_options(std::move(options)),
          m_peer([this](int fd, const std::atomic<bool>& stop) { Session(fd, stop); }) {
        if (!m_peer.Listening())
            throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    ~LoopbackSmtpSink() { m_peer.Close(); }

    LoopbackSmtpSink(const LoopbackSmtpSink&) = delete;
    LoopbackSmtpSink& operator=(const LoopbackSmtpSink&) = delete;

    int Port() const { return m_peer.Port(); }

    // The messages accepted so far, in order.
    std::vector<Message> Messages() const {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    // Every command line received so far (AUTH secrets included), in order.
    std::vector<std::string> Commands() const {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }
    // Waits until at least `count` messages were accepted; false when the time ran out.
    bool WaitForMessages(std::size_t count, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_messages.size() >= count; });
    }

    static std::string DecodeBase64(const std::string& text) {
        std::string out;
        unsigned buffer = 0;
        int bits = 0;
        for (char c : text) {
            int value;
            if (c >= 'A' && c <= 'Z')
                value = c - 'A';
            else if (c >= 'a' && c <= 'z')
                value = c - 'a' + 26;
            else if (c >= '0' && c <= '9')
                value = c - '0' + 52;
            else if (c == '+')
                value = 62;
            else if (c == '/')
                value = 63;
            else
                continue;
            buffer = (buffer << 6) | static_cast<unsigned>(value);
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                out += static_cast<char>((buffer >> bits) & 0xff);
            }
        }
        return out;
    }

private:
    void Record(const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(line);
    }

    static std::string Upper(std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }

    // "<a@b>" out of "MAIL FROM:<a@b> SIZE=12".
    static std::string Address(const std::string& line) {
        const std::size_t open = line.find('<');
        const std::size_t close = line.find('>', open);
        if (open == std::string::npos || close == std::string::npos)
            return {};
        return line.substr(open + 1, close - open - 1);
    }

    bool CheckLogin(const std::string& user, const std::string& password) const {
        return user == m_options.Login && password == m_options.Password;
    }

    void Session(int connection, const std::atomic<bool>& stop) {
        LineConnection client{connection, stop};
        std::string line;
        Message message;
        bool authenticated = m_options.Login.empty();
        client.Say("220 sink.test ESMTP ready");
        while (client.Read(line)) {
            Record(line);
            const std::string verb = Upper(line.substr(0, line.find(' ')));
            if (verb == "EHLO" || verb == "HELO") {
                message = Message{};
                message.Helo = line.size() > 5 ? line.substr(5) : "";
                if (verb == "HELO" || m_options.Login.empty()) {
                    client.Say("250 sink.test");
                } else {
                    client.Say("250-sink.test");
                    client.Say("250 AUTH PLAIN LOGIN");
                }
            } else if (verb == "AUTH") {
                const std::string rest = line.size() > 5 ? line.substr(5) : "";
                const std::string mechanism = Upper(rest.substr(0, rest.find(' ')));
                std::string user, password;
                if (mechanism == "PLAIN") {
                    std::string secret = rest.find(' ') != std::string::npos ? rest.substr(rest.find(' ') + 1) : "";
                    if (secret.empty()) {
                        client.Say("334 ");
                        if (!client.Read(secret))
                            return;
                        Record(secret);
                    }
                    const std::string plain = DecodeBase64(secret); // "\0user\0password"
                    const std::size_t first = plain.find('\0');
                    const std::size_t second = plain.find('\0', first + 1);
                    if (first != std::string::npos && second != std::string::npos) {
                        user = plain.substr(first + 1, second - first - 1);
                        password = plain.substr(second + 1);
                    }
                } else if (mechanism == "LOGIN") {
                    std::string answer;
                    client.Say("334 VXNlcm5hbWU6");
                    if (!client.Read(answer))
                        return;
                    Record(answer);
                    user = DecodeBase64(answer);
                    client.Say("334 UGFzc3dvcmQ6");
                    if (!client.Read(answer))
                        return;
                    Record(answer);
                    password = DecodeBase64(answer);
                } else {
                    client.Say("504 5.5.4 Unrecognized authentication type");
                    continue;
                }
                if (CheckLogin(user, password)) {
                    authenticated = true;
                    message.User = user;
                    client.Say("235 2.7.0 Authentication successful");
                } else {
                    client.Say("535 5.7.8 Authentication credentials invalid");
                }
            } else if (verb == "MAIL") {
                const std::string from = Address(line);
                if (!authenticated) {
                    client.Say("530 5.7.0 Authentication required");
                } else if (m_options.RejectSenders.count(from)) {
                    client.Say("553 5.7.1 <" + from + ">: Sender address rejected: not owned by user");
                } else {
                    message.From = from;
                    message.Recipients.clear();
                    client.Say("250 2.1.0 Ok");
                }
            } else if (verb == "RCPT") {
                const std::string to = Address(line);
                if (m_options.RejectRecipients.count(to)) {
                    client.Say("550 5.1.1 <" + to + ">: Recipient address rejected: User unknown");
                } else {
                    message.Recipients.push_back(to);
                    client.Say("250 2.1.5 Ok");
                }
            } else if (verb == "DATA") {
                if (message.Recipients.empty()) {
                    client.Say("503 5.5.1 Error: need RCPT command");
                    continue;
                }
                client.Say("354 End data with <CR><LF>.<CR><LF>");
                std::string data;
                for (;;) {
                    if (!client.Read(line))
                        return;
                    if (line == ".")
                        break;
                    if (!line.empty() && line[0] == '.')
                        line.erase(0, 1);
                    data += line + "\r\n";
                }
                if (m_options.RejectData) {
                    client.Say("554 5.6.0 Message rejected: content refused");
                    continue;
                }
                message.Data = data;
                {
                    std::lock_guard lock(m_mutex);
                    m_messages.push_back(message);
                }
                m_changed.notify_all();
                client.Say("250 2.0.0 Ok: queued as 4711");
            } else if (verb == "RSET") {
                message.From.clear();
                message.Recipients.clear();
                client.Say("250 2.0.0 Ok");
            } else if (verb == "NOOP") {
                client.Say("250 2.0.0 Ok");
            } else if (verb == "QUIT") {
                client.Say("221 2.0.0 Bye");
                return;
            } else if (verb == "STARTTLS") {
                client.Say("454 4.7.0 TLS not available");
            } else {
                client.Say("502 5.5.2 Error: command not recognized");
            }
        }
    }

    Options m_options;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Message> m_messages;
    std::vector<std::string> m_commands;
    LoopbackTcpPeer m_peer; // last: its thread ends before the members above go
};

} // namespace testsupport
