#include "model/SnDistributionGroupRecord.h"

#include "model/SnCfg.h"
#include "model/SnRecordSettings.h"

namespace {
constexpr long kNoRecords = 25123;
}

long CSnDistributionGroupRecord::Read(CSnCfg& store, long id) {
    return CSnRecordSettings::Read(
        store, snkind::kDistributionGroup, [id](ISnCfg& c, CQvcVariant& v) { c.GetDistributionGroup(id, v); },
        [this](const CSnRecord& r) { FromRecord(r); });
}

long CSnDistributionGroupRecord::Save(CSnCfg& store) {
    std::shared_ptr<CSnRecord> record = ToRecord();
    if (Id < 1)
        record->Remove(kPropId);
    long code = CSnRecordSettings::Write(store, record,
                                         [](ISnCfg& c, const CQvcVariant& v) { c.SaveDistributionGroup(v); });
    if (code == 0)
        Id = static_cast<std::int32_t>(record->GetLong(kPropId));
    return code;
}

long CSnDistributionGroupRecord::LoadChannel(CSnCfg& store, long channel,
                                             std::vector<CSnDistributionGroupRecord>& out, long excludeId) {
    out.clear();
    CQvcString where;
    where.Format("%s=%ld", "NotificationTypeID", channel);
    if (excludeId != 0) {
        CQvcString other;
        other.Format("%s<>%ld", "ID", excludeId);
        where += " AND ";
        where += other;
    }
    std::vector<CSnDistributionGroupRecord> groups;
    long code = store.Run([&](ISnCfg& c) {
        CQvcVariant v;
        c.GetFirstDistributionGroup(where, v);
        long step = 0;
        c.GetLastError(step);
        while (step == 0) {
            if (auto r = v.AsRecord()) {
                CSnDistributionGroupRecord g;
                g.FromRecord(*r);
                groups.push_back(std::move(g));
            }
            c.GetNextDistributionGroup(v);
            c.GetLastError(step);
        }
    });
    // The enumeration ends with "no records"; any other code is a failure.
    if (code == kNoRecords)
        code = 0;
    if (code == 0)
        out = std::move(groups);
    return code;
}

long CSnDistributionGroupRecord::Delete(CSnCfg& store, long id) {
    CQvcString where;
    where.Format("%s=%ld", "ID", id);
    return store.WriteSettings([&](ISnCfg& c) { c.DeleteDistributionGroups(where); });
}

std::shared_ptr<CSnRecord> CSnDistributionGroupRecord::ToRecord() const {
    return CSnRecordSettings::ToRecord(*this, snkind::kDistributionGroup);
}

void CSnDistributionGroupRecord::FromRecord(const CSnRecord& record) { CSnRecordSettings::FromRecord(*this, record); }
