#pragma once
// Reading and replacing profile files on disk, shared by the profile functions and the
// registry hives.
//
// Readers take no lock: they read the whole file with one open, and because writers
// only ever rename a complete file over the old one, the open file is always a complete
// version.  Writers serialise on an exclusive fcntl lock on "<file>.lock" (plus a mutex,
// since fcntl locks belong to the process and do not exclude its own threads), read the
// current file under that lock, change it, write ".<name>.tmp.<random>" in the same
// directory and rename it over the file.  As every writer reads after taking the lock,
// no writer's change is lost to another's.  Writers never follow a symbolic link at the
// file's name or its lock file's name: such a write fails (errno ELOOP).
#include "ProfileDocument.h"

#include <sys/types.h>

#include <functional>
#include <string>

namespace platform::profile {

enum class ReadResult { Ok, Missing, Failed };

// Reads the whole file.  Missing: the file or a directory on its path does not exist.
// Failed: it exists but cannot be read, or is not a regular file.
ReadResult ReadWholeFile(const std::string& path, std::string& out);

// The file's current content; a missing or unreadable file reads as an empty document.
Document Load(const std::string& path);

// Under the writer lock, hands the current content to `edit` and, when `edit` reports a
// change, replaces the file with the edited document.  A missing file starts empty
// (and is created when `edit` changes something).  False when the lock cannot be taken
// (for instance because the directory does not exist), the file cannot be read, or the
// new file cannot be written, or either name is a link; the old file is then untouched and
// errno tells why.  A new file (and lock file) gets `newFileMode` less the umask; a
// replaced file keeps its mode.
bool Update(const std::string& path, const std::function<bool(Document&)>& edit, mode_t newFileMode = 0666);

} // namespace platform::profile
