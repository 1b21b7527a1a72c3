#include "model/settings/SnMaintenanceSettings.h"

#include "model/store/SnCfg.h"

long CSnMaintenanceSettings::Read(CSnCfg& store) {
    CQvcString text;
    long code = store.Run([&](ISnCfg& c) { c.get_MaintenanceSettings(text); });
    if (code == 0)
        Schedule.SetText(text);
    return code;
}

long CSnMaintenanceSettings::Write(CSnCfg& store) const {
    const CQvcString text = Schedule.Text();
    return store.WriteSettings([&](ISnCfg& c) { c.put_MaintenanceSettings(text); });
}
