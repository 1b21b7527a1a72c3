#pragma once
// CSnDistributionGroup: a named list of addresses of one notification channel.  Groups
// with IDs below 10 are built into every configuration and cannot be deleted.
//
// Stored form (table DistributionGroups, one record per group): property 1 the ID, then
// NotificationTypeID (the channel), Name, Members and IsDefault (whether the group is its
// channel's default group).  CSnDistributionGroups reads and writes the records.
#include "library/QvcString.h"

#include <cstdint>
#include <memory>

class CSnRecord;

class CSnDistributionGroup {
public:
    static constexpr std::int32_t kFirstUserId = 10;
    static constexpr std::size_t kMaxNameLength = 48;

    CSnDistributionGroup() = default;
    CSnDistributionGroup(std::int32_t id, std::int32_t channel, const CQvcString& name,
                         const CQvcString& members = CQvcString());
    virtual ~CSnDistributionGroup() = default;

    // 1 to 48 characters, none of "~", "\", "/", "%", ";", "," and "|".
    static bool IsValidName(const CQvcString& name);

    std::int32_t Id() const { return m_id; }
    void SetId(std::int32_t id) { m_id = id; }
    // The channel code (SnNotificationType).
    std::int32_t Channel() const { return m_channel; }
    void SetChannel(std::int32_t channel) { m_channel = channel; }
    const CQvcString& Name() const { return m_name; }
    void SetName(const CQvcString& name) { m_name = name; }
    bool IsBuiltIn() const { return m_id < kFirstUserId; }

    // The member addresses joined by ";".
    const CQvcString& Members() const { return m_members; }
    void SetMembers(const CQvcString& members);
    // The ";"-separated members before the first empty one.
    int MemberCount() const;
    // The address equals a member when both are upper-cased.
    bool IsMember(const CQvcString& address) const;
    // -1 when already a member, else appends it (";" first unless the list is empty): 0.
    int AddMember(const CQvcString& address);
    void ClearMembers();
    // The member cursor: false at the end.
    bool FirstMember(CQvcString& out);
    bool NextMember(CQvcString& out);

    // The stored record of the group, flagged as its channel's default or not.
    std::shared_ptr<CSnRecord> ToRecord(bool isDefault) const;
    // Takes the fields a stored record holds (absent ones stay); returns its default flag.
    bool FromRecord(const CSnRecord& record);

private:
    std::int32_t m_id = 0;
    std::int32_t m_channel = 0;
    CQvcString m_name;
    CQvcString m_members;
    int m_cursor = 0;
};
