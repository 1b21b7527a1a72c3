#include "model/store/QvcVariant.h"

#include <cstdlib>

CQvcVariant CQvcVariant::FromLong(long value) {
    CQvcVariant v;
    v.m_type = Type::Long;
    v.m_long = value;
    return v;
}

CQvcVariant CQvcVariant::FromBool(bool value) {
    CQvcVariant v;
    v.m_type = Type::Bool;
    v.m_long = value ? -1 : 0;
    return v;
}

CQvcVariant CQvcVariant::FromText(const CQvcString& value) {
    CQvcVariant v;
    v.m_type = Type::Text;
    v.m_text = value;
    return v;
}

CQvcVariant CQvcVariant::FromRecord(std::shared_ptr<CSnRecord> record) {
    CQvcVariant v;
    if (record) {
        v.m_type = Type::Record;
        v.m_record = std::move(record);
    }
    return v;
}

void CQvcVariant::AssignNumber(Type type, long value) {
    m_type = type;
    m_long = value;
    if (!m_text.IsEmpty())
        m_text.Empty();
    m_record.reset();
}

void CQvcVariant::AssignText(std::string_view value) {
    m_type = Type::Text;
    m_long = 0;
    // Emptied, then the new text put in front: the text's buffer is kept.
    m_text.Empty();
    m_text.Prepend(value);
    m_record.reset();
}

long CQvcVariant::AsLong() const {
    switch (m_type) {
    case Type::Long:
    case Type::Bool:
        return m_long;
    case Type::Text:
        return std::atol(m_text.c_str());
    default:
        return 0;
    }
}

bool CQvcVariant::AsBool() const {
    if (m_type == Type::Text)
        return m_text.EqualsNoCase("true") || std::atol(m_text.c_str()) != 0;
    return AsLong() != 0;
}

CQvcString CQvcVariant::AsText() const {
    switch (m_type) {
    case Type::Long:
    case Type::Bool:
        return CQvcString(m_long);
    case Type::Text:
        return m_text;
    default:
        return CQvcString();
    }
}

bool CSnRecord::Has(int property) const {
    return property >= 0 && property < static_cast<int>(m_values.size()) && !m_values[property].IsEmpty();
}

const CQvcVariant& CSnRecord::Get(int property) const {
    static const CQvcVariant empty;
    return Has(property) ? m_values[property] : empty;
}

CQvcVariant* CSnRecord::Slot(int property) {
    if (property < 0)
        return nullptr;
    if (property >= static_cast<int>(m_values.size()))
        m_values.resize(static_cast<std::size_t>(property) + 1);
    return &m_values[property];
}

void CSnRecord::Set(int property, const CQvcVariant& value) {
    if (CQvcVariant* slot = Slot(property))
        *slot = value;
}

void CSnRecord::GetText(int property, CQvcString& out) const {
    if (const CQvcString* text = Get(property).TextIf())
        out = *text;
    else
        out = Get(property).AsText();
}

void CSnRecord::Remove(int property) {
    if (Has(property))
        m_values[property].Clear();
}
