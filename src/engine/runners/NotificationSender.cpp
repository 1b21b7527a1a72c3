#include "engine/NotificationSender.h"

#include "NotificationLog.h"
#include "engine/DatabaseQueryRunner.h"
#include "engine/alerting/PlatformChannels.h"
#include "library/ErrorTexts.h"
#include "model/notify/SnPagerNotificationRequest.h"
#include "model/notify/SnQueryRequest.h"
#include "model/notify/SnSmsNotificationRequest.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"

#include <exception>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kSmsOverHttp = 1;
constexpr std::int32_t kPagerOverSnpp = 0;
constexpr long kNotSupported = 1002;

// The recipients of an SMS or page test: separated by ';' or ',', blanks around dropped.
std::vector<std::string> SplitRecipients(const std::string& list) {
    std::vector<std::string> out;
    std::string current;
    const auto flush = [&] {
        const auto first = current.find_first_not_of(" \t");
        if (first != std::string::npos)
            out.push_back(current.substr(first, current.find_last_not_of(" \t") - first + 1));
        current.clear();
    };
    for (const char c : list) {
        if (c == ';' || c == ',')
            flush();
        else
            current += c;
    }
    flush();
    return out;
}

// The last '...'-quoted part of a delivery text: the server's reply it quotes.
std::string QuotedReply(const std::string& text) {
    const auto end = text.rfind('\'');
    if (end == std::string::npos || end == 0)
        return {};
    const auto begin = text.rfind('\'', end - 1);
    return begin == std::string::npos ? std::string() : text.substr(begin + 1, end - begin - 1);
}

// Delivers the message to each recipient in turn through `deliver`; the first failure
// ends the test.  `codeOf` maps a failed delivery's text to the response's error code.
template <class Deliver, class CodeOf>
CSnNotificationResponse DeliverToEach(const CSnNotificationRequest& request, const std::string& recipients,
                                      const std::string& message, const std::string& logFile,
                                      const char* channel, const RunContext& context, Deliver deliver,
                                      CodeOf codeOf) {
    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    std::vector<std::string> log;
    const std::vector<std::string> numbers = SplitRecipients(recipients);
    if (numbers.empty()) {
        response.ErrorCode = 61453;
        response.ErrorDescription = "Recipient is required.";
    }
    for (const std::string& number : numbers) {
        AlertDeliveryRequest delivery;
        delivery.Recipient = number;
        delivery.Body = message;
        for (std::size_t at; (at = delivery.Body.find("||")) != std::string::npos;)
            delivery.Body.replace(at, 2, 1, '\n'); // stored line breaks
        const DeliveryOutcome outcome = deliver(delivery);
        log.push_back(std::string(channel) + " test: " + outcome.Text);
        if (!outcome.Ok) {
            response.ErrorCode = codeOf(outcome.Text);
            response.ErrorDescription = std::string(ErrorTextOnly(response.ErrorCode)) + ": " + outcome.Text;
            response.ErrorDescriptionEx = QuotedReply(outcome.Text);
            break;
        }
        response.ErrorDescriptionEx = outcome.Text;
    }
    AppendNotificationLog(logFile, context.EngineRoot, log);
    return response;
}

CSnNotificationResponse SendTestSms(const CSnSmsNotificationRequest& request, const RunContext& context) {
    AlertSettings settings;
    CSnSmsSettings& sms = settings.Sms;
    sms.Protocol = request.SmsProtocol;
    sms.HttpProviderUrl = request.HttpProviderUrl;
    sms.HttpSuccessResponse = request.HttpProviderSuccessResponse;
    sms.HttpSender = request.HttpSender;
    sms.HttpWebAccount = request.HttpAdvWebAccount;
    sms.HttpWebPassword = CQvcString::Scramble(request.HttpAdvWebPassword.Str());
    sms.HttpProxyServer = request.HttpAdvProxyServer;
    sms.HttpProxyAccount = request.HttpAdvProxyAccount;
    sms.HttpProxyPassword = CQvcString::Scramble(request.HttpAdvProxyPassword.Str());
    return DeliverToEach(
        request, request.RecipientAddressList.Str(), request.Message.Str(), request.LogFile.Str(), "SMS", context,
        [&](const AlertDeliveryRequest& delivery) { return SendSms(delivery, settings, context); },
        [&](const std::string& text) -> long {
            if (request.SmsProtocol != kSmsOverHttp)
                return kNotSupported;
            if (request.HttpProviderUrl.IsEmpty())
                return 33200;
            return text.find("did not accept") != std::string::npos ? 33202 : 33201;
        });
}

CSnNotificationResponse SendTestPage(const CSnPagerNotificationRequest& request, const RunContext& context) {
    AlertSettings settings;
    CSnPagerSettings& pager = settings.Pager;
    pager.Protocol = request.PagerProtocol;
    pager.SnppServer = request.SnppServer;
    pager.SnppPort = request.SnppPort;
    pager.SnppPassword = CQvcString::Scramble(request.SnppPassword.Str());
    pager.SnppTimeOut = request.SnppTimeOut;
    return DeliverToEach(
        request, request.RecipientAddressList.Str(), request.Message.Str(), request.LogFile.Str(), "Pager",
        context, [&](const AlertDeliveryRequest& delivery) { return SendPage(delivery, settings, context); },
        [&](const std::string& text) -> long {
            if (request.PagerProtocol != kPagerOverSnpp)
                return kNotSupported;
            if (text.find("Cannot reach") != std::string::npos || text.find("could not be resolved") != std::string::npos)
                return 33400;
            if (text.find("did not answer") != std::string::npos)
                return 33405;
            return text.find("failed at PAGE") != std::string::npos ? 33401 : 33402;
        });
}

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
        if (const auto* sms = dynamic_cast<const CSnSmsNotificationRequest*>(&request))
            return SendTestSms(*sms, context);
        if (const auto* page = dynamic_cast<const CSnPagerNotificationRequest*>(&request))
            return SendTestPage(*page, context);
        if (const auto* query = dynamic_cast<const CSnQueryRequest*>(&request))
            return AnswerTestQuery(*query, context);
        return NotAvailable(request);
    } catch (const std::exception& error) {
        CSnNotificationResponse response;
        response.CreatorIsManager = request.CreatorIsManager;
        response.ErrorCode = 1001;
        response.ErrorDescription = CQvcString("The notification could not be sent: ") + error.what();
        return response;
    }
}
