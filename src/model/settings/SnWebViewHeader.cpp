#include "model/settings/SnWebViewHeader.h"

#include "model/settings/SnSettingText.h"

void CSnWebViewHeader::Parse(const CQvcString& text) {
    Enabled = CSnSettingText::FlagOneOnly(text, "Enabled", "0");
    FreqSeconds = static_cast<std::int32_t>(CSnSettingText::Long(text, "FreqSeconds", "0"));
    Vdir = CSnSettingText::Text(text, "vdir", "");
}

CQvcString CSnWebViewHeader::Format() const {
    CQvcString out;
    out.FormatGrow("Enabled:=%d;;FreqSeconds:=%ld;;vdir:=%s", Enabled ? 1 : 0, static_cast<long>(FreqSeconds),
                   Vdir.c_str());
    return out;
}
