#pragma once
// Network pop-up channel settings (table NetPopupSettings): one flag.
class CSnCfg;

class CSnNetPopupSettings {
public:
    bool Enabled = false;

    long Read(CSnCfg& store);
    // "GlobalSettings" is stamped when the write succeeds.
    long Write(CSnCfg& store) const;
};
