#pragma once
// Profile (INI) files with the semantics of the Windows profile functions.
//
// Reading: section and key names match without regard to case, blanks around keys and
// values are trimmed, one outer pair of equal quotes is stripped, the first of two equal
// sections or keys wins, CR, LF and CRLF all end a line.  Null section / null key list
// the names.  Truncation follows the Windows return values (size-1 for one value,
// size-2 for a list).
//
// Writing: a null value deletes the key, a null key deletes the section; a new section
// goes to the end, a new key right after the last key of its section.  Every writer takes
// an exclusive fcntl lock on the hidden side file ".<name>.lock" beside the file, reads,
// changes, writes the hidden ".<name>.tmp.<random>" and renames it over the file (hidden,
// so that callers who count the files of a directory by their name prefix never count
// them), so readers (which never lock) see either the old or the new file and concurrent
// writers of several processes lose no update.  A writer never follows a symbolic link at
// the file's name or at its lock file's: the write fails instead (see SafeFile.h).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The side file on which the writers of `path` lock: ".<name>.lock" in the same directory.
std::string ProfileLockFile(const std::string& path);

// --- The raw functions, Windows signatures and return values -------------------------

uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf,
                                 uint32_t size, const char* file);
// Unsigned like its Windows model: a negative number in the file comes back as its
// two's-complement value; a value that does not start with a number gives 0.
uint32_t GetPrivateProfileInt(const char* section, const char* key, int def, const char* file);
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file);
// `data` is a double-NUL list of "key=value" strings that replaces the section's lines.
uint32_t GetPrivateProfileSection(const char* section, char* buf, uint32_t size, const char* file);
bool WritePrivateProfileSection(const char* section, const char* data, const char* file);
uint32_t GetPrivateProfileSectionNames(char* buf, uint32_t size, const char* file);

// --- What the system's callers use: retries and buffer sizes as the engine link expects -

// Reads into 511 characters; a result of 510 or more is read again into 65535.
std::string ProfileReadText(const char* file, const char* section, const char* key, const char* def);
int ProfileReadInt(const char* file, const char* section, const char* key, int def);
// Up to 3 attempts, 10 ms apart.  False when every attempt failed.
bool ProfileWriteText(const char* file, const char* section, const char* key, const char* value);
// Formats "%d" and writes once.
bool ProfileWriteInt(const char* file, const char* section, const char* key, int value);
bool ProfileDeleteKey(const char* file, const char* section, const char* key);
bool ProfileDeleteSection(const char* file, const char* section);
// Reads a whole section into `buf` (a double-NUL list, capacity `size`).  When nothing
// comes back, writes "EXISTS"="1" into the section (creating the file if need be), waits
// 150 ms and reads once more.  Returns the count the last read gave.
uint32_t ProfileReadSection(const char* file, const char* section, char* buf, uint32_t size);
// Up to 3 attempts, 10 ms apart.  `data` is a double-NUL list.
bool ProfileWriteSection(const char* file, const char* section, const char* data);
std::vector<std::string> ProfileListSections(const char* file);

// One change of ProfileWriteKeys: a key and its new value, or no value to delete the key.
struct ProfileChange {
    std::string key;
    std::optional<std::string> value;
};
// Sets and deletes many keys of one section in one locked update (one read and one
// rewrite of the file, however many keys), with the semantics of the single-key writer
// for each key; a later change of the same key wins.  Up to 3 attempts, 10 ms apart.
// True when the file holds the changes afterwards (also when nothing had to change).
bool ProfileWriteKeys(const char* file, const char* section, const std::vector<ProfileChange>& changes);
// The entries of a section as (key, value) pairs in file order, as the single-key reader
// sees them (trimmed, one pair of outer quotes stripped), the first of equal keys only.
// Unlike the whole-section reader it neither seeds a missing section nor cuts a long one.
std::vector<std::pair<std::string, std::string>> ProfileReadEntries(const char* file, const char* section);
std::vector<std::string> ProfileListKeys(const char* file, const char* section);

} // namespace platform
