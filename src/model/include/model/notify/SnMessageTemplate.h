#pragma once
// One message template (table MessageTemplates), addressed by its ID.  The templates of
// a new configuration carry the action kinds 1 to 6 as IDs (e-mail, network pop-up, SMS,
// pager, instant messenger, SNMP trap).  The body keeps line breaks as "||" and may hold
// "<% name %>" placeholders that the engine fills.
#include "library/QvcString.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>
#include <memory>

class CSnCfg;
class CSnRecord;

class CSnMessageTemplate {
public:
    std::int32_t Id = 0;
    CQvcString Name;
    std::int32_t NotificationTypeId = 0;
    CQvcString Subject;
    CQvcString Body;

    // Reads the template with the given ID.
    long Read(CSnCfg& store, long id);
    // Inserts or updates the template of Id (which must be 1 or more).
    long Write(CSnCfg& store) const;
    std::shared_ptr<CSnRecord> ToRecord() const;
    void FromRecord(const CSnRecord& record);

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        fn(kPropId, "ID", s.Id);
        fn(sntemplate::kName, "Name", s.Name);
        fn(sntemplate::kNotificationTypeId, "NotificationTypeID", s.NotificationTypeId);
        fn(sntemplate::kSubject, "Subject", s.Subject);
        fn(sntemplate::kBody, "Body", s.Body);
    }
};
