#pragma once
// CSnDistributionGroups: the distribution groups of one notification channel.
//
// This part keeps the groups in memory; loading them from and saving them to the
// configuration database goes through the store.
#include "model/SnDistributionGroup.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

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
