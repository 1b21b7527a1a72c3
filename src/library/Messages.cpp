// The table of numbered user-interface texts.
//
// Every message box, caption and status text that the product addresses by number is
// listed here once, with the words the user sees.  "\n" and "\r\n" are the line breaks
// of the message boxes; "%s", "%d" and "%ld" are filled in by the caller with the
// printf family.  Several numbers carry the same words on purpose: different dialogs
// used different numbers for the same sentence, and callers keep their own number.
#include "library/Messages.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace {

struct MessageEntry {
    unsigned id;
    const char* text;
};

// Sorted by id; the static_assert below keeps it that way, because the lookup is a
// binary search.
constexpr MessageEntry kMessages[] = {
    {2200, "Invalid e-mail address."},
    {2203, "Invalid NetBIOS name: '<address>'."},
    {2207, "Invalid Pager address: '<address>'. Only the following characters are valid: [0-9], [,+-*#@], "
           "[a-d], [A-D], [wW]."},
    {3000, "Unable to connect to Service Control Manager.\nMake sure you run the Manager as an "
           "Administrator (for instance, use 'Run As' to execute Manager as Administrator)."},
    {3001, "Unable to read Service properties.\nMake sure you run the Manager as an Administrator (for "
           "instance, use 'Run As' to execute Manager as Administrator)."},
    {3002, "Unable to execute command.\nMake sure you run the Manager as an Administrator (for instance, "
           "use 'Run As' to execute Manager as Administrator)."},
    {3003, "Unable to query Service.\nMake sure you run the Manager as an Administrator (for instance, "
           "use 'Run As' to execute Manager as Administrator)."},
    {3005, "Operation failed.\nPlease check the Application log in the Event Viewer (Event Source: "
           "QvsSnSvc) for details."},
    {3007, "Operation failed (generic error).\nPlease check the Application log in the Event Viewer "
           "(Event Source: QvsSnSvc) for details."},
    {3008, "No public Citrix server available for demo at this moment."},
    {50003, "SMTP Authentication required."},
    {50354, "Subject is required."},
    {50355, "Job Name is required."},
    {50356, "Completed Keyword is required."},
    {50357, "Date Format is required."},
    {50358, "Number of Hours is required."},
    {51454, "New Configuration"},
    {51458, "Import Configuration File"},
    {51472, "Unable to retrieve server properties."},
    {51475, "Cannot find NOTEPAD.EXE. Unable to view the file."},
    {51476, "Unable to launch NOTEPAD.EXE."},
    {51483, "Root Folder cannot be deleted."},
    {51484, "Are you sure you want to delete the selected Check(s)?"},
    {51485, "Unable to create folder entry. Reason: No parent folder selected."},
    {51486, "Unable to create server entry. Reason: No parent folder selected."},
    {51490, "Unable to retrieve server properties."},
    {51491, "Unable to move to its own subfolder."},
    {51504, "Check '%s' depends on the following checks:"},
    {51505, "The following Folders and Checks depend on '%s'"},
    {51512, "Host is required."},
    {51518, "Field required: Server."},
    {51519, "Field required: LogFile."},
    {51520, "Blank matching string not allowed."},
    {51521, "Required: all Event criteria fields. Use the '*' mark to match any string."},
    {51522, "Event ID must be greater than 0."},
    {51523, "File must be in UNC format (i.e.: \\\\server\\share\\...)."},
    {51525, "ODBC Data Source Name name is required."},
    {51526, "Remote Host field is required."},
    {51528, "Computer is required."},
    {51529, "Service name is required."},
    {51530, "Response string is required."},
    {51532, "Please enter the URL."},
    {51537, "All fields in this dialog will be overwritten by the sample data. Do you want to continue?"},
    {51539, "VBScript Function is required."},
    {51541, "All fields are required."},
    {51547, "DisplayName field is required."},
    {51548, "'Check What' field is required."},
    {51558, "Connection to the Sentrelle service is lost. The Manager will quit now."},
    {51571, "Sending request to the Sentrelle Service..."},
    {51572, "Sentrelle Service is processing the message..."},
    {51574, "Attempting to start service..."},
    {51576, "Attempting to stop service..."},
    {51578, "Unable to query server"},
    {51580, "Service is stopped"},
    {51581, "Service is pending to start"},
    {51582, "Service is pending to stop"},
    {51583, "Service is running"},
    {51584, "Service is pending to continue"},
    {51585, "Service is pending to pause"},
    {51586, "Service is paused"},
    {51587, "Unable to determine state of the service"},
    {51588, "Interval scan must be greater or equal to 5 seconds."},
    {51589, "Timeout: No response received from Sentrelle Service. Please make sure that the Quorvane "
            "Sentrelle Service is running."},
    {51590, "Comparison Operator (Equal To, Less than, ...) is required."},
    {51591, "SNMP agent is required."},
    {51592, "SNMP Community string is required."},
    {51594, "Value is required."},
    {51595, "SNMP Data Type is required."},
    {51600, "Timeserver is required."},
    {51601, "Connection string required."},
    {51602, "Query is required."},
    {51625, "The Script file must be located in the directory of %s or in one of its subdirectories."},
    {51627, "The Log File must be located in %s or in one of its subdirectories."},
    {51635, "You cannot define more than %d schedules."},
    {51636, "You must select at least one day of the week."},
    {51648, "Directory must be in UNC format (i.e.: \\\\server\\share\\...)."},
    {51662, "A valid probe is required."},
    {51667, "The VBScript file must be in the Engine's VBScript directory %s or in one of its subdirectories. "
            "Copy the file there first."},
    {51668, "VBScript file is required."},
    {51674, "Unable to create file '%s'."},
    {51684, "Function '%s' not defined in file '%s'."},
    {51685, "File '%s' does not exist."},
    {51687, "Host name or IP address is required."},
    {51695, "%d Folders, %d Checks"},
    {51696, "Do you want to add the new schedule to the Maintenance Schedules list?"},
    {51704, "(used in log files and reports)"},
    {51720, "You must specify at least one computer."},
    {51721, "Domain name missing."},
    {51722, "You must specify at least one removable drive."},
    {51728, "Registry Root Key required."},
    {51729, "Registry Sub Key required."},
    {51730, "Registry Data required."},
    {51731, "Failed to retrieve folder."},
    {51732, "Cannot create graph: no Tree-item selected."},
    {51733, "No checks selected."},
    {51734, "The 'Enable Graph' option is not set for this check.\nTo set this option, double-click on the "
            "check to open the check's 'Properties' Window , select the 'Advanced' tab and select the "
            "'Enable Graph' option."},
    {51735, "The 'Enable Graph' option is not set for the selected checks.\nTo set this option, "
            "double-click on a check to open the check's 'Properties' Window , select the 'Advanced' tab "
            "and select the 'Enable Graph' option."},
    {51736, "No statistics have been logged yet: the statistics database '%s' does not exist.\nGraphs can be "
            "drawn once statistics are enabled and the engine has logged results."},
    {51737, "The statistics database '%s' holds %d MB and has reached its warning size of %d MB.\nRemove "
            "old statistics soon: graphs take longer to draw as the database grows."},
    {51738, "The statistics database '%s' holds %d MB and has reached its limit of %d MB.\nRemove old "
            "statistics before drawing graphs."},
    {51739, "The size of the statistics database '%s' cannot be determined. The graph is drawn without the "
            "size test."},
    {51740, "Failed to add check to the tree."},
    {51741, "Unable to monitor the selected item(s) because the %s service is not running.\n\nChoose "
            "'Service' from the 'Tools' menu and start the service."},
    {51742, "The '%s' service is not running. This service must be running in order to run the checks.\r\n"
            "To start the service, choose 'Service' from the 'Tools' menu and press 'Start'.\r\n\r\nDo you "
            "want to start the service now ?"},
    {51743, "The '%s' service is not running. This service must be running in order to run the checks."},
    {51744, "The selected check is a scheduled check. Are you sure you want to monitor it now?"},
    {51745, "The selected items contain one or more scheduled checks. Do you also want to monitor these "
            "scheduled check(s) now?"},
    {51746, "Are you sure you want to remove the folder %s and all its contents?"},
    {51747, "Are you sure you want to clear the selected failed check now?"},
    {51748, "Only %d out of %d checks can be cleared. Are you sure you want to clear these failed checks "
            "now?"},
    {51749, "None of the selected checks can be cleared."},
    {51750, "Unable to load module [%s]."},
    {51751, "One or more exproted functions missing in '%s'."},
    {51752, "At least one IP address required."},
    {51753, "You must set the 'Resolve addresses to hostnames' option in order to allow hostnames in the "
            "hop list."},
    {51754, "Not a valid host name or IP address: [%s]."},
    {51755, "Directory size must be greater or equal to 0."},
    {51756, "Please enter the maximum number of files. Value must be greater or equal to 0."},
    {59145, "Folder Name required."},
    {59504, "You cannot set the OID Data Type filter to 'Any Type' when using an operator other than "
            "'Equal To'."},
    {59511, "The SSH directory must be located in the directory of %s or in one of its subdirectories."},
    {59513, "Invalid POP3 port."},
    {59522, "You can only apply the 'Paste Properties' command to one or more selected checks.\r\nWith the "
            "'Paste Properties' command, you can paste properties of one check to one or more selected "
            "checks."},
    {59523, "Logging is disabled. To enable Logging, select 'Options' from the 'Tools' menu and select "
            "'Enable logging'."},
    {59524, "Failed to load default application for file '%s'."},
    {61446, "Invalid SNMP port."},
    {61447, "Are you sure you want to apply the settings to all checks in folder '%s' ?"},
    {61448, "Are you sure you want to apply the settings to all checks in folder '%s'  and all its sub "
            "folders?"},
    {61449, "Cannot apply settings to folder '%s', this folder has no checks."},
    {61450, "To edit multiple checks in one go, the checks must be all of the same type (for instance: all "
            "ICMP checks). If checks have different types, you should use the 'Paste Properties' command "
            "from the 'Edit' menu."},
    {61451, "Are you sure you want to apply the settings to all selected checks?"},
    {61452, "Are you sure you want to apply the settings to the selected check?"},
    {61453, "Recipient is required."},
    {61458, "Node [%ld] does not exist in the configuration database."},
    {61468, "Data type required."},
    {61469, "Value required."},
    {61470, "Operand required."},
    {61471, "Database field required."},
    {61472, "Unable to copy the Check."},
    {61481, "There's are no credentials defined for server '%s'.\nDo you add credentials for this server "
            "now?"},
    {61484, "There are no schedules defined. Press the 'Schedule' button to configure one or more "
            "schedules."},
    {61485, "Folder '%s' depends on the following checks:"},
    {61504, "Invalid parameter: check minutes must be between 1 and 5 minutes."},
    {61505, "Invalid parameter: error minutes must be between 2 and 30 minutes."},
    {61510, "Number of e-mails to be checked must be greater than 0."},
    {61511, "Queue name is required."},
    {61512, "Maximum number of messages must be greater than 0."},
    {61513, "Maximum size of queue must be greater than 0."},
    {61514, "Invalid value: [%s]. Value conflicts with data type [%s]."},
    {61515, "Units invalid. Select 'MB', 'GB\" or '%'."},
    {61516, "Invalid percentage value."},
    {61521, "Response is required."},
    {61522, "Timeout value must be greater than 0."},
    {61524, "Value must must be greater than 0."},
    {61526, "Service '%s' (%s) is not running. Please start this service first."},
    {61527, "There are still %d pending %s requests in the notification queue.\nYou need to clear this "
            "queue first in order to test notifications. Do you want to clear this queue now?"},
    {61531, "You do not have Write permissions on the configuration file (CONFIG.MDB). Ask your system "
            "administrator to change the NTFS and/or share permissions on the configuration file."},
    {61537, "Error treshold must be between 1 and %d."},
    {61545, "The PowerShell file must be in the Engine's PowerShell directory %s or in one of its "
            "subdirectories. Copy the file there first."},
    {61547, "PowerShell file is required."},
    {61552, "Placeholder '%s' is required in the Display Name field when creating multiple checks."},
    {61553, "Invalid IP address: '%s'."},
    {61554, "IP range too large."},
    {61555, "Internal error."},
    {61556, "Multiple hosts (computernames, IP addresses) are not allowed when modifying a check. It is "
            "only allowed on check creation."},
    {61557, "You cannot add multiple entries, since you're configuring an existing check. You can only add "
            "multiple entries on check creation."},
    {61558, "Invalid TCP Port."},
    {61559, "Unable to open file '%s'."},
    {61692, "You cannot create more than %d checks at a time."},
    {61693, "Operation failed. The maximum number of checks in a configuration is limited to %d."},
    {61694, "Process is required."},
    {61695, "At least one Schedule is required."},
    {61696, "No Service, Process or Counter selected. You must select at least one Service, Process or "
            "Counter."},
    {61699, "WMI Performance Counter required."},
};

constexpr bool IdsStrictlyAscending() {
    for (std::size_t i = 1; i < std::size(kMessages); ++i) {
        if (kMessages[i - 1].id >= kMessages[i].id) {
            return false;
        }
    }
    return true;
}
static_assert(IdsStrictlyAscending(), "message table must be sorted by id without duplicates");

constexpr bool EveryTextPresent() {
    for (const MessageEntry& entry : kMessages) {
        if (entry.text == nullptr || entry.text[0] == '\0') {
            return false;
        }
    }
    return true;
}
static_assert(EveryTextPresent(), "every message needs a non-empty text");

} // namespace

const char* MessageText(unsigned id) {
    const auto* last = std::end(kMessages);
    const auto* found =
        std::lower_bound(std::begin(kMessages), last, id,
                         [](const MessageEntry& entry, unsigned key) { return entry.id < key; });
    return (found != last && found->id == id) ? found->text : nullptr;
}
