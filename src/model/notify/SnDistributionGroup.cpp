#include "model/notify/SnDistributionGroup.h"

#include "model/store/QvcVariant.h"
#include "model/store/SnRecordProperties.h"
#include "model/settings/SnRecordSettings.h"

#include "../settings/TextFields.h"

CSnDistributionGroup::CSnDistributionGroup(std::int32_t id, std::int32_t channel, const CQvcString& name,
                                           const CQvcString& members)
    : m_id(id), m_channel(channel), m_name(name), m_members(members) {}

bool CSnDistributionGroup::IsValidName(const CQvcString& name) {
    if (name.IsEmpty() || name.Length() > kMaxNameLength)
        return false;
    return name.Str().find_first_of("~\\/%;,|") == std::string::npos;
}

void CSnDistributionGroup::SetMembers(const CQvcString& members) {
    m_members = members;
    m_cursor = 0;
}

int CSnDistributionGroup::MemberCount() const { return m_members.CountTokens(";"); }

bool CSnDistributionGroup::IsMember(const CQvcString& address) const {
    CQvcString wanted = address;
    wanted.MakeUpper();
    for (CQvcString member : LeadingFields(m_members, ';', false)) {
        if (member.MakeUpper() == wanted)
            return true;
    }
    return false;
}

int CSnDistributionGroup::AddMember(const CQvcString& address) {
    if (IsMember(address))
        return -1;
    if (!m_members.IsEmpty())
        m_members += ";";
    m_members += address;
    return 0;
}

void CSnDistributionGroup::ClearMembers() { SetMembers(CQvcString()); }

bool CSnDistributionGroup::FirstMember(CQvcString& out) {
    m_cursor = 0;
    return NextMember(out);
}

bool CSnDistributionGroup::NextMember(CQvcString& out) {
    const bool found = m_members.GetToken(";", "", out, m_cursor);
    if (found)
        ++m_cursor;
    return found;
}

std::shared_ptr<CSnRecord> CSnDistributionGroup::ToRecord(bool isDefault) const {
    auto record = std::make_shared<CSnRecord>(snkind::kDistributionGroup);
    CSnRecordSettings::Put(*record, kPropId, m_id);
    CSnRecordSettings::Put(*record, sngroup::kNotificationTypeId, m_channel);
    CSnRecordSettings::Put(*record, sngroup::kName, m_name);
    CSnRecordSettings::Put(*record, sngroup::kMembers, m_members);
    CSnRecordSettings::Put(*record, sngroup::kIsDefault, isDefault);
    return record;
}

bool CSnDistributionGroup::FromRecord(const CSnRecord& record) {
    bool isDefault = false;
    CSnRecordSettings::Take(record, kPropId, m_id);
    CSnRecordSettings::Take(record, sngroup::kNotificationTypeId, m_channel);
    CSnRecordSettings::Take(record, sngroup::kName, m_name);
    CSnRecordSettings::Take(record, sngroup::kMembers, m_members);
    CSnRecordSettings::Take(record, sngroup::kIsDefault, isDefault);
    m_cursor = 0;
    return isDefault;
}
