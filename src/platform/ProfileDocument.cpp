#include "ProfileDocument.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace platform::profile {

namespace {

std::string_view EolText(Eol eol) {
    switch (eol) {
    case Eol::CrLf:
        return "\r\n";
    case Eol::Lf:
        return "\n";
    case Eol::Cr:
        return "\r";
    case Eol::None:
        break;
    }
    return "";
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Narrows [begin, end) of `text` to its non-blank middle.
void TrimRange(std::string_view text, std::size_t& begin, std::size_t& end) {
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
}

} // namespace

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view TrimBlanks(std::string_view s) {
    std::size_t begin = 0, end = s.size();
    TrimRange(s, begin, end);
    return s.substr(begin, end - begin);
}

std::string_view TrimSpaces(std::string_view s) {
    const auto begin = s.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    return s.substr(begin, s.find_last_not_of(' ') - begin + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

std::string_view StripQuotes(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

Line ParseLine(std::string text, Eol eol) {
    Line line;
    line.text = std::move(text);
    line.eol = eol;
    const std::string_view t = line.text;
    std::size_t first = 0;
    while (first < t.size() && IsBlank(t[first]))
        ++first;
    if (first == t.size()) {
        line.kind = LineKind::Blank;
    } else if (t[first] == ';') {
        line.kind = LineKind::Comment;
    } else if (t[first] == '[') {
        line.kind = LineKind::Section;
        const std::size_t close = t.find(']', first + 1);
        line.nameBegin = first + 1;
        line.nameEnd = close == std::string_view::npos ? t.size() : close;
        TrimRange(t, line.nameBegin, line.nameEnd);
    } else if (const std::size_t eq = t.find('=', first); eq != std::string_view::npos) {
        line.kind = LineKind::Entry;
        line.equals = eq;
        line.nameBegin = first;
        line.nameEnd = eq;
        TrimRange(t, line.nameBegin, line.nameEnd);
        line.valueBegin = eq + 1;
        line.valueEnd = t.size();
        TrimRange(t, line.valueBegin, line.valueEnd);
    } else {
        line.kind = LineKind::Text;
        line.nameBegin = first;
        line.nameEnd = t.size();
        TrimRange(t, line.nameBegin, line.nameEnd);
    }
    return line;
}

Document Document::Parse(std::string_view bytes) {
    Document doc;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) {
        doc.utf8Bom_ = true;
        bytes.remove_prefix(kBom.size());
    }
    doc.lines_.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    bool styleFound = false;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // A plain loop: find_first_of with a two-character set calls memchr per byte.
        std::size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        Eol eol = Eol::None;
        std::size_t next = bytes.size();
        if (end == bytes.size()) {
            // the last line, without a terminator
        } else if (bytes[end] == '\n') {
            eol = Eol::Lf;
            next = end + 1;
        } else if (end + 1 < bytes.size() && bytes[end + 1] == '\n') {
            eol = Eol::CrLf;
            next = end + 2;
        } else {
            eol = Eol::Cr;
            next = end + 1;
        }
        if (!styleFound && eol != Eol::None) {
            doc.style_ = eol;
            styleFound = true;
        }
        doc.lines_.push_back(ParseLine(std::string(bytes.substr(pos, end - pos)), eol));
        pos = next;
    }
    return doc;
}

std::string Document::Serialize() const {
    std::size_t total = 0;
    for (const Line& line : lines_)
        total += line.text.size() + 2;
    std::string out;
    out.reserve(total + 3);
    if (utf8Bom_)
        out += "\xEF\xBB\xBF";
    for (const Line& line : lines_) {
        out += line.text;
        // A last line without a terminator gets one: whatever is appended to the file
        // later must start on a line of its own.
        out += EolText(line.eol == Eol::None ? style_ : line.eol);
    }
    return out;
}

std::vector<std::string> Document::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Section)
            names.emplace_back(line.Name());
    }
    return names;
}

std::size_t Document::FindSectionFrom(std::size_t from, std::string_view section) const {
    for (std::size_t i = from; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section && EqualsNoCase(lines_[i].Name(), section))
            return i;
    }
    return kNone;
}

std::size_t Document::FindSection(std::string_view section) const {
    return FindSectionFrom(0, section);
}

std::size_t Document::BodyEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != LineKind::Section)
        ++i;
    return i;
}

std::size_t Document::ContentEnd(std::size_t header) const {
    const std::size_t end = BodyEnd(header);
    std::size_t last = header + 1;
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == LineKind::Entry || lines_[i].kind == LineKind::Text)
            last = i + 1;
    }
    return last;
}

const Line* Document::FindEntry(std::string_view section, std::string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == kNone)
        return nullptr;
    const std::size_t end = BodyEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == LineKind::Entry && EqualsNoCase(lines_[i].Name(), key))
            return &lines_[i];
    }
    return nullptr;
}

std::vector<const Line*> Document::SectionBody(std::string_view section) const {
    std::vector<const Line*> body;
    const std::size_t header = FindSection(section);
    if (header == kNone)
        return body;
    const std::size_t end = BodyEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        body.push_back(&lines_[i]);
    return body;
}

Line Document::MakeLine(std::string text) const {
    return ParseLine(std::move(text), style_);
}

std::size_t Document::AppendSection(std::string_view section) {
    std::string header;
    header.reserve(section.size() + 2);
    header += '[';
    header += section;
    header += ']';
    lines_.push_back(MakeLine(std::move(header)));
    return lines_.size() - 1;
}

bool Document::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string text;
    text.reserve(key.size() + value.size() + 1);
    std::size_t header = FindSection(section);
    if (header == kNone) {
        header = AppendSection(section);
    } else {
        const std::size_t end = BodyEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            Line& line = lines_[i];
            if (line.kind != LineKind::Entry || !EqualsNoCase(line.Name(), key))
                continue;
            // The key keeps the spelling it has in the file.
            text.append(line.Name()).append("=").append(value);
            if (text == line.text)
                return false;
            line = ParseLine(std::move(text), line.eol);
            return true;
        }
    }
    text.append(key).append("=").append(value);
    const std::size_t at = ContentEnd(header);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(std::move(text)));
    return true;
}

bool Document::SetValues(std::string_view section, const std::vector<Change>& changes) {
    if (changes.empty())
        return false;
    // What the changes of one key add up to, made one by one: a delete removes every
    // entry of the key, so a set after the last delete adds a new entry at the end of
    // the section (placed by that set, spelled as it spells the key); without a delete
    // the first entry takes the last value in place, or a new entry is added.
    struct Outcome {
        bool deleted = false;      // some change deletes the key
        std::size_t firstSet = 0;  // the first set after the last delete (when `set`)
        std::size_t lastSet = 0;   // the value that stays
        bool set = false;
    };
    std::unordered_map<std::string, Outcome> outcomes;
    std::string folded;
    const auto fold = [&folded](std::string_view key) -> const std::string& {
        folded.assign(key);
        for (char& c : folded)
            c = FoldCase(c);
        return folded;
    };
    bool anySet = false;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        Outcome& outcome = outcomes[fold(changes[i].key)];
        if (changes[i].value == nullptr) {
            outcome.deleted = true;
            outcome.set = false;
            continue;
        }
        anySet = true;
        if (!outcome.set)
            outcome.firstSet = i;
        outcome.lastSet = i;
        outcome.set = true;
    }

    std::size_t header = FindSection(section);
    bool changed = false;
    if (header == kNone) {
        if (!anySet)
            return false;
        header = AppendSection(section);
        changed = true;
    }

    // Existing entries: the first of a key that is only set takes its value in place,
    // every entry of a deleted key goes.
    std::unordered_map<std::string, bool> setInPlace;
    std::vector<Line> body;
    const std::size_t end = BodyEnd(header);
    body.reserve(end - header - 1);
    for (std::size_t i = header + 1; i < end; ++i) {
        Line& line = lines_[i];
        const auto found = line.kind == LineKind::Entry ? outcomes.find(fold(line.Name())) : outcomes.end();
        if (found == outcomes.end()) {
            body.push_back(std::move(line));
            continue;
        }
        const Outcome& outcome = found->second;
        if (outcome.deleted) {
            changed = true;
            continue;
        }
        bool& done = setInPlace[found->first];
        if (!done) {
            done = true;
            std::string text;
            text.append(line.Name()).append("=").append(*changes[outcome.lastSet].value);
            if (text != line.text) {
                line = ParseLine(std::move(text), line.eol);
                changed = true;
            }
        }
        body.push_back(std::move(line));
    }

    // New entries, in the order their first set came, after the last entry or text line.
    std::vector<std::pair<std::size_t, const Outcome*>> fresh;
    for (const auto& [key, outcome] : outcomes) {
        if (outcome.set && setInPlace.count(key) == 0)
            fresh.emplace_back(outcome.firstSet, &outcome);
    }
    std::sort(fresh.begin(), fresh.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!fresh.empty()) {
        std::size_t contentEnd = 0;
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i].kind == LineKind::Entry || body[i].kind == LineKind::Text)
                contentEnd = i + 1;
        }
        std::vector<Line> added;
        added.reserve(fresh.size());
        for (const auto& [position, outcome] : fresh) {
            std::string text(changes[position].key);
            text.append("=").append(*changes[outcome->lastSet].value);
            added.push_back(MakeLine(std::move(text)));
        }
        body.insert(body.begin() + static_cast<std::ptrdiff_t>(contentEnd), std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
        changed = true;
    }
    if (!changed) {
        // Nothing differs: the lines moved out go back unchanged.
        std::move(body.begin(), body.end(), lines_.begin() + static_cast<std::ptrdiff_t>(header + 1));
        return false;
    }
    const auto first = lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1),
                                    lines_.begin() + static_cast<std::ptrdiff_t>(end));
    lines_.insert(first, std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
    return true;
}

bool Document::DeleteKey(std::string_view section, std::string_view key) {
    const std::size_t header = FindSection(section);
    if (header == kNone)
        return false;
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(header + 1);
    const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(BodyEnd(header));
    const auto kept = std::remove_if(first, last, [&](const Line& line) {
        return line.kind == LineKind::Entry && EqualsNoCase(line.Name(), key);
    });
    if (kept == last)
        return false;
    lines_.erase(kept, last);
    return true;
}

bool Document::DeleteSection(std::string_view section) {
    bool changed = false;
    for (std::size_t header = FindSection(section); header != kNone;
         header = FindSectionFrom(header, section)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(BodyEnd(header)));
        changed = true;
    }
    return changed;
}

bool Document::ReplaceSection(std::string_view section, const std::vector<std::string>& newLines) {
    std::size_t header = FindSection(section);
    std::size_t begin = 0, end = 0;
    if (header == kNone) {
        header = AppendSection(section);
        begin = end = header + 1;
    } else {
        begin = header + 1;
        end = ContentEnd(header);
        const bool same =
            end - begin == newLines.size() &&
            std::equal(newLines.begin(), newLines.end(), lines_.begin() + static_cast<std::ptrdiff_t>(begin),
                       [](const std::string& text, const Line& line) { return text == line.text; });
        if (same)
            return false;
    }
    std::vector<Line> made;
    made.reserve(newLines.size());
    for (const std::string& text : newLines)
        made.push_back(MakeLine(text));
    const auto at = lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(begin),
                                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    lines_.insert(at, std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    return true;
}

bool Document::EnsureSection(std::string_view section) {
    if (HasSection(section))
        return false;
    AppendSection(section);
    return true;
}

} // namespace platform::profile
