#pragma once
// CSnNetworkNotificationRequest: a test request for a network pop-up message.
// The fields are the keys of section "Request" after "CreatorIsManager" and
// "Enabled", written in the order declared here.
#include "model/notify/SnNotificationRequest.h"

#include <cstdint>

class CSnNetworkNotificationRequest final : public CSnNotificationRequest {
public:
    CSnNetworkNotificationRequest();

    CQvcString RecipientAddress;
    CQvcString Message;
    CQvcString LogFile;

protected:
    void ExchangeFields() override;
};
