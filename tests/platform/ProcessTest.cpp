// Starting programs without a shell: lookup on $PATH, exit codes, arguments that a shell
// would have mangled, and viewers chosen from $VISUAL, known editors and xdg-open.
#include "RecordingLauncher.h"
#include "TestSupport.h"
#include "platform/Process.h"
#include "platform/Viewers.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::ReadFile;
using testsupport::RecordingLauncher;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

void MakeProgram(const std::string& path, const std::string& script = "#!/bin/sh\nexit 0\n") {
    WriteFile(path, script);
    ::chmod(path.c_str(), 0755);
}

TEST(Process, FindExecutableSearchesPathForRunnableFiles) {
    TempDir dir;
    const std::string first = dir.File("a"), second = dir.File("b");
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    WriteFile(first + "/tool", "not executable");
    std::filesystem::create_directories(first + "/viewer"); // a directory does not count
    MakeProgram(second + "/tool");
    MakeProgram(second + "/viewer");
    ScopedEnv path("PATH", first + ":" + second);

    EXPECT_EQ(platform::FindExecutable("tool"), second + "/tool");
    EXPECT_EQ(platform::FindExecutable("viewer"), second + "/viewer");
    EXPECT_EQ(platform::FindExecutable("missing"), "");
    EXPECT_EQ(platform::FindExecutable(""), "");
    // A name with a slash is taken as it is.
    EXPECT_EQ(platform::FindExecutable(second + "/tool"), second + "/tool");
    EXPECT_EQ(platform::FindExecutable(first + "/tool"), "");
    path.Set(nullptr);
    EXPECT_EQ(platform::FindExecutable("tool"), "");
}

TEST(Process, LaunchReportsExitCodesAndPassesArgumentsVerbatim) {
    TempDir dir;
    platform::IProcessLauncher& launcher = platform::SystemProcessLauncher();
    const auto outcome = [&](const std::vector<std::string>& argv) {
        const platform::LaunchResult r = launcher.Launch(argv, 10000);
        return std::tuple(r.started, r.exited, r.exitCode);
    };
    EXPECT_EQ(outcome({"/bin/sh", "-c", "exit 0"}), std::tuple(true, true, 0));
    EXPECT_EQ(outcome({"/bin/sh", "-c", "exit 3"}), std::tuple(true, true, 3));
    EXPECT_FALSE(launcher.Launch({dir.File("no-such-program")}, 10000).started);
    EXPECT_FALSE(launcher.Launch({}, 0).started);

    // Arguments arrive one by one, untouched by any shell; standard input is empty.
    const std::string out = dir.File("args.txt");
    const std::string echo = dir.File("echo-args");
    MakeProgram(echo, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$OUT\"\ncat >> \"$OUT\"\n");
    ScopedEnv outEnv("OUT", out);
    const std::string tricky = "Log file $HOME `id` 'quoted' \"double\"; rm -rf *.txt";
    ASSERT_TRUE(launcher.Launch({echo, tricky, "second"}, 10000).exited);
    EXPECT_EQ(ReadFile(out), tricky + "\nsecond\n");
}

TEST(Process, ProgramStillRunningAfterTheWaitGoesOnInItsOwnSession) {
    platform::LaunchResult r = platform::SystemProcessLauncher().Launch({"sleep", "30"}, 50);
    ASSERT_TRUE(r.started);
    EXPECT_FALSE(r.exited);
    ASSERT_GT(r.pid, 0);
    EXPECT_EQ(::getsid(r.pid), r.pid);
    ::kill(r.pid, SIGKILL);
}

class ViewersTest : public ::testing::Test {
protected:
    ViewersTest() { std::filesystem::create_directories(Bin()); }
    std::string Bin() const { return dir.File("bin"); }
    std::string Program(const char* name) {
        const std::string path = Bin() + "/" + name;
        MakeProgram(path);
        return path;
    }

    TempDir dir;
    ScopedEnv path{"PATH", dir.File("bin")};
    ScopedEnv visual{"VISUAL", nullptr};
    RecordingLauncher launcher;
};

TEST_F(ViewersTest, TextViewerComesFromVisualThenEditorsThenXdgOpen) {
    EXPECT_TRUE(platform::TextViewerCommand("/logs/a.txt").empty());
    EXPECT_EQ(platform::ViewTextFile("/logs/a.txt", launcher), platform::ViewResult::NotFound);
    EXPECT_TRUE(launcher.launched.empty());

    const std::string opener = Program("xdg-open");
    EXPECT_EQ(platform::TextViewerCommand("/logs/a.txt"), (std::vector<std::string>{opener, "/logs/a.txt"}));
    const std::string pluma = Program("pluma");
    const std::string kate = Program("kate");
    EXPECT_EQ(platform::TextViewerCommand("/logs/a.txt"), (std::vector<std::string>{kate, "/logs/a.txt"}));
    const std::string gedit = Program("gedit");
    EXPECT_EQ(platform::TextViewerCommand("/logs/a.txt")[0], gedit);
    EXPECT_NE(pluma, gedit);

    // $VISUAL first, split into words; one that names no program is passed over.
    const std::string mine = Program("my-editor");
    visual.Set("my-editor --new-window  -n");
    EXPECT_EQ(platform::TextViewerCommand("/logs/a b.txt"),
              (std::vector<std::string>{mine, "--new-window", "-n", "/logs/a b.txt"}));
    visual.Set("missing-editor --wait");
    EXPECT_EQ(platform::TextViewerCommand("/logs/a.txt")[0], gedit);
    visual.Set("   ");
    EXPECT_EQ(platform::TextViewerCommand("/logs/a.txt")[0], gedit);

    // A file name that looks like an option is made a relative path.
    EXPECT_EQ(platform::TextViewerCommand("-rf.txt").back(), "./-rf.txt");

    // Viewing starts the viewer without waiting for it.
    visual.Set(nullptr);
    EXPECT_EQ(platform::ViewTextFile("/logs/a.txt", launcher), platform::ViewResult::Ok);
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{gedit, "/logs/a.txt"}}));
    EXPECT_EQ(launcher.waits, std::vector<unsigned>{0});
    launcher.answer = {};
    EXPECT_EQ(platform::ViewTextFile("/logs/a.txt", launcher), platform::ViewResult::NotStarted);
}

TEST_F(ViewersTest, AssociatedProgramSucceedsOnExitZeroOrWhenStillRunning) {
    EXPECT_EQ(platform::OpenWithAssociatedProgram("/logs/a.txt", launcher), -1); // no xdg-open
    EXPECT_TRUE(launcher.launched.empty());

    const std::string opener = Program("xdg-open");
    EXPECT_EQ(platform::OpenWithAssociatedProgram("/logs/a.txt", launcher), 0);
    EXPECT_EQ(launcher.launched, (std::vector<std::vector<std::string>>{{opener, "/logs/a.txt"}}));
    EXPECT_EQ(launcher.waits, std::vector<unsigned>{platform::kAssociatedProgramWaitMs});

    launcher.answer = {true, true, 3, 1}; // no program for the type
    EXPECT_EQ(platform::OpenWithAssociatedProgram("/logs/a.txt", launcher), -1);
    launcher.answer = {true, false, -1, 1}; // handed over to a program in the foreground
    EXPECT_EQ(platform::OpenWithAssociatedProgram("/logs/a.txt", launcher), 0);
    launcher.answer = {};
    EXPECT_EQ(platform::OpenWithAssociatedProgram("/logs/a.txt", launcher), -1);

    // A real stand-in is judged by its exit code.
    MakeProgram(Bin() + "/xdg-open", "#!/bin/sh\n[ -f \"$1\" ] || exit 2\nexit 0\n");
    const std::string file = dir.File("present.txt");
    WriteFile(file, "log");
    EXPECT_EQ(platform::OpenWithAssociatedProgram(file), 0);
    EXPECT_EQ(platform::OpenWithAssociatedProgram(dir.File("absent.txt")), -1);
}

} // namespace
