#pragma once
// CQvcList: an ordered list of CQvcBase items compared through their own IsEqual and
// IsGreater, with one iteration cursor.  A list made with owns-items set deletes its items
// with itself; one without only points at items that live elsewhere.
#include "library/QvcBase.h"

#include <memory>
#include <vector>

class CQvcList : public CQvcBase {
public:
    explicit CQvcList(bool ownsItems = true, const char* name = "CQvcList");
    CQvcList(const CQvcList&) = delete;
    CQvcList& operator=(const CQvcList&) = delete;
    ~CQvcList() override;

    bool OwnsItems() const { return m_owns; }

    // Appends the item.  Without `allowDuplicate`, refuses (returns 0) when an item in
    // the list says it equals the new one; a refused owned item is deleted.  1 when added.
    int Add(std::unique_ptr<CQvcBase> item, bool allowDuplicate = false);
    // For lists that do not own their items.
    int Add(CQvcBase* item, bool allowDuplicate = false);
    // Deletes the first item equal to `key` (and the item itself when owned).  0, or -1
    // when none is equal.
    int Remove(const CQvcBase& key);
    CQvcBase* Find(const CQvcBase& key) const;
    CQvcBase* GetFirst();
    CQvcBase* GetNext();
    CQvcBase* GetLast() const;
    CQvcBase* GetAt(std::size_t index) const;
    int Count() const { return static_cast<int>(m_items.size()); }
    void RemoveAll();
    // Ascending by the items' own IsGreater; the order of equal items is not defined.
    void Sort();
    // RemoveAll, then a Clone of every item of `other` (the list then owns the clones).
    void CopyFrom(const CQvcList& other);

private:
    struct ItemDeleter {
        bool owns = true;
        void operator()(CQvcBase* item) const {
            if (owns)
                std::default_delete<CQvcBase>()(item);
        }
    };
    using ItemPtr = std::unique_ptr<CQvcBase, ItemDeleter>;

    int Append(ItemPtr item, bool allowDuplicate);

    bool m_owns;
    std::vector<ItemPtr> m_items;
    std::size_t m_cursor = 0;
};

// A list item holding one text; equality and order ignore letter case.
class CQvsString : public CQvcBase {
public:
    explicit CQvsString(const CQvcString& text = CQvcString()) : CQvcBase("CQvsString"), m_text(text) {}
    bool IsEqual(const CQvcBase& other) const override;
    bool IsGreater(const CQvcBase& other) const override;
    bool IsLess(const CQvcBase& other) const override;
    std::unique_ptr<CQvcBase> Clone() const override { return std::make_unique<CQvsString>(m_text); }
    const CQvcString& Text() const { return m_text; }
    void SetText(const CQvcString& text) { m_text = text; }

private:
    CQvcString m_text;
};

// A list item holding one signed 32-bit value.
class CQvcInt : public CQvcBase {
public:
    explicit CQvcInt(int value = 0) : CQvcBase("CQvcInt"), m_value(value) {}
    bool IsEqual(const CQvcBase& other) const override;
    bool IsGreater(const CQvcBase& other) const override;
    bool IsLess(const CQvcBase& other) const override;
    std::unique_ptr<CQvcBase> Clone() const override { return std::make_unique<CQvcInt>(m_value); }
    int Value() const { return m_value; }

private:
    int m_value;
};
