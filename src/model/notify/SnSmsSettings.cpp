#include "model/notify/SnSmsSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnSmsSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kSmsSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetSmsSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnSmsSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutSmsSettings(v); });
}

std::shared_ptr<CSnRecord> CSnSmsSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kSmsSettings);
}

void CSnSmsSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
