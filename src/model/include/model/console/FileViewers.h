#pragma once
// Showing files to the user: the engine's current text log ("Show Log File") and any text
// file in the text viewer.  Each returns 0 on success, or -1 after handing the message
// to show (error icon) to `showError`.  The programs are started through a launcher so
// that tests can record them instead.
#include "library/QvcString.h"
#include "platform/Process.h"

#include <functional>

class CSnCfg;
class CSnLogSettings;

using ShowErrorFn = std::function<void(const CQvcString& text)>;

// The engine's current text log file as a native path.  A TextLogPath that ends with a
// separator names the log directory, and the file is "Log.txt" in it; otherwise it names
// the file itself, which is the one the engine writes (a full log is backed up under
// another name and the file started again).  "<SNROOT>" stands for `engineRoot`.  A path
// naming an existing directory counts as the directory.
CQvcString CurrentLogFilePath(const CSnLogSettings& settings, const CQvcString& engineRoot);

// "Show Log File": reads the log settings (their error text on failure), refuses with
// 59523 while logging is disabled, 51685 when the file does not exist, and opens the file
// with its associated program (59524 when that fails).
int ShowLogFile(CSnCfg& store, const ShowErrorFn& showError,
                platform::IProcessLauncher& launcher = platform::SystemProcessLauncher());

// Shows a text file in the text viewer: 51475 when no viewer exists, 51476 when it does
// not start.
int ViewInTextViewer(const CQvcString& file, const ShowErrorFn& showError,
                     platform::IProcessLauncher& launcher = platform::SystemProcessLauncher());
