#pragma once
// A mailbox on 127.0.0.1 for tests, served over POP3 or IMAP by one line-based peer: one
// account, the messages a source function gives (say, what a LoopbackSmtpSink took), and
// the messages deleted over POP3 hidden from then on.  IMAP goes as far as a log-on.
#include "LoopbackTcpPeer.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

class LoopbackMailbox {
public:
    enum class Protocol { Pop3, Imap };
    using Source = std::function<std::vector<std::string>()>;

    LoopbackMailbox(Protocol protocol, std::string login, std::string password, Source source = {})
        : m_protocol(protocol), m_login(std::move(login)), m_password(std::move(password)),
          m_source(std::move(source)), m_peer([this](int fd, const std::atomic<bool>& stop) {
              Line line{fd, stop, {}};
              m_protocol == Protocol::Pop3 ? Pop3(line) : Imap(line);
          }) {}

    int Port() const { return m_peer.Port(); }
    // The messages not deleted, in order.
    std::vector<std::string> Messages() const {
        std::vector<std::string> left;
        std::lock_guard lock(m_mutex);
        for (const std::string& message : m_source ? m_source() : std::vector<std::string>())
            if (!m_deleted.count(message))
                left.push_back(message);
        return left;
    }

private:
    struct Line {
        int fd;
        const std::atomic<bool>& stop;
        std::string pending;
        // One line without its CR LF; false when the client went away or the peer stops.
        bool Read(std::string& line) {
            for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);;) {
                const std::size_t at = pending.find("\r\n");
                if (at != std::string::npos) {
                    line = pending.substr(0, at);
                    pending.erase(0, at + 2);
                    return true;
                }
                pollfd readable{fd, POLLIN, 0};
                if (stop || std::chrono::steady_clock::now() > end)
                    return false;
                if (::poll(&readable, 1, 20) <= 0)
                    continue;
                char buffer[4096];
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0)
                    return false;
                pending.append(buffer, static_cast<std::size_t>(got));
            }
        }
        void Say(const std::string& text) { (void)::send(fd, (text + "\r\n").data(), text.size() + 2, MSG_NOSIGNAL); }
    };

    static std::string Word(const std::string& line, int index) {
        std::size_t at = 0;
        for (int i = 0; i < index && at != std::string::npos; ++i)
            at = line.find(' ', at) == std::string::npos ? std::string::npos : line.find(' ', at) + 1;
        if (at == std::string::npos)
            return {};
        std::string word = line.substr(at, line.find(' ', at) - at);
        return word.size() >= 2 && word.front() == '"' ? word.substr(1, word.size() - 2) : word;
    }

    void Pop3(Line& client) {
        client.Say("+OK mailbox.test POP3 ready");
        std::string line, user;
        bool in = false;
        const std::vector<std::string> box = Messages();
        std::set<std::size_t> marked;
        while (client.Read(line)) {
            const std::string verb = Word(line, 0);
            const std::size_t n = std::strtoul(Word(line, 1).c_str(), nullptr, 10);
            if (verb == "CAPA") {
                client.Say("+OK\r\nUSER\r\n.");
            } else if (verb == "USER") {
                user = Word(line, 1);
                client.Say("+OK");
            } else if (verb == "PASS") {
                in = user == m_login && Word(line, 1) == m_password;
                client.Say(in ? "+OK logged on" : "-ERR invalid account or password");
            } else if (verb == "QUIT") {
                std::lock_guard lock(m_mutex);
                for (std::size_t i : marked)
                    m_deleted.insert(box[i - 1]);
                client.Say("+OK bye");
                return;
            } else if (!in || (verb != "LIST" && (n < 1 || n > box.size()))) {
                client.Say("-ERR not now");
            } else if (verb == "LIST") {
                std::string list = "+OK";
                for (std::size_t i = 0; i < box.size(); ++i)
                    list += "\r\n" + std::to_string(i + 1) + " " + std::to_string(box[i].size());
                client.Say(list + "\r\n.");
            } else if (verb == "RETR") {
                client.Say("+OK\r\n" + box[n - 1] + ".");
            } else if (verb == "DELE") {
                marked.insert(n);
                client.Say("+OK marked");
            } else {
                client.Say("-ERR unknown command");
            }
        }
    }

    void Imap(Line& client) {
        client.Say("* OK [CAPABILITY IMAP4rev1] mailbox.test IMAP ready");
        std::string line;
        while (client.Read(line)) {
            const std::string tag = Word(line, 0), verb = Word(line, 1);
            if (verb == "CAPABILITY")
                client.Say("* CAPABILITY IMAP4rev1\r\n" + tag + " OK done");
            else if (verb == "LOGIN")
                client.Say(Word(line, 2) == m_login && Word(line, 3) == m_password
                               ? tag + " OK logged on"
                               : tag + " NO [AUTHENTICATIONFAILED] invalid account or password");
            else if (verb == "LOGOUT")
                return client.Say("* BYE\r\n" + tag + " OK bye");
            else
                client.Say(tag + " BAD unknown command");
        }
    }

    Protocol m_protocol;
    std::string m_login, m_password;
    Source m_source;
    mutable std::mutex m_mutex;
    std::set<std::string> m_deleted;
    LoopbackTcpPeer m_peer;
};

} // namespace testsupport
