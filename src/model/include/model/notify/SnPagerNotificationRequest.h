#pragma once
// CSnPagerNotificationRequest: a test request for a page through an SNPP server or a dialling device.
// The fields are the keys of section "Request" after "CreatorIsManager" and
// "Enabled", written in the order declared here.
#include "model/notify/SnNotificationRequest.h"

#include <cstdint>

class CSnPagerNotificationRequest final : public CSnNotificationRequest {
public:
    CSnPagerNotificationRequest();

    CQvcString RecipientAddressList;
    CQvcString LogFile;
    std::int32_t PagerProtocol = 0;
    CQvcString SnppServer;
    std::int32_t SnppPort = 0;
    CQvcString SnppPassword;
    std::int32_t SnppTimeOut = 0;
    CQvcString Message;
    CQvcString DtmfDevice;
    std::int32_t DtmfDeviceSpeed = 0;
    std::int32_t DtmfDeviceFlowControl = 0;
    CQvcString DtmfDeviceInitString;
    std::int32_t DtmfDialPulse = 0;
    std::int32_t DtmfRedialsLeft = 0;

protected:
    void ExchangeFields() override;
};
