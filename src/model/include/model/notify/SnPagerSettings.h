#pragma once
// Pager channel settings (table PagerSettings): SNPP over the network or DTMF tones through a
// modem.  The SNPP password is held scrambled.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/settings/SnRecordSettings.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

class CSnPagerSettings : public CSnRowSettings<CSnPagerSettings, &snkind::kPagerSettings,
                                               &ISnCfg::GetPagerSettings, &ISnCfg::PutPagerSettings> {
public:
    std::int32_t Protocol = 0;
    CQvcString SnppServer;
    std::int32_t SnppPort = 444;
    CQvcString SnppPassword;
    std::int32_t SnppTimeOut = 30;
    CQvcString DtmfDevice;
    std::int32_t DtmfDeviceSpeed = 9600;
    std::int32_t DtmfDeviceFlowControl = 0;
    CQvcString DtmfDeviceInitString = "ATZ";
    bool DtmfDialPulse = false;
    std::int32_t DtmfRedials = 3;
    CQvcString LogFile = "<SNROOT>Logs\\pagersnpp.txt";

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snpager;
        fn(snprop::kProtocol, "Protocol", s.Protocol);
        fn(snprop::kSnppServer, "SnppServer", s.SnppServer);
        fn(snprop::kSnppPort, "SnppPort", s.SnppPort);
        fn(snprop::kSnppPassword, "SnppPassword", s.SnppPassword);
        fn(snprop::kSnppTimeOut, "SnppTimeOut", s.SnppTimeOut);
        fn(snprop::kDtmfDevice, "DtmfDevice", s.DtmfDevice);
        fn(snprop::kDtmfDeviceSpeed, "DtmfDeviceSpeed", s.DtmfDeviceSpeed);
        fn(snprop::kDtmfDeviceFlowControl, "DtmfDeviceFlowControl", s.DtmfDeviceFlowControl);
        fn(snprop::kDtmfDeviceInitString, "DtmfDeviceInitString", s.DtmfDeviceInitString);
        fn(snprop::kDtmfDialPulse, "DtmfDialPulse", s.DtmfDialPulse);
        fn(snprop::kDtmfRedials, "DtmfRedials", s.DtmfRedials);
        fn(snprop::kLogFile, "LogFile", s.LogFile);
    }
};
