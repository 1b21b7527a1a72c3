#include "model/notify/SnSnmpNotificationRequest.h"

CSnSnmpNotificationRequest::CSnSnmpNotificationRequest()
    : CSnNotificationRequest(kRequestSnmp, "SnmpNotificationRequest") {}

void CSnSnmpNotificationRequest::ExchangeFields() {
    Text("Agent", Agent);
    Text("Community", Community);
    Text("OID", OID);
    Text("OIDValue", OIDValue);
    Number("OIDType", OIDType);
    Number("ProtocolVersion", ProtocolVersion);
    Number("GenericTrap", GenericTrap);
    Text("LogFile", LogFile);
}
