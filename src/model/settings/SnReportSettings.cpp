#include "model/settings/SnReportSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnReportSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kReportSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetReportSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnReportSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutReportSettings(v); });
}

std::shared_ptr<CSnRecord> CSnReportSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kReportSettings);
}

void CSnReportSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
