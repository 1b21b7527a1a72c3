#include "model/scripts/ParserVBScript.h"

#include <string>
#include <string_view>

CParserVBScript::CParserVBScript() : CParserScript("ParserVBScript") {}

int CParserVBScript::ReadNextFunction() {
    ResetFields();
    bool inFunction = false;
    bool inHeader = false;
    int result = -1;
    CQvcString line;
    while (ReadTrimmedLine(line)) {
        if (!inFunction) {
            if (IsFunctionLine(line)) {
                SplitCall(line, true, m_name, m_params);
                inFunction = true;
                inHeader = true;
            }
            continue;
        }
        // The header is the run of comment lines under the declaration; empty lines do
        // not end it, the first line of code does.
        if (inHeader && !line.IsEmpty()) {
            if (line[0] == '\'')
                HeaderLine(line, '\'');
            else
                inHeader = false;
        }
        if (IsEndFunctionLine(line)) {
            result = 0;
            break;
        }
    }
    SplitCall(m_usage, false, m_usageName, m_usageArgs);
    SplitCall(m_sample, false, m_sampleName, m_sampleArgs);
    return result;
}

int CParserVBScript::FindFunction(const CQvcString& name) {
    while (ReadNextFunction() == 0) {
        if (m_name.EqualsNoCase(name))
            return 0;
    }
    return -1;
}

int CParserVBScript::CopyWithoutFunction(const CQvcString& name, CQvcString& text) {
    text.Empty();
    if (!IsOpen())
        return -1;
    std::string out;
    out.reserve(Content().size());
    bool skipping = false;
    CQvcString line;
    CQvcString raw;
    while (ReadTrimmedLine(line, &raw)) {
        if (!skipping && IsFunctionLine(line)) {
            CQvcString declared;
            Slots params;
            SplitCall(line, true, declared, params);
            skipping = declared.EqualsNoCase(name);
        }
        if (skipping) {
            if (IsEndFunctionLine(line))
                skipping = false;
            continue;
        }
        out += raw.Str();
    }
    text = CQvcString(std::move(out));
    return 0;
}

bool CParserVBScript::IsFunctionLine(const CQvcString& line) {
    CQvcString text = line;
    text.Trim();
    return (text.StartsWith("FUNCTION ", false) || text.StartsWith("FUNCTION\t", false)) &&
           text.Last() == ')';
}

bool CParserVBScript::IsEndFunctionLine(const CQvcString& line) {
    CQvcString text = line;
    text.Trim();
    return text.Token(" ", 0).EqualsNoCase("END") && text.Token(" ", 1).EqualsNoCase("FUNCTION");
}

void CParserVBScript::SplitCall(const CQvcString& line, bool isDeclaration, CQvcString& name, Slots& args) {
    std::string_view text = line;
    const std::size_t close = text.rfind(')');
    if (close != std::string_view::npos)
        text = text.substr(0, close);
    const std::size_t open = text.find('(');
    const CQvcString head(open == std::string_view::npos ? text : text.substr(0, open));
    const CQvcString list(open == std::string_view::npos ? std::string_view() : text.substr(open + 1));
    name = head.Token(" ", isDeclaration ? 1 : 0);
    for (int i = 0; i < kSlots; ++i) {
        args[static_cast<std::size_t>(i)] = list.Token(",", i);
        args[static_cast<std::size_t>(i)].Trim();
    }
}
