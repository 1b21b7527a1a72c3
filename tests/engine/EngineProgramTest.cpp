// The program around the engine, in process: arguments, the Engine root it chooses, and
// the pid file (a second process on a locked root is the end-to-end tests' part).
#include "engine/EngineMain.h"
#include "engine/PidFile.h"
#include "library/QvcBase.h"
#include "platform/Registry.h"

#include "TestSupport.h"


#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, EngineArguments& out, std::string& error) {
    args.insert(args.begin(), "sentrelle-engine");
    return ParseEngineArguments(static_cast<int>(args.size()), args.data(), out, error);
}

int Main(std::vector<const char*> args) {
    args.insert(args.begin(), "sentrelle-engine");
    return EngineMain(static_cast<int>(args.size()), args.data(), EngineServices{});
}

} // namespace

TEST(EngineProgram, ArgumentsAreParsedStrictly) {
    // "root|f|workers|reboot|ssh directory|help" of what was parsed, or the error.
    const auto parsed = [](std::vector<const char*> args) {
        EngineArguments a;
        std::string error;
        if (!Parse(std::move(args), a, error))
            return "error: " + error;
        return a.Root.Str() + "|" + (a.Foreground ? "f" : "") + "|" + std::to_string(a.Workers) + "|" +
               (a.AllowReboot ? "reboot" : "") + "|" + a.SshDirectory.Str() + "|" + (a.Help ? "help" : "");
    };
    EXPECT_EQ(parsed({}), "||0|||");
    EXPECT_EQ(parsed({"--root", "/srv/sentrelle", "--foreground", "--workers", "8", "--allow-reboot", "--ssh-dir",
                      "/srv/keys"}),
              "/srv/sentrelle|f|8|reboot|/srv/keys|");
    EXPECT_EQ(parsed({"--root=/a b", "-f"}), "/a b|f|0|||");
    EXPECT_EQ(parsed({"--help"}), "||0|||help");
    EXPECT_EQ(parsed({"--root"}), "error: option --root needs a value");
    EXPECT_EQ(parsed({"--daemon"}), "error: unknown argument '--daemon'");
    for (const auto& bad : std::vector<std::vector<const char*>>{
             {"--root", ""}, {"--workers", "0"}, {"--workers", "12x"}, {"--workers", "5000"}})
        EXPECT_EQ(parsed(bad).rfind("error: ", 0), 0u) << bad[1];

    testsupport::ScopedHives hives;
    EXPECT_EQ(Main({"--bogus"}), kEngineExitUsage);
    EXPECT_EQ(Main({"--help"}), kEngineExitOk);
    EXPECT_EQ(Main({"--root", "/no/such/sentrelle/root"}), kEngineExitUsage);
}

TEST(EngineProgram, TheRootComesFromTheArgumentOrTheMachineHive) {
    testsupport::ScopedHives hives;
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("root"));
    EngineArguments args;
    std::string error;

    // No argument and nothing in the hive: the message says how to get a root.
    EXPECT_TRUE(ResolveEngineRoot(args, error).IsEmpty());
    EXPECT_NE(error.find("sentrelle init"), std::string::npos) << error;

    platform::RegCreateKey(platform::Hive::LocalMachine, kProductKey, platform::kRegAllAccess);
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", dir.File("root").c_str());
    EXPECT_EQ(ResolveEngineRoot(args, error).Str(), dir.File("root") + "/");

    // An argument wins, relative ones are made absolute, and a file is no root.
    args.Root = CQvcString(dir.File("root") + "/../root/");
    EXPECT_EQ(ResolveEngineRoot(args, error).Str(), dir.File("root") + "/");
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.Path());
    args.Root = "root";
    const CQvcString relative = ResolveEngineRoot(args, error);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(relative.Str(), std::filesystem::canonical(dir.File("root")).string() + "/");
    testsupport::WriteFile(dir.File("file"), "x");
    args.Root = CQvcString(dir.File("file"));
    EXPECT_TRUE(ResolveEngineRoot(args, error).IsEmpty());
    EXPECT_EQ(error, "the Engine root '" + dir.File("file") + "' is not a directory");
}

TEST(EngineProgram, PidFileLockTextAndRemoval) {
    testsupport::TempDir dir;
    const std::string path = CPidFile::PathForRoot(dir.Path());
    EXPECT_EQ(path, dir.Path() + "/Sys/Run/QvsSnSvc.pid");
    EXPECT_EQ(CPidFile::PathForRoot(dir.Path() + "/"), path);

    // What a dead engine left behind does not block, and its text goes at once.
    std::filesystem::create_directories(dir.File("Sys/Run"));
    testsupport::WriteFile(path, "99999\n");
    {
        CPidFile pid(path);
        std::string error;
        int holder = -1;
        ASSERT_EQ(pid.Lock(&holder, &error), CPidFile::LockResult::Locked) << error;
        EXPECT_EQ(holder, 0);
        EXPECT_EQ(testsupport::ReadFile(path), ""); // start pending: locked, no pid yet
        ASSERT_TRUE(pid.WritePid(4242));
        EXPECT_EQ(testsupport::ReadFile(path), "4242\n");
        EXPECT_EQ(CPidFile::ReadPid(path), 4242);
        ASSERT_TRUE(pid.WritePid(7));
        EXPECT_EQ(testsupport::ReadFile(path), "7\n");
        pid.Remove();
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(pid.WritePid(8));
    }
    // The file goes only on Remove: an engine that ends otherwise leaves it (unlocked).
    {
        CPidFile pid(path);
        ASSERT_EQ(pid.Lock(nullptr, nullptr), CPidFile::LockResult::Locked);
        pid.WritePid(5);
    }
    EXPECT_EQ(CPidFile::ReadPid(path), 5);
    EXPECT_EQ(CPidFile::ReadPid(dir.File("none")), 0);
    testsupport::WriteFile(path, "not a pid");
    EXPECT_EQ(CPidFile::ReadPid(path), 0);

    // A directory that cannot be created fails plainly.
    testsupport::WriteFile(dir.File("blocker"), "x");
    CPidFile blocked(CPidFile::PathForRoot(dir.File("blocker")));
    std::string error;
    EXPECT_EQ(blocked.Lock(nullptr, &error), CPidFile::LockResult::Failed);
    EXPECT_FALSE(error.empty());
}
