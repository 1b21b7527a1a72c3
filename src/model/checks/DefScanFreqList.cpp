#include "model/checks/DefScanFreqList.h"

#include "../settings/TextFields.h"

#include <cstdlib>

namespace {

constexpr const char* kMissingEntry = "30,1";

} // namespace

const std::vector<std::int32_t>& CDefScanFreqList::Types() {
    static const std::vector<std::int32_t> types = {
        1,   10,  11,  20,  30,  31,  44,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,  42,
        43,  50,  51,  60,  61,  90,  100, 110, 111, 112, 120, 70,  81,  71,  72,  73,  74,  80,
        75,  76,  79,  77,  78,  130, 140, 150, 160, 170, 320, 330, 180, 190, 200, 201, 202, 203,
        204, 205, 206, 207, 208, 210, 220, 230, 340, 240, 250, 260, 270, 310, 300, 280, 290};
    return types;
}

CDefScanFreqList::CDefScanFreqList() {
    for (std::int32_t type : Types())
        m_items.push_back(CDefScanFreqItem{type, kDefaultInterval, kDefaultThreshold});
}

void CDefScanFreqList::Parse(const CQvcString& text) {
    for (CDefScanFreqItem& item : m_items) {
        CQvcString key;
        key.Format("%d", static_cast<int>(item.Type));
        CQvcString value;
        CQvcString::GetSetting(text.Str(), ";;", key.Str(), kMissingEntry, value, ":=");
        item.Interval = static_cast<std::int32_t>(value.GetTokenLong(",", kDefaultInterval, 0));
        item.ErrorThreshold = static_cast<std::int32_t>(value.GetTokenLong(",", kDefaultThreshold, 1));
    }
}

CQvcString CDefScanFreqList::ToText() const {
    return JoinFields(m_items, ";;", [](const CDefScanFreqItem& item) {
        CQvcString entry;
        entry.Format("%d:=%d,%d", static_cast<int>(item.Type), static_cast<int>(item.Interval),
                     static_cast<int>(item.ErrorThreshold));
        return entry;
    });
}

const CDefScanFreqItem* CDefScanFreqList::Find(std::int32_t type) const {
    for (const CDefScanFreqItem& item : m_items) {
        if (item.Type == type)
            return &item;
    }
    return nullptr;
}

bool CDefScanFreqList::Set(std::int32_t type, std::int32_t interval, std::int32_t threshold) {
    for (CDefScanFreqItem& item : m_items) {
        if (item.Type == type) {
            item.Interval = interval;
            item.ErrorThreshold = threshold;
            return true;
        }
    }
    return false;
}

CDefScanFreqItem CDefScanFreqList::Lookup(std::int32_t type) const {
    if (const CDefScanFreqItem* item = Find(type))
        return *item;
    return CDefScanFreqItem{type, kDefaultInterval, kDefaultThreshold};
}

CDefScanFreqItem DefaultScanFrequency(const CQvcString& text, std::int32_t type) {
    CDefScanFreqList list;
    list.Parse(text);
    return list.Lookup(type);
}
