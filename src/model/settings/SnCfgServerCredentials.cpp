#include "model/settings/SnCfgServerCredentials.h"

#include "model/store/SnCfg.h"

void CSnCfgServerCredentials::Parse(const CQvcString& text) {
    Entries.clear();
    for (int k = 0;; ++k) {
        CQvcString entry = text.Token("||", k);
        entry.Trim();
        if (entry.IsEmpty())
            break;
        Entry e;
        e.Server = entry.Token(";;", 0);
        e.Login = entry.Token(";;", 1);
        e.Password = entry.Token(";;", 2);
        e.Server.Trim();
        e.Login.Trim();
        e.Password.Trim();
        Entries.push_back(std::move(e));
    }
}

CQvcString CSnCfgServerCredentials::Format() const {
    CQvcString out;
    for (const Entry& e : Entries) {
        if (!out.IsEmpty())
            out += "||";
        out += e.Server + ";;" + e.Login + ";;" + e.Password;
    }
    return out;
}

const CSnCfgServerCredentials::Entry* CSnCfgServerCredentials::Find(const CQvcString& server) const {
    for (const Entry& e : Entries)
        if (e.Server.EqualsNoCase(server))
            return &e;
    return nullptr;
}

long CSnCfgServerCredentials::Read(CSnCfg& store) {
    CQvcString text;
    long code = store.Run([&](ISnCfg& c) { c.get_ServerCredentials(text); });
    if (code == 0)
        Parse(text);
    return code;
}

long CSnCfgServerCredentials::Write(CSnCfg& store) const {
    const CQvcString text = Format();
    return store.WriteSettings([&](ISnCfg& c) { c.put_ServerCredentials(text); });
}
