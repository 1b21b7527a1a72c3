#include "library/QvcXmlElement.h"

void CQvcXmlElement::AddText(const CQvcString& name, const CQvcString& value) {
    Add(std::make_unique<CQvcXmlTextElement>(name, value), true);
}

bool CQvcXmlElement::GetText(std::string_view name, CQvcString& value) const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(Count()); ++i) {
        const auto* text = static_cast<const CQvcXmlTextElement*>(GetAt(i));
        if (text->TextName().EqualsNoCase(name)) {
            value = text->Value();
            return true;
        }
    }
    value.Empty();
    return false;
}
