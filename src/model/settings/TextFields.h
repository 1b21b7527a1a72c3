#pragma once
// Splitting and joining of the model's list texts (host lists, recipient lists, group members): the
// fields of a text separated by one character, up to the first empty field.
#include "library/QvcString.h"

#include <string_view>
#include <vector>

// The texts of the items, in order, with `separator` between them.
template <class Items, class TextOf>
CQvcString JoinFields(const Items& items, const char* separator, TextOf textOf) {
    CQvcString text;
    bool first = true;
    for (const auto& item : items) {
        if (!first)
            text += separator;
        text += textOf(item);
        first = false;
    }
    return text;
}

// Calls `visit` with each field before the first empty one, a view into `text`; with
// `trim`, each field is trimmed first (so a field of blanks also ends the list).
template <class Visit>
void ForEachLeadingField(std::string_view text, char separator, bool trim, Visit&& visit) {
    for (;;) {
        const std::size_t end = text.find(separator);
        const std::string_view field = trim ? QvcTrimBlanks(text.substr(0, end)) : text.substr(0, end);
        if (field.empty())
            return;
        visit(field);
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

// The fields before the first empty one, trimmed or not as above.
std::vector<CQvcString> LeadingFields(const CQvcString& text, char separator, bool trim);
