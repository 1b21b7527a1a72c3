#pragma once
// CSnRecipient: one entry of a recipient list, either a reference to a distribution group
// (by ID) or a single address.
#include "library/QvcString.h"

#include <cstdint>

class CSnRecipient {
public:
    CSnRecipient() = default;
    virtual ~CSnRecipient() = default;

    static CSnRecipient Group(std::int32_t id);
    static CSnRecipient Address(const CQvcString& address);

    bool IsGroup() const { return m_isGroup; }
    std::int32_t GroupId() const { return m_groupId; }
    const CQvcString& AddressText() const { return m_address; }

    // "~" + the ID for a group, else the address.
    CQvcString ToText() const;

    // Flag, group ID and address all equal (the address compared exactly).
    bool IsEqual(const CSnRecipient& other) const;
    bool operator==(const CSnRecipient& other) const { return IsEqual(other); }

private:
    bool m_isGroup = false;
    std::int32_t m_groupId = 0;
    CQvcString m_address;
};
