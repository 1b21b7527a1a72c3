#include "engine/TcpRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/NetworkChecks.h"
#include "engine/NetworkHelpers.h"

#include <sys/epoll.h>

#include <cerrno>
#include <optional>

namespace {

// The most of a response kept while looking for the expected text.
constexpr std::size_t kMaxResponseBytes = 64 * 1024;

// "127.0.0.1:80", "[::1]:80": written as every runner writes an address with its port.
std::string Where(const SocketAddress& peer) { return peer.HostPortText(); }

using Wait = CNetReactor::Wait;

// Connect to each resolved address in turn (each with an equal share of the time left),
// optionally send a text, optionally read until the response includes a text.
class TcpTask final : public CNetReactor::Task {
public:
    TcpTask(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done)
        : m_settings(TcpSettings::Read(check.Function)), m_context(context),
          m_deadline(m_context, std::chrono::milliseconds(m_settings.TimeoutMs)), m_done(std::move(done)),
          m_limit(runner::Millis(m_deadline.Limit().count())) {}

    // Settings and name resolution; an outcome when the run ends here.
    std::optional<CheckOutcome> Prepare() {
        HostAndPort target;
        if (m_settings.Host.empty())
            return CheckOutcome::Uncertain("No host configured");
        if (!SplitHostPort(m_settings.Host, target))
            return CheckOutcome::Uncertain("Host '" + m_settings.Host + "' is not valid");
        const int port = target.Port != 0 ? target.Port : m_settings.Port;
        ResolveOutcome resolved = ResolveHost(target.Host, port, SOCK_STREAM, AF_UNSPEC, m_deadline);
        if (resolved.Status == NetWait::Cancelled)
            return runner::Cancelled();
        if (resolved.Status == NetWait::TimedOut)
            return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved within " + m_limit);
        if (resolved.Status != NetWait::Ready)
            return CheckOutcome::Error("Host '" + target.Host + "' could not be resolved: " + resolved.Error);
        m_addresses = std::move(resolved.Addresses);
        return std::nullopt;
    }

    Wait Start() override { return ConnectNext(); }

    Wait Resume(std::uint32_t events) override {
        switch (m_step) {
        case Step::Connecting:
            return events == 0 ? ConnectTimedOut() : Connecting();
        case Step::Sending:
            if (events == 0)
                return Finish(CheckOutcome::Error("Connected to " + m_peer + ", but the text could not be sent within " +
                                                  m_limit));
            return Send();
        case Step::Receiving:
            if (events == 0) {
                if (m_response.empty())
                    return Finish(CheckOutcome::Error("Connected to " + m_peer + ", but no response within " + m_limit));
                return Finish(CheckOutcome::Error("Response does not include '" + m_settings.Expect + "' within " +
                                                  m_limit + ": '" + FirstLine(m_response) + "'"));
            }
            return Receive();
        }
        return Wait::Finished();
    }

    void Cancel() override { m_done(runner::Cancelled()); }
    bool Cancelled() const override { return m_context.IsCancelled(); }

private:
    enum class Step { Connecting, Sending, Receiving };

    Wait Finish(CheckOutcome outcome) {
        m_socket = platform::UniqueFd();
        m_done(std::move(outcome));
        return Wait::Finished();
    }

    Wait ConnectNext() {
        m_step = Step::Connecting;
        while (m_next < m_addresses.size()) {
            const SocketAddress& address = m_addresses[m_next++];
            m_peerAddress = address;
            m_socket = platform::UniqueFd(::socket(address.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            if (!m_socket) {
                m_error = errno;
                continue;
            }
            if (::connect(m_socket.Get(), address.Get(), address.Length) == 0)
                return Connected();
            if (errno != EINPROGRESS) {
                m_error = errno;
                continue;
            }
            const auto now = CRunDeadline::Clock::now();
            const auto left = static_cast<long>(m_addresses.size() - m_next + 1);
            const auto share = (m_deadline.End() - now) / left;
            return Wait::Socket(m_socket.Get(), EPOLLOUT, now + std::max(share, CRunDeadline::Clock::duration::zero()));
        }
        if (m_timedOut)
            return Finish(CheckOutcome::Error("No connection to " + Where(m_peerAddress) + " within " + m_limit));
        return Finish(CheckOutcome::Error("Cannot connect to " + Where(m_peerAddress) + ": " + ErrnoText(m_error)));
    }

    Wait ConnectTimedOut() {
        m_timedOut = true;
        m_socket = platform::UniqueFd();
        return ConnectNext();
    }

    Wait Connecting() {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            m_error = error != 0 ? error : errno;
            m_timedOut = false;
            m_socket = platform::UniqueFd();
            return ConnectNext();
        }
        return Connected();
    }

    Wait Connected() {
        m_peer = Where(m_peerAddress);
        if (m_settings.SendText && !m_settings.Send.empty()) {
            m_step = Step::Sending;
            return Send();
        }
        return AfterSending();
    }

    Wait Send() {
        while (m_sent < m_settings.Send.size()) {
            const ssize_t sent =
                ::send(m_socket.Get(), m_settings.Send.data() + m_sent, m_settings.Send.size() - m_sent, MSG_NOSIGNAL);
            if (sent > 0) {
                m_sent += static_cast<std::size_t>(sent);
                continue;
            }
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return Wait::Socket(m_socket.Get(), EPOLLOUT, m_deadline.End());
            return Finish(CheckOutcome::Error("Connected to " + m_peer + ", but sending failed: " +
                                              ErrnoText(sent < 0 ? errno : EPIPE)));
        }
        return AfterSending();
    }

    Wait AfterSending() {
        if (!m_settings.ExpectResponse) {
            const auto took = std::chrono::duration_cast<std::chrono::microseconds>(m_deadline.Elapsed());
            return Finish(CheckOutcome::Success("Connected to " + m_peer + " in " + FormatMilliseconds(took),
                                                FormatMilliseconds(took)));
        }
        m_step = Step::Receiving;
        return Receive();
    }

    bool Matched() const {
        const CQvcString expect(m_settings.Expect);
        return expect.IsEmpty() ? !m_response.empty() : CQvcString(m_response).Contains(expect, false);
    }

    // Reads until the response includes the expected text (any text when none is given),
    // the peer closes, or time runs out.
    Wait Receive() {
        for (;;) {
            if (Matched())
                return Matches();
            const std::size_t room = kMaxResponseBytes - std::min(m_response.size(), kMaxResponseBytes);
            bool closed = room == 0;
            if (!closed) {
                char buffer[4096];
                const ssize_t got = ::recv(m_socket.Get(), buffer, std::min(sizeof buffer, room), 0);
                if (got > 0) {
                    m_response.append(buffer, static_cast<std::size_t>(got));
                    continue;
                }
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                    return Wait::Socket(m_socket.Get(), EPOLLIN, m_deadline.End());
                if (got < 0)
                    return Finish(
                        CheckOutcome::Error("Connected to " + m_peer + ", but receiving failed: " + ErrnoText(errno)));
                closed = true;
            }
            if (m_response.empty())
                return Finish(
                    CheckOutcome::Error("Connected to " + m_peer + ", but it closed the connection without a response"));
            return Finish(CheckOutcome::Error("Response does not include '" + m_settings.Expect + "': '" +
                                              FirstLine(m_response) + "'"));
        }
    }

    Wait Matches() {
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(m_deadline.Elapsed());
        CheckOutcome outcome = CheckOutcome::Success("Response from " + m_peer + ": '" + FirstLine(m_response) + "'",
                                                     FormatMilliseconds(took));
        if (!m_settings.Expect.empty())
            outcome.Comment = "Response includes '" + m_settings.Expect + "'";
        return Finish(std::move(outcome));
    }

    const TcpSettings m_settings;
    const RunContext m_context;
    const CRunDeadline m_deadline;
    OutcomeSink m_done;
    const std::string m_limit;

    Step m_step = Step::Connecting;
    std::vector<SocketAddress> m_addresses;
    std::size_t m_next = 0;
    SocketAddress m_peerAddress;
    std::string m_peer;
    platform::UniqueFd m_socket;
    int m_error = EHOSTUNREACH;
    bool m_timedOut = false;
    std::size_t m_sent = 0;
    std::string m_response;
};

} // namespace

PreparedNetCheck PrepareTcpCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done) {
    auto task = std::make_unique<TcpTask>(check, context, std::move(done));
    PreparedNetCheck prepared;
    if (std::optional<CheckOutcome> outcome = task->Prepare())
        prepared.Outcome = std::move(*outcome);
    else
        prepared.Task = std::move(task);
    return prepared;
}

CheckOutcome CTcpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    return RunPreparedCheck(
        [&check](const RunContext& c, OutcomeSink done) { return PrepareTcpCheck(check, c, std::move(done)); },
        context);
}
