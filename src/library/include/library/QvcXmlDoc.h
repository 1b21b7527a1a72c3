#pragma once
// CQvcXmlDoc: turns an XML text into flat, path-addressed records.  The caller names an
// element path below the document element ("/Unit", "/Group/Probe") and gets every
// element at that path with its attributes and the texts of the elements below it.
//
// Use: Init, then any number of Parse and Extract, then CloseDocument (or destruction).
// Each Parse replaces the document.  One thread per document.
#include "library/QvcBase.h"
#include "library/QvcXmlElements.h"

#include <memory>

namespace pugi {
class xml_document;
}

class CQvcXmlDoc : public CQvcBase {
public:
    explicit CQvcXmlDoc(const char* name = "CQvcXmlDoc");
    ~CQvcXmlDoc() override;
    CQvcXmlDoc(const CQvcXmlDoc&) = delete;
    CQvcXmlDoc& operator=(const CQvcXmlDoc&) = delete;

    // Sets the trace file (null counts as empty) and creates the document; nothing when
    // already initialised.  0, or -1 when the document cannot be created.
    int Init(const char* traceFile);
    // Parses `xml` into the document (its encoding comes from a byte-order mark or the
    // XML declaration; UTF-8 otherwise).  -1 without Init, for malformed text or when
    // there is no document element; the document is then empty.  0 otherwise.
    int Parse(std::string_view xml);
    // Empties `elements` and fills it with every element at its path (Algorithm in the
    // .cpp).  -1 without Init or without a parsed document element, else 0; a path that
    // matches nothing leaves the list empty.
    int Extract(CQvcXmlElements& elements) const;
    // Releases the document; Init is needed again before the next Parse.
    void CloseDocument();

    bool IsInitialised() const { return m_doc != nullptr; }
    bool HasDocumentElement() const;

    // Where the last failed Parse stopped (1-based line and column of the input, counted
    // in bytes) and the parser's description; zeros and an empty text after a success.
    long ParseErrorLine() const { return m_errorLine; }
    long ParseErrorColumn() const { return m_errorColumn; }
    const CQvcString& ParseErrorDescription() const { return m_errorDescription; }

private:
    std::unique_ptr<pugi::xml_document> m_doc;
    long m_errorLine = 0;
    long m_errorColumn = 0;
    CQvcString m_errorDescription;
};
