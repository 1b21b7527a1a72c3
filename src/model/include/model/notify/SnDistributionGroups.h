#pragma once
// CSnDistributionGroups: the distribution groups of one notification channel (the address
// book of e-mail 1, network pop-up 2, SMS 3, pager 4 or instant messenger 6).
//
// The list lives in memory; Load, Save, Create, Delete and SetDefault with a store read
// and write the configuration database through it (table DistributionGroups, see
// CSnDistributionGroup for the stored form).  Each store operation returns 0 or the
// store's code (25120 to 25125, see ErrorText); the in-memory operations without a store
// stay for dialogs that edit first and save later.
#include "model/notify/SnDistributionGroup.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CSnCfg;

class CSnDistributionGroups {
public:
    // Seconds since 1970; replaced by tests that create groups within one second.
    using Clock = std::function<std::int64_t()>;

    static constexpr int kDeleteNotFound = -1;
    static constexpr int kDeleteBuiltIn = -2;

    explicit CSnDistributionGroups(std::int32_t channel = 0, Clock clock = Clock());
    virtual ~CSnDistributionGroups() = default;
    CSnDistributionGroups(const CSnDistributionGroups&) = delete;
    CSnDistributionGroups& operator=(const CSnDistributionGroups&) = delete;

    std::int32_t Channel() const { return m_channel; }
    void SetChannel(std::int32_t channel) { m_channel = channel; }

    CSnDistributionGroup* Find(std::int32_t id) const;
    // Trimmed names compared exactly.
    CSnDistributionGroup* FindByName(const CQvcString& name) const;
    // A new empty group of this channel with a new ID: the current time in seconds modulo
    // 100000, plus 1 while a group with that ID exists.  IDs below 10 belong to the
    // built-in groups, so a smaller result starts at 10 instead.
    CSnDistributionGroup* Create(const CQvcString& name);
    // Adds a group with the given ID; nothing (nullptr) when the ID exists.
    CSnDistributionGroup* Add(std::int32_t id, const CQvcString& name, const CQvcString& members);
    // 0; kDeleteNotFound; kDeleteBuiltIn for a group with an ID below 10.
    int Delete(std::int32_t id);
    void Clear();
    // True when at least one group has a member.
    bool AnyWithMembers() const;

    int Count() const { return static_cast<int>(m_groups.size()); }
    CSnDistributionGroup* At(std::size_t index) const { return m_groups[index].get(); }

    // --- through the store ----------------------------------------------------------------
    // Replaces the list by the channel's stored groups in ID order, selected with
    // "NotificationTypeID=<channel>" and, when `excludeId` is not 0, " AND ID<><excludeId>"
    // (so that a dialog can list the others of one group).  The group stored as the
    // default becomes DefaultId (0 when none is; the last one when several are).  On failure the list is left as it was.
    long Load(CSnCfg& store, std::int32_t excludeId = 0);
    // Stores the group (inserted, or updated when its ID exists), flagged default when it
    // is DefaultId.
    long Save(CSnCfg& store, const CSnDistributionGroup& group) const;
    // Every group of the list, in list order; stops at the first failure.
    long SaveAll(CSnCfg& store) const;
    // Create(name), then Save; when the save fails the group is removed again and `out`
    // stays null.
    long Create(CSnCfg& store, const CQvcString& name, CSnDistributionGroup*& out);
    // Deletes the stored group and removes it from the list: kDeleteBuiltIn for a group
    // with an ID below 10 and kDeleteNotFound for one not in the list, both without
    // touching the store; else 0 or the store's code (the list keeps the group then).
    long Delete(CSnCfg& store, std::int32_t id);
    // Makes the group the channel's default: it is stored flagged, then the previous
    // default unflagged.  kDeleteNotFound for a group not in the list; when the first
    // save fails the default stays as it was.
    long SetDefault(CSnCfg& store, std::int32_t id);

    // The channel's default group (0 when none is set).
    std::int32_t DefaultId() const { return m_defaultId; }
    void SetDefaultId(std::int32_t id) { m_defaultId = id; }
    // The name as the address book lists it: the default group with " (default)".
    CQvcString DisplayName(const CSnDistributionGroup& group) const;

private:
    std::int32_t NewId() const;

    std::int32_t m_channel;
    Clock m_clock;
    std::int32_t m_defaultId = 0;
    std::vector<std::unique_ptr<CSnDistributionGroup>> m_groups;
};
