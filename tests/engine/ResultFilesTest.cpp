// The files the engine publishes: result lines as the engine link reads them back, the
// batched result file, and the activity log with its keys, restart line and limit.
#include "engine/ActivityLog.h"
#include "engine/ResultFile.h"
#include "engine/ResultLine.h"
#include "library/QvcSectionString.h"
#include "model/link/SnIPC.h"
#include "model/tree/SnNode.h"
#include "NodeTreeBuilder.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::EngineRootDir;

} // namespace

TEST(ResultLine, SevenFieldsThatTheLinkReadsBack) {
    const ResultLine line{3, 1709632800, 1, "a comment", 125, "12 ms", "Connection refused"};
    EXPECT_EQ(line.Format().Str(), "3||1709632800||1||a comment||125||12 ms||Connection refused");
    EXPECT_EQ(ResultLine::Parse(line.Format().Str()), line);
    // Empty texts give empty fields; the line still has seven.  Missing fields and words
    // read as 0 or empty, as the link reads them.
    EXPECT_EQ(ResultLine().Format().Str(), "0||0||0||||0||||");
    EXPECT_EQ(ResultLine::Parse("0||0||0||||0||||"), ResultLine());
    EXPECT_EQ(ResultLine::Parse("2||x||"), (ResultLine{2, 0, 0, "", 0, "", ""}));

    // Through the file and the engine link into a node: texts that would break the line
    // arrive made safe.
    EngineRootDir root;
    CResultFile file(CQvcString(root.File("Sys/Res/result.dat")));
    file.Put(42, {1, 1709632801, 0, "two\r\nlines", 0, "  a||b|||c|  ", "|starts and ends with bars||"});
    ASSERT_TRUE(file.Flush());
    testsupport::NodeTreeBuilder tree;
    CSnNode* check = tree.AddCheck(tree.Root(), 42);
    CSnIPC link(CQvcString(root.Path()), "IPC");
    link.LoadResults(tree.Root());
    const CSnNodeResult& read = check->Result;
    EXPECT_EQ(ResultLine({read.Status, read.LastUpdate, read.Processing, read.Comment, read.Duration, read.Data,
                          read.Response}),
              (ResultLine{1, 1709632801, 0, "two  lines", 0, "a|b|c", "starts and ends with bars"}));
}

TEST(ResultLine, LongTextsAreCutAtACharacterBoundary) {
    std::string text(ResultLine::kMaxText - 1, 'a');
    text += "\xC3\xA9\xC3\xA9"; // two two-byte characters across the limit
    const CQvcString cut = ResultLine::FieldText(text);
    EXPECT_EQ(cut.Length(), ResultLine::kMaxText - 1);
    EXPECT_EQ(ResultLine::FieldText(std::string(ResultLine::kMaxText, 'b')).Length(), ResultLine::kMaxText);
    EXPECT_EQ(ResultLine::FieldText("\t x \n").Str(), "x");
}

TEST(ResultFile, ChangesAreCollectedAndWrittenTogether) {
    EngineRootDir root;
    const std::string path = root.File("Sys/Res/result.dat");
    // What a Manager's read left, and a line of a check the engine knows nothing about.
    testsupport::WriteFile(path, "[Results]\r\nEXISTS=1\r\n7=1||100||0||||0||||old\r\n0012=junk\r\n");
    CResultFile file{CQvcString(path)};
    auto lines = file.ReadAll();
    ASSERT_EQ(lines.size(), 1u); // "EXISTS" and "0012" are no IDs written by "%ld"
    EXPECT_EQ(lines.at(7).Response.Str(), "old");

    ResultLine line;
    line.Status = 1;
    line.Response = "first";
    file.Put(9, line);
    line.Response = "second";
    file.Put(9, line); // replaces the queued one
    file.Put(8, line);
    file.Remove(7);
    EXPECT_EQ(file.PendingCount(), 3u);
    // Nothing reaches the file before the flush.
    EXPECT_EQ(testsupport::ReadFile(path), "[Results]\r\nEXISTS=1\r\n7=1||100||0||||0||||old\r\n0012=junk\r\n");
    ASSERT_TRUE(file.Flush());
    EXPECT_FALSE(file.HasPending());
    EXPECT_EQ(testsupport::ReadFile(path),
              "[Results]\r\nEXISTS=1\r\n0012=junk\r\n8=1||0||0||||0||||second\r\n9=1||0||0||||0||||second\r\n");

    // A flush that cannot write keeps its changes for the next one.
    CResultFile lost{CQvcString(root.File("Sys/Gone/result.dat"))};
    lost.Put(1, line);
    EXPECT_FALSE(lost.Flush());
    EXPECT_TRUE(lost.HasPending());
    EXPECT_TRUE(CResultFile(CQvcString(root.File("none.dat"))).ReadAll().empty());
}

TEST(ActivityLog, KeysGrowFromTheRestartLineAndTheLogKeepsItsLimit) {
    EngineRootDir root;
    const std::string path = root.File("Sys/Act/actlog.dat");
    testsupport::WriteFile(path, "[ActLog]\r\nEXISTS=1\r\n000000AA||5||from the last run\r\n");
    CActivityLog log(CQvcString(path), 5);
    log.Restart(1000, "Sentrelle Engine started");
    log.Add(1001, "one");
    log.Add(1002, "two||with bars\r\nand a line break");
    ASSERT_TRUE(log.Flush());
    EXPECT_FALSE(log.HasPending());

    // The Manager's reader sees exactly these lines, in this order.
    CSnIPC link(CQvcString(root.Path()), "IPC");
    CQvcSectionString section;
    link.ReadActivityLog(section);
    EXPECT_EQ(section.Entries(), (std::vector<std::string_view>{"00000000||1000||Sentrelle Engine started",
                                                           "00000001||1001||one",
                                                           "00000002||1002||two|with bars  and a line break"}));

    // Full: the restart line stays, the oldest events go, the keys keep growing.
    for (int i = 3; i <= 9; ++i)
        log.Add(1000 + i, "event " + std::to_string(i));
    ASSERT_TRUE(log.Flush());
    link.ReadActivityLog(section);
    EXPECT_EQ(section.Entries(), (std::vector<std::string_view>{"00000000||1000||Sentrelle Engine started",
                                                           "00000006||1006||event 6", "00000007||1007||event 7",
                                                           "00000008||1008||event 8", "00000009||1009||event 9"}));

    // A new restart drops everything and counts from 1 again.
    log.Restart(2000, "Sentrelle Engine started");
    log.Add(2001, "again");
    ASSERT_TRUE(log.Flush());
    link.ReadActivityLog(section);
    EXPECT_EQ(section.Entries(),
              (std::vector<std::string_view>{"00000000||2000||Sentrelle Engine started", "00000001||2001||again"}));

    // Keys above 9 are upper-case hexadecimal of fixed width.
    CActivityLog wide(CQvcString(root.File("Sys/Act/wide.dat")), 100);
    wide.Restart(1, "start");
    for (int i = 0; i < 11; ++i)
        wide.Add(2, "x");
    EXPECT_EQ(wide.Lines().back().substr(0, 10), "0000000B||");
    // An event with no restart line before it starts the log.
    CActivityLog fresh(CQvcString(root.File("Sys/Act/fresh.dat")));
    fresh.Add(7, "first");
    ASSERT_EQ(fresh.Lines().size(), 2u);
    EXPECT_EQ(fresh.Lines()[0].substr(0, 8), "00000000");
}
