#pragma once
// CSnCheckCreator: creates new checks in the configuration, one per target host, with no
// user interface: the Manager's "New Monitoring Check" command and `sentrelle add-checks`
// both run it.
//
//   CSnCheckCreator creator(store);
//   CSnNode* check = nullptr;
//   creator.NewCheck(check);                 // T: a copy of the template check (ID 2)
//   creator.SetType(*check, kTypeIcmpPing);  // the type's defaults and scan frequency
//   ... the property sheet (or the command line) fills in T ...
//   CServerList hosts;  hosts.Parse("srv1,srv2,10.0.0.1");
//   check->Cfg.Name = "<HOSTS> - ICMP Ping";
//   CSnCheckCreator::Result r = creator.Create(root, folder, check, hosts);
//   if (!r.Ok()) show r.Message; if (r.ReloadTree) reload the tree from the store.
//
// Create runs the creation loop: the first host goes into T itself, every further host
// into a new record copied from T (new ID, no links, no dependencies); each check gets the
// host as ParamServer and the name pattern (T's display name) with "<HOSTS>" replaced by
// the host's display form, is saved and linked as the last child of the folder.  All of
// it is one change of the stored tree (CSnCfg::EditTree): the records and the tree are
// stored together or not at all, even when the process is killed half-way, and checks
// that other writers added meanwhile are kept.  Then "NS" and "NM" are stamped so that
// the engine and other Managers load the new checks.
//
// When creation fails, nothing of it is stored and the in-memory tree is unchanged; the
// copies are freed.  T never had a record, only its reserved ID, which is not handed out
// again.  The caller reloads the tree when Result::ReloadTree says so: after a store
// error, or after a success when the stored tree held changes of other writers.
#include "library/QvcBase.h"
#include "model/checks/ServerList.h"

#include <cstdint>
#include <functional>
#include <vector>

class CSnCfg;
class CSnNode;

class CSnCheckCreator : public CQvcBase {
public:
    // Message numbers of the failures that are not store codes.
    static constexpr long kNoFolder = 51486;      // "Unable to create server entry. Reason: No parent folder selected."
    static constexpr long kInternalError = 61555; // "Internal error." (no check, no host)
    static constexpr long kTooManyAtOnce = 61692; // "You cannot create more than %d checks at a time."
    static constexpr long kTooManyInTotal = 61693; // "Operation failed. The maximum number of checks ..."
    static constexpr long kFirstCheckId = 10000;  // IDs below belong to the root and the template
    static constexpr long kTreeItemNotFound = 25052; // the stored tree lacks the folder
    static constexpr long kCancelled = -2;        // the progress callback gave up: nothing stored

    struct Result {
        // 0; one of the message numbers above; or the store's code of a failed save, insert
        // or tree write.
        long Code = 0;
        // The text to show for a failure: the filled message, or the store's error text
        // ("Error #25xxx: ...").
        CQvcString Message;
        // A store operation failed, or the stored tree held other writers' changes: reload
    // the tree before going on.
        bool ReloadTree = false;
        // The checks now in the folder, in host order (T first); empty on failure.
        std::vector<CSnNode*> Created;
        bool Ok() const { return Code == 0; }
    };

    explicit CSnCheckCreator(CSnCfg& store, const char* name = "CSnCheckCreator");

    // T, made before the check is edited: a copy of the template check (ID 2, with the
    // default notification and action settings) under a newly reserved ID, its display
    // name cleared.  No record is stored yet (Create stores it).  `out` is a store-owned
    // node, not yet in the tree.  0 or the store's code (`out` null then).
    long NewCheck(CSnNode*& out);

    // Gives a check a type as a new check of that type starts: a fresh type-specific
    // record with the type's defaults (CheckTypeDefaults; the host is kept), the type's
    // default scan interval and error threshold (the template check's list), and scan
    // mode 2 for "SNMP Trap Receive", 0 for every other type.
    void SetType(CSnNode& check, std::int32_t type);

    // The creation limits of the Manager preferences MaxCreateChecks and MaxTotalChecks
    // for `targets` new checks in the tree below `root`: 0, kTooManyAtOnce or
    // kTooManyInTotal with `message` filled with the limit.
    long CheckLimits(CSnNode* root, int targets, CQvcString& message) const;

    // The creation loop (see above) for T = `check` into `folder`, a folder of the tree
    // below `root`.  Failures before the loop: kNoFolder for a missing folder or a node
    // that is no folder, kInternalError for a missing check or an empty host list, the
    // limits of CheckLimits; 25052 when the stored tree lacks the folder (another writer
    // removed it).  `progress`, when given, is called after each check with the checks
    // made so far and the host count; false cancels: kCancelled, with nothing stored and
    // no message.
    using Progress = std::function<bool(int done, int total)>;
    Result Create(CSnNode* root, CSnNode* folder, CSnNode* check, const CServerList& hosts,
                  const Progress& progress = {});

private:
    // Ends a failed creation in memory: frees the copies, clears the created list.
    void Undo(CSnNode* check, const std::vector<CSnNode*>& copies, Result& result);
    static Result Failure(long code, const CQvcString& message, bool reload);

    CSnCfg& m_store;
};
