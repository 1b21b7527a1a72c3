#include "model/notify/SnSmsNotificationRequest.h"

CSnSmsNotificationRequest::CSnSmsNotificationRequest()
    : CSnNotificationRequest(kRequestSms, "SmsNotificationRequest") {}

void CSnSmsNotificationRequest::ExchangeFields() {
    Text("RecipientAddressList", RecipientAddressList);
    Text("Message", Message);
    Text("LogFile", LogFile);
    Number("SmsProtocol", SmsProtocol);
    Number("GsmHasPinCode", GsmHasPinCode);
    Text("GsmPinCode", GsmPinCode);
    Text("GsmDevice", GsmDevice);
    Number("GsmDeviceSpeed", GsmDeviceSpeed);
    Number("GsmDeviceFlowControl", GsmDeviceFlowControl);
    Text("GsmInitString", GsmInitString);
    Text("HttpProviderUrl", HttpProviderUrl);
    Text("HttpProviderSuccessResponse", HttpProviderSuccessResponse);
    Text("HttpSender", HttpSender);
    Text("HttpAdvWebAccount", HttpAdvWebAccount);
    Secret("HttpAdvWebEPassword", HttpAdvWebPassword);
    Text("HttpAdvProxyServer", HttpAdvProxyServer);
    Text("HttpAdvProxyAccount", HttpAdvProxyAccount);
    Secret("HttpAdvProxyEPassword", HttpAdvProxyPassword);
    Number("SmsServerChannel", SmsServerChannel);
}
