#pragma once
// CQvcListNum: an ordered list of signed 32-bit values with a separator (default ",")
// and an alternative separator (default ";").  2147483647 is the list's answer for "no
// value" and cannot be told apart from a stored 2147483647.
#include "library/QvcLazy.h"
#include "library/QvcString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CQvcListNum {
public:
    static constexpr std::int32_t kNoValue = 2147483647;

    explicit CQvcListNum(const char* separator = ",", const char* altSeparator = ";");

    // Appends the value; without `allowDuplicate` a value already present is refused (0).
    int Add(std::int32_t value, bool allowDuplicate = false);
    // Appends the value without looking for it first.
    void Append(std::int32_t value) { m_values.push_back(value); }
    bool Contains(std::int32_t value) const;
    int Count() const { return static_cast<int>(m_values.size()); }
    // Makes room for `count` values in all, so that adding up to there does not reallocate.
    void Reserve(std::size_t count) { m_values.reserve(count); }
    void RemoveAll();
    std::int32_t GetFirst();
    std::int32_t GetNext();
    // 0-based; kNoValue beyond the end.
    std::int32_t GetAt(std::size_t index) const;
    void Sort();
    void CopyFrom(const CQvcListNum& other) { *this = other; }
    // Each value as "%ld", the separator between them.
    CQvcString Join() const;
    // Empties the list, reads tokens (alternative separator as separator) until the first
    // empty one, each with atoi; a token that converts to 0 must be "0".  A bad token or
    // a refused duplicate empties the list and returns 0; success keeps the written order
    // and returns 1.
    int Parse(const CQvcString& text, bool allowDuplicate = false);
    const std::vector<std::int32_t>& Values() const { return m_values; }
    bool operator==(const CQvcListNum& other) const { return m_values == other.m_values; }

private:
    // Held only when they differ from the defaults: a list sits in every node of the tree
    // and nearly all keep "," and ";".
    struct Separators {
        CQvcString Main = ",";
        CQvcString Alt = ";";
        bool operator==(const Separators&) const = default;
    };

    std::vector<std::int32_t> m_values;
    std::size_t m_cursor = 0;
    CQvcLazy<Separators> m_separators;
};
