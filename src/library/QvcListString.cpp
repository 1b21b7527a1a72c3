#include "library/QvcListString.h"

CQvcListString::CQvcListString(const char* separator, const char* altSeparator)
    : CQvcList(true, "CQvcListString") {
    SetSeparators(separator, altSeparator);
}

void CQvcListString::SetSeparators(const char* separator, const char* altSeparator) {
    m_separators.Assign(Separators{separator, altSeparator});
}

int CQvcListString::AddText(const CQvcString& text, bool allowDuplicate) {
    CQvcString trimmed = text;
    trimmed.Trim();
    return Add(std::make_unique<CQvsString>(trimmed), allowDuplicate);
}

int CQvcListString::RemoveText(const CQvcString& text) {
    CQvcString trimmed = text;
    trimmed.Trim();
    return Remove(CQvsString(trimmed));
}

bool CQvcListString::HasText(const CQvcString& text) const {
    CQvcString trimmed = text;
    trimmed.Trim();
    return Find(CQvsString(trimmed)) != nullptr;
}

bool CQvcListString::GetFirstText(CQvcString& out) {
    auto* item = static_cast<CQvsString*>(GetFirst());
    if (!item)
        return false;
    out = item->Text();
    return true;
}

bool CQvcListString::GetNextText(CQvcString& out) {
    auto* item = static_cast<CQvsString*>(GetNext());
    if (!item)
        return false;
    out = item->Text();
    return true;
}

int CQvcListString::Parse(const CQvcString& text, bool allowDuplicate) {
    RemoveAll();
    const Separators& separators = *m_separators;
    if (separators.Main.IsEmpty())
        return 0;
    CQvcString work = text;
    if (!separators.Alt.IsEmpty())
        work.Replace(separators.Alt.Str(), separators.Main.Str(), false);
    for (int i = 0;; ++i) {
        CQvcString token;
        if (!work.GetToken(separators.Main.Str(), "", token, i))
            break;
        token.Trim();
        if (token.IsEmpty())
            break;
        AddText(token, allowDuplicate);
    }
    Sort();
    return 1;
}

CQvcString CQvcListString::Join() const {
    CQvcString out;
    for (int i = 0; i < Count(); ++i) {
        if (i > 0)
            out += m_separators->Main;
        out += static_cast<const CQvsString*>(GetAt(static_cast<std::size_t>(i)))->Text();
    }
    return out;
}
