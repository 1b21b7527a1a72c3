#pragma once
// Web view settings: the header (row 5 of the advanced settings) and 128 web views
// (table XmlViews, indexes 0 to 127).
#include "model/settings/SnWebView.h"
#include "model/settings/SnWebViewHeader.h"

#include <array>

class CSnCfg;

class CSnWebViewSettings {
public:
    static constexpr int kViews = 128;

    CSnWebViewHeader Header;
    std::array<CSnWebView, kViews> Views;

    // The header, then every view: each entry is cleared and filled when its record can be
    // read.  Returns the header's code; missing views are no failure.
    long Read(CSnCfg& store);
    // The header (row 5), then all 128 views, in one connection; stops at the first
    // failure.  "GlobalSettings" when everything was written.
    long Write(CSnCfg& store) const;
};
