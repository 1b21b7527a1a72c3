// The history module loaded the way the Manager loads it (from the installation, through
// the platform's module loader) and the graph program run as the Manager starts it, both
// on a statistics database with a few hours of one check's results.
#include "ManagerFixture.h"

#include "model/console/HistoryGraph.h"
#include "model/history/HistoryStore.h"
#include "model/tree/NodeStatus.h"
#include "platform/System.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>

#include <filesystem>

namespace {

QWidget* HistoryWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "historyWindow" && widget->isVisible())
            return widget;
    return nullptr;
}

} // namespace

TEST_F(ManagerTest, HistoryModuleShowsBothViewsAndTheGraphProgramDrawsThem) {
    const long id = AddCheck(1, "Web");
    SaveTree();
    CHistoryStore store;
    const CQvcString statistics = StatisticsDatabasePath(CQvcString(kStatisticsConnection), Root());
    ASSERT_EQ(store.Open(statistics, true), 0) << store.ErrorText().Str();
    const std::int64_t now = platform::SecondsSince1970();
    std::vector<CHistoryEntry> entries;
    std::vector<CGraphSample> samples;
    for (std::int64_t t = now - 3 * 3600; t < now; t += 600) {
        const bool down = t >= now - 7200 && t < now - 5400;
        entries.push_back({t, static_cast<std::int32_t>(id), down ? kStatusError : kStatusSuccess, "", 12, "",
                           t == now - 7200 || t == now - 5400 || t == now - 3 * 3600});
        samples.push_back({t, static_cast<std::int32_t>(id), 10.0 + static_cast<double>((t / 600) % 7)});
    }
    ASSERT_EQ(store.Append(entries, samples), 0) << store.ErrorText().Str();

    std::vector<std::string> errors;
    const auto showError = [&errors](const CQvcString& text) { errors.push_back(text.Str()); };
    for (const bool detail : {false, true}) {
        EXPECT_EQ(ShowCheckHistory(Root(), static_cast<std::int32_t>(id), detail, showError), 0);
        QWidget* window = HistoryWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "History of Web");
        EXPECT_EQ(window->findChild<QTabWidget*>()->currentIndex(), detail ? 0 : 1);
        // The detail: every entry of the last week, newest first.
        const QTableWidget* tables[] = {window->findChild<QTableWidget*>("detailTable"),
                                        window->findChild<QTableWidget*>("availabilityTable")};
        ASSERT_TRUE(tables[0] != nullptr && tables[1] != nullptr);
        ASSERT_EQ(tables[0]->rowCount(), static_cast<int>(entries.size()));
        EXPECT_EQ(tables[0]->item(0, 1)->text(), "Success");
        EXPECT_EQ(tables[0]->item(static_cast<int>(entries.size()) - 7, 1)->text(), "Error");
        // The availability: one outage of half an hour in the last 14 days.
        bool totals = false;
        for (const QLabel* label : window->findChildren<QLabel*>())
            totals = totals || label->text().contains("total downtime 00:30:00, 1 outages");
        // One row per day with results (two when the three hours span midnight).
        ASSERT_GE(tables[1]->rowCount(), 1);
        ASSERT_LE(tables[1]->rowCount(), 2);
        EXPECT_TRUE(totals);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(HistoryWindow(), nullptr);
    }
    EXPECT_TRUE(errors.empty());

    // The graph of the check and of one without samples: the day's samples, oldest first.
    const QString png = QString::fromStdString(Root() + "/graph.png"), csv = QString::fromStdString(Root() + "/graph.csv");
    QProcess graph;
    graph.start(QString::fromStdString(GraphProgramPath(Root()).Str()),
                {"--root", QString::fromStdString(Root()), "--period", "day", "--save-png", png, "--save-csv", csv,
                 QString("%1,%2").arg(id).arg(id + 1)});
    ASSERT_TRUE(graph.waitForFinished(60000)) << graph.errorString().toStdString();
    EXPECT_EQ(graph.exitCode(), 0) << graph.readAllStandardError().toStdString();
    const QImage image(png);
    EXPECT_GT(image.width(), 800);
    EXPECT_GT(std::filesystem::file_size(png.toStdString()), 20'000u);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), static_cast<int>(samples.size()) + 1);
    EXPECT_EQ(lines[0], "Time,Check ID,Check,Value");
    EXPECT_TRUE(lines[1].endsWith(QString(",%1,\"Web\",%2").arg(id).arg(samples.front().Value))) << lines[1].toStdString();
}
