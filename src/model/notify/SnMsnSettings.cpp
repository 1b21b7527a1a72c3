#include "model/notify/SnMsnSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnMsnSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kMsnSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetMsnSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnMsnSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutMsnSettings(v); });
}

std::shared_ptr<CSnRecord> CSnMsnSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kMsnSettings);
}

void CSnMsnSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
