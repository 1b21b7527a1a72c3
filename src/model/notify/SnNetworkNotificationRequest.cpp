#include "model/notify/SnNetworkNotificationRequest.h"

CSnNetworkNotificationRequest::CSnNetworkNotificationRequest()
    : CSnNotificationRequest(kRequestNetwork, "NetworkNotificationRequest") {}

void CSnNetworkNotificationRequest::ExchangeFields() {
    Text("RecipientAddress", RecipientAddress);
    Text("Message", Message);
    Text("LogFile", LogFile);
}
