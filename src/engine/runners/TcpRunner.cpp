#include "engine/TcpRunner.h"

#include "RunnerCommon.h"
#include "engine/CheckSettings.h"
#include "engine/NetworkHelpers.h"

#include <poll.h>

namespace {

// The most of a response kept while looking for the expected text.
constexpr std::size_t kMaxResponseBytes = 64 * 1024;

std::string Where(const SocketAddress& peer) {
    return peer.Text() + " port " + std::to_string(peer.Port());
}

} // namespace

CheckOutcome CTcpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const TcpSettings settings = TcpSettings::Read(check.Function);
    const CRunDeadline deadline(context, std::chrono::milliseconds(settings.TimeoutMs));
    const std::string limit = runner::Millis(deadline.Limit().count());

    HostAndPort target;
    if (settings.Host.empty())
        return CheckOutcome::Uncertain("No host configured");
    if (!SplitHostPort(settings.Host, target))
        return CheckOutcome::Uncertain("Host '" + settings.Host + "' is not valid");
    const int port = target.Port != 0 ? target.Port : settings.Port;

    const ResolveOutcome resolved = ResolveHost(target.Host, port, SOCK_STREAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status == NetWait::TimedOut)
        return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved within " + limit);
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved: " + resolved.Error);

    ConnectOutcome connection = ConnectTcp(resolved.Addresses, deadline.End(), deadline);
    if (connection.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (connection.Status == NetWait::TimedOut)
        return CheckOutcome::Error("No connection to " + Where(connection.Peer) + " within " + limit);
    if (connection.Status != NetWait::Ready)
        return CheckOutcome::Error("Cannot connect to " + Where(connection.Peer) + ": " + ErrnoText(connection.Error));
    const int fd = connection.Socket.Get();
    const std::string peer = Where(connection.Peer);

    if (settings.SendText && !settings.Send.empty()) {
        int error = 0;
        const NetWait sent = SendAll(fd, settings.Send, deadline.End(), deadline, &error);
        if (sent == NetWait::Cancelled)
            return runner::Cancelled();
        if (sent == NetWait::TimedOut)
            return CheckOutcome::Error("Connected to " + peer + ", but the text could not be sent within " + limit);
        if (sent != NetWait::Ready)
            return CheckOutcome::Error("Connected to " + peer + ", but sending failed: " + ErrnoText(error));
    }

    if (!settings.ExpectResponse) {
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed());
        return CheckOutcome::Success("Connected to " + peer + " in " + FormatMilliseconds(took),
                                     FormatMilliseconds(took));
    }

    // Read until the response includes the expected text (any text when none is given),
    // the peer closes, or time runs out.
    std::string response;
    const CQvcString expect(settings.Expect);
    auto matched = [&] {
        return expect.IsEmpty() ? !response.empty() : CQvcString(response).Contains(expect, false);
    };
    for (;;) {
        if (matched())
            break;
        bool closed = false;
        int error = 0;
        const std::size_t room = kMaxResponseBytes - std::min(response.size(), kMaxResponseBytes);
        const NetWait got = room == 0 ? NetWait::Ready
                                      : ReceiveSome(fd, response, room, deadline.End(), deadline, closed, &error);
        if (got == NetWait::Cancelled)
            return runner::Cancelled();
        if (got == NetWait::TimedOut) {
            if (response.empty())
                return CheckOutcome::Error("Connected to " + peer + ", but no response within " + limit);
            return CheckOutcome::Error("Response does not include '" + settings.Expect + "' within " + limit + ": '" +
                                       FirstLine(response) + "'");
        }
        if (got == NetWait::Failed)
            return CheckOutcome::Error("Connected to " + peer + ", but receiving failed: " + ErrnoText(error));
        if (closed || room == 0) {
            if (matched())
                break;
            if (response.empty())
                return CheckOutcome::Error("Connected to " + peer + ", but it closed the connection without a response");
            return CheckOutcome::Error("Response does not include '" + settings.Expect + "': '" +
                                       FirstLine(response) + "'");
        }
    }
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed());
    CheckOutcome outcome = CheckOutcome::Success("Response from " + peer + ": '" + FirstLine(response) + "'",
                                                 FormatMilliseconds(took));
    if (!settings.Expect.empty())
        outcome.Comment = "Response includes '" + settings.Expect + "'";
    return outcome;
}
