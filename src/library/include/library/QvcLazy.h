#pragma once
// CQvcLazy<T>: a value of T that takes memory only once something is written to it.
// Until then every read gives T's default, shared by all holders.  A configuration of
// 100,000 checks holds most parts of most nodes at their defaults; this keeps those parts
// at the size of one pointer.
//
// Reading never allocates: `->` and `*` are const and give the default while nothing is
// stored, whatever the constness of the holder.  Writing goes through `Edit`, which
// stores a default value first.  `Assign` stores a copy, or nothing when the copy equals
// the default, so that writing defaults back does not cost memory.  Copies are deep.
#include <memory>

template <class T>
class CQvcLazy {
public:
    CQvcLazy() = default;
    CQvcLazy(const CQvcLazy& other) : m_value(Copy(other.m_value)) {}
    CQvcLazy& operator=(const CQvcLazy& other) {
        if (this != &other)
            m_value = Copy(other.m_value);
        return *this;
    }
    CQvcLazy(CQvcLazy&&) noexcept = default;
    CQvcLazy& operator=(CQvcLazy&&) noexcept = default;
    ~CQvcLazy() = default;

    const T& Get() const { return m_value ? *m_value : Default(); }
    const T& operator*() const { return Get(); }
    const T* operator->() const { return &Get(); }

    // The stored value, made from the default on first use.
    T& Edit() {
        if (!m_value)
            m_value = std::make_unique<T>();
        return *m_value;
    }
    // Stores `value`; a value equal to the default frees what was stored.
    void Assign(const T& value) {
        if (value == Default())
            m_value.reset();
        else if (m_value)
            *m_value = value;
        else
            m_value = std::make_unique<T>(value);
    }
    // Back to the default, freeing the stored value.
    void Reset() { m_value.reset(); }
    bool IsStored() const { return m_value != nullptr; }

    bool operator==(const CQvcLazy& other) const { return Get() == other.Get(); }

    static const T& Default() {
        static const T value{};
        return value;
    }

private:
    static std::unique_ptr<T> Copy(const std::unique_ptr<T>& from) {
        return from ? std::make_unique<T>(*from) : nullptr;
    }
    std::unique_ptr<T> m_value;
};
