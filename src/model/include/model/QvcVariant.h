#pragma once
// CQvcVariant: the value that travels through the configuration component interface:
// empty, a long, a flag (stored as -1 or 0), a text, or a record object.
// CSnRecord: a record object whose properties are numbered from 1 (property 1 is the
// record's ID, which only the component assigns).
#include "library/QvcString.h"

#include <map>
#include <memory>

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

    void Clear() { *this = CQvcVariant(); }

private:
    Type m_type = Type::Empty;
    long m_long = 0;
    CQvcString m_text;
    std::shared_ptr<CSnRecord> m_record;
};

class CSnRecord {
public:
    // `kind` names the table the record belongs to ("Node", "MetaSettings", ...).
    explicit CSnRecord(const char* kind) : m_kind(kind) {}
    virtual ~CSnRecord() = default;

    const CQvcString& Kind() const { return m_kind; }
    bool Has(int property) const { return m_values.count(property) != 0; }
    const CQvcVariant& Get(int property) const;
    void Set(int property, const CQvcVariant& value) { m_values[property] = value; }
    long GetLong(int property) const { return Get(property).AsLong(); }
    bool GetBool(int property) const { return Get(property).AsBool(); }
    CQvcString GetText(int property) const { return Get(property).AsText(); }
    void SetLong(int property, long value) { Set(property, CQvcVariant::FromLong(value)); }
    void SetBool(int property, bool value) { Set(property, CQvcVariant::FromBool(value)); }
    void SetText(int property, const CQvcString& value) { Set(property, CQvcVariant::FromText(value)); }
    const std::map<int, CQvcVariant>& Values() const { return m_values; }

private:
    CQvcString m_kind;
    std::map<int, CQvcVariant> m_values;
};
