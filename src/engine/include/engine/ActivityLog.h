#pragma once
// CActivityLog: the live activity log that the Managers show, section "ActLog" of
// Sys/Act/actlog.dat.  Each event is one line of three fields joined by "||": a key of
// eight upper-case hexadecimal digits that grows with every line, the time in seconds
// since 1970, and the text.  A log starts with a restart line keyed "00000000", which
// tells the Managers that the keys begin again; the log keeps the restart line and the
// newest lines up to its limit.  Only the engine writes this file, so the section is
// kept in memory and written whole when it changed.
#include "library/QvcString.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

class CActivityLog {
public:
    static constexpr std::size_t kDefaultMaxLines = 2000;

    // `maxLines` counts the restart line; at least 2.
    explicit CActivityLog(CQvcString path, std::size_t maxLines = kDefaultMaxLines);

    const CQvcString& Path() const { return m_path; }

    // Starts a new log: every earlier line goes, the restart line is keyed "00000000",
    // and the following lines are keyed from 1 again.
    void Restart(std::int64_t when, std::string_view text);
    // Appends an event; the oldest line after the restart line goes when the log is full.
    void Add(std::int64_t when, std::string_view text);

    bool HasPending() const { return m_dirty; }
    // Replaces the section in the file with the lines kept; true when written (or
    // nothing changed).  On failure the lines are written at the next flush.
    bool Flush();

    // The lines as they go into the file ("key||time||text").
    const std::deque<std::string>& Lines() const { return m_lines; }

private:
    void Append(std::uint32_t key, std::int64_t when, std::string_view text);

    CQvcString m_path;
    std::size_t m_maxLines;
    std::deque<std::string> m_lines;
    std::uint32_t m_nextKey = 1;
    bool m_dirty = false;
};
