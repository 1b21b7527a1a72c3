#pragma once
// Writing files without being led elsewhere by symbolic links.
//
// A program that runs as root and writes in a directory that other users can write to
// (or could once) must not follow a link planted at the name it writes: the link could
// point at any file of the system, or at a name that does not exist yet.  So every write
// here works on a descriptor of the file's directory and the file's bare name:
//  - the final name is opened with O_NOFOLLOW: a link there is refused (ELOOP), whether
//    or not its target exists, and so is anything that is not a regular file;
//  - a replacement is written to a temporary file with a random name, created with
//    O_EXCL, and renamed over the name inside the same directory descriptor;
//  - where a path must stay inside a directory tree (a log path that a request names),
//    the directory is opened first and its real location, as the kernel reports it for
//    that descriptor, is compared with the tree's: neither ".." nor a linked directory
//    leads out, and nothing can be swapped between the check and the write.
// Every function returns 0 or an errno; FileSafetyError turns one into a log text.
#include "platform/UniqueFd.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

// The directory that holds a file, opened, and the file's name in it.
struct FileInDirectory {
    UniqueFd Directory;
    std::string Name;
};

// Opens the directory of `path` (a relative path counts from the working directory).
// EISDIR when `path` has no final name, or its final name is "." or "..".
int OpenDirectoryOf(const std::string& path, FileInDirectory& out);
// The same, and the directory's real location must be `root` or lie below it; EXDEV when
// it does not (ENOENT when `root` does not exist).
int OpenDirectoryWithin(const std::string& path, const std::string& root, FileInDirectory& out);
// The absolute real path of an open directory; empty when it cannot be told.
std::string RealPathOfDirectory(int directory);

// Opens the regular file `name` of `directory` with `flags` (O_CREAT allowed, `mode` for
// a new file) without following a link: ELOOP for a link, EINVAL for a name that is not
// a regular file (a FIFO or device is never waited on).
int OpenFileAt(int directory, const std::string& name, int flags, mode_t mode, UniqueFd& out);
// Reads the whole regular file `name` of `directory` without following a link; ENOENT
// when there is none.
int ReadFileAt(int directory, const std::string& name, std::string& out);
// Replaces (or creates) `name` in `directory` with `content` through a temporary file and
// a rename.  A replaced file keeps its permission bits; a new one gets `newMode` (less
// the umask).  ELOOP when the name is a link, EISDIR for a directory.
int ReplaceFileAt(int directory, const std::string& name, std::string_view content, mode_t newMode = 0666);

// Path forms of the two writes.
int ReplaceFileNoFollow(const std::string& path, std::string_view content, mode_t newMode = 0666);
// Appends `content` to `path`, creating it with `newMode`, when the file's directory lies
// inside `root` (see OpenDirectoryWithin).
int AppendFileWithin(const std::string& path, const std::string& root, std::string_view content,
                     mode_t newMode = 0644);

// Appends `content` to `path` (created with `newMode`) without following a link at its name.
int AppendFileNoFollow(const std::string& path, std::string_view content, mode_t newMode = 0644);

// A short text for an error of the functions above ("is a symbolic link", ...).
std::string FileSafetyError(int error);

} // namespace platform
