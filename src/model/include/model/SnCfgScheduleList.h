#pragma once
// CSnCfgScheduleList: the text of a list of schedule entries ("e..." or "d..." entries
// joined by "|"), as a check's scan schedule or maintenance windows store it.
#include "library/QvcString.h"

class CSnCfgScheduleList {
public:
    CSnCfgScheduleList() = default;
    explicit CSnCfgScheduleList(const CQvcString& text) : m_text(text) {}
    virtual ~CSnCfgScheduleList() = default;

    const CQvcString& Text() const { return m_text; }
    void SetText(const CQvcString& text) { m_text = text; }
    void Clear() { m_text.Empty(); }
    bool operator==(const CSnCfgScheduleList& other) const { return m_text == other.m_text; }

private:
    CQvcString m_text;
};
