#include "model/SnDistributionGroup.h"

#include "TextFields.h"

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
