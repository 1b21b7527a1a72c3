#pragma once
// CQvcListString: a list of texts with a separator (default ",") and an alternative
// separator (default ";") for parsing and joining.  Texts compare without regard to case.
#include "library/QvcLazy.h"
#include "library/QvcList.h"

class CQvcListString : public CQvcList {
public:
    explicit CQvcListString(const char* separator = ",", const char* altSeparator = ";");

    void SetSeparators(const char* separator, const char* altSeparator);
    // Adds the trimmed text; 0 when refused as a duplicate.
    int AddText(const CQvcString& text, bool allowDuplicate = false);
    // Removes the trimmed text (case ignored); 0, or -1 when absent.
    int RemoveText(const CQvcString& text);
    bool HasText(const CQvcString& text) const;
    // Iteration over the texts; false at the end.
    bool GetFirstText(CQvcString& out);
    bool GetNextText(CQvcString& out);
    // Empties the list, turns every alternative separator into the separator, adds each
    // trimmed token until the first empty one, then sorts.  0 only when the separator is
    // empty.
    int Parse(const CQvcString& text, bool allowDuplicate = false);
    // The texts in list order with the separator between them.
    CQvcString Join() const;

private:
    // Held only when they differ from the defaults.
    struct Separators {
        CQvcString Main = ",";
        CQvcString Alt = ";";
        bool operator==(const Separators&) const = default;
    };
    CQvcLazy<Separators> m_separators;
};
