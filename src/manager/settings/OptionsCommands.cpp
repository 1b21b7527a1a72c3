#include "manager/settings/OptionsCommands.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/mainframe/ViewLog.h"
#include "manager/settings/DialogOptions.h"
#include "model/console/CommandIds.h"
#include "platform/System.h"

namespace {

void EditOptions(CQMonApp& app) {
    CSnCfg* store = app.Store();
    if (store == nullptr)
        return;
    CDialogOptions dialog(app.Ui(), *store, static_cast<std::time_t>(platform::SecondsSince1970()), app.Frame());
    // Editing on top of records that could not be read would overwrite them with defaults.
    if (const long code = dialog.ReadFailure()) {
        app.ShowErrorCode(code);
        return;
    }
    if (app.Ui().ExecDialog(dialog) == CUiSeam::kAccepted && dialog.DateTimeWritten() && app.Frame() != nullptr)
        app.Frame()->Log()->Reformat();
}

} // namespace

void RegisterOptionsCommands(CQMonApp& app, CCommandRegistry& commands) {
    commands.Add(cmd::kOptions, [&app](int) { EditOptions(app); });
}
