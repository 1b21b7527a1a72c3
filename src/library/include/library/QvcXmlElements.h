#pragma once
// CQvcXmlElements: the element path a caller asks CQvcXmlDoc::Extract for ("/Unit",
// "/Group/Probe") and the elements found at it, in document order.
#include "library/QvcList.h"
#include "library/QvcXmlElement.h"

class CQvcXmlElements : public CQvcList {
public:
    explicit CQvcXmlElements(const CQvcString& path = CQvcString())
        : CQvcList(true, "CQvcXmlElements"), m_path(path) {}

    const CQvcString& Path() const { return m_path; }
    void SetPath(const CQvcString& path) { m_path = path; }

    void AddElement(std::unique_ptr<CQvcXmlElement> element) { Add(std::move(element), true); }
    // Iteration with the list's cursor; null at the end.
    CQvcXmlElement* FirstElement() { return static_cast<CQvcXmlElement*>(GetFirst()); }
    CQvcXmlElement* NextElement() { return static_cast<CQvcXmlElement*>(GetNext()); }
    CQvcXmlElement* LastElement() const { return static_cast<CQvcXmlElement*>(GetLast()); }
    CQvcXmlElement* ElementAt(std::size_t index) const { return static_cast<CQvcXmlElement*>(GetAt(index)); }

private:
    CQvcString m_path;
};
