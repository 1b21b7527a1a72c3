// sentrelle-manager: wires the application object into a Qt program.
//
//   sentrelle-manager                          the Manager
//   sentrelle-manager --screenshot FILE [--wait SECONDS]
//                                              headless: wait for results, save a PNG of
//                                              the main window, quit
//   sentrelle-manager --history ID detail|availability --screenshot FILE
//                                              headless: save a PNG of the history
//                                              module's window for one check, quit
#include "manager/mainframe/MainFrame.h"
#include "manager/app/QMonApp.h"
#include "manager/app/ScreenshotRun.h"

#include "model/console/HistoryGraph.h"
#include "model/store/SnCfg.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

int main(int argc, char* argv[]) {
    QString screenshot;
    int wait = 60;
    int historyCheck = 0;
    bool historyDetail = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            screenshot = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--history") == 0 && i + 2 < argc) {
            historyCheck = std::atoi(argv[++i]);
            historyDetail = std::strcmp(argv[++i], "availability") != 0;
        }
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

    if (historyCheck != 0 && !screenshot.isEmpty()) {
        const auto shown = ShowCheckHistory(app.Store()->RootDirectory(), historyCheck, historyDetail,
                                            [](const CQvcString& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
        for (QWidget* window : QApplication::topLevelWidgets())
            if (shown == 0 && window->objectName() == "historyWindow") {
                window->resize(1000, 640);
                QApplication::processEvents();
                return window->grab().save(screenshot, "PNG") ? 0 : 1;
            }
        return 1;
    }

    std::optional<CScreenshotRun> run;
    if (!screenshot.isEmpty()) {
        app.Frame()->showNormal();
        app.Frame()->resize(1600, 900);
        run.emplace(app, screenshot, wait);
        run->Start();
    }
    return QApplication::exec();
}
