// sentrelle-manager: wires the application object into a Qt program.
//
//   sentrelle-manager                          the Manager
//   sentrelle-manager --screenshot FILE [--wait SECONDS]
//                                              headless: wait for results, save a PNG of
//                                              the main window, quit
#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"
#include "manager/app/ScreenshotRun.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <optional>

int main(int argc, char* argv[]) {
    QString screenshot;
    int wait = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            screenshot = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc)
            wait = std::atoi(argv[++i]);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("sentrelle-manager");
    QApplication::setApplicationDisplayName(CQMonApp::kTitle);
    QApplication::setOrganizationName("Quorvane");

    CQMonApp::Options options;
    // A headless run has nobody to answer questions.
    options.scriptedUi = !screenshot.isEmpty();
    CQMonApp app(options);
    if (!app.InitInstance())
        return 1;

    std::optional<CScreenshotRun> run;
    if (!screenshot.isEmpty()) {
        app.Frame()->showNormal();
        app.Frame()->resize(1600, 900);
        run.emplace(app, screenshot, wait);
        run->Start();
    }
    return QApplication::exec();
}
