#include "model/notify/SnPagerNotificationRequest.h"

CSnPagerNotificationRequest::CSnPagerNotificationRequest()
    : CSnNotificationRequest(kRequestPager, "PagerNotificationRequest") {}

void CSnPagerNotificationRequest::ExchangeFields() {
    Text("RecipientAddressList", RecipientAddressList);
    Text("LogFile", LogFile);
    Number("PagerProtocol", PagerProtocol);
    Text("SnppServer", SnppServer);
    Number("SnppPort", SnppPort);
    Text("SnppPassword", SnppPassword);
    Number("SnppTimeOut", SnppTimeOut);
    Text("Message", Message);
    Text("DtmfDevice", DtmfDevice);
    Number("DtmfDeviceSpeed", DtmfDeviceSpeed);
    Number("DtmfDeviceFlowControl", DtmfDeviceFlowControl);
    Text("DtmfDeviceInitString", DtmfDeviceInitString);
    Number("DtmfDialPulse", DtmfDialPulse);
    Number("DtmfRedialsLeft", DtmfRedialsLeft);
}
