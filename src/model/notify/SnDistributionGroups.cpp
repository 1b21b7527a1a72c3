#include "model/notify/SnDistributionGroups.h"

#include "model/store/SnCfg.h"
#include "model/settings/SnRecordSettings.h"
#include "platform/System.h"

#include <algorithm>

namespace {

// The group enumeration ends with "no records"; it is no failure.
constexpr long kNoRecords = 25123;

} // namespace

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

long CSnDistributionGroups::Load(CSnCfg& store, std::int32_t excludeId) {
    CQvcString where;
    where.Format("%s=%d", "NotificationTypeID", static_cast<int>(m_channel));
    if (excludeId != 0) {
        CQvcString other;
        other.Format("%s<>%ld", "ID", static_cast<long>(excludeId));
        where += " AND ";
        where += other;
    }
    std::vector<std::unique_ptr<CSnDistributionGroup>> groups;
    std::int32_t defaultId = 0;
    long code = store.Run([&](ISnCfg& c) {
        CQvcVariant value;
        c.GetFirstDistributionGroup(where, value);
        long step = 0;
        c.GetLastError(step);
        while (step == 0) {
            if (std::shared_ptr<CSnRecord> record = value.AsRecord()) {
                auto group = std::make_unique<CSnDistributionGroup>();
                if (group->FromRecord(*record))
                    defaultId = group->Id();
                groups.push_back(std::move(group));
            }
            c.GetNextDistributionGroup(value);
            c.GetLastError(step);
        }
    });
    if (code == kNoRecords)
        code = 0;
    if (code == 0) {
        m_groups = std::move(groups);
        m_defaultId = defaultId;
    }
    return code;
}

long CSnDistributionGroups::Save(CSnCfg& store, const CSnDistributionGroup& group) const {
    return CSnRecordSettings::Write(store, group.ToRecord(m_defaultId != 0 && group.Id() == m_defaultId),
                                    [](ISnCfg& c, const CQvcVariant& v) { c.SaveDistributionGroup(v); });
}

long CSnDistributionGroups::SaveAll(CSnCfg& store) const {
    for (const auto& group : m_groups) {
        if (long code = Save(store, *group))
            return code;
    }
    return 0;
}

long CSnDistributionGroups::Create(CSnCfg& store, const CQvcString& name, CSnDistributionGroup*& out) {
    out = nullptr;
    CSnDistributionGroup* group = Create(name);
    if (long code = Save(store, *group)) {
        m_groups.pop_back();
        return code;
    }
    out = group;
    return 0;
}

long CSnDistributionGroups::Delete(CSnCfg& store, std::int32_t id) {
    const CSnDistributionGroup* group = Find(id);
    if (group == nullptr)
        return kDeleteNotFound;
    if (group->IsBuiltIn())
        return kDeleteBuiltIn;
    CQvcString where;
    where.Format("%s=%ld", "ID", static_cast<long>(id));
    if (long code = store.WriteSettings([&](ISnCfg& c) { c.DeleteDistributionGroups(where); }))
        return code;
    if (m_defaultId == id)
        m_defaultId = 0;
    return Delete(id);
}

long CSnDistributionGroups::SetDefault(CSnCfg& store, std::int32_t id) {
    const CSnDistributionGroup* group = Find(id);
    if (group == nullptr)
        return kDeleteNotFound;
    const std::int32_t previous = m_defaultId;
    m_defaultId = id;
    if (long code = Save(store, *group)) {
        m_defaultId = previous;
        return code;
    }
    // The new default is stored first: should unflagging the old one fail, the channel
    // still has a default (a load takes the last flagged group in ID order).
    const CSnDistributionGroup* old = previous != id ? Find(previous) : nullptr;
    return old != nullptr ? Save(store, *old) : 0;
}
