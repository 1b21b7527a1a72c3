#include "model/scripts/ParserPs1.h"

#include <string>
#include <string_view>

CParserPs1::CParserPs1() : CParserScript("ParserPs1") {}

int CParserPs1::ReadHeader() {
    ResetFields();
    if (!IsOpen())
        return -1;
    Rewind();
    CQvcString line;
    while (ReadTrimmedLine(line)) {
        if (line.IsEmpty())
            continue;
        if (line[0] != '#')
            break;
        HeaderLine(line, '#');
    }
    SplitCall(m_usage, m_usageName, m_usageArgs);
    SplitCall(m_sample, m_sampleName, m_sampleArgs);
    return 0;
}

void CParserPs1::SplitCall(const CQvcString& line, CQvcString& name, Slots& args) {
    name.Empty();
    for (CQvcString& arg : args)
        arg.Empty();
    // One pass that cuts at blanks outside single quotes; it gives what protecting the
    // quoted blanks, cutting and restoring them would, without a marker byte that a
    // script could itself contain.
    const std::string_view text = line;
    int taken = 0;
    std::string word;
    bool quoted = false;
    const auto take = [&]() {
        if (!word.empty() && taken < kSlots) {
            (taken == 0 ? name : args[static_cast<std::size_t>(taken - 1)]) = CQvcString(word);
            ++taken;
        }
        word.clear();
    };
    for (char c : text) {
        if (c == '\'')
            quoted = !quoted;
        if (c == ' ' && !quoted)
            take();
        else
            word += c;
    }
    take();
}
