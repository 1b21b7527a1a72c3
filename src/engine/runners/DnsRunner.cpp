#include "engine/DnsRunner.h"

#include "RunnerCommon.h"
#include "engine/CheckSettings.h"
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
            return value.find(':') != std::string::npos ? "[" + value + "]" : value;
    }
    return {};
}

struct Answer {
    bool ok = false;
    CheckOutcome failure;          // when !ok
    std::vector<std::string> data; // the records of the asked type
    std::string source;            // who answered
    bool truncated = false;
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

Answer AskServer(const DnsSettings& settings, const std::string& serverText, const CRunDeadline& deadline) {
    Answer answer;
    HostAndPort server;
    if (!SplitHostPort(serverText, server)) {
        answer.failure = CheckOutcome::Uncertain("DNS server '" + serverText + "' is not valid");
        return answer;
    }
    if (server.Port == 0)
        server.Port = 53;
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
    const SocketAddress& address = resolved.Addresses.front();
    answer.source = address.Family() == AF_INET6 ? "[" + address.Text() + "]:" + std::to_string(address.Port())
                                                 : address.Text() + ":" + std::to_string(address.Port());

    std::random_device seed;
    const auto id = static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 0xffff)(seed));
    std::string query;
    if (!BuildDnsQuery(id, settings.Name, RecordCode(settings.Type), settings.Recursion, query)) {
        answer.failure = CheckOutcome::Uncertain("'" + settings.Name + "' is not a valid name");
        return answer;
    }
    platform::UniqueFd socket(::socket(address.Family(), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket || ::connect(socket.Get(), address.Get(), address.Length) != 0) {
        answer.failure = CheckOutcome::Error("Cannot reach DNS server " + answer.source + ": " + ErrnoText(errno));
        return answer;
    }

    DnsResponse response;
    bool received = false;
    for (int attempt = 0; attempt < kAttempts && !received && !deadline.Expired(); ++attempt) {
        if (::send(socket.Get(), query.data(), query.size(), 0) < 0) {
            answer.failure = CheckOutcome::Error("Cannot send the query to " + answer.source + ": " + ErrnoText(errno));
            return answer;
        }
        const auto until = deadline.Within(kAttemptWait);
        while (!received) {
            const NetWait wait = WaitForSocket(socket.Get(), POLLIN, until, deadline);
            if (wait == NetWait::Cancelled) {
                answer.failure = runner::Cancelled();
                return answer;
            }
            if (wait != NetWait::Ready)
                break;
            char buffer[4096];
            const ssize_t got = ::recv(socket.Get(), buffer, sizeof buffer, 0);
            if (got < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                // An ICMP "port unreachable" comes back as ECONNREFUSED.
                answer.failure = CheckOutcome::Error("DNS server " + answer.source + " does not answer: " +
                                                     ErrnoText(errno));
                return answer;
            }
            std::string why;
            DnsResponse candidate;
            if (!ParseDnsResponse(std::string_view(buffer, static_cast<std::size_t>(got)), candidate, why) ||
                candidate.Id != id)
                continue; // not the answer to this query: keep waiting
            response = std::move(candidate);
            received = true;
        }
    }
    if (!received) {
        answer.failure = CheckOutcome::Error("No answer from DNS server " + answer.source + " within " +
                                             runner::Millis(deadline.Elapsed().count()));
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
    if (answer.truncated)
        outcome.Comment += outcome.Comment.IsEmpty() ? "The answer was truncated" : "; the answer was truncated";
    return outcome;
}
