#include "model/notify/SnSmtpSettings.h"

#include "model/settings/SnRecordSettings.h"

long CSnSmtpSettings::Read(CSnCfg& store) {
    // The settings are read with index -1 and then with index 0; the second answer wins.
    long code = 0;
    for (long index : {-1L, 0L}) {
        code = CSnRecordSettings::Read(
            store, snkind::kSmtpSettings, [index](ISnCfg& c, CQvcVariant& v) { c.GetSmtpSettings(index, v); },
            [this](const CSnRecord& r) { FromRecord(r); });
    }
    return code;
}

long CSnSmtpSettings::Write(CSnCfg& store) const {
    return CSnRecordSettings::Write(store, ToRecord(),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.PutSmtpSettings(v); });
}

std::shared_ptr<CSnRecord> CSnSmtpSettings::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kSmtpSettings);
}

void CSnSmtpSettings::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
