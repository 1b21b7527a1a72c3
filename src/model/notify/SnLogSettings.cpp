#include "model/notify/SnLogSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnLogSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kLogSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetLogSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnLogSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutLogSettings(v); });
}

std::shared_ptr<CSnRecord> CSnLogSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kLogSettings);
}

void CSnLogSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
