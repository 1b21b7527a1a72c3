#include "model/checks/ServerList.h"

#include "../settings/TextFields.h"

#include <fstream>
#include <string>

namespace {

// A target-list file holds one line; longer lines are cut here.
constexpr std::size_t kMaxTargetLine = 32767;

} // namespace

int CServerList::Parse(const CQvcString& text) {
    Clear();
    CQvcString normalized = text;
    normalized.Replace(";", ",");
    for (const CQvcString& host : LeadingFields(normalized, ',', true))
        Append(host);
    return Count();
}

CQvcString CServerList::ToText() const {
    return JoinFields(m_items, ",", [](const CServerListItem& item) { return item.Host(); });
}

int CServerList::SaveToFile(const CQvcString& path) const {
    std::ofstream file(path.Str(), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file)
        return 51674;
    file << ToText().Str() << '\n';
    file.close();
    return file ? 0 : 51674;
}

int CServerList::LoadFromFile(const CQvcString& path) {
    std::ifstream file(path.Str(), std::ios::in | std::ios::binary);
    if (!file)
        return 61559;
    std::string line;
    std::getline(file, line);
    if (line.size() > kMaxTargetLine)
        line.resize(kMaxTargetLine);
    Parse(CQvcString(line));
    return 0;
}
