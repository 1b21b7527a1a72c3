#include "manager/service/ServiceCommands.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/service/DialogAutoRefresh.h"
#include "manager/service/DialogService.h"
#include "model/console/CommandIds.h"

void RegisterServiceCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kService, [&app](int) { OpenServiceDialog(app, false); });
    registry.Add(cmd::kAutoRefreshSettings, [&app](int) { OpenAutoRefreshDialog(app); });
}

void OpenServiceDialog(CQMonApp& app, bool startWhenOpened) {
    const CQvcString computer = app.Store() != nullptr ? app.Store()->EngineName() : CQvcString();
    CDialogService dialog(app.Ui(), computer, app.Frame(), MakeServiceControl(app.GetOptions().serviceControl));
    dialog.SetStartWhenOpened(startWhenOpened);
    dialog.Open();
    app.Ui().ExecDialog(dialog);
}

void OpenAutoRefreshDialog(CQMonApp& app) {
    CSnAutoRefreshSettings settings;
    settings.Read();
    CDialogAutoRefresh dialog(app.Ui(), settings, app.Frame());
    if (app.Ui().ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    dialog.Settings().Write();
    if (CMainFrame* frame = app.Frame())
        frame->Cycle().ReadRefreshSettings();
}
