#include "model/scripts/ParserScript.h"

#include "platform/System.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The text after the first ':' of a heading, or empty when it has none.
CQvcString AfterColon(const CQvcString& text) {
    const long colon = text.Find(':');
    return colon < 0 ? CQvcString() : text.Mid(static_cast<std::size_t>(colon) + 1);
}

// The next word of `text` from `pos` on, words being separated by any run of the
// characters in `separators`; empty when there is none.
std::string_view NextWord(std::string_view text, std::size_t& pos, std::string_view separators) {
    const std::size_t start = text.find_first_not_of(separators, pos);
    if (start == std::string_view::npos) {
        pos = text.size();
        return {};
    }
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos)
        end = text.size();
    pos = end;
    return text.substr(start, end - start);
}

} // namespace

CParserScript::CParserScript(const char* name) : CQvcBase(name) {}

CParserScript::~CParserScript() {
    Close();
}

int CParserScript::Open(const CQvcString& path) {
    Close();
    m_path = path;
    m_openError = ScriptOpenError::None;
    m_openErrno = 0;
    switch (platform::ReadFileContent(path.Str(), m_content, kMaxFileBytes, &m_openErrno)) {
    case platform::FileRead::Ok:
        // Text never holds a NUL byte; a file that does is binary, or text in UTF-16,
        // which the readers do not understand.
        if (std::memchr(m_content.data(), '\0', m_content.size()) != nullptr)
            m_openError = ScriptOpenError::Binary;
        break;
    case platform::FileRead::Missing:
        m_openError = ScriptOpenError::Missing;
        break;
    case platform::FileRead::Directory:
        m_openError = ScriptOpenError::Directory;
        break;
    case platform::FileRead::NotRegular:
        m_openError = ScriptOpenError::NotRegular;
        break;
    case platform::FileRead::TooLarge:
        m_openError = ScriptOpenError::TooLarge;
        break;
    case platform::FileRead::Unreadable:
        m_openError = ScriptOpenError::Unreadable;
        break;
    }
    if (m_openError != ScriptOpenError::None) {
        m_content.clear();
        m_content.shrink_to_fit();
        Trace(kTraceFile, "Open failed: %s", OpenErrorText().c_str());
        return -1;
    }
    m_open = true;
    m_position = 0;
    return 0;
}

void CParserScript::Close() {
    m_open = false;
    m_content.clear();
    m_content.shrink_to_fit();
    m_position = 0;
}

CQvcString CParserScript::OpenErrorText() const {
    const CQvcString quoted = "'" + m_path + "'";
    switch (m_openError) {
    case ScriptOpenError::None:
        break;
    case ScriptOpenError::Missing:
        return quoted + " does not exist.";
    case ScriptOpenError::Directory:
        return quoted + " is a directory, not a script file.";
    case ScriptOpenError::NotRegular:
        return quoted + " is not a regular file.";
    case ScriptOpenError::Unreadable:
        return quoted +
               " cannot be read: " + std::error_code(m_openErrno, std::generic_category()).message() + ".";
    case ScriptOpenError::TooLarge:
        return quoted + " is larger than " + CQvcString(static_cast<long>(kMaxFileBytes / (1024 * 1024))) +
               " MiB, too large for a script file.";
    case ScriptOpenError::Binary:
        return quoted + " is not a text file (it contains NUL bytes).";
    }
    return CQvcString();
}

bool CParserScript::ReadLine(CQvcString& line) {
    if (!m_open || m_position >= m_content.size()) {
        line.Empty();
        return false;
    }
    const std::string_view rest = std::string_view(m_content).substr(m_position);
    const std::size_t feed = rest.find('\n');
    std::size_t length = feed == std::string_view::npos ? rest.size() : feed + 1;
    if (length > kReadLimit - 1)
        length = kReadLimit - 1;
    line = CQvcString(rest.substr(0, length));
    m_position += length;
    return true;
}

bool CParserScript::ReadTrimmedLine(CQvcString& line, CQvcString* raw) {
    const bool atStart = m_position == 0;
    if (!ReadLine(line))
        return false;
    if (raw != nullptr)
        *raw = line;
    if (atStart)
        line.RemovePrefix(kUtf8Bom);
    line.Trim();
    return true;
}

void CParserScript::ResetFields() {
    m_name.Empty();
    m_description.Empty();
    m_usage.Empty();
    m_usageName.Empty();
    m_sample.Empty();
    m_sampleName.Empty();
    for (Slots* slots : {&m_params, &m_usageArgs, &m_sampleArgs})
        for (CQvcString& slot : *slots)
            slot.Empty();
    m_hostParameter = 0;
    m_section = Section::None;
}

void CParserScript::HeaderLine(const CQvcString& line, char comment) {
    CQvcString text = line;
    text.RemovePrefix(std::string_view(&comment, 1));
    // The one line that follows a usage or sample heading is the call itself, usually
    // indented; elsewhere only the blank that conventionally follows the comment
    // character goes, so that indentation inside the description is kept.
    if (m_section == Section::Usage || m_section == Section::Sample)
        text.Trim();
    else
        text.RemovePrefix(" ");

    if (text.StartsWith("description", false)) {
        m_section = Section::Description;
        m_description = text;
        return;
    }
    if (text.StartsWith("usage", false)) {
        m_section = Section::Usage;
        m_usage = AfterColon(text);
        return;
    }
    if (text.StartsWith("sample", false)) {
        m_section = Section::Sample;
        m_sample = AfterColon(text);
        return;
    }
    if (m_section == Section::None)
        return;

    int position = 0;
    if (m_hostParameter == 0 && FindHostParameter(text, position))
        m_hostParameter = position;
    CQvcString& target = m_section == Section::Description ? m_description
                         : m_section == Section::Usage     ? m_usage
                                                           : m_sample;
    if (!target.IsEmpty())
        target += "\r\n";
    target += text;
    // Usage and sample take exactly one line after their heading.
    if (m_section != Section::Description)
        m_section = Section::None;
}

bool CParserScript::FindHostParameter(const CQvcString& line, int& position) {
    constexpr std::string_view kSeparators = " )\t";
    const std::string_view text = line;
    std::size_t pos = 0;
    const std::string_view number = NextWord(text, pos, kSeparators);
    const std::string_view name = NextWord(text, pos, kSeparators);
    if (number.empty() || name != "strHost" || !CQvcString(number).IsDigits())
        return false;
    errno = 0;
    const long value = std::strtol(std::string(number).c_str(), nullptr, 10);
    if (errno == ERANGE || value < 1 || value > INT_MAX)
        return false;
    position = static_cast<int>(value);
    return true;
}
