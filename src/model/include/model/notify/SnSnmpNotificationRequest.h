#pragma once
// CSnSnmpNotificationRequest: a test request for an SNMP trap.
// The fields are the keys of section "Request" after "CreatorIsManager" and
// "Enabled", written in the order declared here.
#include "model/notify/SnNotificationRequest.h"

#include <cstdint>

class CSnSnmpNotificationRequest final : public CSnNotificationRequest {
public:
    CSnSnmpNotificationRequest();

    CQvcString Agent;
    CQvcString Community;
    CQvcString OID;
    CQvcString OIDValue;
    std::int32_t OIDType = 0;
    std::int32_t ProtocolVersion = 0;
    std::int32_t GenericTrap = 0;
    CQvcString LogFile;

protected:
    void ExchangeFields() override;
};
