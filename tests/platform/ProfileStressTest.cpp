// Concurrency: several processes (and threads) write one profile file at once while
// this process keeps reading it.  Every write of every writer must survive, and every
// read must see a complete file.
#include "StressKeys.h"
#include "TestFiles.h"
#include "platform/Profile.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <iostream>
#include <map>
#include <thread>

extern char** environ;

using namespace platform;
using platform_test::ReadBytes;
using platform_test::StressKey;
using platform_test::StressValue;
using platform_test::TempDir;

namespace {

constexpr int kWriters = 3;
constexpr int kWritesPerWriter = 2000;

// Parses "w<writer>_<index>" back into its numbers; false for anything else.
bool ParseKey(const std::string& key, int& writer, int& index) {
    return std::sscanf(key.c_str(), "w%d_%d", &writer, &index) == 2 && StressKey(writer, index) == key;
}

// Checks one snapshot of the file; returns how many keys each writer has in it.
// Because each writer writes its keys in order and waits for each write to finish,
// a complete snapshot holds exactly keys 0..n-1 of every writer; a hole means a
// lost update.
std::vector<int> CheckSnapshot(const std::string& file, std::vector<char>& buf) {
    std::vector<int> counts(kWriters, 0);
    std::vector<int> highest(kWriters, -1);
    const uint32_t n =
        GetPrivateProfileSection("Stress", buf.data(), static_cast<uint32_t>(buf.size()), file.c_str());
    EXPECT_LT(n, buf.size() - 2) << "buffer too small for the test";
    for (const std::string& entry : platform_test::ListOf(buf.data(), n)) {
        const auto eq = entry.find('=');
        int writer = -1, index = -1;
        if (eq == std::string::npos || !ParseKey(entry.substr(0, eq), writer, index) || writer < 0 ||
            writer >= kWriters) {
            ADD_FAILURE() << "unexpected line: " << entry.substr(0, 80);
            continue;
        }
        EXPECT_EQ(entry.substr(eq + 1), StressValue(writer, index)) << entry;
        ++counts[writer];
        highest[writer] = std::max(highest[writer], index);
    }
    for (int w = 0; w < kWriters; ++w)
        EXPECT_EQ(counts[w], highest[w] + 1) << "writer " << w << " has a hole: an update was lost";
    return counts;
}

pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    EXPECT_EQ(rc, 0) << "cannot start " << args[0];
    return rc == 0 ? pid : -1;
}

TEST(ProfileStress, ConcurrentProcessesLoseNoUpdateAndReadersNeverSeeATornFile) {
    TempDir dir;
    const std::string file = dir.File("control.dat");
    const auto start = std::chrono::steady_clock::now();

    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid =
            Spawn({SENTRELLE_STRESS_WRITER, file, std::to_string(w), std::to_string(kWritesPerWriter)});
        ASSERT_GT(pid, 0);
        children.push_back(pid);
    }

    std::vector<char> buf(4 << 20);
    std::vector<int> lastCounts(kWriters, 0);
    int reads = 0;
    std::vector<int> statuses(kWriters, -1);
    for (std::size_t running = children.size(); running > 0;) {
        const std::string bytes = ReadBytes(file);
        if (!bytes.empty()) {
            ++reads;
            // Whole file or nothing: it starts with the header and ends with a line end.
            ASSERT_EQ(bytes.compare(0, 10, "[Stress]\r\n"), 0) << bytes.substr(0, 40);
            ASSERT_EQ(bytes.compare(bytes.size() - 2, 2, "\r\n"), 0);
            const std::vector<int> counts = CheckSnapshot(file, buf);
            for (int w = 0; w < kWriters; ++w) {
                EXPECT_GE(counts[w], lastCounts[w]) << "writer " << w << " went backwards";
                lastCounts[w] = counts[w];
            }
            if (HasFailure())
                break;
        }
        // A short pause leaves the writers most of the processor; thousands of
        // snapshots are still taken.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (std::size_t i = 0; i < children.size(); ++i) {
            int status = 0;
            if (statuses[i] == -1 && ::waitpid(children[i], &status, WNOHANG) == children[i]) {
                statuses[i] = status;
                --running;
            }
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (statuses[i] == -1)
            ::waitpid(children[i], &statuses[i], 0);
        EXPECT_TRUE(WIFEXITED(statuses[i]) && WEXITSTATUS(statuses[i]) == 0) << "writer " << i;
    }

    const std::vector<int> counts = CheckSnapshot(file, buf);
    EXPECT_EQ(counts, std::vector<int>(kWriters, kWritesPerWriter));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "[ stress   ] " << kWriters * kWritesPerWriter << " writes by " << kWriters << " processes, "
              << reads << " checked reads, " << seconds << " s\n";
}

TEST(ProfileStress, ThreadsOfOneProcessLoseNoUpdate) {
    // fcntl locks do not exclude threads of the same process; the writers must still
    // not overwrite each other.
    TempDir dir;
    const std::string file = dir.File("threads.ini");
    constexpr int kThreads = 4, kWrites = 150;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kWrites; ++i) {
                if (!WritePrivateProfileString("Stress", StressKey(t, i).c_str(), StressValue(t, i).c_str(),
                                               file.c_str()))
                    ++failures[t];
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    EXPECT_EQ(ProfileListKeys(file.c_str(), "Stress").size(), static_cast<std::size_t>(kThreads * kWrites));
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(ProfileReadText(file.c_str(), "Stress", StressKey(t, kWrites - 1).c_str(), ""),
                  StressValue(t, kWrites - 1));
}

} // namespace
