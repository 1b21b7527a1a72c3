#pragma once
// A mailbox on 127.0.0.1 for tests, served over POP3 or IMAP by one line-based peer: one
// account, the messages a source function gives (say, what a LoopbackSmtpSink took), and
// the messages deleted over POP3 hidden from then on.  IMAP goes as far as a log-on.
#include "LoopbackTcpPeer.h"

#include <cstdlib>
#include <functional>
#include <mutex>
#include <set>
#include <sstream>
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
              LineConnection line{fd, stop};
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
    void Pop3(LineConnection& client) {
        client.Say("+OK mailbox.test POP3 ready");
        std::string line, user;
        bool in = false;
        const std::vector<std::string> box = Messages();
        std::set<std::size_t> marked;
        while (client.Read(line)) {
            std::string w[2];
            std::istringstream(line) >> w[0] >> w[1];
            const std::string& verb = w[0];
            const std::size_t n = std::strtoul(w[1].c_str(), nullptr, 10);
            if (verb == "USER") {
                user = w[1];
                client.Say("+OK");
            } else if (verb == "PASS") {
                in = user == m_login && w[1] == m_password;
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

    void Imap(LineConnection& client) {
        client.Say("* OK [CAPABILITY IMAP4rev1] mailbox.test IMAP ready");
        std::string line;
        while (client.Read(line)) {
            std::string w[4];
            std::istringstream(line) >> w[0] >> w[1] >> w[2] >> w[3];
            const std::string& tag = w[0];
            if (w[1] == "CAPABILITY")
                client.Say("* CAPABILITY IMAP4rev1\r\n" + tag + " OK done");
            else if (w[1] == "LOGIN")
                client.Say(w[2] == m_login && w[3] == m_password
                               ? tag + " OK logged on"
                               : tag + " NO [AUTHENTICATIONFAILED] invalid account or password");
            else if (w[1] == "LOGOUT")
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
