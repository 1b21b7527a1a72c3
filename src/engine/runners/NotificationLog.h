#pragma once
// The log files of notification tests (not part of the engine's interface).
#include "library/QvcString.h"

#include <string>
#include <vector>

// Appends the lines, each after the local time, to the log file `stored` (a stored path,
// "<SNROOT>" allowed) when it lies inside the Engine root; nothing when the path is empty
// or outside, or the file cannot be written.
void AppendNotificationLog(const std::string& stored, const CQvcString& engineRoot,
                           const std::vector<std::string>& lines);
