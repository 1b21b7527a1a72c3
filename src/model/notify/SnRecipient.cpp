#include "model/notify/SnRecipient.h"

CSnRecipient CSnRecipient::Group(std::int32_t id) {
    CSnRecipient r;
    r.m_isGroup = true;
    r.m_groupId = id;
    return r;
}

CSnRecipient CSnRecipient::Address(const CQvcString& address) {
    CSnRecipient r;
    r.m_address = address;
    return r;
}

CQvcString CSnRecipient::ToText() const {
    if (!m_isGroup)
        return m_address;
    CQvcString text;
    text.Format("~%ld", static_cast<long>(m_groupId));
    return text;
}

bool CSnRecipient::IsEqual(const CSnRecipient& other) const {
    return m_isGroup == other.m_isGroup && m_groupId == other.m_groupId && m_address == other.m_address;
}
