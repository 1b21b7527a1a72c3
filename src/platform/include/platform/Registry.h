#pragma once
// The registry, kept in two hive files in the profile-file format.
//
// Sections are key paths ("[Software\Quorvane\Sentrelle\Manager]"), values are
// "Name=dword:0000000a" or "Name=sz:text".  The machine hive is $SENTRELLE_MACHINE_HIVE
// (default /etc/sentrelle/machine.reg), the user hive $SENTRELLE_USER_HIVE (default
// $XDG_CONFIG_HOME/sentrelle/user.reg, or ~/.config/sentrelle/user.reg).  A key exists
// when its section exists.  A hive that cannot be written (its directory cannot be
// created, the file or directory is read-only) answers writes with kRegAccessDenied,
// the way a machine-wide key answers a user without administrator rights.
#include <cstdint>
#include <string>

namespace platform {

enum class Hive { LocalMachine, CurrentUser };

// Result codes: the Windows values, so callers can compare with them.
constexpr long kRegOk = 0;
constexpr long kRegNotFound = 2;     // ERROR_FILE_NOT_FOUND
constexpr long kRegAccessDenied = 5; // ERROR_ACCESS_DENIED
constexpr long kRegBadType = 13;     // ERROR_INVALID_DATA: the value is of the other kind
constexpr long kRegMoreData = 234;   // ERROR_MORE_DATA

// Access flags.  kRegView64 stands for the 64-bit registry view; it changes nothing here
// but keeps the callers' "view first, then without it" rule intact.
constexpr uint32_t kRegRead = 0x20019;
constexpr uint32_t kRegWrite = 0x20006;
constexpr uint32_t kRegAllAccess = 0xF003F;
constexpr uint32_t kRegView64 = 0x0100;

std::string HivePath(Hive hive);

// Opens an existing key: kRegOk, kRegNotFound, or kRegAccessDenied when write access is
// asked for and the hive cannot be written.
long RegOpenKey(Hive hive, const char* path, uint32_t access);
// Creates the key (and nothing else) when missing.
long RegCreateKey(Hive hive, const char* path, uint32_t access);
long RegDeleteKey(Hive hive, const char* path);

long RegQueryDword(Hive hive, const char* path, const char* name, uint32_t* value);
// Text values come back whole in `value`; `maxChars` > 0 asks for kRegMoreData when the
// text does not fit in that many characters plus its NUL (the value is then cut).
long RegQueryString(Hive hive, const char* path, const char* name, std::string* value, uint32_t maxChars = 0);
long RegSetDword(Hive hive, const char* path, const char* name, uint32_t value);
long RegSetString(Hive hive, const char* path, const char* name, const char* value);
long RegDeleteValue(Hive hive, const char* path, const char* name);

// --- The access rule every caller follows ------------------------------------------
// Opens with the 64-bit view first and, on kRegAccessDenied, again without it.
long RegOpenKeyWithView(Hive hive, const char* path, uint32_t access);
// Ensures a key: open for reading; when that fails create it with full access (view,
// then without); as a last resort open for reading without the view flag.
long RegEnsureKey(Hive hive, const char* path);

// Reads a value with a default (the key is ensured), writes the value read back so that
// defaults appear on first use, and returns it.  A failing write is ignored.
uint32_t RegReadDwordWriteBack(Hive hive, const char* path, const char* name, uint32_t def);
// Text is read into 511 characters (longer values are cut), trimmed of blanks and line
// breaks when `trim` is set, then written back.
std::string RegReadStringWriteBack(Hive hive, const char* path, const char* name, const char* def,
                                   bool trim = true);

} // namespace platform
