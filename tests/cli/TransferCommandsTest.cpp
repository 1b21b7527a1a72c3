// sentrelle export / import: the JSON text round trip through the installation, the backup
// an import leaves, and the refusals that change nothing.
#include "CliTestRun.h"
#include "model/CfgTestRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(TransferCommands, JsonExportImportRoundTripWithBackup) {
    CfgTestRoot cfg;
    ASSERT_NE(AddFolder("Branch"), 0);
    const std::string a = cfg.Root() + "/a.json", b = cfg.Root() + "/b.json", db = cfg.Root() + "/copy.mdb";
    ASSERT_EQ(RunCli({"export", a, "--root", cfg.Root()}).Code, 0);
    ASSERT_EQ(RunCli({"export", "--format", "database", db, "--root", cfg.Root()}).Code, 0);

    const CliOutcome imported = RunCli({"import", a, "--root", cfg.Root()});
    ASSERT_EQ(imported.Code, 0) << imported.Err;
    const auto saved = std::filesystem::directory_iterator(cfg.Root() + "/Saved Configurations");
    ASSERT_NE(saved, std::filesystem::directory_iterator());
    EXPECT_NE(imported.Out.find("Your previous configuration was saved as '" + saved->path().string() + "'"),
              std::string::npos)
        << imported.Out;
    ASSERT_EQ(RunCli({"export", b, "--root", cfg.Root()}).Code, 0);
    EXPECT_EQ(Read(a), Read(b));
    ASSERT_EQ(RunCli({"import", db, "--root", cfg.Root()}).Code, 0); // a database file imports too

    std::ofstream(a, std::ios::app) << "{";
    const CliOutcome spoiled = RunCli({"import", a, "--root", cfg.Root()});
    EXPECT_EQ(spoiled.Code, 1);
    EXPECT_NE(spoiled.Err.find("nothing changed"), std::string::npos) << spoiled.Err;
    EXPECT_NE(RunCli({"import", cfg.Root() + "/missing.json", "--root", cfg.Root()}).Err.find(
                  "Configuration file does not exist."),
              std::string::npos);
    EXPECT_EQ(RunCli({"export", "--format", "xml", a}).Code, 2);
}

TEST(TransferCommands, BackupNamesFollowTheirTwoFormats) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    EXPECT_EQ(CSnCfg::NewConfigurationBackupName(t).Str(), "20260305.mdb");
    EXPECT_EQ(CSnCfg::ImportBackupName(t).Str(), "03052026-140709.mdb");
}
