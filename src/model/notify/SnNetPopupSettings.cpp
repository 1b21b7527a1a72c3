#include "model/notify/SnNetPopupSettings.h"

#include "model/store/SnCfg.h"

long CSnNetPopupSettings::Read(CSnCfg& store) {
    bool enabled = Enabled;
    long code = store.Run([&](ISnCfg& c) { c.GetNetPopupSettings(enabled); });
    if (code == 0)
        Enabled = enabled;
    return code;
}

long CSnNetPopupSettings::Write(CSnCfg& store) const {
    return store.WriteSettings([&](ISnCfg& c) { c.PutNetPopupSettings(Enabled); });
}
