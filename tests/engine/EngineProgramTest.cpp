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
    EngineArguments args;
    std::string error;
    ASSERT_TRUE(Parse({}, args, error));
    EXPECT_TRUE(args.Root.IsEmpty());
    EXPECT_FALSE(args.Foreground);
    EXPECT_EQ(args.Workers, 0u);
    EXPECT_FALSE(args.AllowReboot);
    ASSERT_TRUE(Parse({"--root", "/srv/sentrelle", "--foreground", "--workers", "8", "--allow-reboot",
                       "--ssh-dir", "/srv/keys"}, args, error));
    EXPECT_EQ(args.Root.Str(), "/srv/sentrelle");
    EXPECT_TRUE(args.Foreground);
    EXPECT_EQ(args.Workers, 8u);
    EXPECT_TRUE(args.AllowReboot);
    EXPECT_EQ(args.SshDirectory.Str(), "/srv/keys");
    ASSERT_TRUE(Parse({"--root=/a b", "-f"}, args, error));
    EXPECT_EQ(args.Root.Str(), "/a b");
    EXPECT_TRUE(args.Foreground);
    ASSERT_TRUE(Parse({"--help"}, args, error));
    EXPECT_TRUE(args.Help);

    EXPECT_FALSE(Parse({"--root"}, args, error));
    EXPECT_EQ(error, "option --root needs a value");
    EXPECT_FALSE(Parse({"--root", ""}, args, error));
    EXPECT_FALSE(Parse({"--workers", "0"}, args, error));
    EXPECT_FALSE(Parse({"--workers", "12x"}, args, error));
    EXPECT_FALSE(Parse({"--workers", "5000"}, args, error));
    EXPECT_FALSE(Parse({"--daemon"}, args, error));
    EXPECT_EQ(error, "unknown argument '--daemon'");

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
