// Concurrency: several processes (and threads) write one profile file at once while
// this process keeps reading it.  Every write of every writer must survive, and every
// read must see a complete file.
#include "ForkedChild.h"
#include "TestFiles.h"
#include "platform/Profile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

using namespace platform;
using platform_test::ReadBytes;
using platform_test::TempDir;

namespace {

std::string Key(int writer, int index) {
    std::string key(1, 'w');
    ((key += std::to_string(writer)) += '_') += std::to_string(index);
    return key;
}

// The value repeats the key's numbers, so a value that belongs to another key (or a
// cut-off line) shows.
std::string Value(int writer, int index) {
    return std::to_string(index) + "." + std::to_string(writer) + ".payload." + std::to_string(index * 7 + writer);
}

// Writes `count` distinct keys of `writer`, one write each; the number of failed writes.
int WriteKeys(const std::string& file, int writer, int count) {
    int failures = 0;
    for (int i = 0; i < count; ++i)
        failures += !WritePrivateProfileString("Stress", Key(writer, i).c_str(), Value(writer, i).c_str(), file.c_str());
    return failures;
}

// Checks one snapshot of the file and returns how many keys each writer has in it.
// Each writer writes its keys in order and waits for each write to finish, so a complete
// snapshot holds exactly keys 0..n-1 of every writer with their values; anything else (a
// hole, a stray or doubled line, a wrong value) is a lost or torn update.
std::vector<int> CheckSnapshot(const std::string& file, int writers) {
    const auto entries = ProfileReadEntries(file.c_str(), "Stress");
    std::vector<int> counts(static_cast<std::size_t>(writers), 0);
    for (const auto& [key, value] : entries)
        if (int w = -1; std::sscanf(key.c_str(), "w%d_", &w) == 1 && w >= 0 && w < writers)
            ++counts[static_cast<std::size_t>(w)];
    std::map<std::string, std::string> expected;
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < counts[static_cast<std::size_t>(w)]; ++i)
            expected[Key(w, i)] = Value(w, i);
    EXPECT_EQ(entries.size(), expected.size());
    EXPECT_EQ((std::map<std::string, std::string>(entries.begin(), entries.end())), expected);
    return counts;
}

TEST(ProfileStress, ConcurrentProcessesLoseNoUpdateAndReadersNeverSeeATornFile) {
    constexpr int kWriters = 3, kWrites = 2000;
    TempDir dir;
    const std::string file = dir.File("control.dat");
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w)
        children.push_back(testsupport::Spawn([&, w] { return WriteKeys(file, w, kWrites) == 0 ? 0 : 1; }));
    std::vector<int> last(kWriters, 0), statuses(kWriters, -1);
    while (std::count(statuses.begin(), statuses.end(), -1) > 0 && !HasFailure()) {
        const std::string bytes = ReadBytes(file);
        if (!bytes.empty()) {
            // Whole file or nothing: it starts with the header and ends with a line end.
            ASSERT_EQ(bytes.compare(0, 10, "[Stress]\r\n"), 0) << bytes.substr(0, 40);
            ASSERT_EQ(bytes.compare(bytes.size() - 2, 2, "\r\n"), 0);
            const std::vector<int> counts = CheckSnapshot(file, kWriters);
            for (int w = 0; w < kWriters; ++w)
                EXPECT_GE(counts[w], last[w]) << "writer " << w << " went backwards";
            last = counts;
        }
        // A short pause leaves the writers most of the processor; thousands of snapshots
        // are still taken.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int w = 0, status = 0; w < kWriters; ++w)
            if (statuses[w] == -1 && ::waitpid(children[w], &status, WNOHANG) == children[w])
                statuses[w] = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    for (int w = 0; w < kWriters; ++w)
        if (statuses[w] == -1)
            statuses[w] = testsupport::ExitStatus(children[w]);
    EXPECT_EQ(statuses, std::vector<int>(kWriters, 0));
    EXPECT_EQ(CheckSnapshot(file, kWriters), std::vector<int>(kWriters, kWrites));
}

TEST(ProfileStress, ThreadsOfOneProcessLoseNoUpdate) {
    // fcntl locks do not exclude threads of the same process; the writers must still
    // not overwrite each other.
    constexpr int kThreads = 4, kWrites = 150;
    TempDir dir;
    const std::string file = dir.File("threads.ini");
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] { failures[t] = WriteKeys(file, t, kWrites); });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    EXPECT_EQ(CheckSnapshot(file, kThreads), std::vector<int>(kThreads, kWrites));
}

} // namespace
