#pragma once
// One stored distribution group (table DistributionGroups): the channel it belongs to
// (NotificationTypeID: 1 e-mail, 2 network pop-up, 3 SMS, 4 pager, 6 instant messenger),
// its name, its members joined by ";" and whether it is the channel's default group.
// Groups with IDs below 10 are built in.  This is the stored form; the address-book
// logic builds on it.
#include "library/QvcString.h"
#include "model/SnRecordProperties.h"

#include <cstdint>
#include <memory>
#include <vector>

class CSnCfg;
class CSnRecord;

class CSnDistributionGroupRecord {
public:
    static constexpr long kFirstUserGroupId = 10;

    std::int32_t Id = 0;
    std::int32_t NotificationTypeId = 0;
    CQvcString Name;
    CQvcString Members;
    bool IsDefault = false;

    bool IsBuiltIn() const { return Id > 0 && Id < kFirstUserGroupId; }

    long Read(CSnCfg& store, long id);
    // Inserts the group, or updates it when its ID exists.  A group with Id 0 gets the next
    // free ID (10 or above), which is stored back into Id.
    long Save(CSnCfg& store);
    // Every group of a channel in ID order, leaving out `excludeId` when it is not 0.  A
    // channel without groups gives an empty list and 0.
    static long LoadChannel(CSnCfg& store, long channel, std::vector<CSnDistributionGroupRecord>& out,
                            long excludeId = 0);
    static long Delete(CSnCfg& store, long id);

    std::shared_ptr<CSnRecord> ToRecord() const;
    void FromRecord(const CSnRecord& record);

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        fn(kPropId, s.Id);
        fn(sngroup::kNotificationTypeId, s.NotificationTypeId);
        fn(sngroup::kName, s.Name);
        fn(sngroup::kMembers, s.Members);
        fn(sngroup::kIsDefault, s.IsDefault);
    }
};
