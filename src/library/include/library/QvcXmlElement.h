#pragma once
// CQvcXmlElement: one element found by CQvcXmlDoc::Extract: its path, its attributes and,
// as the items of the list itself, the text records found below it.
#include "library/QvcList.h"
#include "library/QvcXmlAttributes.h"
#include "library/QvcXmlTextElement.h"

class CQvcXmlElement : public CQvcList {
public:
    explicit CQvcXmlElement(const CQvcString& path) : CQvcList(true, "CQvcXmlElement"), m_path(path) {}

    const CQvcString& Path() const { return m_path; }
    CQvcXmlAttributes& Attributes() { return m_attributes; }
    const CQvcXmlAttributes& Attributes() const { return m_attributes; }

    void AddAttribute(const CQvcString& name, const CQvcString& value) {
        m_attributes.AddAttribute(name, value);
    }
    void AddText(const CQvcString& name, const CQvcString& value);

    // Attribute iteration: true with name and value, false with empty texts at the end.
    bool FirstAttribute(CQvcString& name, CQvcString& value) { return m_attributes.First(name, value); }
    bool NextAttribute(CQvcString& name, CQvcString& value) { return m_attributes.Next(name, value); }
    // The first attribute called `name` (letter case ignored); false when absent.
    bool GetAttribute(std::string_view name, CQvcString& value) const {
        return m_attributes.Get(name, value);
    }
    // The value of the first text record called `name` (letter case ignored); false (and
    // an empty value) when absent.
    bool GetText(std::string_view name, CQvcString& value) const;

    // Text records, with the list's cursor; null at the end.
    CQvcXmlTextElement* FirstText() { return static_cast<CQvcXmlTextElement*>(GetFirst()); }
    CQvcXmlTextElement* NextText() { return static_cast<CQvcXmlTextElement*>(GetNext()); }
    CQvcXmlTextElement* LastText() const { return static_cast<CQvcXmlTextElement*>(GetLast()); }

private:
    CQvcString m_path;
    CQvcXmlAttributes m_attributes;
};
