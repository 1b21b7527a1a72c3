#pragma once
// CParserScript: what the two script readers share.  It loads a script file, serves its
// lines the way the readers expect them, runs the header state machine that collects a
// function's description, usage and sample from its comment lines, and holds the
// description of one script function.
//
// The whole file is read when it is opened (at most kMaxFileBytes), so that a later
// rewrite works on the same snapshot the reader saw, and so that a file that is a
// directory, a FIFO, unreadable, binary or enormous is refused at Open with a reason
// instead of hanging or filling the memory while it is read.
#include "library/QvcBase.h"
#include "library/QvcString.h"

#include <array>
#include <cstddef>
#include <string>

// Why Open refused a file.
enum class ScriptOpenError {
    None,
    Missing,    // no such file
    Directory,  // the path names a directory
    NotRegular, // a device, FIFO or socket
    Unreadable, // no permission, or an I/O error
    TooLarge,   // more than CParserScript::kMaxFileBytes
    Binary,     // holds NUL bytes: not a text file (UTF-16 text included)
};

class CParserScript : public CQvcBase {
public:
    // Number of argument slots of a declaration, a usage and a sample.
    static constexpr int kSlots = 8;
    // The largest script file that is read: far beyond any hand-written script, small
    // enough that a wrong choice (a log or a disk image) is refused before it is loaded.
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
    // Lines arrive as from a 4095-byte read buffer: at most 4094 characters per read,
    // so that a longer line arrives in pieces.
    static constexpr std::size_t kReadLimit = 4095;

    using Slots = std::array<CQvcString, kSlots>;

    explicit CParserScript(const char* name);
    ~CParserScript() override;

    // Loads the file for reading from its start; 0, or -1 when it cannot be opened
    // (OpenError and OpenErrorText then say why).  An open file is closed first.
    int Open(const CQvcString& path);
    // Forgets the file; reading then ends at once.
    void Close();
    bool IsOpen() const { return m_open; }
    // Back to the start of the file.
    void Rewind() { m_position = 0; }
    ScriptOpenError OpenError() const { return m_openError; }
    // A sentence naming the file and the reason, for example
    // "'/x/a.vbs' is a directory."; empty when the last Open succeeded.
    CQvcString OpenErrorText() const;
    const CQvcString& Path() const { return m_path; }
    // The file's bytes as read by Open.
    const std::string& Content() const { return m_content; }

    // --- the function description of the last read --------------------------------
    const CQvcString& Name() const { return m_name; }
    const Slots& Params() const { return m_params; }
    const CQvcString& Description() const { return m_description; }
    const CQvcString& Usage() const { return m_usage; }
    const CQvcString& UsageName() const { return m_usageName; }
    const Slots& UsageArgs() const { return m_usageArgs; }
    const CQvcString& Sample() const { return m_sample; }
    const CQvcString& SampleName() const { return m_sampleName; }
    const Slots& SampleArgs() const { return m_sampleArgs; }
    // 0 when no comment line named the host parameter, otherwise its 1-based position.
    int HostParameter() const { return m_hostParameter; }

    // True when `line`, split at blanks, ")" and tabs, has a whole number of at least 1
    // as its first word and exactly "strHost" as its second ("1) strHost - the host");
    // `position` is then that number.
    static bool FindHostParameter(const CQvcString& line, int& position);

protected:
    // The next piece of the file: up to and including a line feed, at most
    // kReadLimit - 1 bytes, untouched.  False at the end of the file.
    bool ReadLine(CQvcString& line);
    // ReadLine, trimmed of surrounding blanks (and of a UTF-8 byte-order mark at the very
    // start of the file) for testing.  `raw`, when given, receives the untouched piece.
    bool ReadTrimmedLine(CQvcString& line, CQvcString* raw = nullptr);
    // Every text field empty, the host position 0, no header section open.
    void ResetFields();
    // One non-empty trimmed header line that begins with the comment character
    // `comment`: the header state machine (headings, sections, host parameter).
    void HeaderLine(const CQvcString& line, char comment);

    CQvcString m_name;
    Slots m_params;
    CQvcString m_description;
    CQvcString m_usage;
    CQvcString m_usageName;
    Slots m_usageArgs;
    CQvcString m_sample;
    CQvcString m_sampleName;
    Slots m_sampleArgs;
    int m_hostParameter = 0;

private:
    enum class Section { None, Description, Usage, Sample };

    CQvcString m_path;
    std::string m_content;
    std::size_t m_position = 0;
    bool m_open = false;
    ScriptOpenError m_openError = ScriptOpenError::None;
    int m_openErrno = 0;
    Section m_section = Section::None;
};
