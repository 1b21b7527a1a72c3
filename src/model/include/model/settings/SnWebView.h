#pragma once
// One web view: whether it is generated, its name and description, the XSL template it
// is made from and the file it is written to (table XmlViews, by index).
#include "library/QvcString.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

struct CSnWebView {
    std::int32_t Enabled = 0;
    CQvcString Name;
    CQvcString Description;
    CQvcString Template;
    CQvcString Output;

    void Clear() { *this = CSnWebView(); }
    bool IsEmpty() const {
        return Enabled == 0 && Name.IsEmpty() && Description.IsEmpty() && Template.IsEmpty() && Output.IsEmpty();
    }

    // Each field once: its property, its column in XmlViews (in the table's column order)
    // and its member.
    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        fn(snxmlview::kEnabled, "Enabled", s.Enabled);
        fn(snxmlview::kName, "Name", s.Name);
        fn(snxmlview::kTemplate, "Template", s.Template);
        fn(snxmlview::kDescription, "Description", s.Description);
        fn(snxmlview::kOutput, "Output", s.Output);
    }
};
