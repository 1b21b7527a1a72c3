#pragma once
// Error codes of the whole product family and the texts the user sees for them.
#include "library/QvcString.h"

// Fills `text` with "Error #<code>: " followed by the code's text, or "Generic Error"
// for a code that no family knows, and returns it.
CQvcString& ErrorText(long code, CQvcString& text);
// The same, as a value.
CQvcString ErrorText(long code);
// ErrorText as a message box shows it: with a full stop appended when the text does not
// already end in one.
CQvcString ErrorBoxText(long code);
// The text alone (without the "Error #" prefix); nullptr for an unknown code.
const char* ErrorTextOnly(long code);
