// A picture of the main window with results, saved into the build directory for review.
#include "ManagerFixture.h"

#include "manager/app/ScreenshotRun.h"
#include "model/checks/CheckTypes.h"
#include "platform/System.h"

#include <QCoreApplication>
#include <QImage>

#include <ctime>

TEST_F(ManagerTest, MainWindowWithResultsIsSavedAsPicture) {
    const long now = static_cast<long>(platform::SecondsSince1970());
    const long network = AddFolder(1, "Network");
    const long servers = AddFolder(1, "Servers");
    const long web = AddFolder(servers, "Web");
    const long ping = AddCheck(network, "Gateway ping", kTypeIcmpPing, "127.0.0.1", 30);
    const long dns = AddCheck(network, "DNS resolver", kTypeDns, "127.0.0.53", 300);
    const long http = AddCheck(web, "Intranet home page", kTypeHttp, "intranet.local", 60);
    const long tcp = AddCheck(web, "Reverse proxy port", kTypeTcpIp, "127.0.0.1", 7200);
    const long disk = AddCheck(servers, "Root file system", kTypeDiskSpace, "localhost", 900);
    const long proc = AddCheck(servers, "Engine process", kTypeProcess, "localhost", 120);
    SaveTree();
    WriteResult(ping, 1, now - 12, "Reply from 127.0.0.1: time<1ms", 0, "0");
    WriteResult(dns, 3, now - 40, "No answer from 127.0.0.53 within 5 s", 5, "");
    WriteResult(http, 1, now - 3, "HTTP 200 OK", 1, "214");
    WriteResult(tcp, 2, now - 75, "Connection refused", 0);
    WriteResult(disk, 1, now - 300, "41.2 GB free (63 %)", 0, "41.2");

    ASSERT_NE(Start(true), nullptr);
    Frame().showNormal();
    Frame().resize(1280, 800);
    QCoreApplication::processEvents();
    Tick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(CScreenshotRun::ResultsShown(*App()));
    EXPECT_EQ(Cell("Engine process", 9), "Service 'Quorvane Sentrelle' is not running");

    const std::string path = std::string(SENTRELLE_TEST_OUTPUT_DIR) + "/manager-main-window.png";
    ASSERT_TRUE(CScreenshotRun::Save(*App(), QString::fromStdString(path)));
    const QImage image(QString::fromStdString(path));
    EXPECT_EQ(image.width(), Frame().width());
    EXPECT_GT(image.height(), 600);
    static_cast<void>(proc);

    // The dark look, for review of the palettes.
    App()->OnCommand(35);
    QCoreApplication::processEvents();
    const std::string dark = std::string(SENTRELLE_TEST_OUTPUT_DIR) + "/manager-main-window-dark.png";
    ASSERT_TRUE(CScreenshotRun::Save(*App(), QString::fromStdString(dark)));
    App()->OnCommand(31);
}
