// The runners that look at this computer: disk space, files, directories, processes, CPU
// and memory, on files the tests make in a temporary directory.
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "engine/LocalTarget.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

// The number at the start of a Data text ("54.8% used" -> 54.8).
double Leading(const CQvcString& data) {
    return std::strtod(data.c_str(), nullptr);
}

CSnNodeCfg Disk(const std::string& drive, const std::string& codes, const std::string& limit) {
    CSnNodeCfg check = MakeCheck(kTypeDiskSpace);
    check.Function.Param2 = drive;
    check.Function.ParamByteCodes = codes;
    check.Function.Param1 = limit;
    return check;
}

// File, directory and process checks name their target in Param1.
CSnNodeCfg TargetCheck(int type, const std::string& target, const std::string& codes) {
    CSnNodeCfg check = MakeCheck(type);
    check.Function.Param1 = target;
    check.Function.ParamByteCodes = codes;
    return check;
}

CSnNodeCfg FileCheck(const std::string& path, const std::string& codes) { return TargetCheck(kTypeFile, path, codes); }
CSnNodeCfg DirectoryCheck(const std::string& path, const std::string& codes) {
    return TargetCheck(kTypeDirectory, path, codes);
}
CSnNodeCfg ProcessCheck(const std::string& name, const std::string& codes) {
    return TargetCheck(kTypeProcess, name, codes);
}

std::string OwnName() {
    std::string name = testsupport::ReadFile("/proc/self/comm");
    while (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

} // namespace

TEST(DiskSpaceRunner, LimitsOnUsedAndFreeSpace) {
    const RunContext context = Context();
    // A new check: at most 85% used of "C:", which stands for "/".
    const CheckOutcome first = RunCheck(MakeCheck(kTypeDiskSpace), context);
    ASSERT_NE(first.kind, CheckOutcome::Kind::Uncertain) << Describe(first);
    EXPECT_EQ(first.Response.Str().rfind("/: ", 0), 0u) << first.Response.Str();
    EXPECT_TRUE(first.Data.EndsWith("% used")) << first.Data.Str();
    EXPECT_EQ(first.Comment.Str(), "Limit: at most 85.0% used");

    // Around the measured value the outcome turns.
    const double used = Leading(first.Data);
    ASSERT_GE(used, 0.0);
    ASSERT_LE(used, 100.0);
    EXPECT_EQ(RunCheck(Disk("/", "0U2", std::to_string(used + 2)), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(RunCheck(Disk("/", "0U2", std::to_string(used - 2)), context).kind, CheckOutcome::Kind::Error);
    // "Below" turns it round.
    EXPECT_EQ(RunCheck(Disk("/", "1U2", std::to_string(used + 2)), context).kind, CheckOutcome::Kind::Error);

    // Free space in MB and GB: at least a little, never an absurd amount.
    testsupport::TempDir dir;
    const CheckOutcome freeMb = RunCheck(Disk(dir.Path(), "1F0", "1"), context);
    EXPECT_EQ(freeMb.kind, CheckOutcome::Kind::Success) << Describe(freeMb);
    EXPECT_TRUE(freeMb.Data.EndsWith(" MB free")) << freeMb.Data.Str();
    EXPECT_EQ(freeMb.Response.Str().rfind(dir.Path() + ": ", 0), 0u) << freeMb.Response.Str();
    const CheckOutcome freeGb = RunCheck(Disk(dir.Path(), "1F1", "1000000000"), context);
    EXPECT_EQ(freeGb.kind, CheckOutcome::Kind::Error) << Describe(freeGb);
    EXPECT_TRUE(freeGb.Data.EndsWith(" GB free")) << freeGb.Data.Str();
    EXPECT_NEAR(Leading(freeGb.Data) * 1024, Leading(freeMb.Data), 1024 * 0.2 + Leading(freeMb.Data) * 0.05);
}

TEST(DiskSpaceRunner, DrivesAndComputersThatHaveNoMeaningHere) {
    testsupport::TempDir root;
    std::filesystem::create_directories(root.Path() + "/Logs");
    const RunContext context = Context(30s, nullptr, root.Path() + "/");
    EXPECT_EQ(RunCheck(Disk("c:\\", "0U2", "100"), context).Response.Str().rfind("/: ", 0), 0u);
    EXPECT_EQ(RunCheck(Disk("<SNROOT>Logs", "0U2", "100"), context).Response.Str().rfind(root.Path() + "/Logs: ", 0),
              0u);

    EXPECT_EQ(RunCheck(Disk("D:", "0U2", "85"), context).Response.Str(),
              "Drive 'D:' has no meaning on this computer; enter a mount point such as /home");
    for (const char* drive : {"D:\\data", "\\\\server\\share", ""})
        EXPECT_EQ(RunCheck(Disk(drive, "0U2", "85"), context).kind, CheckOutcome::Kind::Uncertain) << drive;
    const CheckOutcome missing = RunCheck(Disk("/no/such/mount", "0U2", "85"), context);
    EXPECT_EQ(Describe(missing), "Error: The file system of '/no/such/mount' cannot be read: No such file or directory [] {}");

    testsupport::ScopedEnv name("SENTRELLE_COMPUTER_NAME", "enginebox");
    CSnNodeCfg check = Disk("/", "0U2", "100");
    for (const char* self : {"", ".", "localhost", "127.0.0.1", "::1", "EngineBox", "enginebox.corp.test"}) {
        check.Function.ParamServer = self;
        EXPECT_NE(RunCheck(check, context).kind, CheckOutcome::Kind::Uncertain) << self;
    }
    check.Function.ParamServer = "fileserver01";
    EXPECT_EQ(Describe(RunCheck(check, context)),
              "Uncertain: Computer 'fileserver01' cannot be checked: this engine checks only its own computer [] {}");
}

TEST(FileRunner, ExistenceSizeAndShouldBeFalse) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("report.txt"), std::string(2048, 'x'));
    const RunContext context = Context();

    EXPECT_EQ(Describe(RunCheck(FileCheck(dir.File("report.txt"), "100"), context)),
              "Success: File '" + dir.File("report.txt") + "' exists [2.0 KB] {}");
    EXPECT_EQ(RunCheck(FileCheck(dir.File("none.txt"), "100"), context).Data.Str(), "missing");
    EXPECT_EQ(RunCheck(FileCheck(dir.File("none.txt"), "110"), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(RunCheck(FileCheck(dir.File("report.txt"), "110"), context).kind, CheckOutcome::Kind::Error);
    EXPECT_EQ(RunCheck(FileCheck(dir.Path(), "100"), context).Response.Str(), "File '" + dir.Path() + "' is a directory");

    // At most Param3 in the unit of the third option: 2 KB is within 2 KB, not within 1 KB.
    CSnNodeCfg size = FileCheck(dir.File("report.txt"), "001");
    size.Function.Param3 = "2";
    EXPECT_EQ(RunCheck(size, context).kind, CheckOutcome::Kind::Success);
    size.Function.Param3 = "1";
    EXPECT_EQ(Describe(RunCheck(size, context)),
              "Error: File '" + dir.File("report.txt") + "' is 2.0 KB, above the limit of 1.0 KB [2.0 KB] {}");
    size.Function.ParamByteCodes = "011"; // should be false: too big is what is wanted
    EXPECT_EQ(RunCheck(size, context).kind, CheckOutcome::Kind::Success);
    // A missing file fails the size rule whatever the wanted truth.
    size.Function.Param1 = dir.File("none.txt");
    EXPECT_EQ(RunCheck(size, context).kind, CheckOutcome::Kind::Error);
}

TEST(FileRunner, ContentAndAge) {
    testsupport::TempDir dir;
    // The text straddles the end of the first 64 KB read.
    std::string log(65536 - 3, '.');
    log += "Backup FAILED at 02:00\n";
    testsupport::WriteFile(dir.File("backup.log"), log);
    const RunContext context = Context();

    CSnNodeCfg content = FileCheck(dir.File("backup.log"), "200");
    content.Function.Param2 = "backup failed";
    EXPECT_EQ(Describe(RunCheck(content, context)),
              "Success: File '" + dir.File("backup.log") + "' contains 'backup failed' [found] {}");
    content.Function.ParamByteCodes = "210"; // the text should not be there
    EXPECT_EQ(RunCheck(content, context).kind, CheckOutcome::Kind::Error);
    content.Function.Param2 = "backup succeeded";
    EXPECT_EQ(RunCheck(content, context).kind, CheckOutcome::Kind::Success);
    content.Function.Param2 = "";
    EXPECT_EQ(RunCheck(content, context).kind, CheckOutcome::Kind::Uncertain);

    // Changed two hours ago.
    const timespec times[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.File("backup.log").c_str(), times, 0), 0);
    CSnNodeCfg age = FileCheck(dir.File("backup.log"), "300");
    age.Function.Param4 = "60";
    const CheckOutcome old = RunCheck(age, context);
    EXPECT_EQ(old.kind, CheckOutcome::Kind::Error) << Describe(old);
    EXPECT_EQ(old.Data.Str(), "2 hours");
    age.Function.Param4 = "180";
    EXPECT_EQ(RunCheck(age, context).kind, CheckOutcome::Kind::Success);
}

TEST(FileRunner, StoredPathForms) {
    testsupport::TempDir root;
    std::filesystem::create_directories(root.Path() + "/Logs");
    testsupport::WriteFile(root.Path() + "/Logs/engine.log", "started");
    const RunContext context = Context(30s, nullptr, root.Path() + "/");
    EXPECT_EQ(RunCheck(FileCheck("<SNROOT>Logs\\engine.log", "100"), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(RunCheck(FileCheck("Logs\\engine.log", "100"), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(Describe(RunCheck(FileCheck("\\\\server\\share\\file.txt", "100"), context)),
              "Uncertain: Network path '\\\\server\\share\\file.txt' cannot be reached by this engine; use a local path [] {}");
    EXPECT_EQ(RunCheck(FileCheck("C:\\boot.ini", "100"), context).kind, CheckOutcome::Kind::Uncertain);
    EXPECT_EQ(RunCheck(FileCheck("", "100"), context).Response.Str(), "No path configured");
}

TEST(DirectoryRunner, CountsAndSizes) {
    testsupport::TempDir dir;
    const std::string top = dir.Path() + "/spool";
    std::filesystem::create_directories(top + "/sub");
    for (const char* name : {"a", "b", "c"})
        testsupport::WriteFile(top + "/" + name, std::string(1024, 'a'));
    for (const char* name : {"d", "e"})
        testsupport::WriteFile(top + "/sub/" + name, std::string(4096, 'b'));
    const RunContext context = Context();

    struct Case {
        const char* codes;
        const char* files;
    } cases[] = {{"20000", "3 files"}, {"21000", "4 files"}, {"20100", "5 files"}, {"21100", "6 files"}};
    for (const Case& c : cases) {
        CSnNodeCfg check = DirectoryCheck(top, c.codes);
        check.Function.Param3 = "5";
        const CheckOutcome outcome = RunCheck(check, context);
        EXPECT_EQ(outcome.Data.Str(), c.files) << c.codes;
        EXPECT_EQ(outcome.kind, Leading(outcome.Data) <= 5 ? CheckOutcome::Kind::Success : CheckOutcome::Kind::Error)
            << c.codes;
    }

    // 3 KB at the top, 11 KB with the subdirectory; the limit in KB.
    CSnNodeCfg size = DirectoryCheck(top, "10010");
    size.Function.Param2 = "4";
    const CheckOutcome small = RunCheck(size, context);
    EXPECT_EQ(small.kind, CheckOutcome::Kind::Success) << Describe(small);
    EXPECT_EQ(small.Data.Str(), "3.0 KB");
    size.Function.ParamByteCodes = "10110";
    EXPECT_EQ(Describe(RunCheck(size, context)),
              "Error: Directory '" + top + "' holds 11.0 KB (with subdirectories), above the limit of 4.0 KB [11.0 KB] {}");
    size.Function.ParamByteCodes = "10111"; // the limit should be exceeded
    EXPECT_EQ(RunCheck(size, context).kind, CheckOutcome::Kind::Success);

    EXPECT_EQ(RunCheck(DirectoryCheck(top + "/", "00000"), context).Response.Str(), "Directory '" + top + "' exists");
    EXPECT_EQ(RunCheck(DirectoryCheck(top + "/gone", "00000"), context).kind, CheckOutcome::Kind::Error);
    EXPECT_EQ(RunCheck(DirectoryCheck(top + "/gone", "00001"), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(RunCheck(DirectoryCheck(top + "/gone", "20001"), context).kind, CheckOutcome::Kind::Error);
    EXPECT_EQ(RunCheck(DirectoryCheck(top + "/a", "20000"), context).Response.Str(),
              "Directory '" + top + "/a' is not a directory");
}

TEST(ProcessRunner, ThisProcessByName) {
    const std::string self = OwnName();
    ASSERT_FALSE(self.empty());
    const RunContext context = Context();

    const CheckOutcome running = RunCheck(ProcessCheck(self, "0000"), context);
    ASSERT_EQ(running.kind, CheckOutcome::Kind::Success) << Describe(running);
    EXPECT_EQ(running.Response.Str().rfind("Process '" + self + "' is running (", 0), 0u) << running.Response.Str();
    EXPECT_NE(running.Response.Find(std::to_string(::getpid())), -1) << running.Response.Str();
    // Letter case and a final ".exe" do not count.
    std::string upper = self;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(RunCheck(ProcessCheck(upper + ".exe", "0000"), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(RunCheck(ProcessCheck(self, "1000"), context).kind, CheckOutcome::Kind::Error);

    EXPECT_EQ(Describe(RunCheck(ProcessCheck("no-such-process-4711", "0000"), context)),
              "Error: Process 'no-such-process-4711' is not running [not running] {}");
    EXPECT_EQ(RunCheck(ProcessCheck("no-such-process-4711", "1000"), context).kind, CheckOutcome::Kind::Success);
    EXPECT_EQ(RunCheck(ProcessCheck("", "0000"), context).kind, CheckOutcome::Kind::Uncertain);
}

TEST(ProcessRunner, MemoryAndCpuLimits) {
    const std::string self = OwnName();
    const RunContext context = Context();
    CSnNodeCfg memory = ProcessCheck(self, "0100");
    memory.Function.Param3 = "0.5"; // MB: a test program uses more
    const CheckOutcome tooMuch = RunCheck(memory, context);
    EXPECT_EQ(tooMuch.kind, CheckOutcome::Kind::Error) << Describe(tooMuch);
    EXPECT_NE(tooMuch.Response.Find("above the limit of 0.5 MB"), -1) << tooMuch.Response.Str();
    memory.Function.Param3 = "1000000";
    const CheckOutcome fine = RunCheck(memory, context);
    EXPECT_EQ(fine.kind, CheckOutcome::Kind::Success) << Describe(fine);
    EXPECT_TRUE(fine.Data.EndsWith(" MB"));

    // CPU over a second, counted as top does (100% is one CPU).
    CSnNodeCfg cpu = ProcessCheck(self, "0001");
    cpu.Function.Param2 = "100";
    const CheckOutcome cpuOk = RunCheck(cpu, context);
    ASSERT_EQ(cpuOk.kind, CheckOutcome::Kind::Success) << Describe(cpuOk);
    EXPECT_TRUE(cpuOk.Data.EndsWith("%"));
    EXPECT_GE(Leading(cpuOk.Data), 0.0);
    cpu.Function.Param2 = "-1";
    EXPECT_EQ(RunCheck(cpu, context).kind, CheckOutcome::Kind::Error);

    // Any process: the limit is on every process of the computer.
    CSnNodeCfg any = ProcessCheck("", "0010");
    any.Function.Param3 = "1000000";
    const CheckOutcome none = RunCheck(any, context);
    EXPECT_EQ(none.kind, CheckOutcome::Kind::Success) << Describe(none);
    EXPECT_EQ(none.Response.Str().rfind("No process uses more than 1000000 MB (largest: ", 0), 0u);
    any.Function.Param3 = "1";
    const CheckOutcome some = RunCheck(any, context);
    EXPECT_EQ(some.kind, CheckOutcome::Kind::Error) << Describe(some);
    EXPECT_NE(some.Response.Find(" more than 1 MB: "), -1) << some.Response.Str();
}

TEST(ProcessRunner, LongNamesThatTheSystemCuts) {
    // The system keeps 15 characters of a process's name.
    char old[16] = {};
    ::prctl(PR_GET_NAME, old);
    ::prctl(PR_SET_NAME, "sentrelle-probe-long");
    const CheckOutcome outcome = RunCheck(ProcessCheck("Sentrelle-Probe-Longer-Name.exe", "0000"), Context());
    ::prctl(PR_SET_NAME, old);
    EXPECT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
}

TEST(CpuAndMemoryRunners, SaneValues) {
    const RunContext context = Context();
    CSnNodeCfg cpu = MakeCheck(kTypeCpuUsage);
    cpu.Function.Param1 = "100";
    const CheckOutcome all = RunCheck(cpu, context);
    ASSERT_EQ(all.kind, CheckOutcome::Kind::Success) << Describe(all);
    EXPECT_GE(Leading(all.Data), 0.0);
    EXPECT_LE(Leading(all.Data), 100.0);
    EXPECT_EQ(all.Response.Str().rfind("CPU usage ", 0), 0u);
    EXPECT_NE(all.Response.Find("(average of all " + std::to_string(std::thread::hardware_concurrency())), -1)
        << all.Response.Str();
    cpu.Function.Param1 = "-1";
    EXPECT_EQ(RunCheck(cpu, context).kind, CheckOutcome::Kind::Error);

    // One CPU of this computer, and one it does not have.
    cpu.Function.ParamByteCodes = "1";
    cpu.Function.Param1 = "100";
    cpu.Function.Param2 = "0";
    EXPECT_NE(RunCheck(cpu, context).Response.Find("(CPU 0)"), -1);
    cpu.Function.Param2 = "4096";
    EXPECT_EQ(RunCheck(cpu, context).Response.Str().rfind("CPU 4096 does not exist on this computer", 0), 0u);

    CSnNodeCfg memory = MakeCheck(kTypeMemoryUsage);
    const CheckOutcome used = RunCheck(memory, context);
    ASSERT_EQ(used.kind, CheckOutcome::Kind::Success) << Describe(used); // a new check allows 100%
    EXPECT_GT(Leading(used.Data), 0.0);
    EXPECT_LE(Leading(used.Data), 100.0);
    EXPECT_EQ(used.Response.Str().rfind("Memory in use: ", 0), 0u);
    memory.Function.Param1 = "0";
    EXPECT_EQ(RunCheck(memory, context).kind, CheckOutcome::Kind::Error);

    memory.Function.ParamByteCodes = "1";
    memory.Function.Param1 = "1000000000";
    const CheckOutcome paging = RunCheck(memory, context);
    EXPECT_EQ(paging.kind, CheckOutcome::Kind::Success) << Describe(paging);
    EXPECT_TRUE(paging.Data.EndsWith(" pages/s"));
}

TEST(CpuAndMemoryRunners, SamplingEndsWhenTheEngineStops) {
    std::atomic<bool> cancelled{true};
    const RunContext context = Context(30s, &cancelled);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunCheck(MakeCheck(kTypeCpuUsage), context).Response.Str(), "Check cancelled: the engine is stopping");
    EXPECT_LT(SecondsSince(start), 0.9);
}
