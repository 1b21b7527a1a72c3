#pragma once
// Showing files to the user in other programs: the desktop's associated program
// (xdg-open) and a text viewer for plain text files.
#include "platform/Process.h"

#include <string>
#include <vector>

namespace platform {

// How long OpenWithAssociatedProgram waits for xdg-open's verdict.
inline constexpr unsigned kAssociatedProgramWaitMs = 3000;

// Text editors tried, in order, after $VISUAL.
inline constexpr const char* kTextViewers[] = {"gnome-text-editor", "gedit", "kate",       "mousepad",
                                               "xed",               "pluma", "featherpad"};

// The command that shows a text file: $VISUAL (split at blanks, its program found on
// $PATH), else the first editor of kTextViewers found on $PATH, else xdg-open; the file
// is the last argument and every program is given by its full path.  Empty when none of
// them exists.
std::vector<std::string> TextViewerCommand(const std::string& file);

enum class ViewResult { Ok, NotFound, NotStarted };
// Starts the text viewer on the file without waiting for it.
ViewResult ViewTextFile(const std::string& file, IProcessLauncher& launcher = SystemProcessLauncher());

// Opens the file with the program the desktop associates with its type: 0, or -1 when
// xdg-open is missing, cannot start, or ends with a failure within the wait.  xdg-open
// reports a missing association, a missing file or a missing program at once; when it
// still runs after the wait it has handed the file to a program that stays in the
// foreground, which counts as success.
int OpenWithAssociatedProgram(const std::string& file, IProcessLauncher& launcher = SystemProcessLauncher(),
                              unsigned waitMs = kAssociatedProgramWaitMs);

} // namespace platform
