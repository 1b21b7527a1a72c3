#pragma once
// CServerList: an ordered host list, the targets for which one check each is created.
// Text form: entries joined by ","; ";" is read as ",".
#include "library/QvcString.h"
#include "model/checks/ServerListItem.h"

#include <cstddef>
#include <vector>

class CServerList {
public:
    // Clears the list, reads every ";" as ",", splits at ",", trims each piece (spaces,
    // tabs, CR, LF) and appends the pieces in order up to the first empty one; the rest is
    // ignored, so "a,,b" gives one entry.  Never fails; returns the entry count.
    int Parse(const CQvcString& text);
    // The host texts joined by ",".
    CQvcString ToText() const;

    void Append(const CServerListItem& item) { m_items.push_back(item); }
    void Append(const CQvcString& host, int port = 0) { m_items.emplace_back(host, port); }
    void Clear() { m_items.clear(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    const CServerListItem& operator[](std::size_t index) const { return m_items[index]; }
    std::vector<CServerListItem>::const_iterator begin() const { return m_items.begin(); }
    std::vector<CServerListItem>::const_iterator end() const { return m_items.end(); }

    // Writes the host texts joined by "," on one line ending in a newline.  0, or 51674
    // ("Unable to create file '%s'.") when the file cannot be created.
    int SaveToFile(const CQvcString& path) const;
    // Replaces the list by the first line of the file (at most 32767 characters) read
    // with Parse.  0, or 61559 ("Unable to open file '%s'.") when it cannot be opened.
    int LoadFromFile(const CQvcString& path);

private:
    std::vector<CServerListItem> m_items;
};
