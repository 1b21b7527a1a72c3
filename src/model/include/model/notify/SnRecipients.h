#pragma once
// CSnRecipients: the recipient list of a notification entry, in order and without
// duplicates: a group at most once per ID, an address at most once compared without
// regard to case.  Text form: the entries joined by ";", a group as "~" + its ID.
#include "model/notify/SnRecipient.h"

#include <cstddef>
#include <vector>

class CSnDistributionGroups;

class CSnRecipients {
public:
    CSnRecipients() = default;
    virtual ~CSnRecipients() = default;

    // Clears the list, then splits the text at ";", trims each field and stops at the
    // first empty one; "~<id>" fields become group entries, the others addresses;
    // duplicates are dropped.  Returns the entry count.
    int Parse(const CQvcString& text);
    // The entries in list order joined by ";".
    CQvcString ToText() const;

    // The addresses the list stands for: its own and the members of its groups in
    // `groups` (a group not there stands for none), trimmed, in list order, each once
    // (compared without regard to case).
    std::vector<CQvcString> Resolve(const CSnDistributionGroups& groups) const;

    // Each returns the entry already present instead of adding a second one.
    const CSnRecipient& AddGroup(std::int32_t id);
    const CSnRecipient& AddAddress(const CQvcString& address);
    // 0, or -1 when absent (addresses compared without regard to case).
    int RemoveGroup(std::int32_t id);
    int RemoveAddress(const CQvcString& address);

    const CSnRecipient* FindGroup(std::int32_t id) const;
    const CSnRecipient* FindAddress(const CQvcString& address) const;

    // Iteration with the list's cursor; nullptr at the end.
    const CSnRecipient* First();
    const CSnRecipient* Next();
    void Clear();
    int Count() const { return static_cast<int>(m_entries.size()); }
    const CSnRecipient& operator[](std::size_t index) const { return m_entries[index]; }
    std::vector<CSnRecipient>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<CSnRecipient>::const_iterator end() const { return m_entries.end(); }

private:
    std::vector<CSnRecipient>::const_iterator FindGroupIt(std::int32_t id) const;
    std::vector<CSnRecipient>::const_iterator FindAddressIt(const CQvcString& address) const;

    std::vector<CSnRecipient> m_entries;
    std::size_t m_cursor = 0;
};
