#include "engine/alerting/AlertRequests.h"
#include "engine/alerting/PlatformChannels.h"

#include "model/notify/AddressRules.h"
#include "model/notify/SnRecipients.h"
#include "model/tree/NodeStatus.h"

namespace {

constexpr int kKindRun = 7, kKindRestart = 8, kKindReboot = 9;
constexpr const char* kDefaultSubject = "Sentrelle: <% Name %> - <% Status %>";
constexpr const char* kDefaultBody =
    "Check: <% Name %>||Status: <% Status %>||Time: <% Time %>||Response: <% Response %>";

AlertDeliveryRequest Request(int kind, const AlertEvent& event, const AlertSettings& settings) {
    AlertDeliveryRequest request;
    request.Event = event;
    request.ActionKind = kind;
    const auto found = settings.Templates.find(kind);
    const bool known = found != settings.Templates.end();
    request.Subject = ExpandAlertText(known ? found->second.Subject.Str() : kDefaultSubject, event, false);
    request.Body = ExpandAlertText(known ? found->second.Body.Str() : kDefaultBody, event);
    return request;
}

std::vector<std::string> Recipients(const CQvcString& text, std::int32_t channelCode,
                                    const AlertAddressBook& book) {
    CSnRecipients list;
    list.Parse(text);
    static const CSnDistributionGroups kNoGroups;
    const auto groups = book.find(channelCode);
    std::vector<std::string> out;
    for (const CQvcString& address :
         list.Resolve(groups != book.end() && groups->second ? *groups->second : kNoGroups))
        out.push_back(address.Str());
    return out;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : ",") + part;
    return out;
}

} // namespace

int ChannelActionKind(int channel) {
    static constexpr int kKinds[] = {1, 2, 3, 4, 6, 5};
    return channel >= 0 && channel < 6 ? kKinds[channel] : 0;
}

AlertRequests BuildAlertRequests(const CSnNodeCfg& check, const AlertDecision& decision,
                                 const AlertEvent& event, const AlertSettings& settings,
                                 const AlertAddressBook& book) {
    AlertRequests out;
    const bool failure = decision.Direction == AlertDirection::Failure;
    const CSnNodeCfgAction& action = check.Action;
    for (int channel = 0; decision.Notify && channel < 6; ++channel) {
        const CSnNodeCfgActionNotification& entry = action.Notify[2 * channel + (failure ? 0 : 1)];
        if (entry.Enabled == 0)
            continue;
        const int kind = ChannelActionKind(channel);
        if (channel == kChannelSnmpTrap) {
            out.Deliveries.push_back(Request(kind, event, settings));
            continue;
        }
        const std::vector<std::string> recipients = Recipients(entry.Recipients, channel + 1, book);
        if (recipients.empty()) {
            out.Refusals.push_back(std::string(ActionName(kind)) + ": no recipients");
        } else if (channel == kChannelSms || channel == kChannelPager) {
            for (const std::string& recipient : recipients) {
                out.Deliveries.push_back(Request(kind, event, settings));
                out.Deliveries.back().Recipient = recipient;
            }
        } else {
            out.Deliveries.push_back(Request(kind, event, settings));
            out.Deliveries.back().Recipient = Joined(recipients);
        }
    }
    if (!decision.Act)
        return out;
    const CSnNodeCfgActionRunProgram& program = failure ? *action.RunOnFailure : *action.RunOnSuccess;
    if (program.RunExecutable != 0 && !program.Executable.IsEmpty()) {
        out.Deliveries.push_back(Request(kKindRun, event, settings));
        out.Deliveries.back().Recipient = program.Executable.Str();
    }
    if (program.RunScript != 0 && !program.Script.IsEmpty())
        out.Refusals.push_back(std::string(ActionName(kKindRun)) + ": " + ScriptActionOutcome().Text);
    const CSnNodeCfgActionRestart& restart = *action.Restart;
    if (failure && restart.RestartServices != 0) {
        out.Deliveries.push_back(Request(kKindRestart, event, settings));
        out.Deliveries.back().Recipient = restart.Services.Str();
        out.Deliveries.back().Computer = restart.Computer.Str();
    }
    if (failure && restart.Reboot != 0) {
        out.Deliveries.push_back(Request(kKindReboot, event, settings));
        out.Deliveries.back().Computer = restart.Computer.Str();
    }
    return out;
}
