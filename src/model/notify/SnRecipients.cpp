#include "model/notify/SnRecipients.h"

#include "model/notify/SnDistributionGroups.h"

#include "../settings/TextFields.h"

#include <algorithm>
#include <cstdlib>

int CSnRecipients::Parse(const CQvcString& text) {
    Clear();
    for (const CQvcString& field : LeadingFields(text, ';', true)) {
        if (field[0] == '~')
            AddGroup(static_cast<std::int32_t>(std::atol(field.c_str() + 1)));
        else
            AddAddress(field);
    }
    return Count();
}

CQvcString CSnRecipients::ToText() const {
    return JoinFields(m_entries, ";", [](const CSnRecipient& r) { return r.ToText(); });
}

std::vector<CQvcString> CSnRecipients::Resolve(const CSnDistributionGroups& groups) const {
    std::vector<CQvcString> out;
    const auto add = [&out](CQvcString address) {
        address.Trim();
        const bool known = std::any_of(out.begin(), out.end(),
                                       [&](const CQvcString& a) { return a.EqualsNoCase(address.Str()); });
        if (!address.IsEmpty() && !known)
            out.push_back(std::move(address));
    };
    for (const CSnRecipient& entry : m_entries) {
        if (!entry.IsGroup()) {
            add(entry.AddressText());
        } else if (const CSnDistributionGroup* group = groups.Find(entry.GroupId())) {
            for (const CQvcString& member : LeadingFields(group->Members(), ';', true))
                add(member);
        }
    }
    return out;
}

std::vector<CSnRecipient>::const_iterator CSnRecipients::FindGroupIt(std::int32_t id) const {
    return std::find_if(m_entries.begin(), m_entries.end(),
                        [id](const CSnRecipient& r) { return r.IsGroup() && r.GroupId() == id; });
}

std::vector<CSnRecipient>::const_iterator CSnRecipients::FindAddressIt(const CQvcString& address) const {
    return std::find_if(m_entries.begin(), m_entries.end(), [&address](const CSnRecipient& r) {
        return !r.IsGroup() && r.AddressText().EqualsNoCase(address.Str());
    });
}

const CSnRecipient* CSnRecipients::FindGroup(std::int32_t id) const {
    auto it = FindGroupIt(id);
    return it == m_entries.end() ? nullptr : &*it;
}

const CSnRecipient* CSnRecipients::FindAddress(const CQvcString& address) const {
    auto it = FindAddressIt(address);
    return it == m_entries.end() ? nullptr : &*it;
}

const CSnRecipient& CSnRecipients::AddGroup(std::int32_t id) {
    if (const CSnRecipient* existing = FindGroup(id))
        return *existing;
    m_entries.push_back(CSnRecipient::Group(id));
    return m_entries.back();
}

const CSnRecipient& CSnRecipients::AddAddress(const CQvcString& address) {
    if (const CSnRecipient* existing = FindAddress(address))
        return *existing;
    m_entries.push_back(CSnRecipient::Address(address));
    return m_entries.back();
}

int CSnRecipients::RemoveGroup(std::int32_t id) {
    auto it = FindGroupIt(id);
    if (it == m_entries.end())
        return -1;
    m_entries.erase(it);
    return 0;
}

int CSnRecipients::RemoveAddress(const CQvcString& address) {
    auto it = FindAddressIt(address);
    if (it == m_entries.end())
        return -1;
    m_entries.erase(it);
    return 0;
}

const CSnRecipient* CSnRecipients::First() {
    m_cursor = 0;
    return Next();
}

const CSnRecipient* CSnRecipients::Next() {
    if (m_cursor >= m_entries.size())
        return nullptr;
    return &m_entries[m_cursor++];
}

void CSnRecipients::Clear() {
    m_entries.clear();
    m_cursor = 0;
}
