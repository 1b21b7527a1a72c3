#include "model/notify/SnPagerSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnPagerSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kPagerSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetPagerSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnPagerSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutPagerSettings(v); });
}

std::shared_ptr<CSnRecord> CSnPagerSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kPagerSettings);
}

void CSnPagerSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
