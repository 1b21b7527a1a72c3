#pragma once
// Splitting of the model's list texts (host lists, recipient lists, group members): the
// fields of a text separated by one character, up to the first empty field.
#include "library/QvcString.h"

#include <vector>

// The fields before the first empty one; with `trim`, each field is trimmed first (so a
// field of blanks also ends the list).
std::vector<CQvcString> LeadingFields(const CQvcString& text, char separator, bool trim);
