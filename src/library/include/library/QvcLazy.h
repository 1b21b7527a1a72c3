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
#include "library/QvcString.h"

#include <memory>
#include <string>
#include <string_view>

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

// CQvcLazyString: a CQvcString held in a CQvcLazy, for the many texts of a node that most
// checks leave empty (a check type uses a few of its parameters).  It reads like the text
// it holds (conversion to const CQvcString&, Str, IsEmpty, comparisons) and takes texts by
// assignment; an empty text frees its storage.  Edit gives the text for in-place changes.
class CQvcLazyString {
public:
    CQvcLazyString() = default;
    CQvcLazyString(const CQvcString& text) { m_text.Assign(text); } // NOLINT: stands for a text
    CQvcLazyString(const char* text) : CQvcLazyString(CQvcString(text)) {} // NOLINT: likewise

    CQvcLazyString& operator=(const CQvcString& text) {
        m_text.Assign(text);
        return *this;
    }
    CQvcLazyString& operator=(const char* text) { return *this = CQvcString(text); }
    CQvcLazyString& operator=(const std::string& text) { return *this = CQvcString(text); }
    CQvcLazyString& operator=(std::string_view text) { return *this = CQvcString(text); }

    const CQvcString& Get() const { return m_text.Get(); }
    operator const CQvcString&() const { return m_text.Get(); } // NOLINT: reads as its text
    CQvcString& Edit() { return m_text.Edit(); }
    bool IsStored() const { return m_text.IsStored(); }

    const std::string& Str() const { return Get().Str(); }
    const char* c_str() const { return Get().c_str(); }
    std::size_t Length() const { return Get().Length(); }
    bool IsEmpty() const { return Get().IsEmpty(); }
    char operator[](std::size_t i) const { return Get()[i]; }
    CQvcString Token(std::string_view separator, int index, const char* def = "") const {
        return Get().Token(separator, index, def);
    }

    bool operator==(const CQvcLazyString& other) const { return Get() == other.Get(); }
    bool operator==(const CQvcString& other) const { return Get() == other; }
    bool operator==(const char* other) const { return Get() == other; }

private:
    CQvcLazy<CQvcString> m_text;
};
