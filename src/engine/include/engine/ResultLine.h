#pragma once
// ResultLine: one check's line in section "Results" of the result file, seven fields
// joined by "||":  status || last update || processing || comment || duration || data ||
// response.  Texts are kept on one line and free of "||" when written, so that every
// reader splits the line back into the same seven fields.
#include "library/QvcString.h"

#include <cstdint>
#include <string_view>

struct ResultLine {
    // The longest text a field keeps (in bytes, cut at a character boundary).
    static constexpr std::size_t kMaxText = 2000;

    std::int32_t Status = 0;
    std::int64_t LastUpdate = 0; // seconds since 1970; 0 never
    std::int32_t Processing = 0;
    CQvcString Comment;
    std::int32_t Duration = 0; // seconds
    CQvcString Data;
    CQvcString Response;

    // "%d||%lld||%d||%s||%d||%s||%s" with the texts made safe (see FieldText).
    CQvcString Format() const;
    // A value as read from the file; missing fields read as 0 or empty, numbers as the
    // engine link reads them.
    static ResultLine Parse(std::string_view value);
    // A text as a field may hold it: line breaks and tabs become blanks, a run of bars
    // becomes one bar and bars at either end go (so no "||" can form with the
    // separators), blanks at the ends are trimmed, and the text is cut at kMaxText.
    static CQvcString FieldText(std::string_view text);

    bool operator==(const ResultLine& other) const = default;
};
