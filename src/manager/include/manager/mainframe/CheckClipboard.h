#pragma once
// The check clipboard: copied checks travel by identifier as plain text in this block:
// one zero byte, the identifiers in ascending order joined by ",", one zero byte.  Other
// programs therefore see an empty text.
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kCheckClipboardMime = "text/plain";

// The block for a set of identifiers (sorted ascending here).
std::string MakeCheckClipboard(std::vector<long> ids);
// The identifiers of a block: the first byte is skipped, the rest is cut at its first
// zero byte and split at "," or ";".  Empty pieces are left out; a piece that is not a
// number reads as 0, which names no node.
std::vector<long> ParseCheckClipboard(std::string_view block);
