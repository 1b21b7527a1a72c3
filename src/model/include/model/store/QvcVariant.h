#pragma once
// CQvcVariant: the value that travels through the configuration component interface:
// empty, a long, a flag (stored as -1 or 0), a text, or a record object.
// CSnRecord: a record object whose properties are numbered from 1 (property 1 is the
// record's ID, which only the component assigns).
#include "library/QvcString.h"

#include <memory>
#include <string_view>
#include <vector>

class CSnRecord;

class CQvcVariant {
public:
    enum class Type { Empty, Long, Bool, Text, Record };

    CQvcVariant() = default;
    static CQvcVariant FromLong(long value);
    static CQvcVariant FromBool(bool value);
    static CQvcVariant FromText(const CQvcString& value);
    static CQvcVariant FromRecord(std::shared_ptr<CSnRecord> record);

    Type GetType() const { return m_type; }
    bool IsEmpty() const { return m_type == Type::Empty; }
    // Conversions in the manner of the original variant type: a flag reads as -1 or 0,
    // a text converts with atol, anything reads as a text.
    long AsLong() const;
    bool AsBool() const;
    CQvcString AsText() const;
    // The record, or null when this is not a record.
    std::shared_ptr<CSnRecord> AsRecord() const { return m_type == Type::Record ? m_record : nullptr; }
    // The text itself when this is a text, null otherwise: read without AsText's copy.
    const CQvcString* TextIf() const { return m_type == Type::Text ? &m_text : nullptr; }

    // In-place changes that keep the text's buffer, so that a value set again and again
    // (a record refilled row by row) allocates nothing once its buffer is large enough.
    void AssignLong(long value) { AssignNumber(Type::Long, value); }
    void AssignBool(bool value) { AssignNumber(Type::Bool, value ? -1 : 0); }
    void AssignText(std::string_view value);

    void Clear() { *this = CQvcVariant(); }

private:
    void AssignNumber(Type type, long value);

    Type m_type = Type::Empty;
    long m_long = 0;
    CQvcString m_text;
    std::shared_ptr<CSnRecord> m_record;
};

class CSnRecord {
public:
    // `kind` names the table the record belongs to ("Node", "MetaSettings", ...; see
    // SnRecordProperties.h).
    explicit CSnRecord(const char* kind) : m_kind(kind) {}
    // Room for the properties up to `maxProperty` from the start (records are made once
    // per stored row, so growing them step by step would cost on every load).
    CSnRecord(const char* kind, int maxProperty) : m_kind(kind) {
        m_values.reserve(static_cast<std::size_t>(maxProperty) + 1);
    }
    virtual ~CSnRecord() = default;

    const CQvcString& Kind() const { return m_kind; }
    // A property is present once it was set to a non-empty value.
    bool Has(int property) const;
    // The property, or an empty value when it is absent.
    const CQvcVariant& Get(int property) const;
    void Set(int property, const CQvcVariant& value);
    // Set in place; see CQvcVariant's Assign functions.
    void SetLong(int property, long value) {
        if (CQvcVariant* slot = Slot(property))
            slot->AssignLong(value);
    }
    void SetBool(int property, bool value) {
        if (CQvcVariant* slot = Slot(property))
            slot->AssignBool(value);
    }
    void SetText(int property, std::string_view value) {
        if (CQvcVariant* slot = Slot(property))
            slot->AssignText(value);
    }
    void Remove(int property);
    long GetLong(int property) const { return Get(property).AsLong(); }
    bool GetBool(int property) const { return Get(property).AsBool(); }
    CQvcString GetText(int property) const { return Get(property).AsText(); }
    // `out` becomes the property's text (as GetText), copied into `out`'s own buffer.
    void GetText(int property, CQvcString& out) const;
    // The highest property number that may be present (0 for an empty record).
    int MaxProperty() const { return static_cast<int>(m_values.size()) - 1; }

private:
    // The value of the property, added when missing; null for a negative property.
    CQvcVariant* Slot(int property);

    CQvcString m_kind;
    // Indexed by property number; records are small and dense, and a node record is built
    // once per stored node on every load, so this is a vector rather than a map.
    std::vector<CQvcVariant> m_values;
};
