#include "model/settings/SnSettingText.h"

#include <cstdlib>

CQvcString CSnSettingText::Text(const CQvcString& text, const char* key, const char* def) {
    return CQvcString::Setting(text, key, def);
}

long CSnSettingText::Long(const CQvcString& text, const char* key, const char* def) {
    return std::atol(Text(text, key, def).c_str());
}

bool CSnSettingText::FlagOneOnly(const CQvcString& text, const char* key, const char* def) {
    return Text(text, key, def) == "1";
}

bool CSnSettingText::FlagNotZero(const CQvcString& text, const char* key, const char* def) {
    return !(Text(text, key, def) == "0");
}
