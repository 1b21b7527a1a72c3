#include "model/notify/SnMsnNotificationRequest.h"

CSnMsnNotificationRequest::CSnMsnNotificationRequest()
    : CSnNotificationRequest(kRequestMsn, "MsnNotificationRequest") {}

void CSnMsnNotificationRequest::ExchangeFields() {
    Text("RecipientAddressList", RecipientAddressList);
    Text("Message", Message);
    Text("LogFile", LogFile);
    Text("MsnServer", MsnServer);
    Number("MsnServerPort", MsnServerPort);
    Text("MsnAccount", MsnAccount);
    Text("MsnPassword", MsnPassword);
    Text("MsnDisplayName", MsnDisplayName);
}
