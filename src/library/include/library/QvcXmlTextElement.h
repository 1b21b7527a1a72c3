#pragma once
// CQvcXmlTextElement: one text found below an extracted XML element, named after the
// innermost element that holds it.
#include "library/QvcBase.h"

class CQvcXmlTextElement : public CQvcBase {
public:
    CQvcXmlTextElement(const CQvcString& name, const CQvcString& value)
        : CQvcBase("CQvcXmlTextElement"), m_name(name), m_value(value) {}
    const CQvcString& TextName() const { return m_name; }
    const CQvcString& Value() const { return m_value; }
    std::unique_ptr<CQvcBase> Clone() const override {
        return std::make_unique<CQvcXmlTextElement>(m_name, m_value);
    }

private:
    CQvcString m_name;
    CQvcString m_value;
};
