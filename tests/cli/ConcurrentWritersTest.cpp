// Several real processes change one configuration at once through the command-line tool
// and the store, with the engine running and reloading meanwhile: every change that
// reported success is in the tree afterwards and `sentrelle check` finds the
// configuration healthy.  A large creation killed at random
// points leaves no record outside the tree.  The processes are forked children that run
// the tool's commands and leave with _exit.
#include "CliTestRun.h"
#include "TestSupport.h"
#include "model/CfgTestRoot.h"
#include "model/store/SnCfg.h"
#include "platform/Registry.h"

#include "ForkedChild.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testsupport::ExitStatus;
using testsupport::Spawn;

// The IDs in add-checks output ("  <id> | <name> | <host>"), or in a log of such lines.
std::vector<long> CreatedIds(const std::string& out) {
    std::vector<long> ids;
    for (const std::string& line : testsupport::Lines(out))
        if (line.rfind("  ", 0) == 0)
            ids.push_back(std::atol(line.c_str()));
    return ids;
}

// The IDs of every check in the stored tree.
std::set<long> ChecksInTree() {
    CSnCfg store;
    CSnNode* root = nullptr;
    std::set<long> ids;
    if (store.Open() != 0 || store.LoadAllNodes(root) != 0)
        return {-1};
    for (CSnNode* n : CSnCfg::CollectChecks(root, true))
        ids.insert(n->Id());
    return ids;
}

} // namespace

TEST(ConcurrentWriters, NoChangeThatReportedSuccessIsLost) {
    CfgTestRoot cfg;
    testsupport::TempDir logs;
    const long a = AddFolder("A");
    const long b = AddFolder("B");
    ASSERT_TRUE(a && b);
    // The engine reads the configuration at every change the writers announce; its checks
    // ping loopback addresses only.
    const pid_t engine = Spawn([&]() -> int {
        const std::string root = cfg.Root();
        std::freopen("/dev/null", "w", stderr); // its log stays in Logs/Engine.log
        ::execl(SENTRELLE_ENGINE_PROGRAM, SENTRELLE_ENGINE_PROGRAM, "--root", root.c_str(), "--foreground",
                "--workers", "4", static_cast<char*>(nullptr));
        return 127;
    });
    ASSERT_GT(engine, 0);
    constexpr int kCreators = 6, kRounds = 8;

    // Writers: add-checks of one to three hosts into A or B, each logging the IDs created;
    // the first two delete each round's last check again and log that too.
    std::vector<pid_t> pids;
    for (int w = 0; w < kCreators; ++w)
        pids.push_back(Spawn([&, w]() -> int {
            std::ofstream created(logs.File("created-" + std::to_string(w)));
            std::ofstream deleted(logs.File("deleted-" + std::to_string(w)));
            for (int k = 0; k < kRounds; ++k) {
                const std::string net = "127." + std::to_string(w + 1) + "." + std::to_string(k) + ".";
                std::string hosts = net + "1";
                for (int h = 2; h <= k % 3 + 1; ++h)
                    hosts += "," + net + std::to_string(h);
                const std::string out = RunCli({"add-checks", "--type", "ICMP Ping", "--folder",
                                                std::to_string(k % 2 ? a : b), "--hosts", hosts, "--name", "<HOSTS>"})
                                             .Out;
                created << out << std::flush;
                const std::vector<long> ids = CreatedIds(out);
                CSnCfg store("Deleter");
                CSnNode* root = nullptr;
                if (w < 2 && !ids.empty() && store.Open() == 0 && store.LoadAllNodes(root) == 0 &&
                    store.DeleteFromTree(root, ids.back(), false).Code == 0)
                    deleted << "  " << ids.back() << "\n" << std::flush;
            }
            return 0;
        }));
    // A mover: checks between the folders and folder B in and out of A, on its loaded tree,
    // reloading when told that it is stale.
    pids.push_back(Spawn([&]() -> int {
        CSnCfg store("Mover");
        CSnNode* root = nullptr;
        if (store.Open() != 0 || store.LoadAllNodes(root) != 0)
            return 10;
        int failures = 0;
        for (int k = 0; k < 24; ++k) {
            CSnNode* fa = CSnCfg::FindNode(root, a);
            CSnNode* fb = CSnCfg::FindNode(root, b);
            CSnCfg::TreeEdit edit;
            if (k % 3 == 2)
                edit = store.MoveFolderTo(root, k % 2 ? fa : root, fb);
            else
                edit = store.MoveChecks(root, k % 2 ? fa : fb, CSnCfg::CollectChecks(k % 2 ? fb : fa, false),
                                        true);
            failures += edit.Code != 0;
            if (edit.Code != 0 || edit.Stale)
                store.ReloadAllNodes(root);
        }
        return failures;
    }));
    for (pid_t pid : pids)
        EXPECT_EQ(ExitStatus(pid), 0);
    // The engine outlived every change and stops cleanly.
    EXPECT_EQ(::waitpid(engine, nullptr, WNOHANG), 0) << "the engine ended during the run";
    ::kill(engine, SIGTERM);
    EXPECT_EQ(ExitStatus(engine), 0);

    std::set<long> created, deleted, expected;
    for (const auto& log : std::filesystem::directory_iterator(logs.Path())) {
        const std::vector<long> ids = CreatedIds(testsupport::ReadFile(log.path()));
        (log.path().filename().string().starts_with("deleted") ? deleted : created).insert(ids.begin(), ids.end());
    }
    std::ranges::set_difference(created, deleted, std::inserter(expected, expected.end()));
    EXPECT_EQ(ChecksInTree(), expected);
    // Every round of every writer succeeded (the busy timeout covers the waits): rounds of
    // one, two and three hosts in turn.
    std::size_t attempted = 0;
    for (int k = 0; k < kRounds; ++k)
        attempted += kCreators * static_cast<std::size_t>(k % 3 + 1);
    EXPECT_EQ(created.size(), attempted);

    const CliOutcome check = RunCli({"check"});
    EXPECT_EQ(check.Code, 0) << check.Out << check.Err;
}

TEST(ConcurrentWriters, AKilledCreationLeavesNoHiddenRecords) {
    CfgTestRoot cfg;
    auto create = []() -> int {
        return RunCli({"add-checks", "--type", "ICMP Ping", "--folder", "1", "--hosts",
                       "127.0.0.1-127.0.0.250", "--name", "<HOSTS>"})
            .Code;
    };
    // One creation runs to its end first: the kills land anywhere in the time it takes.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(ExitStatus(Spawn(create)), 0);
    const auto duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    std::srand(static_cast<unsigned>(::getpid()));
    long records = -1;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        pid_t pid = Spawn(create);
        ASSERT_GT(pid, 0);
        ::usleep(static_cast<useconds_t>(std::rand() % std::max<long>(1, duration.count())));
        ::kill(pid, SIGKILL);
        const int status = ExitStatus(pid);
        EXPECT_TRUE(status == 0 || status == 128 + SIGKILL) << status;

        // All of a creation or none of it: every record is in the tree.
        CSnCfg store;
        ASSERT_EQ(store.Open(), 0);
        CSnCfg::Health health;
        ASSERT_EQ(store.CheckHealth(false, health), 0);
        EXPECT_TRUE(health.Healthy()) << health.Orphans.size() << " orphans";
        ASSERT_EQ(store.CountNodes("ID >= 10000", records), 0);
        EXPECT_EQ(records % 250, 0);
        EXPECT_EQ(static_cast<long>(ChecksInTree().size()), records);
    }
}
