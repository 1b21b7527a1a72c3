#pragma once
// Splitting and joining of the model's list texts (host lists, recipient lists, group members): the
// fields of a text separated by one character, up to the first empty field.
#include "library/QvcString.h"

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

// The fields before the first empty one; with `trim`, each field is trimmed first (so a
// field of blanks also ends the list).
std::vector<CQvcString> LeadingFields(const CQvcString& text, char separator, bool trim);
