#include "manager/checks/ScheduleCommands.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/checks/CheckDialogRegistry.h"
#include "manager/checks/DialogSchedules.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"
#include "model/settings/SnMaintenanceSettings.h"
#include "model/tree/SnNode.h"

namespace {

// The date and time formats of the open configuration; the defaults without one.
CSnDateTimeSettings Formats(CSnCfg* store) {
    CSnDateTimeSettings formats;
    if (store != nullptr)
        formats.Read(*store);
    return formats;
}

bool EditScanSchedules(QWidget* parent, CSnNode& node, const CheckDialogContext& ctx) {
    CSnCfgScheduleList& schedule = node.Cfg.ScanFrequency.Schedule;
    CDialogServerSchedules dialog(schedule, ctx.seam, Formats(ctx.cfg), parent);
    if (ctx.seam.ExecDialog(dialog) != CUiSeam::kAccepted || dialog.List() == schedule)
        return false;
    schedule = dialog.List();
    return true;
}

bool EditCheckMaintenance(QWidget* parent, CSnNode& node, const CheckDialogContext& ctx) {
    CSnNodeCfgActionMaintenance maintenance = *node.Cfg.Action.Maintenance;
    CDialogAdvancedOptionsMaintenance dialog(maintenance.Enabled != 0, maintenance.Schedule, ctx.seam,
                                             Formats(ctx.cfg), parent);
    if (ctx.seam.ExecDialog(dialog) != CUiSeam::kAccepted)
        return false;
    const bool changed =
        maintenance.Enabled != dialog.OwnSchedules() || !(maintenance.Schedule == dialog.List());
    maintenance.Enabled = dialog.OwnSchedules();
    maintenance.Schedule = dialog.List();
    node.Cfg.Action.Maintenance.Assign(maintenance);
    return changed;
}

void EditGlobalMaintenance(CQMonApp& app) {
    CSnCfg* store = app.Store();
    if (store == nullptr)
        return;
    CSnMaintenanceSettings settings;
    if (long code = settings.Read(*store)) {
        app.ShowErrorCode(code);
        return;
    }
    CDialogGlobalMaintenance dialog(settings.Schedule, app.Ui(), Formats(store), app.Frame());
    if (app.Ui().ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    settings.Schedule = dialog.List();
    if (long code = settings.Write(*store))
        app.ShowErrorCode(code);
}

} // namespace

void RegisterScheduleDialogs(CQMonApp& app, CCheckDialogRegistry& dialogs, CCommandRegistry& commands) {
    dialogs.schedules = EditScanSchedules;
    dialogs.maintenance = EditCheckMaintenance;
    commands.Add(cmd::kMaintenance, [&app](int) { EditGlobalMaintenance(app); });
}
