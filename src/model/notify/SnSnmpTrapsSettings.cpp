#include "model/notify/SnSnmpTrapsSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnSnmpTrapsSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kSnmpTrapsSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetSnmpTrapsSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnSnmpTrapsSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutSnmpTrapsSettings(v); });
}

std::shared_ptr<CSnRecord> CSnSnmpTrapsSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kSnmpTrapsSettings);
}

void CSnSnmpTrapsSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
