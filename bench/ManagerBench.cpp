// The Manager's own waits, offscreen: the refresh step (result file read, LoadResults and
// the list model's update) and the start-up to a populated, painted list with the memory
// each check costs beyond an empty Manager.
#include "BenchInstallation.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/CheckListModel.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/mainframe/ViewList.h"
#include "model/link/SnIPC.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// The installation's checks: every node that is not a folder, less the root and folders.
int ChecksOf(int nodes) { return nodes - std::max(1, nodes / (benchinstall::kChecksPerFolder + 1)); }

// A Manager started on the installation of that size, its window shown at 1600 x 900 as
// the screenshot run shows it, the events processed until the list holds every check
// and then painted once.  Null when the list never filled within a minute.
std::unique_ptr<CQMonApp> StartManager(int nodes, double* msToPainted) {
    benchinstall::For(nodes);
    const auto begin = Clock::now();
    CQMonApp::Options options;
    options.scriptedUi = true;
    options.showWindow = false;
    options.watchService = false;
    auto app = std::make_unique<CQMonApp>(options);
    if (!app->InitInstance())
        return nullptr;
    app->Frame()->showNormal();
    app->Frame()->resize(1600, 900);
    const int checks = ChecksOf(nodes);
    while (!app->Loaded() || app->Frame()->List()->RowCount() < checks) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        if (Ms(begin) > 60000)
            return nullptr;
    }
    QApplication::processEvents();
    benchmark::DoNotOptimize(app->Frame()->List()->grab());
    if (msToPainted != nullptr)
        *msToPainted = Ms(begin);
    return app;
}

// The result file as the engine writes it for the listed checks; `round` changes the
// time and response of every `every`-th check (1: all, 100: 1 %).
void WriteResults(const std::string& path, const std::vector<long>& ids, int round, int every) {
    std::string file = "[Results]\r\n";
    file.reserve(ids.size() * 80);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const long id = ids[i];
        const int r = i % static_cast<std::size_t>(every) == 0 ? round : 0;
        file += std::to_string(id) + "=" + std::to_string(id % 3 + 1) + "||" + std::to_string(1700000000 + r) +
                "||0||||" + std::to_string(id % 90) + "||" + std::to_string(id % 1000) + " ms||Reply from 192.0.2." +
                std::to_string(id % 250) + " round " + std::to_string(r) + "\r\n";
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
}

// The refresh step: LoadResults reads the result file and fills the nodes, then the list
// rewrites the cells whose text changed.  Arguments: checks in the installation's nodes,
// and one in how many results changes between two steps.
void BM_ManagerRefreshStep(benchmark::State& state) {
    const auto nodes = static_cast<int>(state.range(0));
    const auto every = static_cast<int>(state.range(1));
    auto app = StartManager(nodes, nullptr);
    if (!app) {
        state.SkipWithError("the Manager did not start");
        return;
    }
    app->Frame()->Timer().stop(); // the bench makes the steps itself
    CViewList& list = *app->Frame()->List();
    CCheckListModel& model = list.Model();
    std::vector<long> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.push_back(model.Node(row)->Cfg.ID);
    std::uint64_t signalled = 0;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& a, const QModelIndex& b) {
        signalled += static_cast<std::uint64_t>(b.row() - a.row() + 1) * static_cast<std::uint64_t>(b.column() - a.column() + 1);
    });
    CSnIPC& link = *app->Store()->Link();
    const std::string path = benchinstall::For(nodes).Root() + "/Sys/Res/result.dat";
    WriteResults(path, ids, 0, every);
    link.LoadResults(app->Root());
    list.Refresh();
    QApplication::processEvents();
    std::vector<char> buffer(ids.size() * 200 + 4096);

    double step = 0, yardstick = 0, load = 0;
    int round = 0;
    const std::uint64_t writesBefore = model.CellWrites();
    signalled = 0;
    for (auto _ : state) {
        WriteResults(path, ids, ++round, every);
        auto begin = Clock::now();
        benchmark::DoNotOptimize(platform::ProfileReadSection(path.c_str(), "Results", buffer.data(),
                                                              static_cast<std::uint32_t>(buffer.size())));
        yardstick += Ms(begin);
        begin = Clock::now();
        link.LoadResults(app->Root());
        load += Ms(begin);
        list.Refresh();
        step += Ms(begin);
        QApplication::processEvents(); // the repaint that follows, outside the step
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["checks"] = static_cast<double>(ids.size());
    state.counters["step ms"] = step / n;
    state.counters["yardstick ms"] = yardstick / n;
    state.counters["load ms"] = load / n;
    state.counters["cells written"] = static_cast<double>(model.CellWrites() - writesBefore) / n;
    state.counters["cells signalled"] = static_cast<double>(signalled) / n;
}
BENCHMARK(BM_ManagerRefreshStep)
    ->ArgNames({"nodes", "every"})
    ->ArgsProduct({{1000, 10000, 100000}, {100, 1}})
    ->Unit(benchmark::kMillisecond);

// Start-up to the first painted list, and the resident memory per check beyond a Manager
// started on an installation without checks.
void BM_ManagerStartup(benchmark::State& state) {
    const auto nodes = static_cast<int>(state.range(0));
    benchinstall::For(nodes);
    double total = 0, perCheck = 0;
    bool first = true;
    for (auto _ : state) {
        long emptyBytes = 0;
        {
            ::malloc_trim(0); // what making the installation freed is not the empty Manager's
            auto empty = StartManager(1, nullptr);
            emptyBytes = ResidentBytes();
        }
        double ms = 0;
        auto app = StartManager(nodes, &ms);
        if (!app) {
            state.SkipWithError("the Manager did not start");
            return;
        }
        total += ms;
        // Memory only from the first start: a later one reuses the heap that the earlier
        // Manager freed, which is still resident and would count in the empty Manager.
        if (first)
            perCheck = static_cast<double>(ResidentBytes() - emptyBytes) / ChecksOf(nodes);
        first = false;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["start ms"] = total / n;
    state.counters["bytes a check"] = perCheck;
}
BENCHMARK(BM_ManagerStartup)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

// One offscreen QApplication for the whole run, destroyed before the program's static
// objects: destroyed among them at exit, it crashes.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
