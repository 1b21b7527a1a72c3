#include "library/QvcXmlAttributes.h"

void CQvcXmlAttributes::AddAttribute(const CQvcString& name, const CQvcString& value) {
    Add(std::make_unique<CQvcXmlAttribute>(name, value), true);
}

bool CQvcXmlAttributes::Give(const CQvcBase* item, CQvcString& name, CQvcString& value) {
    const auto* attribute = dynamic_cast<const CQvcXmlAttribute*>(item);
    if (!attribute) {
        name.Empty();
        value.Empty();
        return false;
    }
    name = attribute->AttributeName();
    value = attribute->Value();
    return true;
}

bool CQvcXmlAttributes::First(CQvcString& name, CQvcString& value) {
    return Give(GetFirst(), name, value);
}

bool CQvcXmlAttributes::Next(CQvcString& name, CQvcString& value) {
    return Give(GetNext(), name, value);
}

bool CQvcXmlAttributes::Get(std::string_view name, CQvcString& value) const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(Count()); ++i) {
        const auto* attribute = static_cast<const CQvcXmlAttribute*>(GetAt(i));
        if (attribute->AttributeName().EqualsNoCase(name)) {
            value = attribute->Value();
            return true;
        }
    }
    value.Empty();
    return false;
}
