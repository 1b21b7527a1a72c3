// The history module's entry point.  The Manager loads the module and calls
// ShowSingleCheck(check, -1, detail) on its GUI thread; the module finds the installation,
// the check's name and the statistics database through the model and opens a window of
// its own.  The window stays open after the call returns (the module is never unloaded).
#include "HistoryWindow.h"

#include "library/ErrorTexts.h"
#include "model/history/HistoryStore.h"
#include "model/settings/SnReportSettings.h"
#include "model/store/SnCfg.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdint>

namespace {

// 0 with the check's name and the statistics file, or the store's error code.
long FindCheck(std::int32_t checkId, QString& name, QString& statistics, QString& problem) {
    CSnCfg store("RGD");
    long code = store.Open(false, false);
    CSnNode* root = nullptr;
    if (code == 0)
        code = store.LoadAllNodes(root);
    if (code != 0) {
        problem = QString::fromStdString(ErrorBoxText(code).Str());
        store.FreeTree(root);
        return code;
    }
    const CSnNode* check = CSnCfg::FindNode(root, checkId);
    name = check != nullptr ? QString::fromStdString(check->Cfg.Name.Str()) : QString("check %1").arg(checkId);
    CSnReportSettings report;
    report.Read(store);
    statistics = QString::fromStdString(StatisticsDatabasePath(report.DbConnection, store.RootDirectory()).Str());
    store.FreeTree(root);
    return 0;
}

} // namespace

// 0 when the window is open; -1 without a QApplication; else the configuration's error.
extern "C" __attribute__((visibility("default"))) int ShowSingleCheck(std::int32_t checkId, std::int32_t,
                                                                      std::int32_t detail) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return -1;
    QString name, statistics, problem;
    if (const long code = FindCheck(checkId, name, statistics, problem)) {
        QMessageBox::critical(QApplication::activeWindow(), "History", problem);
        return static_cast<int>(code);
    }
    // A window of its own, owned by the Manager's active window when there is one (not by
    // another history window, which the user may close first).
    QWidget* owner = QApplication::activeWindow();
    while (owner != nullptr && qobject_cast<CHistoryWindow*>(owner) != nullptr)
        owner = owner->parentWidget() != nullptr ? owner->parentWidget()->window() : nullptr;
    auto* window = new CHistoryWindow(checkId, name, statistics, detail != 0, owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
    return 0;
}
