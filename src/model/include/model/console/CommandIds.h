#pragma once
// The Manager's command identifiers.  They stay the numbers the product has always used:
// menus, toolbar buttons, keyboard shortcuts and the views' context menus all carry them,
// and CQMonApp::OnCommand dispatches on them, so a test can fire any command by number.
namespace cmd {

// File
inline constexpr int kNewConfiguration = 20;
inline constexpr int kImportConfiguration = 21;
inline constexpr int kExportConfiguration = 22;
inline constexpr int kConnect = 23;
inline constexpr int kReadOnly = 24;

// View > Application Look (values 1 to 4 and 6 to 9 of the AppLook preference)
inline constexpr int kLookFirst = 30;
inline constexpr int kLookLast = 37;
inline constexpr int kCustomizeToolbar = 38;

// View
inline constexpr int kShowLogFile = 40;
inline constexpr int kCaptureActivity = 41;
inline constexpr int kAutoRefreshSettings = 42;
inline constexpr int kRefresh = 43;
inline constexpr int kColumnFirst = 44; // View > Columns: columns 0 to 11
inline constexpr int kColumnLast = 55;

// Tools
inline constexpr int kService = 56;
inline constexpr int kDependencies = 57;
inline constexpr int kMaintenance = 58;
inline constexpr int kTemplates = 59;
inline constexpr int kWebInterface = 60;
inline constexpr int kWebInterfaceSettings = 61;
inline constexpr int kRemoteInstallation = 62;
inline constexpr int kReports = 63;
inline constexpr int kCreateGraph = 65;
inline constexpr int kDiagnostics = 67;
inline constexpr int kNotificationSettings = 69;
inline constexpr int kOptions = 70;
inline constexpr int kQuickConfiguration = 71;

// Checks and folders
inline constexpr int kNewCheck = 72;
inline constexpr int kNewVBScriptCheck = 73;
inline constexpr int kNewPowerShellCheck = 74;
inline constexpr int kNewSshCheck = 75;
inline constexpr int kNewFolder = 76;
inline constexpr int kProperties = 77;
inline constexpr int kMonitorSelectedNow = 78;
inline constexpr int kMonitorFolderNow = 79;
inline constexpr int kDelete = 80;
inline constexpr int kHold = 81;
inline constexpr int kClearFailure = 82;
inline constexpr int kHistoryDetail = 83;
inline constexpr int kHistoryAvailability = 84;
inline constexpr int kShowGraph = 85;
inline constexpr int kRename = 86;

// Help
inline constexpr int kHelpTopics = 191;
inline constexpr int kSupportSite = 192;

// Posted by the Engine service watcher
inline constexpr int kServiceRunning = 196;
inline constexpr int kServiceStopped = 197;

// Edit
inline constexpr int kPasteProperties = 32790;
inline constexpr int kCopy = 57634;
inline constexpr int kCut = 57635;
inline constexpr int kPasteChecks = 57637;
inline constexpr int kSelectAll = 57642;

// Application
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;

} // namespace cmd
