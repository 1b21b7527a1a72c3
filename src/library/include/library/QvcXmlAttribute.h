#pragma once
// CQvcXmlAttribute: one attribute of an extracted XML element, name and value.
#include "library/QvcBase.h"

class CQvcXmlAttribute : public CQvcBase {
public:
    CQvcXmlAttribute(const CQvcString& name, const CQvcString& value)
        : CQvcBase("CQvcXmlAttribute"), m_name(name), m_value(value) {}
    const CQvcString& AttributeName() const { return m_name; }
    const CQvcString& Value() const { return m_value; }
    std::unique_ptr<CQvcBase> Clone() const override {
        return std::make_unique<CQvcXmlAttribute>(m_name, m_value);
    }

private:
    CQvcString m_name;
    CQvcString m_value;
};
