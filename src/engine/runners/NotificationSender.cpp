#include "engine/NotificationSender.h"

#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"

#include <exception>

namespace {

// Channels without a sender on this platform, with the code the answer carries.
CSnNotificationResponse NotAvailable(const CSnNotificationRequest& request) {
    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    const char* channel = nullptr;
    response.ErrorCode = 1002; // function not supported
    switch (request.Type()) {
    case kRequestNetwork:
        channel = "Network Popup";
        response.ErrorCode = 26005; // network pop-up messages are not supported on this platform
        break;
    case kRequestSms:
        channel = "SMS";
        break;
    case kRequestPager:
        channel = "Pager";
        break;
    case kRequestMsn:
        channel = "MSN";
        break;
    default:
        break;
    }
    if (channel)
        response.ErrorDescription = CQvcString(channel) + " notifications are not available on this platform";
    else
        response.ErrorDescription.Format("Requests of type %d cannot be carried out by this engine", request.Type());
    return response;
}

} // namespace

CSnNotificationResponse SendNotificationTest(const CSnNotificationRequest& request, const RunContext& context) {
    try {
        if (const auto* mail = dynamic_cast<const CSnSmtpNotificationRequest*>(&request))
            return SendTestMail(*mail, context);
        if (const auto* trap = dynamic_cast<const CSnSnmpNotificationRequest*>(&request))
            return SendTestTrap(*trap, context);
        return NotAvailable(request);
    } catch (const std::exception& error) {
        CSnNotificationResponse response;
        response.CreatorIsManager = request.CreatorIsManager;
        response.ErrorCode = 1001;
        response.ErrorDescription = CQvcString("The notification could not be sent: ") + error.what();
        return response;
    }
}
