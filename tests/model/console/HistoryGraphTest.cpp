// The history and graph views: which module or program is used, what it is given, and
// the message for each way it cannot be shown.
#include "RecordingLauncher.h"
#include "TestSupport.h"
#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/console/HistoryGraph.h"
#include "model/settings/SnStatsLimits.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Shown {
    std::vector<std::string> errors;
    ShowErrorFn Fn() { return [this](const CQvcString& text) { errors.push_back(text.Str()); }; }
};

std::string Filled(unsigned id, const std::string& text) {
    CQvcString message;
    message.Format(MessageText(id), text.c_str());
    return message.Str();
}

TEST(ShowCheckHistory, MissingModuleMissingFunctionAndTheCall) {
    testsupport::TempDir dir;
    const std::string module = dir.Path() + "/Program/QvRgDll.so";
    Shown shown;
    EXPECT_EQ(ShowCheckHistory(dir.Path(), 7, true, shown.Fn()), std::nullopt);

    std::filesystem::create_directories(dir.Path() + "/Program");
    std::filesystem::copy_file(FAKE_REPORTS_empty, module);
    EXPECT_EQ(ShowCheckHistory(dir.Path(), 7, true, shown.Fn()), std::nullopt);

    std::filesystem::copy_file(FAKE_REPORTS_full, module, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(ShowCheckHistory(dir.Path(), 7, true, shown.Fn()), 711);  // identifier, -1, detail
    EXPECT_EQ(ShowCheckHistory(dir.Path(), 12, false, shown.Fn()), 1210); // availability
    EXPECT_EQ(shown.errors, (std::vector<std::string>{Filled(51750, module), Filled(51751, "QvRgDll.dll")}));
}

TEST(PlanGraph, MessagesTypesAndArgument) {
    // (identifier, type, graph option)
    struct Check { std::int32_t id, type, graph; };
    struct Case { std::vector<Check> checks; CGraphPlan plan; std::int32_t chosen; std::string argument; };
    const Case cases[] = {
        {{}, {51733, {}}, 0, ""},
        {{{3, 10, 0}}, {51734, {}}, 10, ""},
        {{{3, 10, 0}, {4, 10, 0}}, {51735, {}}, 10, ""},
        {{{3, 10, 0}, {4, 10, 1}}, {0, {10}}, 10, "4"},
        {{{9, 43, 1}, {3, 10, 1}, {5, 43, 1}, {6, 43, 0}, {2, 10, 1}}, {0, {10, 43}}, 43, "9,5"},
    };
    for (const Case& c : cases) {
        std::vector<CSnNode> nodes(c.checks.size());
        std::vector<const CSnNode*> checks;
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            nodes[i].Cfg.ID = c.checks[i].id;
            nodes[i].Cfg.Function.Type = c.checks[i].type;
            nodes[i].Cfg.GraphEnabled = c.checks[i].graph;
            checks.push_back(&nodes[i]);
        }
        EXPECT_EQ(PlanGraph(checks), c.plan) << c.checks.size() << " checks";
        EXPECT_EQ(GraphArgument(checks, c.chosen), c.argument) << c.checks.size() << " checks";
    }
}

TEST(LaunchGraph, MissingProgramFailedStartAndTheCommandLine) {
    testsupport::TempDir dir;
    const std::string program = dir.Path() + "/Program.NET/sentrelle-graph";
    testsupport::RecordingLauncher launcher;
    Shown shown;
    EXPECT_EQ(LaunchGraph(dir.Path(), "4,5", shown.Fn(), launcher), -1);
    std::filesystem::create_directories(dir.Path() + "/Program.NET");
    testsupport::WriteFile(program, "");
    EXPECT_EQ(LaunchGraph(dir.Path(), "4,5", shown.Fn(), launcher), 0);
    launcher.answer.started = false;
    EXPECT_EQ(LaunchGraph(dir.Path(), "6", shown.Fn(), launcher), -1);
    EXPECT_EQ(shown.errors, (std::vector<std::string>{Filled(51685, program), ErrorBoxText(1032).Str()}));
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{program, "4,5"}, {program, "6"}}));
}

TEST(TestStatsDatabase, OnlyAFileDatabaseIsSizedAgainstTheWarningAndTheLimit) {
    testsupport::TempDir dir;
    const std::string file = dir.Path() + "/Logs/Statistics.db";
    CSnStatsLimits limits;
    limits.DbMsaSizeMBWarning = 2;
    limits.DbMsaSizeMBLimit = 3;
    CQvcString warned, refused;
    warned.Format(MessageText(51737), file.c_str(), 2, 2);
    refused.Format(MessageText(51738), file.c_str(), 3, 3);
    using S = CStatsSizeTest::Severity;
    // What lies at the path: -2 nothing, -1 a directory, else a file of that many bytes;
    // the bytes of its write-ahead log count too.
    const struct { long long bytes; CStatsSizeTest expected; std::uintmax_t log = 0; } cases[] = {
        {-2, {S::Information, Filled(51736, file), false}}, {2097151, {}}, {2097152, {S::Warning, warned, true}},
        {1048576, {S::Warning, warned, true}, 1048576},
        {3145728, {S::Error, refused, false}}, {-1, {S::Warning, Filled(51739, file), true}}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir.Path() + "/Logs");
        std::filesystem::create_directories(c.bytes == -1 ? file : dir.Path() + "/Logs");
        if (c.bytes >= 0)
            (testsupport::WriteFile(file, ""), std::filesystem::resize_file(file, static_cast<std::uintmax_t>(c.bytes)));
        if (c.log > 0)
            (testsupport::WriteFile(file + "-wal", ""), std::filesystem::resize_file(file + "-wal", c.log));
        EXPECT_EQ(TestStatsDatabase("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\Statistics.mdb",
                                    dir.Path(), limits), c.expected) << c.bytes;
    }
    EXPECT_EQ(TestStatsDatabase("Provider=SQLOLEDB;Data Source=stats", dir.Path(), limits), CStatsSizeTest{});
}

} // namespace
