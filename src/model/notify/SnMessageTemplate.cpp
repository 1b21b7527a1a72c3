#include "model/notify/SnMessageTemplate.h"

#include "model/settings/SnRecordSettings.h"

long CSnMessageTemplate::Read(CSnCfg& store, long id) {
    return CSnRecordSettings::Read(
        store, snkind::kMessageTemplate, [id](ISnCfg& c, CQvcVariant& v) { c.GetMessageTemplate(id, v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnMessageTemplate::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutMessageTemplate(v); });
}

std::shared_ptr<CSnRecord> CSnMessageTemplate::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kMessageTemplate);
}

void CSnMessageTemplate::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
