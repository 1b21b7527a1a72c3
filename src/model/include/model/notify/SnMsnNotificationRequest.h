#pragma once
// CSnMsnNotificationRequest: a test request for an instant message.
// The fields are the keys of section "Request" after "CreatorIsManager" and
// "Enabled", written in the order declared here.
#include "model/notify/SnNotificationRequest.h"

#include <cstdint>

class CSnMsnNotificationRequest final : public CSnNotificationRequest {
public:
    CSnMsnNotificationRequest();

    CQvcString RecipientAddressList;
    CQvcString Message;
    CQvcString LogFile;
    CQvcString MsnServer;
    std::int32_t MsnServerPort = 0;
    CQvcString MsnAccount;
    CQvcString MsnPassword;
    CQvcString MsnDisplayName;

protected:
    void ExchangeFields() override;
};
