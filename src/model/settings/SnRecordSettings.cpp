#include "model/settings/SnRecordSettings.h"

#include "model/store/SnCfg.h"

long CSnRecordSettings::Read(CSnCfg& store, const char* kind, const Getter& get,
                             const std::function<void(const CSnRecord&)>& apply) {
    CQvcVariant value;
    long code = store.Run([&](ISnCfg& c) { get(c, value); });
    if (code)
        return code;
    std::shared_ptr<CSnRecord> record = value.AsRecord();
    if (!record || !(record->Kind() == kind))
        return 25001;
    apply(*record);
    return 0;
}

long CSnRecordSettings::Write(CSnCfg& store, const std::shared_ptr<CSnRecord>& record, const Putter& put) {
    const CQvcVariant value = CQvcVariant::FromRecord(record);
    return store.WriteSettings([&](ISnCfg& c) { put(c, value); });
}
