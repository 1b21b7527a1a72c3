#include "engine/DnsRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/DnsMessage.h"
#include "engine/NetworkHelpers.h"
#include "platform/System.h"

#include <arpa/inet.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <sstream>

namespace {

// How long one query waits for its answer before it is sent again (at most kAttempts times).
constexpr std::chrono::milliseconds kAttemptWait{2000};
constexpr int kAttempts = 3;
// The resolver configuration whose first server answers MX and CNAME queries when the
// check names no server.
constexpr const char* kResolverConfig = "/etc/resolv.conf";

const char* RecordName(DnsSettings::Record type) {
    switch (type) {
    case DnsSettings::Record::MX:
        return "MX";
    case DnsSettings::Record::CNAME:
        return "CNAME";
    default:
        return "A";
    }
}

std::uint16_t RecordCode(DnsSettings::Record type) {
    switch (type) {
    case DnsSettings::Record::MX:
        return kDnsMx;
    case DnsSettings::Record::CNAME:
        return kDnsCname;
    default:
        return kDnsA;
    }
}

// The form in which answers and expectations are compared: addresses in their canonical
// text, names in lower case without a final ".".
std::string Canonical(const std::string& text) {
    unsigned char bytes[16];
    char buffer[INET6_ADDRSTRLEN] = {};
    if (::inet_pton(AF_INET, text.c_str(), bytes) == 1 && ::inet_ntop(AF_INET, bytes, buffer, sizeof buffer))
        return buffer;
    if (::inet_pton(AF_INET6, text.c_str(), bytes) == 1 && ::inet_ntop(AF_INET6, bytes, buffer, sizeof buffer))
        return buffer;
    std::string name = text;
    while (!name.empty() && name.back() == '.')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

std::string Joined(const std::vector<std::string>& items, std::size_t most = 100) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty())
            out += ", ";
        out += item;
    }
    if (out.size() > most)
        out = out.substr(0, most - 3) + "...";
    return out;
}

std::string FirstNameserver() {
    std::string content;
    if (platform::ReadFileContent(kResolverConfig, content, 1 << 20) != platform::FileRead::Ok)
        return {};
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key, value;
        if (words >> key >> value && key == "nameserver")
            return value.find(':') != std::string::npos ? "[" + value + "]" : value; // a port may follow
    }
    return {};
}

struct Answer {
    bool ok = false;
    CheckOutcome failure;          // when !ok
    std::vector<std::string> data; // the records of the asked type
    std::string source;            // who answered
    bool truncated = false;  // the answer used was cut short
    std::string truncation;  // why the whole answer could not be had over TCP
};

Answer AskSystemResolver(const DnsSettings& settings, const CRunDeadline& deadline) {
    Answer answer;
    answer.source = "system resolver";
    const ResolveOutcome resolved = ResolveHost(settings.Name, 0, SOCK_STREAM, AF_INET, deadline);
    if (resolved.Status == NetWait::Cancelled) {
        answer.failure = runner::Cancelled();
    } else if (resolved.Status == NetWait::TimedOut) {
        answer.failure = CheckOutcome::Error("The system resolver gave no answer for '" + settings.Name + "' within " +
                                             runner::Millis(deadline.Limit().count()));
    } else if (resolved.Status != NetWait::Ready) {
        answer.failure = CheckOutcome::Error("'" + settings.Name + "' could not be resolved: " + resolved.Error);
    } else {
        answer.ok = true;
        for (const SocketAddress& address : resolved.Addresses) {
            if (std::find(answer.data.begin(), answer.data.end(), address.Text()) == answer.data.end())
                answer.data.push_back(address.Text());
        }
    }
    return answer;
}

enum class Asked { Answered, Failed, Cancelled };

std::string MillisSince(CRunDeadline::Clock::time_point start) {
    return runner::Millis(
        std::chrono::duration_cast<std::chrono::milliseconds>(CRunDeadline::Clock::now() - start).count());
}

// Sends the query over UDP to one address until `until`, again after each kAttemptWait
// without an answer (at most kAttempts times).  `why` is a full sentence on failure.
Asked AskOverUdp(const SocketAddress& address, const std::string& query, std::uint16_t id,
                 CRunDeadline::Clock::time_point until, const CRunDeadline& deadline, DnsResponse& response,
                 std::string& why) {
    const std::string source = address.HostPortText();
    const auto start = CRunDeadline::Clock::now();
    int error = 0;
    const platform::UniqueFd socket = ConnectUdp(address, &error);
    if (!socket) {
        why = "Cannot reach DNS server " + source + ": " + ErrnoText(error);
        return Asked::Failed;
    }
    for (int attempt = 0; attempt < kAttempts && CRunDeadline::Clock::now() < until; ++attempt) {
        if (::send(socket.Get(), query.data(), query.size(), 0) < 0) {
            why = "Cannot send the query to " + source + ": " + ErrnoText(errno);
            return Asked::Failed;
        }
        const auto attemptEnd = std::min(until, CRunDeadline::Clock::now() + kAttemptWait);
        for (;;) {
            const NetWait wait = WaitForSocket(socket.Get(), POLLIN, attemptEnd, deadline);
            if (wait == NetWait::Cancelled)
                return Asked::Cancelled;
            if (wait != NetWait::Ready)
                break;
            char buffer[4096];
            const ssize_t got = ::recv(socket.Get(), buffer, sizeof buffer, 0);
            if (got < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                // An ICMP "port unreachable" comes back as ECONNREFUSED.
                why = "DNS server " + source + " does not answer: " + ErrnoText(errno);
                return Asked::Failed;
            }
            std::string ignored;
            if (ParseDnsResponse(std::string_view(buffer, static_cast<std::size_t>(got)), response, ignored) &&
                response.Id == id)
                return Asked::Answered;
            // Not the answer to this query: keep waiting.
        }
    }
    why = "No answer from DNS server " + source + " within " + MillisSince(start);
    return Asked::Failed;
}

// The same query over TCP (two bytes of length before each message), for an answer that
// did not fit into a datagram.
Asked AskOverTcp(const SocketAddress& address, const std::string& query, std::uint16_t id,
                 CRunDeadline::Clock::time_point until, const CRunDeadline& deadline, DnsResponse& response,
                 std::string& why) {
    const std::string source = address.HostPortText() + " (TCP)";
    ConnectOutcome connection = ConnectTcp({address}, until, deadline);
    if (connection.Status == NetWait::Cancelled)
        return Asked::Cancelled;
    if (connection.Status != NetWait::Ready) {
        why = "Cannot reach DNS server " + source + ": " + ErrnoText(connection.Error);
        return Asked::Failed;
    }
    std::string framed;
    framed += static_cast<char>(query.size() >> 8);
    framed += static_cast<char>(query.size() & 0xff);
    framed += query;
    int error = 0;
    NetWait step = SendAll(connection.Socket.Get(), framed, until, deadline, &error);
    std::string received;
    std::size_t wanted = 2;
    bool closed = false;
    while (step == NetWait::Ready && received.size() < wanted && !closed) {
        step = ReceiveSome(connection.Socket.Get(), received, wanted - received.size(), until, deadline, closed,
                           &error);
        if (wanted == 2 && received.size() >= 2)
            wanted = 2 + ((static_cast<unsigned char>(received[0]) << 8) | static_cast<unsigned char>(received[1]));
    }
    if (step == NetWait::Cancelled)
        return Asked::Cancelled;
    if (step == NetWait::TimedOut) {
        why = "No answer from DNS server " + source + " in time";
        return Asked::Failed;
    }
    if (step == NetWait::Failed || received.size() < wanted) {
        why = "DNS server " + source + (error ? " failed: " + ErrnoText(error) : " closed the connection before answering");
        return Asked::Failed;
    }
    std::string parseError;
    if (!ParseDnsResponse(std::string_view(received).substr(2), response, parseError) || response.Id != id) {
        why = "DNS server " + source + " sent no valid answer" + (parseError.empty() ? "" : ": " + parseError);
        return Asked::Failed;
    }
    return Asked::Answered;
}

// Asks each address of the server in the resolver's order, each within its share of the
// time, until one answers; an answer cut short over UDP is asked for again over TCP.
Answer AskServer(const DnsSettings& settings, const std::string& serverText, const CRunDeadline& deadline) {
    Answer answer;
    HostAndPort server;
    if (!SplitHostPort(serverText, server)) {
        answer.failure = CheckOutcome::Uncertain("DNS server '" + serverText + "' is not valid");
        return answer;
    }
    if (server.Port == 0)
        server.Port = 53;
    std::random_device seed;
    const auto id = static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 0xffff)(seed));
    std::string query;
    if (!BuildDnsQuery(id, settings.Name, RecordCode(settings.Type), settings.Recursion, query)) {
        answer.failure = CheckOutcome::Uncertain("'" + settings.Name + "' is not a valid name");
        return answer;
    }
    const ResolveOutcome resolved = ResolveHost(server.Host, server.Port, SOCK_DGRAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled) {
        answer.failure = runner::Cancelled();
        return answer;
    }
    if (resolved.Status != NetWait::Ready) {
        answer.failure = CheckOutcome::Error("DNS server '" + server.Host + "' could not be resolved: " +
                                             (resolved.Error.empty() ? "no answer in time" : resolved.Error));
        return answer;
    }

    const std::vector<SocketAddress>& addresses = resolved.Addresses;
    std::vector<std::string> failures;
    DnsResponse response;
    bool received = false;
    for (std::size_t i = 0; i < addresses.size() && !received; ++i) {
        const auto until = ShareOf(deadline.End(), addresses.size() - i);
        std::string why;
        Asked asked = AskOverUdp(addresses[i], query, id, until, deadline, response, why);
        if (asked == Asked::Answered && response.Truncated) {
            DnsResponse whole;
            std::string tcpWhy;
            // Without TCP the cut answer is still an answer: it is used and marked.
            const Asked overTcp = AskOverTcp(addresses[i], query, id, until, deadline, whole, tcpWhy);
            if (overTcp == Asked::Answered)
                response = std::move(whole);
            else if (overTcp == Asked::Cancelled)
                asked = overTcp;
            else
                answer.truncation = tcpWhy;
        }
        if (asked == Asked::Cancelled) {
            answer.failure = runner::Cancelled();
            return answer;
        }
        if (asked == Asked::Failed) {
            failures.push_back(why);
            continue;
        }
        answer.source = addresses[i].HostPortText();
        // A server that cannot serve the question now: the next address may.
        const bool serverTrouble = response.Rcode == 2 || response.Rcode == 5;
        if (serverTrouble && i + 1 < addresses.size()) {
            failures.push_back("DNS server " + answer.source + ": " + DnsRcodeText(response.Rcode));
            continue;
        }
        received = true;
    }
    if (!received) {
        std::string text = failures.size() == 1 ? failures.front() : "";
        for (std::size_t i = 0; failures.size() > 1 && i < failures.size(); ++i)
            text += (i ? "; " : "No address of DNS server '" + server.Host + "' answered: ") + failures[i];
        answer.failure = CheckOutcome::Error(text);
        return answer;
    }
    if (response.Rcode != 0) {
        answer.failure = CheckOutcome::Error(std::string(RecordName(settings.Type)) + " query for '" + settings.Name +
                                             "' failed at " + answer.source + ": " + DnsRcodeText(response.Rcode));
        return answer;
    }
    answer.ok = true;
    answer.truncated = response.Truncated;
    for (const DnsRecord& record : response.Answers) {
        if (record.Type == RecordCode(settings.Type) && !record.Data.empty())
            answer.data.push_back(record.Data);
    }
    return answer;
}

} // namespace

CheckOutcome CDnsRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const DnsSettings settings = DnsSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    if (settings.Name.empty())
        return CheckOutcome::Uncertain("No name to look up configured");
    const std::string type = RecordName(settings.Type);

    Answer answer;
    if (!settings.Server.empty()) {
        answer = AskServer(settings, settings.Server, deadline);
    } else if (settings.Type == DnsSettings::Record::A) {
        answer = AskSystemResolver(settings, deadline);
    } else {
        const std::string server = FirstNameserver();
        if (server.empty())
            return CheckOutcome::Uncertain("No DNS server configured for this check or in " + std::string(kResolverConfig));
        answer = AskServer(settings, server, deadline);
    }
    if (!answer.ok)
        return answer.failure;
    if (answer.data.empty())
        return CheckOutcome::Error("No " + type + " record for '" + settings.Name + "' at " + answer.source);

    const std::string found = Joined(answer.data);
    const std::string took = FormatMilliseconds(std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed()));
    const std::string said = settings.Name + " " + type + " " + found + " (" + answer.source + ", " + took + ")";

    std::vector<std::string> got;
    for (const std::string& item : answer.data)
        got.push_back(Canonical(item));
    std::vector<std::string> missing;
    std::size_t present = 0;
    const std::vector<std::string> expected = settings.Expected();
    for (const std::string& item : expected) {
        if (std::find(got.begin(), got.end(), Canonical(item)) != got.end())
            ++present;
        else
            missing.push_back(item);
    }
    CheckOutcome outcome;
    if (expected.empty() || (settings.RequireAll ? missing.empty() : present > 0)) {
        outcome = CheckOutcome::Success(said, found);
    } else if (present == 0) {
        outcome = CheckOutcome::Error(said + ": none of the expected " + Joined(expected), found);
    } else {
        outcome = CheckOutcome::Error(said + ": " + Joined(missing) + " missing", found);
    }
    if (!expected.empty())
        outcome.Comment = std::string(settings.RequireAll ? "Expected all of " : "Expected one of ") + Joined(expected);
    if (answer.truncated) {
        const std::string note = "the answer was truncated" + (answer.truncation.empty() ? "" : " (" + answer.truncation + ")");
        outcome.Comment += outcome.Comment.IsEmpty() ? "T" + note.substr(1) : "; " + note;
    }
    return outcome;
}
