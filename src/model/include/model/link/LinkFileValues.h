#pragma once
// Values in the small profile files shared with the engine (results, requests,
// responses): how numbers are read, how texts are kept on their line, and how a whole
// section is built, searched and removed.
#include "library/QvcSectionString.h"
#include "library/QvcString.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The C library's atoi/atol as the engine's original platform defines them (32-bit
// long): leading white space, an optional sign, then decimal digits up to the first
// other character.  Text that is not a number reads as 0; a number outside the 32-bit
// range saturates at its limit instead of wrapping.
std::int32_t LinkParseInt(std::string_view text);

// A text as it may stand in one profile line: CR LF, a lone CR and a lone LF each
// become "||" (a line break would end the entry and turn the rest into a stray line).
CQvcString LinkOneLine(std::string_view text);

// Appends "key=value" to a section under construction when the entry, its terminator
// and the entries before it fit in `usable` bytes; false (and nothing appended) when
// it does not fit, so that later, smaller entries can still be added.
bool LinkAppendEntry(CQvcSectionString& section, std::string_view key, std::string_view value,
                     std::size_t usable);

// The value of the first entry "key=value" whose key equals `key`, letter case ignored
// (entries as a whole-section read returns them, keys already trimmed).
bool LinkFindValue(const std::vector<std::string_view>& entries, std::string_view key,
                   std::string_view& value);

// Deletes a profile file and the hidden side file on which its writers lock.
// Only for files that no other writer still uses, such as the files of a finished
// request.  True when the file itself is gone afterwards.
bool LinkDeleteProfileFile(const CQvcString& path);
