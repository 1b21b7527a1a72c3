#pragma once
// The global maintenance schedule (table MaintenanceSettings): one schedule text.
#include "model/schedule/SnCfgScheduleList.h"

class CSnCfg;

class CSnMaintenanceSettings {
public:
    CSnCfgScheduleList Schedule;

    long Read(CSnCfg& store);
    long Write(CSnCfg& store) const;
};
