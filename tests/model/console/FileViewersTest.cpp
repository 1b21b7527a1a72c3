// Show Log File and the text viewer: where the current log file is, and the messages of
// every way opening it can fail.
#include "CfgTestRoot.h"
#include "RecordingLauncher.h"
#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/console/FileViewers.h"
#include "model/notify/SnLogSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using testsupport::RecordingLauncher;
using testsupport::ScopedEnv;
using testsupport::WriteFile;

TEST(CurrentLogFilePath, FileOrDirectoryWithTheEngineRootFilledIn) {
    testsupport::TempDir dir;
    const CQvcString root = dir.Path() + "/root/";
    CSnLogSettings settings;
    EXPECT_EQ(CurrentLogFilePath(settings, root), dir.Path() + "/root/Logs/Log.txt"); // the default
    settings.TextLogPath = "<SNROOT>Logs\\";
    EXPECT_EQ(CurrentLogFilePath(settings, root), dir.Path() + "/root/Logs/Log.txt");
    settings.TextLogPath = " <snroot>Engine Logs\\engine.log ";
    EXPECT_EQ(CurrentLogFilePath(settings, root), dir.Path() + "/root/Engine Logs/engine.log");
    settings.TextLogPath = "/var/log/sentrelle/";
    EXPECT_EQ(CurrentLogFilePath(settings, root), "/var/log/sentrelle/Log.txt");
    // A directory named without a final separator is still a directory.
    std::filesystem::create_directories(dir.Path() + "/root/Archive");
    settings.TextLogPath = "<SNROOT>Archive";
    EXPECT_EQ(CurrentLogFilePath(settings, root), dir.Path() + "/root/Archive/Log.txt");
}

class ShowLogFileTest : public ::testing::Test {
protected:
    ShowLogFileTest() {
        EXPECT_EQ(store.Open(), 0);
        std::filesystem::create_directories(Bin());
        const std::string opener = Bin() + "/xdg-open";
        WriteFile(opener, "#!/bin/sh\nexit 0\n");
        ::chmod(opener.c_str(), 0755);
    }
    std::string Bin() const { return installation.Hives().Dir().File("bin"); }
    std::string LogFile() const { return installation.Root() + "/Logs/Log.txt"; }
    int Show() {
        return ShowLogFile(store, [this](const CQvcString& text) { errors.push_back(text.Str()); }, launcher);
    }

    CfgTestRoot installation;
    CSnCfg store{"GUI"};
    ScopedEnv path{"PATH", installation.Hives().Dir().File("bin")};
    RecordingLauncher launcher;
    std::vector<std::string> errors;
};

TEST_F(ShowLogFileTest, MissingFileIsNamed) {
    EXPECT_EQ(Show(), -1);
    EXPECT_EQ(errors, std::vector<std::string>{"File '" + LogFile() + "' does not exist."});
    EXPECT_TRUE(launcher.launched.empty());
}

TEST_F(ShowLogFileTest, ExistingFileOpensWithItsAssociatedProgram) {
    WriteFile(LogFile(), "12:00 engine started\n");
    EXPECT_EQ(Show(), 0);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{Bin() + "/xdg-open", LogFile()}}));

    launcher.answer = {true, true, 3, 1};
    EXPECT_EQ(Show(), -1);
    EXPECT_EQ(errors, std::vector<std::string>{"Failed to load default application for file '" + LogFile() + "'."});

    // Without xdg-open on the path nothing is started at all.
    std::filesystem::remove(Bin() + "/xdg-open");
    launcher.launched.clear();
    EXPECT_EQ(Show(), -1);
    EXPECT_TRUE(launcher.launched.empty());
    EXPECT_EQ(errors.back(), "Failed to load default application for file '" + LogFile() + "'.");
}

TEST_F(ShowLogFileTest, DisabledLoggingRefuses) {
    CSnLogSettings settings;
    ASSERT_EQ(settings.Read(store), 0);
    settings.Enabled = false;
    ASSERT_EQ(settings.Write(store), 0);
    WriteFile(LogFile(), "x");
    EXPECT_EQ(Show(), -1);
    EXPECT_EQ(errors, std::vector<std::string>{MessageText(59523)});
    EXPECT_TRUE(launcher.launched.empty());
}

TEST_F(ShowLogFileTest, UnreadableSettingsShowTheirErrorText) {
    CSnCfg closed("GUI");
    const int result =
        ShowLogFile(closed, [this](const CQvcString& text) { errors.push_back(text.Str()); }, launcher);
    EXPECT_EQ(result, -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Error #", 0), 0u);
    EXPECT_EQ(errors[0].back(), '.');
}

TEST(ViewInTextViewer, MessagesForMissingAndFailingViewers) {
    testsupport::TempDir dir;
    ScopedEnv path("PATH", dir.Path());
    ScopedEnv visual("VISUAL", nullptr);
    RecordingLauncher launcher;
    std::vector<std::string> errors;
    auto collect = [&errors](const CQvcString& text) { errors.push_back(text.Str()); };

    EXPECT_EQ(ViewInTextViewer("/tmp/a.txt", collect, launcher), -1);
    EXPECT_EQ(errors, std::vector<std::string>{"Cannot find NOTEPAD.EXE. Unable to view the file."});

    const std::string editor = dir.File("mousepad");
    WriteFile(editor, "#!/bin/sh\n");
    ::chmod(editor.c_str(), 0755);
    EXPECT_EQ(ViewInTextViewer("/tmp/a.txt", collect, launcher), 0);
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{editor, "/tmp/a.txt"}}));
    EXPECT_EQ(errors.size(), 1u);

    launcher.answer = {};
    EXPECT_EQ(ViewInTextViewer("/tmp/a.txt", collect, launcher), -1);
    EXPECT_EQ(errors.back(), "Unable to launch NOTEPAD.EXE.");
}

} // namespace
