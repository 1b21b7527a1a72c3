#pragma once
// In-memory model of one profile (INI) file: the parser, the queries that the reading
// functions answer from, and the edits that the writing functions make.
//
// The model keeps every line of the file byte for byte together with its own line
// terminator, so a rewrite changes exactly the lines an edit touched.  Lines that the
// model adds take the file's line-ending style: the first terminator found in the file,
// or CRLF for a file that has none yet.
//
// Parsing rules:
//  - a UTF-8 byte-order mark at the start of the file (as some editors save) is skipped;
//  - blanks are space, tab and vertical tab;
//  - a line whose first non-blank character is ';' is a comment (there are no inline
//    comments, and '#' has no meaning);
//  - a line whose first non-blank character is '[' is a section header; the name runs
//    to the first ']' and is trimmed, text after the ']' is ignored.  A header whose ']'
//    is missing names the section with the rest of the line: the line was clearly meant
//    as a header, and attaching the keys that follow to the previous section would make
//    them answer for the wrong section;
//  - any other non-blank line with '=' is an entry: key and value are trimmed of blanks;
//  - a non-blank line without '=' is kept as bare text: it is not a key, but it is
//    listed by a whole-section read;
//  - lines before the first header belong to no section and are never searched.
// Names compare without regard to ASCII letter case.  Only the first of several
// sections with the same name is searched, and within it the first of equal keys wins.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::profile {

enum class LineKind : std::uint8_t { Blank, Comment, Section, Entry, Text };
enum class Eol : std::uint8_t { None, CrLf, Lf, Cr };

struct Line {
    std::string text; // the line without its terminator
    Eol eol = Eol::None;
    LineKind kind = LineKind::Blank;
    // Section: the trimmed name; Entry: the trimmed key; Text: the trimmed text.
    std::size_t nameBegin = 0, nameEnd = 0;
    // Entry only: the trimmed value, and the position of the '='.
    std::size_t valueBegin = 0, valueEnd = 0, equals = 0;

    std::string_view Name() const { return std::string_view(text).substr(nameBegin, nameEnd - nameBegin); }
    std::string_view Value() const {
        return std::string_view(text).substr(valueBegin, valueEnd - valueBegin);
    }
    // Everything after the '=', blanks included.
    std::string_view RawValue() const { return std::string_view(text).substr(equals + 1); }
};

bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view s);
// Strips leading and trailing spaces only, as done to the names callers pass in.
std::string_view TrimSpaces(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Strips one pair of equal quote characters (' or ") around the text.
std::string_view StripQuotes(std::string_view s);

class Document {
public:
    static Document Parse(std::string_view bytes);
    std::string Serialize() const;

    const std::vector<Line>& Lines() const { return lines_; }

    // --- Queries -------------------------------------------------------------------
    // Every section header's name, duplicates included, in file order.
    std::vector<std::string> SectionNames() const;
    bool HasSection(std::string_view section) const { return FindSection(section) != kNone; }
    // The first entry with that key in the first section of that name, or null.
    const Line* FindEntry(std::string_view section, std::string_view key) const;
    // All lines of the first section of that name, in order (header excluded).
    std::vector<const Line*> SectionBody(std::string_view section) const;

    // --- Edits; each returns whether the document changed ---------------------------
    // Sets the first matching key (its spelling and place are kept) or adds it right
    // after the last entry or text line of the section; adds the section at the end
    // when it is missing.  The value is stored verbatim.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Many keys of one section in one pass, with the result of making the changes one by
    // one: a change with a value as SetValue, one without as DeleteKey.  Keys are found
    // through an index of the section, so the cost grows with the size of the section
    // plus the number of changes, not with their product.
    struct Change {
        std::string_view key;
        const std::string* value; // null deletes the key
    };
    bool SetValues(std::string_view section, const std::vector<Change>& changes);
    // Removes every entry with that key from the first section of that name, so that a
    // read afterwards finds nothing; the header stays.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines, so that no older copy of
    // the section comes back to light once the first is gone.
    bool DeleteSection(std::string_view section);
    // Replaces the entries and text lines of the first section of that name with the
    // given lines (written verbatim); comments and blank lines that follow the last
    // entry stay where they are, since they usually introduce the next section.  Adds
    // the section at the end when it is missing.
    bool ReplaceSection(std::string_view section, const std::vector<std::string>& lines);
    // Adds an empty section at the end when none of that name exists.
    bool EnsureSection(std::string_view section);

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t FindSection(std::string_view section) const;
    std::size_t FindSectionFrom(std::size_t from, std::string_view section) const;
    std::size_t BodyEnd(std::size_t header) const;
    // One past the last entry or text line of the section, or header + 1.
    std::size_t ContentEnd(std::size_t header) const;
    std::size_t AppendSection(std::string_view section);
    Line MakeLine(std::string text) const;

    std::vector<Line> lines_;
    Eol style_ = Eol::CrLf;
    bool utf8Bom_ = false; // kept aside so that the first line parses, and written back
};

// Classifies one line (without its terminator).
Line ParseLine(std::string text, Eol eol);

} // namespace platform::profile
