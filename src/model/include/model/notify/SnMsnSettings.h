#pragma once
// Instant-messenger channel settings (table MsnSettings).  The password is held scrambled.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/settings/SnRecordSettings.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

class CSnMsnSettings : public CSnRowSettings<CSnMsnSettings, &snkind::kMsnSettings, &ISnCfg::GetMsnSettings,
                                             &ISnCfg::PutMsnSettings> {
public:
    CQvcString Server;
    std::int32_t Port = 1863;
    CQvcString Account;
    CQvcString Password;
    CQvcString DisplayName = "Sentrelle";
    CQvcString LogFile = "<SNROOT>Logs\\msnlog.txt";

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snmsn;
        fn(snprop::kServer, "Server", s.Server);
        fn(snprop::kPort, "Port", s.Port);
        fn(snprop::kAccount, "Account", s.Account);
        fn(snprop::kPassword, "Password", s.Password);
        fn(snprop::kDisplayName, "DisplayName", s.DisplayName);
        fn(snprop::kLogFile, "LogFile", s.LogFile);
    }
};
