#include "engine/alerting/DefaultChannels.h"
#include "engine/alerting/PlatformChannels.h"

#include "engine/NetworkHelpers.h"
#include "engine/NotificationSender.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"

#include <set>

namespace {

// SMTP failures that another try later may get past: no connection, a time-out, a lost
// connection, both servers failing (any of these), a TLS handshake that failed.
const std::set<long> kMailRetries = {23715, 23720, 23721, 23727, 23741};

DeliveryOutcome Outcome(const CSnNotificationResponse& response, bool retry, const std::string& sent) {
    if (response.ErrorCode == 0)
        return {true, false, sent};
    return {false, retry,
            "failed, Error #" + std::to_string(response.ErrorCode) + ": " + response.ErrorDescription.Str()};
}

DeliveryOutcome SendMail(const AlertDeliveryRequest& alert, const AlertSettings& settings,
                         const RunContext& context) {
    const CSnSmtpSettings& smtp = settings.Smtp;
    CSnSmtpNotificationRequest request;
    request.CreatorIsManager = 0;
    request.MailServer1 = smtp.Server1;
    request.MailSecure1 = smtp.Secure1 ? 1 : 0;
    request.MailServerPort1 = smtp.Port1;
    if (smtp.AuthRequired1) {
        request.MailServerLogin1 = smtp.Login1;
        request.MailServerPassword1 = CQvcString::Unscramble(smtp.Password1.Str());
    }
    request.SenderName1 = smtp.SenderName1;
    request.SenderAddress1 = smtp.SenderAddress1;
    request.MailServer2 = smtp.Server2;
    request.MailSecure2 = smtp.Secure2 ? 1 : 0;
    request.MailServerPort2 = smtp.Port2;
    if (smtp.AuthRequired2) {
        request.MailServerLogin2 = smtp.Login2;
        request.MailServerPassword2 = CQvcString::Unscramble(smtp.Password2.Str());
    }
    request.SenderName2 = smtp.SenderName2;
    request.SenderAddress2 = smtp.SenderAddress2;
    request.RecipientAddressList = alert.Recipient;
    request.Subject = alert.Subject;
    request.Message = alert.Body;
    request.CharSet = smtp.CharSet;
    request.LogFile = smtp.LogFile;
    const CSnNotificationResponse response = SendAlertMail(request, context);
    return Outcome(response, kMailRetries.count(response.ErrorCode) != 0,
                   "sent to " + alert.Recipient + " through " + response.Param[0].Str());
}

DeliveryOutcome SendTrap(const AlertDeliveryRequest& alert, const AlertSettings& settings,
                         const RunContext& context) {
    const CSnSnmpTrapsSettings& traps = settings.Traps;
    CSnSnmpNotificationRequest request;
    request.CreatorIsManager = 0;
    request.Agent = FormatHostPort(traps.Agent.Str(), traps.Port > 0 ? traps.Port : 162);
    request.Community = traps.Community;
    request.OID = traps.Oid;
    request.OIDValue = alert.Body;
    request.OIDType = 8; // the message text
    request.ProtocolVersion = traps.ProtocolVersion;
    request.GenericTrap = traps.GenericTrap;
    request.LogFile = traps.LogFile;
    // The event's fields under the OID: .1 Name, .2 Host, .3 Type, .4 Status, .5 Data,
    // .6 Response, .7 Time, .8 Folder, .9 ID, .10 Direction.
    static const char* const kOrder[] = {"Name",     "Host", "Type",   "Status", "Data",
                                         "Response", "Time", "Folder", "ID",     "Direction"};
    const auto fields = AlertFields(alert.Event);
    std::vector<std::pair<std::string, std::string>> texts;
    for (std::size_t i = 0; i < std::size(kOrder); ++i)
        texts.emplace_back(traps.Oid.Str() + "." + std::to_string(i + 1), fields.at(kOrder[i]));
    const CSnNotificationResponse response = SendAlertTrap(request, context, texts);
    // A datagram that could not be sent may go later (an agent's name not resolved yet).
    return Outcome(response, response.ErrorCode == 22233, "sent to " + response.Param[0].Str());
}

} // namespace

AlertChannelTable DefaultAlertChannels() {
    AlertChannelTable table = {
        {1, SendMail},
        {6, SendTrap},
    };
    AddPlatformChannels(table);
    return table;
}
