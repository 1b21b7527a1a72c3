#include "model/settings/SnMetaSettings.h"

#include "model/store/SnCfg.h"
#include "model/settings/SnRecordSettings.h"

long CSnMetaSettings::Read(CSnCfg& store) {
    return CSnRecordSettings::Read(
        store, snkind::kMetaSettings, [](ISnCfg& c, CQvcVariant& v) { c.GetMetaSettings(v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnMetaSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(), [](ISnCfg& c, const CQvcVariant& v) { c.PutMetaSettings(v); });
}

long CSnMetaSettings::WriteQuietly(CSnCfg& store) const {
    const CQvcVariant value = CQvcVariant::FromRecord(ToRecord());
    return store.Run([&](ISnCfg& c) { c.PutMetaSettings(value); });
}

std::shared_ptr<CSnRecord> CSnMetaSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kMetaSettings);
}

void CSnMetaSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
