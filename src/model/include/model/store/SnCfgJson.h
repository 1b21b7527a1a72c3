#pragma once
// The configuration as a text file for version control: the whole configuration database
// (the folder tree with every field of every node, the nodes outside the tree such as the
// template check, the global settings, the address books and the other settings tables)
// as JSON.  Keys are sorted and rows ordered by their key, so two exports of the same
// configuration are byte for byte the same and a diff shows what changed; folders hold
// their children in tree order.  Passwords stay as stored, scrambled.
//
// Reading validates the whole text before it writes anything, and names the first
// problem with its place in the file ("nodes.children[2] (ID 10017).ScanInterval:
// expected a whole number").  Fields a node or row leaves out take the column's default.
#include "library/QvcString.h"

#include <string>

namespace sncfgjson {

// The text is not a configuration export, or it holds a bad value.
inline constexpr long kErrNotAnExport = 25510;
// The text file cannot be written or read.
inline constexpr long kErrTextFile = 25511;
// The database's tree is damaged or a text in it is no UTF-8: nothing to export faithfully.
inline constexpr long kErrCannotExport = 25512;

inline constexpr const char* kFormatName = "Sentrelle configuration";
inline constexpr int kFormatVersion = 1;

// The configuration database at `database` as JSON text (ending with a line break).
// 0, or a code with `problem` saying what is wrong.
long Write(const CQvcString& database, std::string& text, std::string& problem);

// Replaces the contents of the database at `database` (a configuration file nobody else
// uses yet, e.g. a fresh copy of the template) with what `text` describes.  The tables the
// text names are replaced whole; the others, and the meta-settings that describe the file
// itself, keep what the database holds.  0, or a code with `problem`; on failure the
// database is left as it was.
long Read(const std::string& text, const CQvcString& database, std::string& problem);

} // namespace sncfgjson
