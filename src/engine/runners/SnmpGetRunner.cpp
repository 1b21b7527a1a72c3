#include "engine/SnmpGetRunner.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"
#include "engine/SnmpMessage.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/SnmpValueRules.h"
#include "model/checks/TypeDialogRules.h"

#include <poll.h>

#include <random>

namespace {

// A request unanswered this long is sent again, as agents drop requests when busy.
constexpr std::chrono::milliseconds kResendAfter{1000};

std::string Condition(int op, const std::string& value) {
    return std::string(DialogTextOf(ComparisonOperators(), op)) + " '" + value + "'";
}

std::string Conditions(const SnmpGetSettings& s) {
    std::string text = Condition(s.Operator1, s.Value1);
    if (s.UseSecond)
        text += (s.EitherCondition ? " or " : " and ") + Condition(s.Operator2, s.Value2);
    return text;
}

enum class Asked { Answered, Failed, Cancelled };

// Sends the request and waits for the answer with the same request id, sending it again
// every kResendAfter, until `until`.
Asked Ask(const SocketAddress& address, const std::string& request, std::int32_t id,
          CRunDeadline::Clock::time_point until, const CRunDeadline& deadline, SnmpMessage& answer,
          std::string& why) {
    int error = 0;
    const platform::UniqueFd socket = ConnectUdp(address, &error);
    if (!socket) {
        why = "cannot reach " + address.HostPortText() + ": " + ErrnoText(error);
        return Asked::Failed;
    }
    while (CRunDeadline::Clock::now() < until) {
        if (::send(socket.Get(), request.data(), request.size(), 0) < 0) {
            why = "cannot send to " + address.HostPortText() + ": " + ErrnoText(errno);
            return Asked::Failed;
        }
        const auto resend = std::min(until, CRunDeadline::Clock::now() + kResendAfter);
        for (;;) {
            const NetWait wait = WaitForSocket(socket.Get(), POLLIN, resend, deadline);
            if (wait == NetWait::Cancelled)
                return Asked::Cancelled;
            if (wait != NetWait::Ready)
                break;
            char buffer[65536];
            const ssize_t got = ::recv(socket.Get(), buffer, sizeof buffer, 0);
            if (got < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                why = "the agent at " + address.HostPortText() + " does not answer: " + ErrnoText(errno);
                return Asked::Failed;
            }
            std::string ignored;
            if (ReadSnmpMessage(std::string_view(buffer, static_cast<std::size_t>(got)), answer, ignored) &&
                answer.Pdu == kSnmpResponse && answer.RequestId == id)
                return Asked::Answered;
        }
    }
    why = "no answer from the agent at " + address.HostPortText();
    return Asked::Failed;
}

} // namespace

CheckOutcome CSnmpGetRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const SnmpGetSettings s = SnmpGetSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    HostAndPort agent;
    if (!SplitHostPort(s.Host, agent))
        return CheckOutcome::Uncertain("SNMP agent '" + s.Host + "' is not valid");
    if (agent.Port == 0)
        agent.Port = s.Port;
    std::random_device seed;
    const auto id = static_cast<std::int32_t>(seed() & 0x7fffffff);
    const std::string request = BuildSnmpGet(s.Version1 ? 0 : 1, s.Community, id, s.Oid);
    if (request.empty())
        return CheckOutcome::Uncertain("'" + s.Oid + "' is not a valid OID");
    const ResolveOutcome resolved = ResolveHost(agent.Host, agent.Port, SOCK_DGRAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("SNMP agent '" + agent.Host + "' could not be resolved: " +
                                   (resolved.Error.empty() ? "no answer in time" : resolved.Error));
    SnmpMessage answer;
    std::string failures;
    bool answered = false;
    for (std::size_t i = 0; i < resolved.Addresses.size() && !answered; ++i) {
        std::string why;
        const Asked asked = Ask(resolved.Addresses[i], request, id, ShareOf(deadline.End(), resolved.Addresses.size() - i),
                                deadline, answer, why);
        if (asked == Asked::Cancelled)
            return runner::Cancelled();
        answered = asked == Asked::Answered;
        if (!answered)
            failures += (failures.empty() ? "" : "; ") + why;
    }
    const std::string version = s.Version1 ? "SNMP v1" : "SNMP v2c";
    if (!answered)
        return CheckOutcome::Error("SNMP GET of " + s.Oid + " (" + version + "): " + failures + " within " +
                                   runner::Millis(deadline.Elapsed().count()) +
                                   " (is the agent running, and is the community right?)");
    if (answer.ErrorStatus != 0 || answer.Variables.size() != 1)
        return CheckOutcome::Error("SNMP GET of " + s.Oid + ": the agent answered " +
                                   (answer.ErrorStatus ? SnmpErrorName(answer.ErrorStatus) : std::string("no value")));
    const SnmpValueText& value = answer.Variables.front().Value;
    if (!value.Exception.empty())
        return CheckOutcome::Error("SNMP GET of " + s.Oid + ": the agent answered " + value.Exception);
    const std::string shown = s.Oid + " = " + value.Text + " (" + value.TypeName + ")";
    const CQvcString data = FirstLine(value.Text, 60);
    // A check without a value to compare with only asks that the agent answers.
    if (!s.UseSecond && s.Value1.find_first_not_of(' ') == std::string::npos)
        return CheckOutcome::Success(shown, data);
    if (SnmpGetConditionsHold(s, value.Text))
        return CheckOutcome::Success(shown + ": " + Conditions(s) + " holds", data);
    return CheckOutcome::Error(shown + ": " + Conditions(s) + " does not hold", data);
}
