#pragma once
// The rules of the target-selection dialog ("Select Computer / IP Address") that need no
// window: starting an IP range, what "<< Copy" and "Load from File..." do to the target
// list, the role filter of the directory search, the host text a discovered host adds,
// and the per-user settings the dialog keeps.  The dialog only wires them.
#include "library/QvcString.h"
#include "model/checks/ServerList.h"
#include "model/checks/TypeDialogRules.h"
#include "model/discovery/Discovery.h"

#include <vector>

// The scan modes of an IP range, in the order the dialog offers them.
inline constexpr const char* kScanPing = "Scan (ping)";
inline constexpr const char* kScanPort = "Scan (port)";
inline constexpr const char* kScanListNow = "List now (no scan)";
// The role choices that are no role of the roles file.
inline constexpr const char* kAnyRole = "Any role";
inline constexpr const char* kCustomRole = "Custom...";

// The note above the target list.
const char* TargetListNote(bool editing);

// Pressing Start of the IP range.
struct IPRangeStart {
    enum Field { kFrom, kTo, kPort };
    DialogRefusal Refusal;             // its Field is one of the above
    std::vector<CQvcString> Addresses; // the expanded range
    int Port = 0;                      // a scan: the TCP port, 0 pings; "List now": the typed port or 0
    bool Scan = false;                 // false: "List now", the addresses go straight to the results
};
// In order: both addresses filled and valid (61553 with the address), the range expanded
// (61554 when the first two octets differ, 61555 for any other failure), the port 1..65535
// for "Scan (port)" (61558), then "Not supported." for an unknown mode.
IPRangeStart StartIPRange(const CQvcString& from, const CQvcString& to, const CQvcString& port,
                          const CQvcString& mode);

// Whether a message of the dialog shows the error icon (61555, 61693, the file errors);
// the others show a warning.
bool TargetMessageIsError(unsigned id);

// Puts `entries` into `targets` ("<< Copy"; "Load from File..." with `replace`).  While
// creating they are appended, or replace the list; an entry already in the list (letter
// case ignored) is not added again.  While editing, one entry replaces the list and more
// than one are refused with 61557, leaving the list as it was.  No entries and no
// `replace` change nothing.
DialogRefusal TakeTargets(CServerList& targets, const CServerList& entries, bool editing, bool replace);

// The role choices: "Any role", the roles of the file in its order, "Custom...".
std::vector<CQvcString> RoleChoices(const CWinRoleDefList& roles);
// The filter for a choice: an empty role for "Any role" (and for a name the file lacks),
// the file's role, or for "Custom..." a role "Custom" whose services are the typed text
// split at "," or ";" (trimmed, empty pieces dropped).
CWinRoleDef RoleFilter(const CQvcString& choice, const CWinRoleDefList& roles, const CQvcString& customServices);

// The host text that a discovered host adds to the targets: its full name when names were
// asked for ("Use FQDN", "Use Hostname") and it has one that is a host name (a
// distinguished name, holding "=", is not); otherwise its name.
CQvcString DiscoveredTarget(const CDiscoveredHost& host, bool fullName);

// The dialog's per-user settings (the Manager's key of the current user).
struct TargetSelectionSettings {
    CQvcString IPFrom = "192.168.31.1";
    CQvcString IPTo = "192.168.31.254";
    bool UseHostname = false;
    bool UseFqdn = false;
    // Reads the values, writing the defaults of missing ones back.
    static TargetSelectionSettings Read();
    void WriteIPRange() const;  // MultiHostIPFrom, MultiHostIPTo, MultiHostIPUseHostname
    void WriteDirectory() const; // MultiHostWinUseFqdn
};
// The last folder used for target-list files (TargetList\DefaultPath), and storing it.
CQvcString TargetListFolder();
void WriteTargetListFolder(const CQvcString& folder);
