#pragma once
// The web view switch, refresh period and the web server's virtual directory: row 5 of the
// advanced settings, also the header of the web view settings.
#include "library/QvcString.h"

#include <cstdint>

class CSnWebViewHeader {
public:
    bool Enabled = false;
    std::int32_t FreqSeconds = 0;
    CQvcString Vdir;

    void Parse(const CQvcString& text);
    // "Enabled:=%d;;FreqSeconds:=%ld;;vdir:=%s"
    CQvcString Format() const;
};
