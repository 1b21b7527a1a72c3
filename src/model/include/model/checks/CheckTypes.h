#pragma once
// The check-type catalogue: for each numeric check type its display name, the category
// under which the chooser offers it, the class of its settings dialog, the defaults of a
// new check, and the display name proposed for a new check.  No state: constant tables
// and pure functions, shared by the Manager, the engine and the command-line tool.
#include "library/QvcString.h"
#include "model/tree/SnNodeCfg.h"

#include <cstdint>
#include <vector>

class CSnNode;

// Check type identifiers.  1 is a folder and 0 "no type" (SnNode.h: kTypeFolder, kTypeNone).
enum SnCheckType : std::int32_t {
    kTypeIcmpPing = 10,
    kTypeTraceRoute = 11,
    kTypeDiskSpace = 20,
    kTypeTcpIp = 30,
    kTypePop3 = 31,
    kTypeSmtp = 32,
    kTypeHttp = 33,
    kTypeFtp = 34,
    kTypeRsh = 35,
    kTypeDns = 36,
    kTypeSnmpGet = 37,
    kTypeNntp = 38,
    kTypeImap = 39,
    kTypeNtp = 40,
    kTypeTemperature = 41,
    kTypeSnmpTrapReceive = 42,
    kTypeSsh = 43,
    kTypeCitrixIca = 44,
    kTypeService = 50,
    kTypeFile = 60,
    kTypeRegistry = 61,
    kTypeAntiVirus = 70,     // first of the server-role types 70-81
    kTypeCitrixXenApp = 81,  // last of them
    kTypeEventLog = 90,
    kTypeVBScript = 100,
    kTypeOdbc = 110,
    kTypeDatabaseQuery = 111,
    kTypeOracle = 112,
    kTypeTerminalServer = 120,
    kTypeCpuUsage = 130,
    kTypeDirectory = 140,
    kTypeDiskDrives = 150,
    kTypeMemoryUsage = 170,
    kTypePrinter = 180,
    kTypeProcess = 190,
    kTypeHumidity = 200,     // environmental types: 41, 200-208, 210
    kTypePowerPresence = 201,
    kTypeLight = 202,
    kTypeMotion = 203,
    kTypeSmoke = 204,
    kTypeDoor = 205,
    kTypeResistance = 206,
    kTypeSwitchNC = 207,
    kTypeSwitchNO = 208,
    kTypeWetness = 210,
    kTypeScheduledTask = 220,
    kTypeSmtpToPop3 = 240,
    kTypeMsmq = 250,
    kTypeSerialDevice = 260,
    kTypeTftp = 270,
    kTypeRemoteCommand = 280,
    kTypePowerShell = 290,
    kTypeRadius = 300,
    kTypeSftp = 310,
    kTypePerformanceCounters = 320,
    kTypeRemovableDrives = 330,
    kTypeSmpp = 340,
};

// --- names ------------------------------------------------------------------------------
// The display name, "Unknown" for any identifier without one.
const char* CheckTypeName(std::int32_t type);
// Exact, case-sensitive match with the display names; "VBScript", "LDAP" and
// "User/group membership" give 100; "<select>", a "[category]" header and any other text 0.
std::int32_t CheckTypeFromName(const CQvcString& text);
// The mode in which the VBScript dialog opens for a chooser text: 2 "LDAP", 1
// "User/group membership", 0 "VBScript"; -1 for every other text.
int VBScriptModeFromName(const CQvcString& text);
// The chooser category ("Internet Protocols", ...); "" for an unknown type.
const char* CheckTypeCategory(std::int32_t type);
// The class name of the settings dialog ("CDialogTypeICMP", ...); "" for an unknown type.
const char* CheckTypeDialogClass(std::int32_t type);
// Whether the type is one of the catalogue's check types.
bool IsKnownCheckType(std::int32_t type);
// Every check type of the catalogue, in ascending order.
const std::vector<std::int32_t>& AllCheckTypes();
// Types 41, 200-208 and 210.
bool IsEnvironmentalType(std::int32_t type);
// Types 70-81.
bool IsServerRoleType(std::int32_t type);
// A check's type text for lists and descriptions: the type name, and for VBScript checks
// " - " and the script function (Param2) after it.
CQvcString CheckTypeText(const CSnNodeCfgFunction& function);

// --- the type chooser -----------------------------------------------------------------
struct CCheckTypeChooserItem {
    int Image = -1; // index into the chooser's image strip; -1 none
    int Level = 0;  // 0 "<select>", 1 headers and types (types are drawn indented)
    CQvcString Text;
    CQvcString Path;
};
// "<select>", then per category a "[category]" header followed by its types, in the
// order the chooser shows them.  "User/group membership" appears under "Windows" and
// under "Miscellaneous".
std::vector<CCheckTypeChooserItem> CheckTypeChooserItems();
// The image of a category header: "Databases" 6, "Windows Custom Script" 3, "Linux / Unix"
// 5, "Internet Protocols" 4, "Environment" 7, "Windows" 8, any other 1.
int CheckTypeCategoryImage(const CQvcString& category);

// --- defaults of a new check -----------------------------------------------------------
// Fills the named fields of a record whose Type is set with that type's defaults (the
// other fields are left as they are: the record is expected to be fresh).  A record of an
// unknown type is left unchanged (0); a missing record is refused with -1.
int CheckTypeDefaults(CSnNodeCfgFunction* function);
// The word an environmental type uses in its log-file name and log table ("Temperature",
// "SwitchNC", ...); "" for other types.
const char* EnvironmentalKindName(std::int32_t type);
// The default low and high limits of an environmental type, "50.0|90.0" style; "" else.
const char* EnvironmentalDefaultLimits(std::int32_t type);

// --- proposed display name --------------------------------------------------------------
// The text put into an empty display name of a new check.  `probeName` is the probe of an
// environmental check (may be empty); with `multipleHosts` the host reads "<HOSTS>".
CQvcString CheckDescription(const CSnNode& node, const CQvcString& probeName, bool multipleHosts);
// Whether the file-name part of a script path (after its last backslash), lower-cased and
// trimmed, is one of the sample scripts installed with the product.
bool IsStockScript(const CQvcString& path);
