// sentrelle-graph: draws the figures of checks over time from the statistics database.
//
//   sentrelle-graph [--root DIR] [--period day|week|month|year|all] [--save-png FILE]
//                   [--save-csv FILE] ID[,ID...]
//
// The Manager starts it with the comma-joined identifiers of graph-enabled checks.  The
// installation is the registry's unless --root names an Engine root.  --save-png draws
// the graph into FILE and --save-csv writes its samples (time, check, value) into FILE; with
// either it quits without showing a window (with QT_QPA_PLATFORM=offscreen it needs no
// desktop).
#include "GraphWindow.h"

#include "library/ErrorTexts.h"
#include "model/history/HistoryStore.h"
#include "model/settings/SnReportSettings.h"
#include "model/store/SnCfg.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: sentrelle-graph [--root DIR] [--period day|week|month|year|all] "
                         "[--save-png FILE] [--save-csv FILE] ID[,ID...]\n");
    return 2;
}

bool ParsePeriod(const std::string& text, HistoryPeriod& period) {
    for (const HistoryPeriod choice : kHistoryPeriods) {
        std::string name = HistoryPeriodName(choice);
        name = name.substr(name.rfind(' ') + 1);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == text) {
            period = choice;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::string root, png, csv, ids;
    HistoryPeriod period = HistoryPeriod::Week;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--root" || arg == "--save-png" || arg == "--save-csv" || arg == "--period") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--root")
                root = value;
            else if (arg == "--save-png")
                png = value;
            else if (arg == "--save-csv")
                csv = value;
            else if (!ParsePeriod(value, period))
                return Usage();
        } else if (!arg.empty() && arg[0] != '-' && ids.empty()) {
            ids = arg;
        } else {
            return Usage();
        }
    }
    if (ids.empty())
        return Usage();

    CSnCfg store("GRAPH");
    long code = root.empty() ? store.Open(false, false) : store.OpenRoot(CQvcString(root), false, false);
    CSnNode* tree = nullptr;
    if (code == 0)
        code = store.LoadAllNodes(tree);
    std::vector<std::pair<std::int32_t, QString>> checks;
    for (const QString& id : QString::fromStdString(ids).split(',', Qt::SkipEmptyParts)) {
        bool number = false;
        const int value = id.trimmed().toInt(&number);
        if (!number)
            return Usage();
        const CSnNode* node = tree != nullptr ? CSnCfg::FindNode(tree, value) : nullptr;
        checks.emplace_back(value, node != nullptr ? QString::fromStdString(node->Cfg.Name.Str())
                                                   : QString("Check %1").arg(value));
    }
    CSnReportSettings report;
    if (code == 0)
        report.Read(store);
    const QString statistics =
        QString::fromStdString(StatisticsDatabasePath(report.DbConnection, store.RootDirectory()).Str());
    store.FreeTree(tree);
    if (code != 0) {
        const std::string text = ErrorBoxText(code).Str();
        std::fprintf(stderr, "sentrelle-graph: %s\n", text.c_str());
        if (png.empty() && csv.empty())
            QMessageBox::critical(nullptr, "Graph", QString::fromStdString(text));
        return 1;
    }

    CGraphWindow window(std::move(checks), statistics, period);
    if (!png.empty() || !csv.empty()) {
        window.resize(1000, 600);
        window.show();
        QApplication::processEvents();
        for (const auto& [file, saved] : {std::pair{png, !png.empty() && window.SavePng(QString::fromStdString(png))},
                                          std::pair{csv, !csv.empty() && window.SaveCsv(QString::fromStdString(csv))}})
            if (!file.empty() && !saved) {
                std::fprintf(stderr, "sentrelle-graph: cannot write '%s'\n", file.c_str());
                return 1;
            }
        return 0;
    }
    window.show();
    return QApplication::exec();
}
