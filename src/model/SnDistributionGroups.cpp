#include "model/SnDistributionGroups.h"

#include "platform/System.h"

#include <algorithm>

CSnDistributionGroups::CSnDistributionGroups(std::int32_t channel, Clock clock)
    : m_channel(channel), m_clock(clock ? std::move(clock) : Clock([] { return platform::SecondsSince1970(); })) {}

CSnDistributionGroup* CSnDistributionGroups::Find(std::int32_t id) const {
    for (const auto& group : m_groups) {
        if (group->Id() == id)
            return group.get();
    }
    return nullptr;
}

CSnDistributionGroup* CSnDistributionGroups::FindByName(const CQvcString& name) const {
    CQvcString wanted = name;
    wanted.Trim();
    for (const auto& group : m_groups) {
        CQvcString candidate = group->Name();
        if (candidate.Trim() == wanted)
            return group.get();
    }
    return nullptr;
}

std::int32_t CSnDistributionGroups::NewId() const {
    auto id = static_cast<std::int32_t>(m_clock() % 100000);
    if (id < CSnDistributionGroup::kFirstUserId)
        id = CSnDistributionGroup::kFirstUserId;
    while (Find(id) != nullptr)
        ++id;
    return id;
}

CSnDistributionGroup* CSnDistributionGroups::Create(const CQvcString& name) {
    m_groups.push_back(std::make_unique<CSnDistributionGroup>(NewId(), m_channel, name));
    return m_groups.back().get();
}

CSnDistributionGroup* CSnDistributionGroups::Add(std::int32_t id, const CQvcString& name,
                                                 const CQvcString& members) {
    if (Find(id) != nullptr)
        return nullptr;
    m_groups.push_back(std::make_unique<CSnDistributionGroup>(id, m_channel, name, members));
    return m_groups.back().get();
}

int CSnDistributionGroups::Delete(std::int32_t id) {
    auto it = std::find_if(m_groups.begin(), m_groups.end(), [id](const auto& g) { return g->Id() == id; });
    if (it == m_groups.end())
        return kDeleteNotFound;
    if ((*it)->IsBuiltIn())
        return kDeleteBuiltIn;
    m_groups.erase(it);
    return 0;
}

void CSnDistributionGroups::Clear() { m_groups.clear(); }

bool CSnDistributionGroups::AnyWithMembers() const {
    return std::any_of(m_groups.begin(), m_groups.end(), [](const auto& g) { return g->MemberCount() > 0; });
}

CQvcString CSnDistributionGroups::DisplayName(const CSnDistributionGroup& group) const {
    if (m_defaultId != 0 && group.Id() == m_defaultId)
        return group.Name() + " (default)";
    return group.Name();
}
