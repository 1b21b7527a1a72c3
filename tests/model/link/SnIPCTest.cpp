#include "model/link/SnIPC.h"
#include "NodeTreeBuilder.h"
#include "TestSupport.h"
#include "library/QvcRandom.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <unistd.h>

using testsupport::EngineRootDir;
using testsupport::NodeTreeBuilder;

namespace {

// A result as "status|time|processing|comment|duration|data|response", to compare whole.
std::string R(const CSnNode* node) {
    const CSnNodeResult& r = node->Result;
    return std::to_string(r.Status) + "|" + std::to_string(r.LastUpdate) + "|" + std::to_string(r.Processing) + "|" +
           r.Comment.Str() + "|" + std::to_string(r.Duration) + "|" + r.Data.Str() + "|" + r.Response.Str();
}

class SnIPCTest : public ::testing::Test {
protected:
    SnIPCTest() : link(CQvcString(root.Path()), "IPC") {}

    // Writes section "Results" of the result file from "key=value" lines.
    void WriteResults(const std::string& lines) {
        testsupport::WriteFile(root.File("Sys/Res/result.dat"), "[Results]\r\n" + lines);
    }
    std::string Control(const char* section, const char* key) const {
        return platform::ProfileReadText(link.ControlFile().c_str(), section, key, "<none>");
    }
    std::vector<std::string> ControlKeys(const char* section) const {
        return platform::ProfileListKeys(link.ControlFile().c_str(), section);
    }

    testsupport::ScopedHives hives;
    EngineRootDir root;
    CSnIPC link;
};

} // namespace

TEST_F(SnIPCTest, PathsLieBelowTheRootWithNativeSeparators) {
    const std::string r = root.Path() + "/";
    EXPECT_EQ((std::vector<CQvcString>{link.ResultFile(), link.ReceiverResultFile(), link.ActivityLogFile(),
                                       link.LogDirectory(), link.NotificationDirectory(), link.ControlFile()}),
              (std::vector<CQvcString>{r + "Sys/Res/result.dat", r + "Sys/Res/resultrcvr.dat", r + "Sys/Act/actlog.dat",
                                       r + "Logs", r + "Sys/Not", r + "Sys/Ctrl/control.dat"}));
    // A root given with its trailing separator gives the same paths.
    CSnIPC trailing(CQvcString(r), "IPC");
    EXPECT_EQ(trailing.ControlFile(), link.ControlFile());
    EXPECT_EQ(link.SectionBufferCapacity(), 524287u);
}

TEST_F(SnIPCTest, NodeWithoutLineShowsEngineNotRunningAndKeepsProcessingAndData) {
    NodeTreeBuilder tree;
    CSnNode* check = tree.AddCheck(tree.Root(), 7);
    WriteResults("7=2||1700000000||1||c||5||data||reply\r\n");
    link.LoadResults(tree.Root());
    ASSERT_EQ(R(check), "2|1700000000|1|c|5|data|reply");

    // The engine dropped the line: status, time, duration and comment are reset, the
    // response says the engine is not running, Processing and Data stay as they were.
    WriteResults("8=1||1||0||||0||||x\r\n");
    link.LoadResults(tree.Root());
    EXPECT_EQ(R(check), "0|0|1||0|data|Service 'Quorvane Sentrelle' is not running");

    // A line whose value is only blanks counts as no line.
    WriteResults("7=2||1700000000||1||c||5||data||reply\r\n");
    link.LoadResults(tree.Root());
    WriteResults("7=   \t \r\n");
    link.LoadResults(tree.Root());
    EXPECT_EQ(R(check), "0|0|1||0|data|Service 'Quorvane Sentrelle' is not running");
}

TEST_F(SnIPCTest, ResultLinesFillWhatCanBeFilled) {
    const std::string longComment(100000, 'c');
    // A check's ID, the value of its line, what the check then shows.
    const std::vector<std::tuple<std::int32_t, std::string, std::string>> cases = {
        {100, "1||600||0||note||75||  42 % ||OK", "1|600|0|note|75|42 %|OK"},
        // Two fields: the others read as empty or 0, whatever was there before.
        {101, "3||600", "3|600|0||0||"},
        {9, "ok||yesterday||maybe||c||long||d||r", "0|0|0|c|0|d|r"},
        // A comment holding "||" shifts every later field; the duration "b" reads as 0.
        {2, "1||2||0||a||b||3||d||e", "1|2|0|a|0|3|d"},
        {3, "1||2||0||" + longComment + "||9||data||resp", "1|2|0|" + longComment + "|9|data|resp"},
        {4, "8||\x01\xff\x7f||0||bin\x80\x90||1||\x02||\xfe", "8|0|0|bin\x80\x90|1|\x02|\xfe"},
        // Numbers beyond 32 bits saturate as the 32-bit atoi does.
        {5, "99999999999||-99999999999||0||c||2147483648||d||r", "2147483647|-2147483648|0|c|2147483647|d|r"},
        {6, "  12abc||600x||1junk||c|| 30s||d||r", "12|600|1|c|30|d|r"},
        {8, "1||2||3||4||5||6||7||8||9", "1|2|3|4|5|6|7"},
        // Negative IDs and 0 are IDs too; the first line of an ID wins.
        {-5, "6||6||0||negative||6||f||six", "6|6|0|negative|6|f|six"},
        {0, "7||7||0||zero||7||g||seven", "7|7|0|zero|7|g|seven"},
        {42, "1||1||0||first||1||a||one", "1|1|0|first|1|a|one"},
    };
    // Junk first, and keys that are not how an ID is written: "012" and "+12" are not 12,
    // "-0" is not 0.
    std::string file = "[Results]\r\ngarbage line without equals\r\n=no key\r\n\x01\x02\x03=\x04\r\n"
                       "012=3||3||0||padded||3||c||three\r\n+12=3||3||0||plus||3||c||three\r\n"
                       "-0=4||4||0||minus zero||4||d||four\r\n";
    // The lines in the reverse of the tree's order: each check finds its line wherever it is.
    NodeTreeBuilder tree;
    std::vector<CSnNode*> nodes;
    std::string lines;
    for (const auto& [id, line, shown] : cases) {
        nodes.push_back(tree.AddCheck(tree.Root(), id));
        lines = std::to_string(id) + "=" + line + "\r\n" + lines;
    }
    file += lines + "42=2||2||0||second||2||b||two\r\n  42  =5||5||0||blanks||5||e||five\r\n";
    CSnNode* padded = tree.AddCheck(tree.Root(), 12);
    nodes[1]->Result.Processing = 1;
    nodes[1]->Result.Data = "old data";
    testsupport::WriteFile(root.File("Sys/Res/result.dat"), file);

    link.LoadResults(tree.Root());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(R(nodes[i]), std::get<2>(cases[i])) << std::get<0>(cases[i]);
    // Neither check 12 nor the root folder has a line of its own.
    EXPECT_EQ(padded->Result.Response, kEngineNotRunning);
    EXPECT_EQ(tree.Root()->Result.Response, kEngineNotRunning);
}

TEST_F(SnIPCTest, OneSectionReadPerWalkOverThousandsOfNodesEvenWhenLargerThanTheBuffer) {
    NodeTreeBuilder tree;
    const std::vector<std::int32_t> ids = tree.AddFlatTree(4, 3000); // 12,000 checks, 4 folders
    // Each node's line differs from the others' in every field.
    auto result = [](std::int32_t id) {
        const std::string n = std::to_string(id);
        return std::to_string(id % 8 + 1) + "|" + std::to_string(id * 3) + "|0|comment " + n + "|" +
               std::to_string(id % 60) + "|" + std::to_string(id * 7) + " ms|Reply " + n;
    };
    std::string lines;
    for (std::int32_t id : ids) {
        std::string line = result(id);
        for (std::size_t at = 0; (at = line.find('|', at)) != std::string::npos; at += 2)
            line.insert(at, 1, '|');
        lines += std::to_string(id) + "=" + line + "\r\n";
    }
    WriteResults(lines);
    ASSERT_GT(lines.size(), CSnIPC::kSectionBufferSize);

    int reads = 0;
    link.SetSectionReader([&](const char* file, const char* section, char* buf, std::uint32_t size) {
        EXPECT_EQ(link.ResultFile(), file);
        EXPECT_STREQ(section, "Results");
        ++reads;
        return platform::ProfileReadSection(file, section, buf, size);
    });
    // Cut at first, then read again into a grown buffer until it fits.
    link.LoadResults(tree.Root());
    const int firstWalk = reads;
    EXPECT_GE(firstWalk, 2);
    EXPECT_GT(link.SectionBufferCapacity(), std::size_t{CSnIPC::kSectionBufferSize});
    int filled = 0;
    for (const auto& node : tree.Nodes()) {
        if (!node->IsFolder()) {
            ++filled;
            EXPECT_EQ(R(node.get()), result(node->Id()));
        }
    }
    EXPECT_EQ(filled, 12000);

    // The grown buffer is kept: the next walk reads once.  No tree, no read.
    link.LoadResults(tree.Root());
    link.LoadResults(nullptr);
    EXPECT_EQ(reads, firstWalk + 1);
}

TEST_F(SnIPCTest, MissingResultFileIsCreatedOnFirstRead) {
    const std::string file = root.File("Sys/Res/result.dat");
    ASSERT_FALSE(std::filesystem::exists(file));
    NodeTreeBuilder tree;
    CSnNode* check = tree.AddCheck(tree.Root(), 5);
    link.LoadResults(tree.Root());
    EXPECT_EQ(platform::ProfileReadText(file.c_str(), "Results", "EXISTS", ""), "1");
    EXPECT_EQ(check->Result.Response, kEngineNotRunning);
}

TEST_F(SnIPCTest, RemovingAResultChangesTheCounterAndShowsNotRunning) {
    NodeTreeBuilder tree;
    CSnNode* removed = tree.AddCheck(tree.Root(), 31);
    CSnNode* kept = tree.AddCheck(tree.Root(), 32);
    WriteResults("31=1||5||0||||0||||alive\r\n32=1||5||0||||0||||alive\r\n");
    platform::ProfileWriteText(link.ControlFile().c_str(), "Updates", "Results", "7");
    link.LoadResults(tree.Root());
    ASSERT_EQ(removed->Result.Response, "alive");

    link.RemoveResult(31);
    EXPECT_EQ(platform::ProfileListKeys(link.ResultFile().c_str(), "Results"),
              std::vector<std::string>{"32"});
    EXPECT_NE(link.ReadResultsCounter(), 7);
    link.LoadResults(tree.Root());
    EXPECT_EQ(removed->Result.Response, kEngineNotRunning);
    EXPECT_EQ(kept->Result.Response, "alive");

    const long before = link.ReadResultsCounter();
    link.RemoveAllResults();
    EXPECT_FALSE(std::filesystem::exists(link.ResultFile().Str()));
    EXPECT_NE(link.ReadResultsCounter(), before);
    link.LoadResults(tree.Root());
    EXPECT_EQ(kept->Result.Response, kEngineNotRunning);
}

TEST_F(SnIPCTest, CountersTakeMaskedTicksAndAlwaysChange) {
    EXPECT_EQ((std::vector<long>{link.ReadChangeCounter(0), link.ReadChangeCounter(1),
                                 link.ReadGlobalSettingsCounter(), link.ReadResultsCounter()}),
              (std::vector<long>{0, 0, 0, 0}));

    std::uint32_t tick = 0xFFFFFFF0u;
    link.SetClock([&] { return tick; }, nullptr);

    link.SignalConfigChanged(true, false);
    EXPECT_EQ(link.ReadChangeCounter(1), 0x7FFFFFF0);
    EXPECT_EQ(Control("Updates", "NM"), "<none>");
    tick = 0x80000005u;
    link.SignalConfigChanged(false, true);
    EXPECT_EQ(link.ReadChangeCounter(0), 5);
    EXPECT_EQ(link.ReadChangeCounter(1), 0x7FFFFFF0); // untouched

    // Two signals within one tick still give two values.
    link.SignalConfigChanged(true, true);
    const long ns = link.ReadChangeCounter(1);
    const long nm = link.ReadChangeCounter(0);
    EXPECT_EQ(ns, 5);
    EXPECT_EQ(nm, 6);
    link.SignalConfigChanged(true, true);
    EXPECT_NE(link.ReadChangeCounter(1), ns);
    EXPECT_NE(link.ReadChangeCounter(0), nm);

    tick = 0xFFFFFFFFu;
    link.SignalGlobalSettingsChanged();
    EXPECT_EQ(link.ReadGlobalSettingsCounter(), 0x7FFFFFFF);
    link.SignalGlobalSettingsChanged();
    EXPECT_EQ(link.ReadGlobalSettingsCounter(), 0); // wraps within 31 bits

    // "Results": 28 bits of the tick plus the next pseudo-random value.
    {
        QvcRandomLock hold;
        QvcSrand(4711);
        CQvcRandom expected(4711);
        link.SignalResultsChanged();
        EXPECT_EQ(link.ReadResultsCounter(), 0x0FFFFFFF + expected.Next());
    }
}

TEST_F(SnIPCTest, MonitorSubtreeNowRequestsLeavesByScanMode) {
    NodeTreeBuilder tree;
    CSnNode* folder = tree.AddFolder(tree.Root(), 10);
    CSnNode* interval = tree.AddCheck(folder, 100, 0);
    tree.AddCheck(folder, 101, 1); // scheduled
    tree.AddCheck(folder, 102, 2); // event-driven
    CSnNode* inner = tree.AddFolder(folder, 11);
    tree.AddCheck(inner, 110, 0);
    tree.AddCheck(inner, 111, 1);
    tree.AddFolder(folder, 12);      // an empty folder has no child: it is a leaf
    tree.AddCheck(tree.Root(), 200); // the folder's sibling: never requested

    link.MonitorSubtreeNow(folder, false);
    EXPECT_EQ(ControlKeys("MonitorNow"), (std::vector<std::string>{"100", "0", "110", "12"}));
    EXPECT_EQ(Control("MonitorNow", "110") + Control("MonitorNow", "0"), "11");

    link.ClearMonitorNowRequests();
    EXPECT_TRUE(ControlKeys("MonitorNow").empty());
    link.MonitorSubtreeNow(folder, true);
    EXPECT_EQ(ControlKeys("MonitorNow"), (std::vector<std::string>{"100", "0", "101", "110", "111", "12"}));

    // A single check is requested by itself, unless its mode excludes it.  Clearing the
    // run-now requests leaves the clear-failure requests alone.
    link.ClearMonitorNowRequests();
    link.ClearFailureNow(interval);
    link.MonitorSubtreeNow(interval, false);
    link.MonitorSubtreeNow(nullptr, true);
    link.ClearFailureNow(nullptr);
    EXPECT_EQ(ControlKeys("MonitorNow"), (std::vector<std::string>{"100", "0"}));
    link.ClearMonitorNowRequests();
    EXPECT_EQ(ControlKeys("MonitorNow").size() + ControlKeys("ClearFailureNow").size(), 2u);
}

TEST_F(SnIPCTest, ProbeAccessForReadOnlyAndWritableManagers) {
    // Read-only: confirmed only once a writable Manager has marked the files readable.
    EXPECT_FALSE(link.ProbeAccess(false, "HOST"));
    link.MarkReadOnlyReadable();
    EXPECT_EQ(Control("SharedAcess", "ReadOnly"), "1");
    EXPECT_TRUE(link.ProbeAccess(false, ""));

    // Writable: the current time goes under the computer's name and must read back.
    std::int64_t now = 1700000123;
    link.SetClock(nullptr, [&] { return now; });
    EXPECT_TRUE(link.ProbeAccess(true, "HOST"));
    EXPECT_EQ(Control("SharedAcess", "HOST"), "1700000123");
    now = 4102444800; // 2100: beyond 32 bits of signed seconds
    EXPECT_TRUE(link.ProbeAccess(true, "HOST"));
    EXPECT_EQ(Control("SharedAcess", "HOST"), "4102444800");

    // Without a computer name there is no key to probe with.
    EXPECT_FALSE(link.ProbeAccess(true, ""));
    EXPECT_EQ(ControlKeys("SharedAcess"), (std::vector<std::string>{"ReadOnly", "HOST"}));
}

TEST_F(SnIPCTest, ProbeAccessFailsWhenTheControlFileCannotBeWritten) {
    // A root below a regular file: every path fails with ENOTDIR, even for root.
    const std::string blocker = root.File("blocker");
    testsupport::WriteFile(blocker, "x");
    CSnIPC blocked(CQvcString(blocker + "/engine"), "IPC");
    EXPECT_FALSE(blocked.ProbeAccess(true, "HOST"));
    EXPECT_FALSE(blocked.ProbeAccess(false, "HOST"));
    // A signal that could not be written reads back as no counter.
    blocked.SignalConfigChanged(true, true);
    EXPECT_EQ(blocked.ReadChangeCounter(1), 0);
}

TEST_F(SnIPCTest, EmptyRootWritesNothingAnywhere) {
    const std::string cwd = std::filesystem::current_path().string();
    testsupport::TempDir work;
    std::filesystem::current_path(work.Path());
    {
        CSnIPC empty(CQvcString(), "IPC");
        EXPECT_TRUE(empty.ControlFile().IsEmpty());
        NodeTreeBuilder tree;
        CSnNode* check = tree.AddCheck(tree.Root(), 3);
        empty.SignalConfigChanged(true, true);
        empty.SignalResultsChanged();
        empty.MonitorSubtreeNow(tree.Root(), true);
        empty.MarkReadOnlyReadable();
        empty.RemoveResult(3);
        empty.LoadResults(tree.Root());
        EXPECT_EQ(check->Result.Response, kNotMonitored);
        EXPECT_FALSE(empty.ProbeAccess(true, "HOST"));
        CQvcSectionString log;
        empty.ReadActivityLog(log);
        EXPECT_TRUE(log.IsEmpty());
    }
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
    EXPECT_FALSE(std::filesystem::exists("/Sys/Ctrl/control.dat"));
}

TEST_F(SnIPCTest, ActivityLogSectionIsReadWhole) {
    testsupport::WriteFile(root.File("Sys/Act/actlog.dat"),
                           "[ActLog]\r\n00000001|1700000000||1||42||Check one||sent\r\n"
                           "00000002|1700000001||3||43||Check two||failed\r\n[Other]\r\nx=1\r\n");
    CQvcSectionString log;
    link.ReadActivityLog(log);
    ASSERT_EQ(log.CountEntries(), 2u);
    EXPECT_EQ(log.Entries()[1], "00000002|1700000001||3||43||Check two||failed");
}
