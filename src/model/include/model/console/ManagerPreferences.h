#pragma once
// The Manager's registry preferences: one reader or writer per value, each opening the
// key on every call (no caching), under the sub-key "Manager" of the product key.
// Every read ensures the key, reads the value or takes its default, normalises it, and
// writes the result back at once, so that a first run fills the key with the defaults.
// Writes that fail (machine-wide values without administrator rights) are ignored.
//
// The string preference helpers remember what the user last typed in dialogs: text
// values under a caller-named sub-key of the product key of the current user.
#include "library/QvcString.h"

#include <cstdint>

namespace prefs {

// --- per-user values (0 or 1 where the value is a flag) ------------------------------
int AutoRefreshEnabled();   // default 1
int AutoRefreshDynamic();   // default 1
int AutoRefreshTimeSecs();  // default 5, not normalised
int PasteUnchanged();       // default 0
int PasteHold();            // default 0
int AppLook();              // default 0; values outside 0 to 9 become 0

void WriteAutoRefresh(int enabled, int dynamic, int timeSecs);
void WritePasteUnchanged(int value);
void WritePasteHold(int value);
void WriteAppLook(int value);

// --- machine-wide values, read as signed numbers and made positive --------------------
int MinIntervalSecs();         // default 5
int MaxCreateChecks();         // default 255
int MaxTotalChecks();          // default 4096
int MfTimerMsecs();            // default 1200
int MfTimerIdleMsecs();        // default 1000
int MfTimerMaxHandlingMsecs(); // default 5000

// --- string preferences (current user, sub-key of the product key) --------------------
// Reads the text (default when missing), trims blanks and line breaks, writes it back.
CQvcString ReadString(const char* subKey, const char* value, const char* def);
void WriteString(const char* subKey, const char* value, const char* text);
// The integer variant: the default formatted with "%ld", the text read with atol.
long ReadLong(const char* subKey, const char* value, long def);
void WriteLong(const char* subKey, const char* value, long number);

} // namespace prefs
