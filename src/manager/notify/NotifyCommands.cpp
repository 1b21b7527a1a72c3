#include "manager/notify/NotifyCommands.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/notify/PropSheetNotifySettings.h"
#include "model/console/CommandIds.h"

void RegisterNotifyCommands(CQMonApp& app, CCommandRegistry& commands) {
    commands.Add(cmd::kNotificationSettings, [&app](int) {
        if (CSnCfg* store = app.Store()) {
            CPropSheetNotifySettings sheet(app.Ui(), *store, app.Frame(), &app);
            app.Ui().ExecDialog(sheet);
        }
    });
}
