#include "engine/IcmpPingRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/NetworkChecks.h"
#include "engine/NetworkHelpers.h"
#include "model/discovery/IcmpEcho.h"

#include <netinet/in.h>
#include <sys/epoll.h>

#include <cerrno>
#include <optional>

namespace {

std::string UnreachableText(int family, int code) {
    if (family == AF_INET) {
        switch (code) {
        case 0:
            return "Destination net unreachable";
        case 1:
            return "Destination host unreachable";
        case 2:
            return "Destination protocol unreachable";
        case 3:
            return "Destination port unreachable";
        case 13:
            return "Communication administratively prohibited";
        default:
            return "Destination unreachable";
        }
    }
    switch (code) {
    case 0:
        return "Destination net unreachable";
    case 1:
        return "Communication administratively prohibited";
    case 3:
        return "Destination host unreachable";
    case 4:
        return "Destination port unreachable";
    default:
        return "Destination unreachable";
    }
}

std::string TimeText(std::chrono::microseconds took) {
    if (took < std::chrono::milliseconds(1))
        return "time<1ms";
    return "time=" + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) + "ms";
}

using Wait = CNetReactor::Wait;

// Echo requests one after the other until one is answered: each waits for its reply up
// to the time-out; after an error report the rest of its time passes before the next.
class PingTask final : public CNetReactor::Task {
public:
    PingTask(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done)
        : m_settings(IcmpSettings::Read(check.Function)), m_context(context),
          m_deadline(m_context, std::chrono::milliseconds(m_settings.TimeoutMs) * m_settings.Count),
          m_done(std::move(done)) {}

    // Settings, name resolution and the socket; an outcome when the run ends here.
    std::optional<CheckOutcome> Prepare(bool allowRaw) {
        HostAndPort target;
        if (m_settings.Host.empty())
            return CheckOutcome::Uncertain("No host configured");
        if (!SplitHostPort(m_settings.Host, target))
            return CheckOutcome::Uncertain("Host '" + m_settings.Host + "' is not valid");
        const ResolveOutcome resolved = ResolveHost(target.Host, 0, SOCK_DGRAM, AF_UNSPEC, m_deadline);
        if (resolved.Status == NetWait::Cancelled)
            return runner::Cancelled();
        if (resolved.Status != NetWait::Ready)
            return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved: " +
                                       (resolved.Error.empty() ? "no answer in time" : resolved.Error));
        m_address = resolved.Addresses.front();
        m_peer = m_address.Text();

        int error = 0;
        switch (OpenIcmpSocket(m_address.Family(), allowRaw, m_socket, error)) {
        case IcmpOpened::NotPermitted: {
            CheckOutcome outcome = CheckOutcome::Uncertain(CIcmpPingRunner::kNotPermitted);
            outcome.Comment = "Raw ICMP sockets need root or CAP_NET_RAW";
            return outcome;
        }
        case IcmpOpened::Failed:
            return CheckOutcome::Uncertain("ICMP socket could not be opened: " + ErrnoText(error));
        case IcmpOpened::Ok:
            break;
        }
        if (!SetIcmpTtl(m_socket, m_settings.Ttl))
            return CheckOutcome::Uncertain("TTL " + std::to_string(m_settings.Ttl) +
                                           " could not be set: " + ErrnoText(errno));
        m_firstSequence = IcmpFirstSequence();
        return std::nullopt;
    }

    Wait Start() override { return SendRequest(); }

    Wait Resume(std::uint32_t events) override {
        if (events == 0) {
            // This request's time is over (lost, or the pause after an error report).
            ++m_attempt;
            return SendRequest();
        }
        if (m_pausing) {
            // Nothing counts during the pause; what arrives is dropped.
            DrainIcmpSocket(m_socket);
            return Wait::Socket(m_socket.Fd.Get(), 0, m_until);
        }
        IcmpReply reply = ReadIcmpReply(m_socket, m_sequence, true);
        if (reply.What == IcmpReply::Kind::None)
            reply = ReadIcmpReply(m_socket, m_sequence, false);
        if (reply.What == IcmpReply::Kind::Echo) {
            const auto took =
                std::chrono::duration_cast<std::chrono::microseconds>(CRunDeadline::Clock::now() - m_sentAt);
            std::string response = "Reply from " + reply.From + ": " + TimeText(took);
            if (reply.Ttl >= 0)
                response += " TTL=" + std::to_string(reply.Ttl);
            CheckOutcome outcome = CheckOutcome::Success(response, FormatMilliseconds(took));
            if (m_attempt > 0)
                outcome.Comment = "Answered at echo request " + std::to_string(m_attempt + 1) + " of " +
                                  std::to_string(m_settings.Count);
            return Finish(std::move(outcome));
        }
        if (reply.What == IcmpReply::Kind::None)
            return Wait::Socket(m_socket.Fd.Get(), EPOLLIN, m_until);
        // This request is answered with an error: wait out the rest of its time before
        // the next one, as after a loss, so that a quick error report does not burn
        // through the requests.
        m_lastError = reply;
        if (m_attempt + 1 >= m_settings.Count) {
            ++m_attempt;
            return SendRequest();
        }
        m_pausing = true;
        return Wait::Socket(m_socket.Fd.Get(), 0, m_until);
    }

    void Cancel() override { m_done(runner::Cancelled()); }
    bool Cancelled() const override { return m_context.IsCancelled(); }

private:
    Wait Finish(CheckOutcome outcome) {
        m_done(std::move(outcome));
        return Wait::Finished();
    }

    Wait SendRequest() {
        m_pausing = false;
        if (m_attempt >= m_settings.Count || m_deadline.Expired())
            return NoReply();
        m_sequence = static_cast<std::uint16_t>(m_firstSequence + m_attempt);
        const std::string packet = IcmpEchoRequest(m_socket, m_sequence, m_settings.PayloadBytes);
        m_sentAt = CRunDeadline::Clock::now();
        if (::sendto(m_socket.Fd.Get(), packet.data(), packet.size(), 0, m_address.Get(), m_address.Length) < 0)
            return Finish(CheckOutcome::Error("Echo request to " + m_peer + " could not be sent: " + ErrnoText(errno)));
        m_until = std::min(m_deadline.End(), m_sentAt + std::chrono::milliseconds(m_settings.TimeoutMs));
        return Wait::Socket(m_socket.Fd.Get(), EPOLLIN, m_until);
    }

    Wait NoReply() {
        const std::string requests =
            std::to_string(m_settings.Count) + " echo request" + (m_settings.Count > 1 ? "s" : "");
        CheckOutcome outcome;
        if (m_lastError.What == IcmpReply::Kind::Unreachable)
            outcome = CheckOutcome::Error("Reply from " + m_lastError.From + ": " +
                                          UnreachableText(m_socket.Family, m_lastError.Code));
        else if (m_lastError.What == IcmpReply::Kind::TimeExceeded)
            outcome = CheckOutcome::Error("Reply from " + m_lastError.From + ": TTL expired in transit");
        else
            outcome = CheckOutcome::Error("Request timed out: no reply from " + m_peer + " to " + requests);
        outcome.Comment = requests + ", " + runner::Millis(m_settings.TimeoutMs) + " each";
        return Finish(std::move(outcome));
    }

    const IcmpSettings m_settings;
    const RunContext m_context;
    const CRunDeadline m_deadline;
    OutcomeSink m_done;

    SocketAddress m_address;
    std::string m_peer;
    IcmpSocket m_socket;
    std::uint16_t m_firstSequence = 0;
    std::uint16_t m_sequence = 0;
    int m_attempt = 0;
    bool m_pausing = false;
    CRunDeadline::Clock::time_point m_sentAt{};
    CRunDeadline::Clock::time_point m_until{};
    IcmpReply m_lastError;
};

} // namespace

PreparedNetCheck PrepareIcmpCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done,
                                  bool allowRaw) {
    auto task = std::make_unique<PingTask>(check, context, std::move(done));
    PreparedNetCheck prepared;
    if (std::optional<CheckOutcome> outcome = task->Prepare(allowRaw))
        prepared.Outcome = std::move(*outcome);
    else
        prepared.Task = std::move(task);
    return prepared;
}

CheckOutcome CIcmpPingRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const bool allowRaw = m_sockets == Sockets::DatagramOrRaw;
    return RunPreparedCheck(
        [&check, allowRaw](const RunContext& c, OutcomeSink done) {
            return PrepareIcmpCheck(check, c, std::move(done), allowRaw);
        },
        context);
}
