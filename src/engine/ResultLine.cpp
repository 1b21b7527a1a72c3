#include "engine/ResultLine.h"

#include "model/link/LinkFileValues.h"

#include <cinttypes>
#include <string>

CQvcString ResultLine::FieldText(std::string_view text) {
    std::string out;
    out.reserve(text.size() < kMaxText ? text.size() : kMaxText);
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
        if (c == '|' && (out.empty() || out.back() == '|'))
            continue;
        out.push_back(c);
    }
    while (!out.empty() && (out.back() == '|' || out.back() == ' '))
        out.pop_back();
    std::size_t first = 0;
    while (first < out.size() && out[first] == ' ')
        ++first;
    out.erase(0, first);
    if (out.size() > kMaxText) {
        // Never cut a multi-byte character in two.
        std::size_t cut = kMaxText;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
        while (!out.empty() && (out.back() == '|' || out.back() == ' '))
            out.pop_back();
    }
    return CQvcString(std::move(out));
}

CQvcString ResultLine::Format() const {
    CQvcString line;
    line.FormatGrow("%d||%" PRId64 "||%d||%s||%d||%s||%s", static_cast<int>(Status), LastUpdate,
                    static_cast<int>(Processing), FieldText(Comment).c_str(), static_cast<int>(Duration),
                    FieldText(Data).c_str(), FieldText(Response).c_str());
    return line;
}

ResultLine ResultLine::Parse(std::string_view value) {
    const CQvcString text(value);
    ResultLine line;
    line.Status = LinkParseInt(text.Token("||", 0).Str());
    line.LastUpdate = LinkParseInt(text.Token("||", 1).Str());
    line.Processing = LinkParseInt(text.Token("||", 2).Str());
    line.Comment = text.Token("||", 3);
    line.Duration = LinkParseInt(text.Token("||", 4).Str());
    line.Data = text.Token("||", 5).Trim();
    line.Response = text.Token("||", 6);
    return line;
}
