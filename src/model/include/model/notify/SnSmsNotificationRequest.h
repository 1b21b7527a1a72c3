#pragma once
// CSnSmsNotificationRequest: a test request for an SMS through a GSM device or a web provider.
// The fields are the keys of section "Request" after "CreatorIsManager" and
// "Enabled", written in the order declared here.
// Password fields hold the plain text; the file holds it scrambled under the
// key named in the comment.
#include "model/notify/SnNotificationRequest.h"

#include <cstdint>

class CSnSmsNotificationRequest final : public CSnNotificationRequest {
public:
    CSnSmsNotificationRequest();

    CQvcString RecipientAddressList;
    CQvcString Message;
    CQvcString LogFile;
    std::int32_t SmsProtocol = 0;
    std::int32_t GsmHasPinCode = 0;
    CQvcString GsmPinCode;
    CQvcString GsmDevice;
    std::int32_t GsmDeviceSpeed = 0;
    std::int32_t GsmDeviceFlowControl = 0;
    CQvcString GsmInitString;
    CQvcString HttpProviderUrl;
    CQvcString HttpProviderSuccessResponse;
    CQvcString HttpSender;
    CQvcString HttpAdvWebAccount;
    CQvcString HttpAdvWebPassword; // "HttpAdvWebEPassword", scrambled
    CQvcString HttpAdvProxyServer;
    CQvcString HttpAdvProxyAccount;
    CQvcString HttpAdvProxyPassword; // "HttpAdvProxyEPassword", scrambled
    std::int32_t SmsServerChannel = 0;

protected:
    void ExchangeFields() override;
};
