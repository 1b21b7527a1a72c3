#include "library/QvcXmlDoc.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

CQvcXmlDoc::CQvcXmlDoc(const char* name) : CQvcBase(name) {}

CQvcXmlDoc::~CQvcXmlDoc() {
    CloseDocument();
}

int CQvcXmlDoc::Init(const char* traceFile) {
    if (m_doc)
        return 0;
    SetTraceFile(traceFile ? traceFile : "");
    // The trace line is the one this product has always written when its XML parser was
    // ready; readers of old trace files look for it.
    Trace(kTraceFile, "COM Interface initialized\n");
    m_doc = std::make_unique<pugi::xml_document>();
    return 0;
}

int CQvcXmlDoc::Parse(std::string_view xml) {
    m_errorLine = 0;
    m_errorColumn = 0;
    m_errorDescription.Empty();
    if (!m_doc)
        return -1;
    // Parsed as a fragment so that text beside the document element shows up and can be
    // refused below; unknown entities are kept as written.
    const pugi::xml_parse_result result = m_doc->load_buffer(
        xml.data(), xml.size(), pugi::parse_default | pugi::parse_fragment, pugi::encoding_auto);
    if (result && m_doc->document_element()) {
        // A document has exactly one element at its top and no text beside it.
        int elements = 0;
        bool strayText = false;
        for (const pugi::xml_node& node : m_doc->children()) {
            elements += node.type() == pugi::node_element ? 1 : 0;
            strayText = strayText || node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
        }
        if (elements == 1 && !strayText)
            return 0;
        m_errorDescription =
            strayText ? "Text outside the document element" : "More than one document element";
    } else if (!result) {
        // The offset counts in the parser's own buffer, which equals the input for UTF-8
        // text; for other encodings the position is approximate.
        const auto offset = static_cast<std::size_t>(result.offset < 0 ? 0 : result.offset);
        m_errorLine = 1;
        m_errorColumn = 1;
        for (std::size_t i = 0; i < offset && i < xml.size(); ++i) {
            if (xml[i] == '\n') {
                ++m_errorLine;
                m_errorColumn = 1;
            } else {
                ++m_errorColumn;
            }
        }
        m_errorDescription = result.description();
    } else {
        m_errorDescription = "No document element";
    }
    m_doc->reset();
    return -1;
}

bool CQvcXmlDoc::HasDocumentElement() const {
    return m_doc && m_doc->document_element();
}

void CQvcXmlDoc::CloseDocument() {
    m_doc.reset();
}

// Extract walks the tree depth-first from the first child of the document element with an
// empty path.  Each element's path is its parent's path, "/" and its name; an element whose
// path equals the wanted path exactly (letter case counts) becomes a new record with its
// attributes in document order.  A text node whose parent path contains the wanted path
// anywhere is added to the last record found, named after the innermost element that holds
// it; text above the wanted path, or before the first match, is ignored.  Comments and
// every other kind of node add nothing.  "Contains" is a plain text test, as it always has
// been: texts of "/Group/Probe/Units" contain "/Unit" and follow the last "/Unit" record.
// Readers look texts up by name and take the first match, and an element's own texts
// always come before any that follow it in the document.
//
// Text values are kept whole.  Names are the part of the path after its last "/", because
// that is the element's own name; cutting values the same way would turn the dates
// ("12/31/2007"), web addresses ("http://unit/") and unit texts ("m/s") that sensor units
// report into fragments, and the device reader is the only user of these values.
//
// The walk keeps one path text and the lengths to cut it back to, so deep documents cost
// neither stack nor copies of the path per node.
int CQvcXmlDoc::Extract(CQvcXmlElements& elements) const {
    elements.RemoveAll();
    if (!m_doc)
        return -1;
    const pugi::xml_node root = m_doc->document_element();
    if (!root)
        return -1;

    const CQvcString wanted = elements.Path();
    CQvcString path; // the path of the current node's parent
    std::vector<std::size_t> parentLengths;
    CQvcXmlElement* last = nullptr;

    pugi::xml_node node = root.first_child();
    while (node) {
        bool descend = false;
        if (node.type() == pugi::node_element) {
            parentLengths.push_back(path.Length());
            path += "/";
            path += node.name();
            if (path == wanted) {
                auto element = std::make_unique<CQvcXmlElement>(path);
                for (const pugi::xml_attribute& attribute : node.attributes())
                    element->AddAttribute(attribute.name(), attribute.value());
                last = element.get();
                elements.AddElement(std::move(element));
            }
            if (node.first_child()) {
                descend = true;
            } else {
                path = path.Left(parentLengths.back());
                parentLengths.pop_back();
            }
        } else if (node.type() == pugi::node_pcdata) {
            if (last && path.Contains(wanted.Str())) {
                const long slash = path.ReverseFind('/');
                last->AddText(path.Mid(static_cast<std::size_t>(slash + 1)), node.value());
            }
        }

        if (descend) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            if (node == root) {
                node = pugi::xml_node();
                break;
            }
            path = path.Left(parentLengths.back());
            parentLengths.pop_back();
        }
        if (node)
            node = node.next_sibling();
    }
    return 0;
}
