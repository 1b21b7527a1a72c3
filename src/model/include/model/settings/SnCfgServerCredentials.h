#pragma once
// Server credentials (table ServerCredentials): entries joined by "||", each
// Server ";;" Login ";;" Password.  The password is stored as the credentials page hands
// it over.
#include "library/QvcString.h"

#include <vector>

class CSnCfg;

class CSnCfgServerCredentials {
public:
    struct Entry {
        CQvcString Server;
        CQvcString Login;
        CQvcString Password;
        bool operator==(const Entry& o) const {
            return Server == o.Server && Login == o.Login && Password == o.Password;
        }
    };

    std::vector<Entry> Entries;

    // Splits at "||" (up to the first empty entry), then at ";;", trimming every part.
    void Parse(const CQvcString& text);
    CQvcString Format() const;
    // The entry of a server (names compared without regard to case), or null.
    const Entry* Find(const CQvcString& server) const;

    long Read(CSnCfg& store);
    long Write(CSnCfg& store) const;
};
