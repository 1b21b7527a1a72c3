#include "manager/app/AppCommands.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"

void RegisterAppCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kAbout, [&app](int) {
        CQvcString text;
        text.Format("%s\nVersion %s\n\nThe console of the Sentrelle network-monitoring system.", CQMonApp::kTitle,
                    SENTRELLE_MANAGER_VERSION);
        app.Ui().Message(text, CUiSeam::Icon::Information);
    });
    registry.Add(cmd::kExit, [&app](int) {
        if (CMainFrame* frame = app.Frame())
            frame->close();
    });
    registry.Add(cmd::kShowLogFile, [&app](int) { app.ShowLogFile(); });
    registry.Add(cmd::kCaptureActivity, [&app](int) { app.SetActivityCapture(!app.ActivityCapture()); });
    registry.Add(cmd::kServiceRunning, [&app](int) { app.OnServiceRunning(); });
    registry.Add(cmd::kServiceStopped, [&app](int) { app.OnServiceStopped(); });
}
