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

    // Property 2 and the texts of properties 3, 5, 4 and 6, in the order of the fields.
    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        fn(snxmlview::kEnabled, s.Enabled);
        fn(snxmlview::kName, s.Name);
        fn(snxmlview::kDescription, s.Description);
        fn(snxmlview::kTemplate, s.Template);
        fn(snxmlview::kOutput, s.Output);
    }
};
