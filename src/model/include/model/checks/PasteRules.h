#pragma once
// The window-free rules of pasting checks: how a copied check becomes a new one (its name
// or its host changed, its hold flag set), the text that lists the hosts of the copied
// checks, and which fields each settings group carries when the settings of one check
// are pasted onto others.
#include "library/QvcString.h"
#include "model/tree/SnNodeCfg.h"

#include <array>
#include <vector>

class CSnNode;

namespace paste {

// The settings groups that "Paste Properties" can copy, one flag each.
struct Groups {
    bool Frequency = false; // scan mode, interval, error threshold and schedules
    // One per notification channel, indexed by SnChannel (both entries of the channel).
    std::array<bool, 6> Notify{};
    bool Restart = false;    // restart services / reboot computer
    bool RunProgram = false; // run an executable, on failure and on success
    bool RunScript = false;  // run a script, on failure and on success
    bool Graph = false;
    bool ActionFrequency = false;       // repeated actions
    bool NotificationFrequency = false; // repeated notifications
    bool Maintenance = false;
    bool ResultMapping = false; // inverse result and the uncertain-result mapping

    // Every group chosen.
    static Groups All();
    bool operator==(const Groups&) const = default;
};

// Copies into `to` the fields of every chosen group of `from`; nothing else changes.  The
// scan mode travels with the frequency only between checks that are not event-driven: a
// trap-receiving check keeps its mode and gives none.
void CopyGroups(const CSnNodeCfg& from, CSnNodeCfg& to, const Groups& groups);

// Makes a freshly inserted copy of a check into the pasted check.  `unchanged`: " (Copy)"
// is appended to the name.  Otherwise the copy tests `newHost`: the old host text (the
// copy's ParamServer) is replaced by the new one everywhere in the name and in Param1 to
// Param8, and ParamServer becomes the new host.  OnHold is set from `hold`.
void MakePastedCopy(CSnNodeCfg& copy, bool unchanged, const CQvcString& newHost, bool hold);

// The distinct hosts of the checks (trimmed; case ignored; empty and "." left out),
// sorted and joined with the string list's separator, cut to 255 characters ending in
// "..." when longer.
CQvcString ExistingHosts(const std::vector<const CSnNode*>& checks);

} // namespace paste
