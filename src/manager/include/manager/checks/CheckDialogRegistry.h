#pragma once
// CCheckDialogRegistry: how the property sheet reaches the dialogs it opens without
// depending on where they live.  Each category folder under checks/types/ adds the
// settings dialogs of its types; the schedule, maintenance and dependencies dialogs add
// themselves the same way.  The sheet looks a type up; a button whose dialog is not
// registered is disabled, never an enabled no-op.
#include <cstdint>
#include <functional>
#include <map>

class CSnCfg;
class CSnNode;
class CUiSeam;
class QWidget;

// What a dialog opened from the sheet learns from it.
struct CheckDialogContext {
    CUiSeam& seam;            // messages and nested dialogs go through the seam
    CSnCfg* cfg = nullptr;    // the open configuration (credentials, global settings)
    bool newCheck = false;    // the check is being created, not edited
    bool manyHosts = false;   // a host list was given: one check per host will be made
    int scriptMode = 0;       // the VBScript dialog's mode: 2 "LDAP", 1 "User/group membership"
};

class CCheckDialogRegistry {
public:
    // Runs the settings dialog of `type` on the working copy W.  Returns
    // CUiSeam::kAccepted after writing the type's fields and W's type into W, or
    // CUiSeam::kRejected with W unchanged.
    using TypeDialog = std::function<int(QWidget* parent, CSnNode& w, std::int32_t type,
                                         const CheckDialogContext& ctx)>;
    // Edits part of a check (its schedule text, its maintenance windows, its
    // dependencies) in place; true when the user confirmed and the node changed.
    using NodeDialog = std::function<bool(QWidget* parent, CSnNode& node,
                                          const CheckDialogContext& ctx)>;

    void AddType(std::int32_t type, TypeDialog dialog) { m_types[type] = std::move(dialog); }
    // The dialog of `type`; null when that type has none yet.
    const TypeDialog* FindType(std::int32_t type) const {
        const auto it = m_types.find(type);
        return it == m_types.end() ? nullptr : &it->second;
    }

    NodeDialog schedules;    // "Schedule..." on the General page
    NodeDialog maintenance;  // "Configure Maintenance..." on the Advanced page
    NodeDialog dependencies; // "Show Dependencies..." on the Advanced page (a folder: view only)

private:
    std::map<std::int32_t, TypeDialog> m_types;
};
