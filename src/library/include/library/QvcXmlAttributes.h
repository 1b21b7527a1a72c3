#pragma once
// CQvcXmlAttributes: the attributes of one extracted XML element, in document order.
#include "library/QvcList.h"
#include "library/QvcXmlAttribute.h"

class CQvcXmlAttributes : public CQvcList {
public:
    CQvcXmlAttributes() : CQvcList(true, "CQvcXmlAttributes") {}

    void AddAttribute(const CQvcString& name, const CQvcString& value);
    // Iteration with the list's cursor: true and the attribute's name and value, or false
    // and two empty texts after the last one.
    bool First(CQvcString& name, CQvcString& value);
    bool Next(CQvcString& name, CQvcString& value);
    // The value of the first attribute called `name`, letter case ignored; false (and an
    // empty value) when there is none.
    bool Get(std::string_view name, CQvcString& value) const;

private:
    static bool Give(const CQvcBase* item, CQvcString& name, CQvcString& value);
};
