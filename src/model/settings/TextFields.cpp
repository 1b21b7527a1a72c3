#include "TextFields.h"

#include <string>

std::vector<CQvcString> LeadingFields(const CQvcString& text, char separator, bool trim) {
    std::vector<CQvcString> fields;
    ForEachLeadingField(text.Str(), separator, trim,
                        [&](std::string_view field) { fields.emplace_back(std::string(field)); });
    return fields;
}
