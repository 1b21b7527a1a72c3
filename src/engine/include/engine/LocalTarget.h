#pragma once
// What the local check runners (disk space, files, processes, CPU, memory) may reach: this
// computer only, and paths on its own file systems.
#include "library/QvcString.h"

#include <sys/stat.h>

#include <string>

// True when `computer` names this computer: empty, ".", "localhost", a loopback address,
// or this computer's name with or without its domain, letter case ignored.
bool IsLocalComputer(const std::string& computer);
// The response of a check aimed at another computer.
std::string OtherComputerResponse(const std::string& computer);

// A stored path as a path on this computer: "<SNROOT>" stands for the Engine root, "\"
// counts as "/", and a relative path is taken from the Engine root.  False, with the
// reason in `why`, for a network path ("\\server\share\...") or a path with a drive
// letter ("D:\data"), which have no meaning here, and for an empty path.
bool LocalPathFromStored(const std::string& stored, const CQvcString& engineRoot, std::string& path,
                         std::string& why);
// True for "C:", "c:\" and the like: a drive letter with nothing or one separator after it.
bool IsDriveLetter(const std::string& text);

// What stat() found at a local path: Missing when it, or a directory on its way, does not
// exist; Unreadable, with the errno in `error`, for any other failure (permissions).
enum class PathState { Present, Missing, Unreadable };
PathState StatLocalPath(const std::string& path, struct stat& info, int& error);
