#include "cli/DiscoverCommand.h"

#include "cli/AddChecksCommand.h"
#include "cli/CliOptions.h"
#include "library/QvcMessageQueue.h"
#include "model/discovery/Discovery.h"

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <tuple>

namespace {

constexpr const char* kCommand = "discover";
constexpr const char* kUsageText = "usage: sentrelle discover --range A-B | --hosts LIST [--port N] [--resolve]\n";

// Orders IPv4 addresses by their value (127.0.0.9 before 127.0.0.10), names after them.
bool AddressOrder(const CDiscoveredHost& a, const CDiscoveredHost& b) {
    const auto key = [](const CDiscoveredHost& host) {
        in_addr address{};
        const bool isAddress = ::inet_pton(AF_INET, host.Name.c_str(), &address) == 1;
        return std::make_tuple(!isAddress, isAddress ? ntohl(address.s_addr) : 0u, host.Name.Str());
    };
    return key(a) < key(b);
}

} // namespace

int CDiscoverCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // --resolve is the one option without a value.
    std::vector<std::string> valued;
    bool resolve = false;
    for (const std::string& arg : args) {
        if (arg == "--resolve")
            resolve = true;
        else
            valued.push_back(arg);
    }
    CCliOptions options;
    std::string problem;
    if (!options.Parse(valued, {"range", "hosts", "port"}, problem) || !options.Positionals().empty() ||
        options.Has("range") == options.Has("hosts")) {
        err << "sentrelle " << kCommand << ": "
            << (problem.empty() ? "give either --range or --hosts, and no other argument" : problem) << "\n"
            << kUsageText;
        return kUsage;
    }
    int port = 0;
    if (options.Has("port")) {
        const CQvcString text(options.Value("port"));
        port = text.IsDigits() && text.Length() <= 5 ? std::atoi(text.c_str()) : 0;
        if (port < 1 || port > 65535) {
            err << "sentrelle " << kCommand << ": Invalid TCP Port. ('" << text.Str() << "', give 1 to 65535)\n";
            return kUsage;
        }
    }
    const std::string& range = options.Value("range");
    if (options.Has("range") && range.find('-') == std::string::npos) {
        err << "sentrelle " << kCommand << ": the range '" << range << "' needs the form A-B\n";
        return kUsage;
    }
    CServerList targets;
    CQvcString error;
    if (!CAddChecksCommand::ExpandHosts(CQvcString(options.Has("range") ? range : options.Value("hosts")), targets,
                                        error)) {
        err << "sentrelle " << kCommand << ": " << error.Str() << "\n";
        return kUsage;
    }
    if (port == 0 && !CThreadDiscoverIP::PingPermitted()) {
        err << "sentrelle " << kCommand
            << ": this user may not send pings (no ICMP datagram socket allowed by net.ipv4.ping_group_range,"
               " no raw socket); scan a TCP port instead with --port N\n";
        return kFailure;
    }

    std::vector<CQvcString> hosts;
    for (const CServerListItem& target : targets)
        hosts.push_back(target.Host());
    CQvcMessageQueue queue;
    CThreadDiscoverIP scan;
    if (scan.Start(&queue, std::move(hosts), port, resolve, 0) < 0) {
        err << "sentrelle " << kCommand << ": the discovery thread could not be started\n";
        return kFailure;
    }
    std::vector<CDiscoveredHost> found;
    for (QvcMessage message; queue.WaitForMessage(message, std::chrono::hours(1));) {
        if (message.message == kMsgDiscoverHost) {
            for (CDiscoveredHost& host : scan.TakeHosts())
                found.push_back(std::move(host));
        }
        if (message.message == kMsgDiscoverIPEnded)
            break;
    }
    for (CDiscoveredHost& host : scan.TakeHosts())
        found.push_back(std::move(host));
    std::sort(found.begin(), found.end(), AddressOrder);
    for (const CDiscoveredHost& host : found) {
        out << host.Name.Str() << '\t' << (host.Port > 0 ? std::to_string(host.Port) : std::string("ping")) << '\t'
            << host.ResponseMs;
        if (resolve)
            out << '\t' << host.FullName.Str();
        out << '\n';
    }
    err << found.size() << " of " << targets.Count() << " host" << (targets.Count() == 1 ? "" : "s")
        << " answered\n";
    return kSuccess;
}
