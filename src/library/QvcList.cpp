#include "library/QvcList.h"

#include <algorithm>

CQvcList::CQvcList(bool ownsItems, const char* name) : CQvcBase(name), m_owns(ownsItems) {}

CQvcList::~CQvcList() = default;

int CQvcList::Append(ItemPtr item, bool allowDuplicate) {
    if (!item)
        return 0;
    if (!allowDuplicate && Find(*item))
        return 0; // a refused owned item is deleted as `item` goes
    m_items.push_back(std::move(item));
    return 1;
}

int CQvcList::Add(std::unique_ptr<CQvcBase> item, bool allowDuplicate) {
    return Append(ItemPtr(item.release(), ItemDeleter{m_owns}), allowDuplicate);
}

int CQvcList::Add(CQvcBase* item, bool allowDuplicate) {
    return Append(ItemPtr(item, ItemDeleter{false}), allowDuplicate);
}

int CQvcList::Remove(const CQvcBase& key) {
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if ((*it)->IsEqual(key)) {
            std::size_t index = static_cast<std::size_t>(it - m_items.begin());
            m_items.erase(it);
            if (m_cursor > index)
                --m_cursor;
            return 0;
        }
    }
    return -1;
}

CQvcBase* CQvcList::Find(const CQvcBase& key) const {
    for (const auto& item : m_items)
        if (item->IsEqual(key))
            return item.get();
    return nullptr;
}

CQvcBase* CQvcList::GetFirst() {
    m_cursor = 0;
    return GetNext();
}

CQvcBase* CQvcList::GetNext() {
    if (m_cursor >= m_items.size())
        return nullptr;
    return m_items[m_cursor++].get();
}

CQvcBase* CQvcList::GetLast() const { return m_items.empty() ? nullptr : m_items.back().get(); }

CQvcBase* CQvcList::GetAt(std::size_t index) const {
    return index < m_items.size() ? m_items[index].get() : nullptr;
}

void CQvcList::RemoveAll() {
    m_items.clear();
    m_cursor = 0;
}

void CQvcList::Sort() {
    // A stable merge sort never leaves its range, even when an item's comparison is not
    // a strict ordering.
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const ItemPtr& a, const ItemPtr& b) { return b->IsGreater(*a); });
    m_cursor = 0;
}

void CQvcList::CopyFrom(const CQvcList& other) {
    if (&other == this)
        return;
    RemoveAll();
    for (const auto& item : other.m_items)
        m_items.push_back(ItemPtr(item->Clone().release(), ItemDeleter{true}));
}

bool CQvsString::IsEqual(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CQvsString*>(&other);
    CQvcLock lock(*this);
    return o && m_text.CompareNoCase(o->m_text.Str()) == 0;
}

bool CQvsString::IsGreater(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CQvsString*>(&other);
    CQvcLock lock(*this);
    return o && m_text.CompareNoCase(o->m_text.Str()) > 0;
}

bool CQvsString::IsLess(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CQvsString*>(&other);
    CQvcLock lock(*this);
    return o && m_text.CompareNoCase(o->m_text.Str()) < 0;
}

bool CQvcInt::IsEqual(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CQvcInt*>(&other);
    CQvcLock lock(*this);
    return o && m_value == o->m_value;
}

bool CQvcInt::IsGreater(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CQvcInt*>(&other);
    CQvcLock lock(*this);
    return o && m_value > o->m_value;
}

bool CQvcInt::IsLess(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CQvcInt*>(&other);
    CQvcLock lock(*this);
    return o && m_value < o->m_value;
}
