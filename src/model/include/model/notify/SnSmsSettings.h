#pragma once
// SMS channel settings (table SmsSettings): a GSM device, an HTTP provider or the messaging
// server.  Passwords and the PIN are held scrambled.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/settings/SnRecordSettings.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

class CSnSmsSettings : public CSnRowSettings<CSnSmsSettings, &snkind::kSmsSettings, &ISnCfg::GetSmsSettings,
                                             &ISnCfg::PutSmsSettings> {
public:
    std::int32_t Protocol = 0;
    bool GsmHasPinCode = false;
    CQvcString GsmPinCode;
    CQvcString GsmDevice;
    std::int32_t GsmDeviceSpeed = 9600;
    std::int32_t GsmDeviceFlowControl = 0;
    CQvcString GsmInitString;
    CQvcString HttpProviderUrl;
    CQvcString HttpSuccessResponse;
    CQvcString HttpSender;
    CQvcString HttpWebAccount;
    CQvcString HttpWebPassword;
    CQvcString HttpProxyServer;
    CQvcString HttpProxyAccount;
    CQvcString HttpProxyPassword;
    std::int32_t ServerChannel = 0;
    CQvcString LogFile = "<SNROOT>Logs\\smslog.txt";

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snsms;
        fn(snprop::kProtocol, "Protocol", s.Protocol);
        fn(snprop::kGsmHasPinCode, "GsmHasPinCode", s.GsmHasPinCode);
        fn(snprop::kGsmPinCode, "GsmPinCode", s.GsmPinCode);
        fn(snprop::kGsmDevice, "GsmDevice", s.GsmDevice);
        fn(snprop::kGsmDeviceSpeed, "GsmDeviceSpeed", s.GsmDeviceSpeed);
        fn(snprop::kGsmDeviceFlowControl, "GsmDeviceFlowControl", s.GsmDeviceFlowControl);
        fn(snprop::kGsmInitString, "GsmInitString", s.GsmInitString);
        fn(snprop::kHttpProviderUrl, "HttpProviderUrl", s.HttpProviderUrl);
        fn(snprop::kHttpSuccessResponse, "HttpSuccessResponse", s.HttpSuccessResponse);
        fn(snprop::kHttpSender, "HttpSender", s.HttpSender);
        fn(snprop::kHttpWebAccount, "HttpWebAccount", s.HttpWebAccount);
        fn(snprop::kHttpWebPassword, "HttpWebPassword", s.HttpWebPassword);
        fn(snprop::kHttpProxyServer, "HttpProxyServer", s.HttpProxyServer);
        fn(snprop::kHttpProxyAccount, "HttpProxyAccount", s.HttpProxyAccount);
        fn(snprop::kHttpProxyPassword, "HttpProxyPassword", s.HttpProxyPassword);
        fn(snprop::kServerChannel, "ServerChannel", s.ServerChannel);
        fn(snprop::kLogFile, "LogFile", s.LogFile);
    }
};
