#pragma once
// The log files of notification tests (not part of the engine's interface).
#include "library/QvcString.h"

#include <functional>
#include <string>
#include <vector>

// Appends the lines, each after the local time, to the log file `stored` (a stored path,
// "<SNROOT>" allowed) when its directory lies inside the Engine root and the name is not
// a link.  Returns 0 (also when the path is empty), or the errno of the refusal or failure,
// which also goes to the warning sink.
int AppendNotificationLog(const std::string& stored, const CQvcString& engineRoot,
                          const std::vector<std::string>& lines);
// Where refused or failed log writes are reported (the engine's own log); none by default.
void SetNotificationLogWarnings(std::function<void(const std::string&)> sink);
