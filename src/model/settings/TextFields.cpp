#include "TextFields.h"

std::vector<CQvcString> LeadingFields(const CQvcString& text, char separator, bool trim) {
    std::vector<CQvcString> fields;
    const std::string& s = text.Str();
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(separator, start);
        CQvcString field(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (trim)
            field.Trim();
        if (field.IsEmpty())
            break;
        fields.push_back(field);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return fields;
}
