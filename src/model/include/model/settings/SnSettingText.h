#pragma once
// Reading the key-value texts of the global settings ("Key:=Value;;Key2:=Value2"): a
// missing key gives the default; flags follow one of two rules.
#include "library/QvcString.h"

class CSnSettingText {
public:
    static CQvcString Text(const CQvcString& text, const char* key, const char* def);
    static long Long(const CQvcString& text, const char* key, const char* def);
    // Set only when the value is exactly "1".
    static bool FlagOneOnly(const CQvcString& text, const char* key, const char* def);
    // Set unless the value is exactly "0".
    static bool FlagNotZero(const CQvcString& text, const char* key, const char* def);
};
