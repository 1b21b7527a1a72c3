#include "engine/NtpRunner.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"
#include "model/checks/CheckSettings.h"

#include <poll.h>

#include <cctype>
#include <chrono>
#include <cmath>

namespace {

constexpr int kNtpPort = 123;
// Seconds from 1900 (NTP's era) to 1970.
constexpr std::uint64_t kEraOffset = 2208988800ULL;

std::uint64_t Field(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// a - b in seconds.
double StampDiff(NtpTimestamp a, NtpTimestamp b) {
    return static_cast<double>(static_cast<std::int64_t>(a - b)) / 4294967296.0;
}

std::string SignedMs(double seconds) {
    std::string out = seconds >= 0 ? "+" : "";
    return (out += runner::Number(seconds * 1000.0, 1)) += " ms";
}

} // namespace

NtpTimestamp NtpNow() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(since);
    const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(since - secs).count();
    return ((static_cast<std::uint64_t>(secs.count()) + kEraOffset) << 32) |
           ((static_cast<std::uint64_t>(nanos) << 32) / 1000000000ULL);
}

bool ReadNtpAnswer(std::string_view bytes, NtpAnswer& out) {
    if (bytes.size() < 48)
        return false;
    const auto first = static_cast<unsigned char>(bytes[0]);
    out.Leap = first >> 6;
    out.Version = (first >> 3) & 7;
    out.Mode = first & 7;
    out.Stratum = static_cast<unsigned char>(bytes[1]);
    out.Reference.clear();
    if (out.Stratum <= 1) {
        for (std::size_t i = 12; i < 16 && std::isprint(static_cast<unsigned char>(bytes[i])); ++i)
            out.Reference += bytes[i];
    } else {
        for (std::size_t i = 12; i < 16; ++i)
            (out.Reference += i > 12 ? "." : "") += std::to_string(static_cast<unsigned char>(bytes[i]));
    }
    out.Originate = Field(bytes, 24, 8);
    out.Receive = Field(bytes, 32, 8);
    out.Transmit = Field(bytes, 40, 8);
    return true;
}

// Differences are taken on the raw 64-bit stamps, as signed values, so that the NTP era
// rolling over between two stamps does not matter.
double NtpOffset(NtpTimestamp t1, NtpTimestamp t2, NtpTimestamp t3, NtpTimestamp t4) {
    return (StampDiff(t2, t1) + StampDiff(t3, t4)) / 2.0;
}

double NtpRoundTrip(NtpTimestamp t1, NtpTimestamp t2, NtpTimestamp t3, NtpTimestamp t4) {
    return StampDiff(t4, t1) - StampDiff(t3, t2);
}

CheckOutcome CNtpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const NtpSettings s = NtpSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    HostAndPort server;
    if (!SplitHostPort(s.Host, server))
        return CheckOutcome::Uncertain("Time server '" + s.Host + "' is not valid");
    if (server.Port == 0)
        server.Port = kNtpPort;
    const ResolveOutcome resolved = ResolveHost(server.Host, server.Port, SOCK_DGRAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("Time server '" + server.Host + "' could not be resolved: " +
                                   (resolved.Error.empty() ? "no answer in time" : resolved.Error));
    std::string failures;
    for (std::size_t i = 0; i < resolved.Addresses.size(); ++i) {
        const SocketAddress& address = resolved.Addresses[i];
        const auto until = ShareOf(deadline.End(), resolved.Addresses.size() - i);
        const auto fail = [&](const std::string& why) { failures += (failures.empty() ? "" : "; ") + why; };
        int error = 0;
        const platform::UniqueFd socket = ConnectUdp(address, &error);
        if (!socket) {
            fail("cannot reach " + address.HostPortText() + ": " + ErrnoText(error));
            continue;
        }
        // Client mode, version 4; the transmit time stamp is what the server echoes back.
        std::string request(48, '\0');
        request[0] = static_cast<char>((4 << 3) | 3);
        const NtpTimestamp sent = NtpNow();
        for (int b = 0; b < 8; ++b)
            request[40 + b] = static_cast<char>(sent >> (56 - 8 * b));
        if (::send(socket.Get(), request.data(), request.size(), 0) < 0) {
            fail("cannot send to " + address.HostPortText() + ": " + ErrnoText(errno));
            continue;
        }
        NtpAnswer answer;
        bool got = false;
        std::string refused;
        while (!got && refused.empty()) {
            const NetWait wait = WaitForSocket(socket.Get(), POLLIN, until, deadline);
            if (wait == NetWait::Cancelled)
                return runner::Cancelled();
            if (wait != NetWait::Ready)
                break;
            char buffer[512];
            const ssize_t size = ::recv(socket.Get(), buffer, sizeof buffer, 0);
            if (size < 0 && errno != EAGAIN && errno != EINTR)
                refused = ErrnoText(errno);
            else if (size >= 0)
                got = ReadNtpAnswer(std::string_view(buffer, static_cast<std::size_t>(size)), answer) &&
                      answer.Mode == 4 && answer.Originate == sent;
        }
        const NtpTimestamp arrived = NtpNow();
        if (!got) {
            fail("no answer from " + address.HostPortText() + (refused.empty() ? "" : ": " + refused));
            continue;
        }
        const std::string source = "Time server " + address.HostPortText();
        if (answer.Stratum == 0)
            return CheckOutcome::Error(source + " refused the query (kiss code '" + answer.Reference + "')");
        if (answer.Leap == 3 || answer.Stratum > 15)
            return CheckOutcome::Error(source + " is not synchronised (stratum " + std::to_string(answer.Stratum) + ")");
        if (answer.Transmit == 0)
            return CheckOutcome::Error(source + " sent an answer without its time");
        const double offset = NtpOffset(sent, answer.Receive, answer.Transmit, arrived);
        const double trip = std::max(0.0, NtpRoundTrip(sent, answer.Receive, answer.Transmit, arrived));
        return CheckOutcome::Success(source + ": stratum " + std::to_string(answer.Stratum) + " (reference " +
                                         answer.Reference + "), offset " + SignedMs(offset) + ", round trip " +
                                         runner::Number(trip * 1000.0, 1) + " ms",
                                     "offset " + SignedMs(offset) + ", stratum " + std::to_string(answer.Stratum));
    }
    return CheckOutcome::Error("NTP query to '" + s.Host + "': " + failures + " within " +
                               runner::Millis(deadline.Elapsed().count()));
}
