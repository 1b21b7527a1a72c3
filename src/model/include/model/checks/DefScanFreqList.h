#pragma once
// CDefScanFreqList: the default scan interval and error threshold of every check type, as
// the global settings keep them: entries "type:=interval,threshold" joined by ";;" (the
// schedule text of the configuration's template record 2).  The list always holds one
// entry per listed type, in a fixed order; a type missing from the text gets 30 seconds
// and a threshold of 1.
#include "library/QvcString.h"

#include <cstdint>
#include <vector>

struct CDefScanFreqItem {
    std::int32_t Type = 0;
    std::int32_t Interval = 30;      // seconds
    std::int32_t ErrorThreshold = 1; // errors in a row before the check fails
};

class CDefScanFreqList {
public:
    static constexpr std::int32_t kDefaultInterval = 30;
    static constexpr std::int32_t kDefaultThreshold = 1;

    // Every listed type with 30 seconds and threshold 1.
    CDefScanFreqList();
    virtual ~CDefScanFreqList() = default;

    // The listed types in the order the text keeps them.
    static const std::vector<std::int32_t>& Types();

    // Fills every entry from the text; entries the text lacks get "30,1".
    void Parse(const CQvcString& text);
    // Every entry as "%d:=%d,%d", joined by ";;".
    CQvcString ToText() const;

    const std::vector<CDefScanFreqItem>& Items() const { return m_items; }
    // The entry of a type; nullptr for a type the list does not hold.
    const CDefScanFreqItem* Find(std::int32_t type) const;
    // The entry of a type, or (type, 30, 1) for a type the list does not hold.
    CDefScanFreqItem Lookup(std::int32_t type) const;
    // Sets a listed type's values; false for a type the list does not hold.
    bool Set(std::int32_t type, std::int32_t interval, std::int32_t threshold);

private:
    std::vector<CDefScanFreqItem> m_items;
};

// The interval and threshold for a type from a default-scan-frequency text; (30, 1) when
// the type has no entry.
CDefScanFreqItem DefaultScanFrequency(const CQvcString& text, std::int32_t type);
