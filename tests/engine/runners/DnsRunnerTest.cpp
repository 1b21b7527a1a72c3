// The DNS runner against a small DNS server the test runs on the loopback interface, and
// the message reader and writer it uses.
#include "LoopbackSockets.h"
#include "RunnerTestSupport.h"
#include "engine/DnsMessage.h"

#include <poll.h>

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

// A DNS server for tests, written from the message format alone: it answers A questions
// from a table, NXDOMAIN for names it does not know (MX and CNAME answers come from a
// real DNS server in RealServersTest).  It listens on UDP and on
// TCP of the same port; when truncating, a UDP answer carries only its first record and
// the TC bit, as servers do when the whole answer does not fit into a datagram.
class LoopbackDnsServer {
public:
    struct Record {
        std::uint16_t type;
        std::string data; // an IPv4 address
    };

    LoopbackDnsServer() {
        for (int tries = 0; tries < 20 && m_stream < 0; ++tries) {
            m_socket = testsupport::OpenLoopbackSocket(SOCK_DGRAM, m_port);
            int same = 0;
            m_stream = testsupport::OpenLoopbackSocket(SOCK_STREAM, same, AF_INET, m_port);
            if (m_stream < 0)
                ::close(m_socket);
        }
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackDnsServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_socket);
        ::close(m_stream);
    }

    int Port() const { return m_port; }
    void SetTruncating(bool truncating) { m_truncating = truncating; }
    // Closes TCP connections without an answer.
    void SetTcpMute(bool mute) { m_tcpMute = mute; }
    int TcpQueries() const { return m_tcpQueries; }

    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    void Add(const std::string& name, Record record) {
        std::lock_guard lock(m_mutex);
        m_records[name].push_back(std::move(record));
    }
    // Answers nothing at all.
    void SetSilent(bool silent) { m_silent = silent; }
    // Sends an answer with the wrong identifier before the right one.
    void SetDecoy(bool decoy) { m_decoy = decoy; }
    int Queries() const { return m_queries; }
    bool LastAskedForRecursion() const { return m_recursion; }

private:
    static void Put16(std::string& out, std::uint16_t value) {
        out += static_cast<char>(value >> 8);
        out += static_cast<char>(value & 0xff);
    }
    void Answer(const std::string& query, std::string& out, bool truncate = false) {
        // Header (12 bytes), then the question: labels, type, class.
        std::string name;
        std::size_t at = 12;
        while (at < query.size() && query[at] != '\0') {
            const auto length = static_cast<unsigned char>(query[at]);
            if (!name.empty())
                name += '.';
            name += query.substr(at + 1, length);
            at += 1 + length;
        }
        const std::uint16_t type = static_cast<std::uint16_t>((static_cast<unsigned char>(query[at + 1]) << 8) |
                                                              static_cast<unsigned char>(query[at + 2]));
        const std::string question = query.substr(12, at + 5 - 12);
        m_recursion = (static_cast<unsigned char>(query[2]) & 0x01) != 0;

        std::vector<Record> answers;
        bool known = false;
        {
            std::lock_guard lock(m_mutex);
            const auto found = m_records.find(name);
            known = found != m_records.end();
            if (known) {
                for (const Record& record : found->second)
                    if (record.type == type)
                        answers.push_back(record);
            }
        }
        const bool cut = truncate && answers.size() > 1;
        if (cut)
            answers.resize(1);
        out = query.substr(0, 2);
        // response, TC when cut, RD, RA, rcode
        Put16(out, static_cast<std::uint16_t>(0x8180 | (cut ? 0x0200 : 0) | (known ? 0 : 3)));
        Put16(out, 1);
        Put16(out, static_cast<std::uint16_t>(answers.size()));
        Put16(out, 0);
        Put16(out, 0);
        out += question;
        for (const Record& record : answers) {
            Put16(out, 0xC00C); // the name of the question
            Put16(out, record.type);
            Put16(out, 1);
            out += std::string("\0\0\0\x3c", 4);
            in_addr address{};
            ::inet_pton(AF_INET, record.data.c_str(), &address);
            Put16(out, 4);
            out.append(reinterpret_cast<const char*>(&address), 4);
        }
    }

    // One query over TCP: two bytes of length before the query and the answer.
    void ServeStream() {
        const int connection = ::accept(m_stream, nullptr, nullptr);
        if (connection < 0)
            return;
        std::string query;
        char buffer[1024];
        pollfd readable{connection, POLLIN, 0};
        while (::poll(&readable, 1, 2000) > 0) {
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            query.append(buffer, static_cast<std::size_t>(got));
            if (query.size() >= 2 && query.size() >= 2u + ((static_cast<unsigned char>(query[0]) << 8) |
                                                          static_cast<unsigned char>(query[1])))
                break;
        }
        if (query.size() >= 19 && !m_tcpMute) {
            ++m_tcpQueries;
            std::string answer;
            Answer(query.substr(2), answer);
            std::string framed;
            Put16(framed, static_cast<std::uint16_t>(answer.size()));
            framed += answer;
            ::send(connection, framed.data(), framed.size(), MSG_NOSIGNAL);
        }
        ::close(connection);
    }

    void Serve() {
        while (!m_stop) {
            pollfd readable[2] = {{m_socket, POLLIN, 0}, {m_stream, POLLIN, 0}};
            if (::poll(readable, 2, 20) <= 0)
                continue;
            if (readable[1].revents & POLLIN)
                ServeStream();
            if (!(readable[0].revents & POLLIN))
                continue;
            char buffer[1024];
            sockaddr_storage from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(m_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got < 17)
                continue;
            ++m_queries;
            if (m_silent)
                continue;
            std::string answer;
            Answer(std::string(buffer, static_cast<std::size_t>(got)), answer, m_truncating);
            if (m_decoy) {
                std::string decoy = answer;
                decoy[0] = static_cast<char>(decoy[0] ^ 0x5a);
                ::sendto(m_socket, decoy.data(), decoy.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
            }
            ::sendto(m_socket, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    }

    int m_socket = -1;
    int m_stream = -1;
    int m_port = 0;
    std::mutex m_mutex;
    std::map<std::string, std::vector<Record>> m_records;
    std::atomic<bool> m_stop{false}, m_silent{false}, m_decoy{false}, m_recursion{false}, m_truncating{false},
        m_tcpMute{false};
    std::atomic<int> m_queries{0}, m_tcpQueries{0};
    std::thread m_thread;
};

CSnNodeCfg DnsCheck(const LoopbackDnsServer& server, const std::string& name, const std::string& expected = "") {
    CSnNodeCfg check = MakeCheck(kTypeDns);
    check.Function.ParamServer = server.Address();
    check.Function.Param1 = name;
    check.Function.Param2 = expected;
    return check;
}

} // namespace

TEST(DnsRunner, ARecordsMatchTheExpectedAddresses) {
    LoopbackDnsServer server;
    server.Add("www.example.test", {kDnsA, "192.0.2.10"});
    server.Add("www.example.test", {kDnsA, "192.0.2.11"});
    const RunContext context = Context();

    const CheckOutcome any = RunCheck(DnsCheck(server, "www.example.test"), context);
    ASSERT_EQ(any.kind, CheckOutcome::Kind::Success) << Describe(any);
    EXPECT_EQ(any.Data.Str(), "192.0.2.10, 192.0.2.11");
    EXPECT_EQ(any.Response.Str().rfind("www.example.test A 192.0.2.10, 192.0.2.11 (" + server.Address() + ", ", 0), 0u)
        << any.Response.Str();
    EXPECT_TRUE(server.LastAskedForRecursion()); // a new check asks for recursion

    // One of the expected addresses is enough by default...
    const CheckOutcome one = RunCheck(DnsCheck(server, "www.example.test", "198.51.100.1||192.0.2.11"), context);
    EXPECT_EQ(one.kind, CheckOutcome::Kind::Success) << Describe(one);
    EXPECT_EQ(one.Comment.Str(), "Expected one of 198.51.100.1, 192.0.2.11");
    // ...all of them must be there with the second option.
    CSnNodeCfg all = DnsCheck(server, "www.example.test.", "198.51.100.1, 192.0.2.11");
    all.Function.ParamByteCodes = "A10";
    const CheckOutcome partly = RunCheck(all, context);
    ASSERT_EQ(partly.kind, CheckOutcome::Kind::Error) << Describe(partly);
    EXPECT_NE(partly.Response.Find(": 198.51.100.1 missing"), -1) << partly.Response.Str();
    EXPECT_FALSE(server.LastAskedForRecursion());
    all.Function.Param2 = "192.0.2.11 192.0.2.10";
    EXPECT_EQ(RunCheck(all, context).kind, CheckOutcome::Kind::Success);

    const CheckOutcome none = RunCheck(DnsCheck(server, "www.example.test", "203.0.113.5"), context);
    ASSERT_EQ(none.kind, CheckOutcome::Kind::Error) << Describe(none);
    EXPECT_NE(none.Response.Find(": none of the expected 203.0.113.5"), -1) << none.Response.Str();
}

TEST(DnsRunner, FailuresOfTheServer) {
    LoopbackDnsServer server;
    const RunContext context = Context();
    EXPECT_EQ(Describe(RunCheck(DnsCheck(server, "nothing.example.test"), context)),
              "Error: A query for 'nothing.example.test' failed at " + server.Address() +
                  ": NXDOMAIN: the name does not exist [] {}");

    // Answers to other queries are passed over.
    server.Add("www.example.test", {kDnsA, "192.0.2.10"});
    server.SetDecoy(true);
    EXPECT_EQ(RunCheck(DnsCheck(server, "www.example.test"), context).kind, CheckOutcome::Kind::Success);

    // A server that never answers: the query is sent again, then the run gives up in time.
    server.SetSilent(true);
    const int before = server.Queries();
    const auto start = std::chrono::steady_clock::now();
    const CheckOutcome silent = RunCheck(DnsCheck(server, "www.example.test"), Context(2500ms));
    const double took = SecondsSince(start);
    ASSERT_EQ(silent.kind, CheckOutcome::Kind::Error) << Describe(silent);
    EXPECT_EQ(silent.Response.Str().rfind("No answer from DNS server " + server.Address() + " within ", 0), 0u)
        << silent.Response.Str();
    EXPECT_GE(server.Queries() - before, 2);
    EXPECT_GE(took, 2.0);
    EXPECT_LT(took, 10.0);

    CSnNodeCfg bad = DnsCheck(server, "bad..name");
    EXPECT_EQ(RunCheck(bad, context).Response.Str(), "'bad..name' is not a valid name");
    bad.Function.Param1 = "";
    EXPECT_EQ(RunCheck(bad, context).kind, CheckOutcome::Kind::Uncertain);
}

TEST(DnsRunner, TruncatedAnswerIsAskedForAgainOverTcp) {
    LoopbackDnsServer server;
    for (int i = 1; i <= 5; ++i)
        server.Add("many.example.test", {kDnsA, "192.0.2." + std::to_string(i)});
    server.SetTruncating(true);
    const CheckOutcome outcome = RunCheck(DnsCheck(server, "many.example.test", "192.0.2.5"), Context());
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_EQ(outcome.Data.Str(), "192.0.2.1, 192.0.2.2, 192.0.2.3, 192.0.2.4, 192.0.2.5");
    EXPECT_EQ(server.TcpQueries(), 1);
    EXPECT_EQ(outcome.Comment.Str(), "Expected one of 192.0.2.5"); // not marked as truncated

    // Without an answer over TCP the cut answer is used, and marked.
    server.SetTcpMute(true);
    const CheckOutcome cut = RunCheck(DnsCheck(server, "many.example.test"), Context());
    ASSERT_EQ(cut.kind, CheckOutcome::Kind::Success) << Describe(cut);
    EXPECT_EQ(cut.Data.Str(), "192.0.2.1");
    EXPECT_EQ(cut.Comment.Str(), "The answer was truncated (DNS server " + server.Address() +
                                     " (TCP) closed the connection before answering)");
}

TEST(DnsRunner, EveryAddressOfTheServerGetsItsShareInOrder) {
    // The name's first address (::1) takes the query and never answers; the second answers.
    LoopbackDnsServer server;
    server.Add("www.example.test", {kDnsA, "192.0.2.10"});
    int port = 0;
    const int silent = testsupport::OpenLoopbackSocket(SOCK_DGRAM, port, AF_INET6, server.Port());
    ASSERT_GE(silent, 0);
    ScopedNames names({{"dns.example.test", {"::1", "127.0.0.1"}}});
    CSnNodeCfg check = DnsCheck(server, "www.example.test");
    check.Function.ParamServer = "dns.example.test:" + std::to_string(server.Port());
    const auto start = std::chrono::steady_clock::now();
    const CheckOutcome outcome = RunCheck(check, Context(2s));
    const double took = SecondsSince(start);
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_NE(outcome.Response.Find("(127.0.0.1:" + std::to_string(port) + ", "), -1) << outcome.Response.Str();
    EXPECT_GE(took, 0.8); // the first address had about half of the time
    EXPECT_LT(took, 10.0);

    // Neither answers: both are named, the IPv6 one in brackets.
    server.SetSilent(true);
    const std::string none = RunCheck(check, Context(2s)).Response.Str();
    ::close(silent);
    const std::string at = "No answer from DNS server ", p = std::to_string(port);
    EXPECT_EQ(none.rfind("No address of DNS server 'dns.example.test' answered: " + at + "[::1]:" + p, 0), 0u) << none;
    EXPECT_NE(none.find("; " + at + "127.0.0.1:" + p + " within "), std::string::npos) << none;
}

TEST(DnsRunner, SystemResolverWithoutAServer) {
    // "localhost" is known to every system resolver without any network.
    CSnNodeCfg check = MakeCheck(kTypeDns);
    check.Function.Param1 = "localhost";
    check.Function.Param2 = "127.0.0.1";
    const CheckOutcome outcome = RunCheck(check, Context(10s));
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_NE(outcome.Response.Find("(system resolver, "), -1) << outcome.Response.Str();
}

TEST(DnsMessage, QueriesRefuseNamesThatCannotBeSent) {
    std::string query;
    ASSERT_TRUE(BuildDnsQuery(0x1234, "www.example.test.", kDnsMx, true, query));
    EXPECT_EQ(query, std::string("\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"
                                 "\x03www\x07" "example\x04test\x00\x00\x0f\x00\x01",
                                 34));
    ASSERT_TRUE(BuildDnsQuery(1, "host", kDnsA, false, query));
    EXPECT_EQ(query[2], '\0'); // no recursion asked
    // Labels of 63 bytes at most, names of 253 (255 as sent) at most.
    EXPECT_TRUE(BuildDnsQuery(1, std::string(63, 'x') + ".test", kDnsA, true, query));
    std::string longName;
    while (longName.size() < 250)
        longName += "abcd.";
    for (const std::string& bad : {std::string(), std::string("a..b"), std::string(".a"), std::string(64, 'x') + ".test",
                                   longName + "abcd"})
        EXPECT_FALSE(BuildDnsQuery(1, bad, kDnsA, true, query)) << bad;
}

TEST(DnsMessage, MalformedAnswersAreRefused) {
    std::string query;
    ASSERT_TRUE(BuildDnsQuery(7, "a.test", kDnsA, true, query));
    DnsResponse response;
    std::string why;
    EXPECT_FALSE(ParseDnsResponse(query, response, why)); // a query, not a response
    EXPECT_EQ(why, "The answer is not a response");
    EXPECT_FALSE(ParseDnsResponse(std::string("\x00\x07\x81", 3), response, why));

    // One answer whose name points at itself: no endless loop.
    std::string answer = query;
    answer[2] = static_cast<char>(0x81);
    answer[3] = static_cast<char>(0x80);
    answer[7] = 1;
    const std::size_t at = answer.size();
    answer += std::string("\xC0", 1) + static_cast<char>(at);
    answer += std::string("\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04\xc0\x00\x02\x01", 14);
    EXPECT_FALSE(ParseDnsResponse(answer, response, why));

    // The same answer pointing at the question's name is read.
    answer[at + 1] = 12;
    ASSERT_TRUE(ParseDnsResponse(answer, response, why)) << why;
    ASSERT_EQ(response.Answers.size(), 1u);
    EXPECT_EQ(response.Answers[0].Owner + " " + response.Answers[0].Data + " " + std::to_string(response.Answers[0].Ttl),
              "a.test 192.0.2.1 60");

    // Cut short inside the record data.
    EXPECT_FALSE(ParseDnsResponse(answer.substr(0, answer.size() - 2), response, why));
    EXPECT_EQ(why, "A record of the answer is cut short");
}
