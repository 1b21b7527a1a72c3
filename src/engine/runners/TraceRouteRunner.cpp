#include "engine/TraceRouteRunner.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

namespace {

// The first destination port of the probes; each time to live has its own, so that a
// report tells which probe it is about even before its payload is read.
constexpr int kFirstPort = 33434;
// How long a hop is waited for at least; a longer hop time limit waits longer.
constexpr std::chrono::milliseconds kHopWait{3000};
// The longest a reverse look-up of one hop's address may take.
constexpr std::chrono::milliseconds kNameWait{1000};
constexpr unsigned char kUnreachableV4 = 3, kTimeExceededV4 = 11, kPortUnreachableV4 = 3;
constexpr unsigned char kUnreachableV6 = 1, kTimeExceededV6 = 3, kPortUnreachableV6 = 4;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// An address in its canonical text, or the text in lower case when it is a name.
std::string Canonical(const std::string& text) {
    unsigned char bytes[16];
    char buffer[INET6_ADDRSTRLEN] = {};
    for (const int family : {AF_INET, AF_INET6}) {
        if (::inet_pton(family, text.c_str(), bytes) == 1 && ::inet_ntop(family, bytes, buffer, sizeof buffer))
            return buffer;
    }
    std::string name = Lower(text);
    while (!name.empty() && name.back() == '.')
        name.pop_back();
    return name;
}

std::string HopText(std::size_t index, const TraceHop& hop) {
    std::string text = std::to_string(index + 1) + " ";
    if (hop.Address.empty())
        return text + "*";
    text += hop.Name.empty() ? hop.Address : hop.Name + " (" + hop.Address + ")";
    return text + " " + FormatMilliseconds(hop.Time);
}

std::string RouteText(const TracedRoute& route) {
    std::string text;
    for (std::size_t i = 0; i < route.Hops.size(); ++i)
        text += (i ? ", " : "") + HopText(i, route.Hops[i]);
    return text;
}

std::string HopsCount(std::size_t hops) {
    return std::to_string(hops) + (hops == 1 ? " hop" : " hops");
}

// Whether a listed hop (address or, with names resolved, host name) is this hop.
bool IsHop(const std::string& listed, const TraceHop& hop, bool names) {
    const std::string wanted = Canonical(listed);
    return !hop.Address.empty() &&
           (wanted == Canonical(hop.Address) || (names && !hop.Name.empty() && wanted == Canonical(hop.Name)));
}

// The host name of an address from the system resolver, looked up on a helper thread
// that may outlive the wait; empty when none came in time.
std::string ReverseName(const SocketAddress& address, const CRunDeadline& deadline) {
    struct State {
        std::mutex Lock;
        std::condition_variable Done;
        bool Finished = false;
        std::string Name;
    };
    auto state = std::make_shared<State>();
    std::thread([state, address] {
        char host[NI_MAXHOST] = {};
        const bool found =
            ::getnameinfo(address.Get(), address.Length, host, sizeof host, nullptr, 0, NI_NAMEREQD) == 0;
        const std::lock_guard<std::mutex> hold(state->Lock);
        state->Name = found ? host : "";
        state->Finished = true;
        state->Done.notify_all();
    }).detach();
    const auto until = deadline.Within(kNameWait);
    std::unique_lock<std::mutex> hold(state->Lock);
    while (!state->Finished && CRunDeadline::Clock::now() < until && !deadline.Cancelled())
        state->Done.wait_for(hold, CRunDeadline::kSlice);
    return state->Finished ? state->Name : std::string();
}

enum class Probe { Hop, Host, Unreachable, Silent, Cancelled, Failed };

struct ProbeAnswer {
    Probe Kind = Probe::Silent;
    SocketAddress From;
    int Type = 0, Code = 0;
    int Error = 0; // errno when Failed
};

// Waits until `until` for the error report about the probe `payload`.
ProbeAnswer AwaitReport(int fd, int family, const std::string& payload, CRunDeadline::Clock::time_point until,
                        const CRunDeadline& deadline) {
    ProbeAnswer answer;
    for (;;) {
        const NetWait wait = WaitForSocket(fd, POLLIN, until, deadline);
        if (wait == NetWait::Cancelled)
            return {Probe::Cancelled, {}, 0, 0, 0};
        if (wait != NetWait::Ready)
            return answer;
        char buffer[512];
        alignas(cmsghdr) unsigned char control[512];
        sockaddr_storage to{};
        iovec part{buffer, sizeof buffer};
        msghdr message{};
        message.msg_name = &to;
        message.msg_namelen = sizeof to;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (got < 0) {
            // Not a report: a datagram that someone sent to our port is dropped.
            char ignored[512];
            if (::recv(fd, ignored, sizeof ignored, MSG_DONTWAIT) < 0 && errno != EAGAIN && errno != EINTR)
                return {Probe::Failed, {}, 0, 0, errno};
            continue;
        }
        if (std::string_view(buffer, static_cast<std::size_t>(got)) != payload)
            continue; // about an earlier probe that answered late
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (!((c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_RECVERR) ||
                  (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_RECVERR)))
                continue;
            auto* error = reinterpret_cast<sock_extended_err*>(CMSG_DATA(c));
            if (error->ee_origin != SO_EE_ORIGIN_ICMP && error->ee_origin != SO_EE_ORIGIN_ICMP6)
                continue;
            answer.From = ToSocketAddress(SO_EE_OFFENDER(error),
                                          family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
            answer.Type = error->ee_type;
            answer.Code = error->ee_code;
            const bool v4 = family == AF_INET;
            if (answer.Type == (v4 ? kTimeExceededV4 : kTimeExceededV6))
                answer.Kind = Probe::Hop;
            else if (answer.Type == (v4 ? kUnreachableV4 : kUnreachableV6))
                answer.Kind = answer.Code == (v4 ? kPortUnreachableV4 : kPortUnreachableV6) ? Probe::Host
                                                                                            : Probe::Unreachable;
            else
                continue;
            return answer;
        }
    }
}

} // namespace

CheckOutcome JudgeRoute(const TraceRouteSettings& settings, const std::string& target, const TracedRoute& route) {
    const std::vector<std::string> listed = settings.HopList();
    CheckOutcome outcome;
    if (!route.Reached) {
        outcome = CheckOutcome::Error(target + " not reached within " + HopsCount(route.Hops.size()) +
                                          (route.Stop.empty() ? "" : ": " + route.Stop),
                                      HopsCount(route.Hops.size()));
        outcome.Comment = RouteText(route);
        return outcome;
    }
    const auto inRoute = [&](const std::string& wanted) {
        return std::any_of(route.Hops.begin(), route.Hops.end(),
                           [&](const TraceHop& hop) { return IsHop(wanted, hop, settings.Resolve); });
    };
    const auto slow = std::find_if(route.Hops.begin(), route.Hops.end(), [&](const TraceHop& hop) {
        return !hop.Address.empty() && hop.Time > std::chrono::milliseconds(settings.MaxHopMs);
    });
    const auto found = std::find_if(listed.begin(), listed.end(), inRoute);
    const std::string hops = HopsCount(route.Hops.size());
    if (settings.Rule == TraceRouteSettings::HopRule::AnyListed && found == listed.end())
        outcome = CheckOutcome::Error("None of the listed hops is in the route to " + target, hops);
    else if (settings.Rule == TraceRouteSettings::HopRule::NoneListed && found != listed.end())
        outcome = CheckOutcome::Error("Listed hop " + *found + " is in the route to " + target, hops);
    else if (settings.CheckHopTime && slow != route.Hops.end())
        outcome = CheckOutcome::Error("Hop " + HopText(static_cast<std::size_t>(slow - route.Hops.begin()), *slow) +
                                          " took longer than " + runner::Millis(settings.MaxHopMs),
                                      hops);
    else
        outcome = CheckOutcome::Success(target + " reached in " + hops, hops);
    outcome.Comment = RouteText(route);
    return outcome;
}

CheckOutcome CTraceRouteRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const TraceRouteSettings settings = TraceRouteSettings::Read(check.Function);
    if (settings.Host.empty())
        return CheckOutcome::Uncertain("No host configured");
    if (settings.Rule != TraceRouteSettings::HopRule::None && settings.HopList().empty())
        return CheckOutcome::Uncertain("The hop rule needs at least one listed hop");
    const CRunDeadline deadline(context);
    const ResolveOutcome resolved = ResolveHost(settings.Host, 0, SOCK_DGRAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("Host '" + settings.Host + "' could not be resolved: " +
                                   (resolved.Error.empty() ? "no answer in time" : resolved.Error));
    SocketAddress target = resolved.Addresses.front();
    const int family = target.Family();
    const bool v4 = family == AF_INET;

    const platform::UniqueFd socket(::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (!socket || ::setsockopt(socket.Get(), v4 ? IPPROTO_IP : IPPROTO_IPV6, v4 ? IP_RECVERR : IPV6_RECVERR, &on,
                                sizeof on) != 0) {
        const int error = errno;
        if (error == EPERM || error == EACCES)
            return CheckOutcome::Uncertain("TraceRoute is not permitted on this system: " + ErrnoText(error));
        return CheckOutcome::Uncertain("The TraceRoute socket could not be opened: " + ErrnoText(error));
    }

    std::random_device random;
    const std::string token = std::to_string(random());
    const auto hopWait = std::max(kHopWait, std::chrono::milliseconds(settings.MaxHopMs));
    TracedRoute route;
    for (int ttl = 1; ttl <= settings.MaxHops && !route.Reached && route.Stop.empty(); ++ttl) {
        if (deadline.Expired()) {
            route.Stop = "the trace took longer than " + runner::Millis(deadline.Limit().count());
            break;
        }
        if (::setsockopt(socket.Get(), v4 ? IPPROTO_IP : IPPROTO_IPV6, v4 ? IP_TTL : IPV6_UNICAST_HOPS, &ttl,
                         sizeof ttl) != 0)
            return CheckOutcome::Uncertain("The time to live could not be set: " + ErrnoText(errno));
        const std::string payload = "sentrelle trace " + token + " " + std::to_string(ttl);
        SocketAddress to = target;
        const auto port = htons(static_cast<std::uint16_t>(kFirstPort + ttl - 1));
        if (v4)
            reinterpret_cast<sockaddr_in*>(&to.Storage)->sin_port = port;
        else
            reinterpret_cast<sockaddr_in6*>(&to.Storage)->sin6_port = port;
        const auto sent = CRunDeadline::Clock::now();
        if (::sendto(socket.Get(), payload.data(), payload.size(), 0, to.Get(), to.Length) < 0)
            return CheckOutcome::Error("The probe to " + target.Text() + " could not be sent: " + ErrnoText(errno));
        const ProbeAnswer answer = AwaitReport(socket.Get(), family, payload, deadline.Within(hopWait), deadline);
        if (answer.Kind == Probe::Cancelled)
            return runner::Cancelled();
        if (answer.Kind == Probe::Failed)
            return CheckOutcome::Error("The trace to " + target.Text() + " failed: " + ErrnoText(answer.Error));
        TraceHop hop;
        if (answer.Kind != Probe::Silent) {
            hop.Address = answer.From.Text();
            hop.Time = std::chrono::duration_cast<std::chrono::microseconds>(CRunDeadline::Clock::now() - sent);
        }
        route.Hops.push_back(hop);
        // Any report from the host itself ends the trace there: it was reached.
        route.Reached = answer.Kind == Probe::Host ||
                        (answer.Kind == Probe::Unreachable && hop.Address == target.Text());
        if (answer.Kind == Probe::Unreachable && !route.Reached)
            route.Stop = hop.Address + " reports the host unreachable (code " + std::to_string(answer.Code) + ")";
    }
    if (settings.Resolve) {
        for (TraceHop& hop : route.Hops) {
            if (hop.Address.empty() || deadline.Expired())
                continue;
            const ResolveOutcome numeric = ResolveHost(hop.Address, 0, SOCK_DGRAM, family, deadline);
            if (numeric.Status == NetWait::Ready)
                hop.Name = ReverseName(numeric.Addresses.front(), deadline);
            if (deadline.Cancelled())
                return runner::Cancelled();
        }
    }
    return JudgeRoute(settings, target.Text(), route);
}
