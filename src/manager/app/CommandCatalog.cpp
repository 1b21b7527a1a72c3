#include "manager/app/CommandCatalog.h"

#include "model/console/CommandIds.h"

#include <algorithm>
#include <array>

namespace {

// Sorted by identifier (checked below: the lookup is a binary search).
constexpr CCommandInfo kCommands[] = {
    {cmd::kNewConfiguration, "&New Configuration", "", "Start again with a new, empty configuration",
     "new-configuration"},
    {cmd::kImportConfiguration, "&Import Configuration...", "", "Replace the configuration with an exported one",
     "import"},
    {cmd::kExportConfiguration, "&Export Configuration...", "", "Save a copy of the configuration to a file",
     "export"},
    {cmd::kConnect, "&Connect to Engine...", "", "Work with the configuration of another Engine", ""},
    {cmd::kReadOnly, "Read Only", "", "Switch between read-only and writable access to the configuration", ""},
    {30, "Windows &2000", "", "Plain look: the classic light grey window colours", ""},
    {31, "Office &XP", "", "Light look: white panes on a soft grey frame (the default)", ""},
    {32, "&Windows XP", "", "Follow the colours of the desktop theme", ""},
    {33, "Office 200&3", "", "Mist look: light blue-grey panes", ""},
    {34, "&Blue Style", "", "Blue look", ""},
    {35, "B&lack Style", "", "Dark look", ""},
    {36, "&Silver Style", "", "Silver look", ""},
    {37, "&Aqua Style", "", "Aqua look", ""},
    {cmd::kCustomizeToolbar, "&Customize the Toolbar", "", "Choose the toolbar's buttons", ""},
    {cmd::kShowLogFile, "S&how Log File", "", "Open the Engine's current log file", "log-file"},
    {cmd::kCaptureActivity, "&Capture Activity View", "", "Keep adding the Engine's activity to the activity view",
     ""},
    {cmd::kAutoRefreshSettings, "&Auto Refresh Settings...", "", "Choose how often the window shows new results",
     ""},
    {cmd::kRefresh, "&Refresh", "F5", "Reload the configuration and show the latest results", "refresh"},
    {44, "Display Name", "", "Show or hide the Display Name column", ""},
    {45, "Type", "", "Show or hide the Type column", ""},
    {46, "Computer", "", "Show or hide the Host column", ""},
    {47, "ID", "", "Show or hide the ID column", ""},
    {48, "Check Frequency", "", "Show or hide the Check Frequency column", ""},
    {49, "Folder", "", "Show or hide the Folder column", ""},
    {50, "Result", "", "Show or hide the Result column", ""},
    {51, "Last Update", "", "Show or hide the Last Monitored column", ""},
    {52, "Data", "", "Show or hide the Data column", ""},
    {53, "Last Response", "", "Show or hide the Last Response column", ""},
    {54, "Last Duration", "", "Show or hide the Last Duration column", ""},
    {55, "Comments", "", "Show or hide the Comments column", ""},
    {cmd::kService, "&Service...", "", "Start, stop or restart the Engine service", "service"},
    {cmd::kDependencies, "&Dependencies...", "", "Show which checks depend on which", "dependencies"},
    {cmd::kMaintenance, "&Maintenance...", "", "Plan maintenance windows for all checks", "maintenance"},
    {cmd::kTemplates, "&Templates...", "", "Edit the notification message templates", ""},
    {cmd::kWebInterface, "&Web Interface", "", "Open the web view of the check results", "web"},
    {cmd::kWebInterfaceSettings, "Web Interface &Settings...", "", "Choose what the web view shows", ""},
    {cmd::kRemoteInstallation, "&Remote Installation...", "", "Install the Manager on another computer", ""},
    {cmd::kReports, "&Reports...", "", "Availability and response-time reports", "reports"},
    {cmd::kCreateGraph, "&Create New Graph...", "", "Draw a graph of the selected checks' results", ""},
    {cmd::kDiagnostics, "&Diagnostic Tools...", "", "Tools for finding problems with the Engine", ""},
    {cmd::kNotificationSettings, "&Notification Settings...", "",
     "E-mail, SMS, pager and other notification channels", "notifications"},
    {cmd::kOptions, "&Options...", "", "Logging, backup, date and time formats and advanced settings", "options"},
    {cmd::kQuickConfiguration, "&Quick Configuration Wizard...", "", "Create sample checks and first settings",
     ""},
    {cmd::kNewCheck, "&New Monitoring Check...", "Ctrl+N", "Create a new check in the selected folder",
     "new-check"},
    {cmd::kNewVBScriptCheck, "New &VBScript Check...", "", "Create a new check that runs a VBScript function",
     ""},
    {cmd::kNewPowerShellCheck, "New &PowerShell Check...", "",
     "Create a new check that runs a PowerShell script", ""},
    {cmd::kNewSshCheck, "New &SSH Check (Linux/Unix)...", "", "Create a new check that runs a command over SSH",
     ""},
    {cmd::kNewFolder, "New &Folder", "Ctrl+Shift+N", "Create a folder in the selected folder", "new-folder"},
    {cmd::kProperties, "&Properties...", "Alt+Return", "Edit the selected check or folder", "properties"},
    {cmd::kMonitorSelectedNow, "&Selected Check(s) only", "Ctrl+M", "Ask the Engine to run the selected checks now",
     "monitor-now"},
    {cmd::kMonitorFolderNow, "&All Check(s) in the selected Folder", "Ctrl+Shift+M",
     "Ask the Engine to run every check of the selected folder now", "monitor-folder"},
    {cmd::kDelete, "&Delete", "Del", "Delete the selected checks or folder", "delete"},
    {cmd::kHold, "&Hold", "", "Stop or resume running the selected checks", "hold"},
    {cmd::kClearFailure, "&Clear Failure", "", "Clear the failure state of the selected checks", "clear-failure"},
    {cmd::kHistoryDetail, "&Show History (Detail)...", "", "Every result of the selected check", ""},
    {cmd::kHistoryAvailability, "Sho&w History (Availability)...", "", "Availability of the selected check", ""},
    {cmd::kShowGraph, "Sho&w Graph...", "", "Graph of the selected checks' results", "graph"},
    {cmd::kRename, "&Rename", "F2", "Rename the selected check or folder", "rename"},
    {cmd::kHelpTopics, "&Help Topics", "F1", "Open the Manager's help", "help"},
    {cmd::kSupportSite, "Sentrelle on the &Web", "", "Open the product's web site", ""},
    {cmd::kPasteProperties, "&Paste Properties...", "", "Apply settings of the copied check to other checks", ""},
    {cmd::kCopy, "&Copy", "Ctrl+C", "Copy the selected checks", "copy"},
    {cmd::kCut, "Cu&t", "Ctrl+X", "Cut the selected checks", "cut"},
    {cmd::kPasteChecks, "&Paste Check(s)...", "Ctrl+V", "Create new checks from the copied checks", "paste"},
    {cmd::kSelectAll, "&Select All", "Ctrl+A", "Select every check of the list", ""},
    {cmd::kAbout, "&About Quorvane Sentrelle Manager...", "", "Version and copyright of the Manager", ""},
    {cmd::kExit, "E&xit", "Ctrl+Q", "Close the Manager", ""},
    {cmd::kViewToolbar, "&Toolbar", "", "Show or hide the toolbar", ""},
    {cmd::kViewStatusBar, "&Status Bar", "", "Show or hide the status bar", ""},
};

constexpr bool Sorted() {
    for (std::size_t i = 1; i < std::size(kCommands); ++i)
        if (kCommands[i - 1].id >= kCommands[i].id)
            return false;
    return true;
}
static_assert(Sorted(), "the command catalogue must stay sorted by identifier");

constexpr int kToolbar[] = {
    cmd::kNewConfiguration, cmd::kImportConfiguration, cmd::kExportConfiguration, 0,
    cmd::kCut, cmd::kCopy, cmd::kPasteChecks, 0,
    cmd::kNewCheck, cmd::kDelete, cmd::kHold, 0,
    cmd::kService, cmd::kDependencies, 0,
    cmd::kOptions, cmd::kNotificationSettings, 0,
    cmd::kWebInterface, 0,
    cmd::kReports, cmd::kShowGraph, 0,
    cmd::kMonitorSelectedNow, cmd::kMonitorFolderNow, 0,
    cmd::kHelpTopics,
};

} // namespace

const CCommandInfo* CommandInfo(int id) {
    const auto it = std::lower_bound(std::begin(kCommands), std::end(kCommands), id,
                                     [](const CCommandInfo& e, int key) { return e.id < key; });
    return it != std::end(kCommands) && it->id == id ? &*it : nullptr;
}

std::span<const CCommandInfo> AllCommands() { return kCommands; }

std::span<const int> ToolbarLayout() { return kToolbar; }
