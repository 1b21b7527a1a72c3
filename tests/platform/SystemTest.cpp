// System facts and file helpers.
#include "platform/System.h"
#include "TestFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <tuple>
#include <vector>

using namespace platform;
using platform_test::ReadBytes;
using platform_test::ScopedEnv;
using platform_test::TempDir;
using platform_test::WriteBytes;
using testsupport::ScopedTimeZone;

namespace {

std::size_t EntriesIn(const TempDir& dir) {
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    return entries;
}

TEST(System, LocalTimeAndUtcOffsetFollowTheTimeZone) {
    {
        ScopedTimeZone utc("UTC0");
        const LocalTime t = ToLocalTime(365 * 86400 + 3 * 3600 + 4 * 60 + 5); // 1971-01-01 03:04:05
        // year, month, day, hour, minute, second, weekday (a Friday), millisecond
        EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday, t.millisecond}),
                  (std::vector<int>{1971, 1, 1, 3, 4, 5, 5, 0}));
    }
    // Midnight UTC of 2024-01-01 (winter) and of 2024-07-01 (summer): offset and local hour.
    for (const auto& [tz, t, offset, hour] :
         {std::tuple<const char*, std::time_t, long, int>{"UTC0", 1719792000, 0, 0},
          {"CET-1CEST,M3.5.0,M10.5.0/3", 1704067200, 3600, 1},
          {"CET-1CEST,M3.5.0,M10.5.0/3", 1719792000, 7200, 2},
          {"EST5EDT,M3.2.0,M11.1.0", 1704067200, -5 * 3600, 19}}) {
        ScopedTimeZone zone(tz);
        EXPECT_EQ(LocalUtcOffsetSeconds(t), offset) << tz;
        EXPECT_EQ(ToLocalTime(t).hour, hour) << tz;
    }
    // The clock reads after November 2023; the tick count advances across a sleep.
    EXPECT_GT(SecondsSince1970(), 1700000000);
    const std::uint32_t start = TickCount();
    SleepMs(30);
    const std::uint32_t elapsed = TickCount() - start; // unsigned difference survives a wrap
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 60000u);
}

TEST(System, ComputerNameCanBeReplacedEvenByAnEmptyName) {
    ScopedEnv name("SENTRELLE_COMPUTER_NAME", nullptr);
    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(ComputerName(), host);
    name.Set("PROBE-HOST");
    EXPECT_EQ(ComputerName(), "PROBE-HOST");
    name.Set("");
    EXPECT_EQ(ComputerName(), "");
}

TEST(System, ProcessAliveTellsLiveProcessesFromGoneOnes) {
    EXPECT_TRUE(ProcessAlive(ProcessId()));
    EXPECT_TRUE(ProcessAlive(1)); // init: alive, and for other users EPERM still means alive
    EXPECT_FALSE(ProcessAlive(0));
    EXPECT_FALSE(ProcessAlive(-1));

    // A child that has exited and been reaped is gone.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_FALSE(ProcessAlive(child));
}

TEST(System, FileAndDirectoryChecksTellTheKindsApart) {
    TempDir dir;
    const std::string file = dir.File("f.txt");
    WriteBytes(file, "x");
    EXPECT_TRUE(FileExists(file) && DirectoryExists(dir.Path()));
    EXPECT_FALSE(DirectoryExists(file) || FileExists(dir.Path()) || FileExists(dir.File("missing")));
    EXPECT_TRUE(CreateDirectories(dir.File("a/b/c")) && DirectoryExists(dir.File("a/b/c")));
    EXPECT_TRUE(CreateDirectories(dir.File("a/b"))); // already there
    EXPECT_FALSE(CreateDirectories(dir.File("f.txt/sub")) || CreateDirectories(""));
    EXPECT_FALSE(DeleteFile(dir.File("a"))); // directories are not files
    EXPECT_TRUE(DeleteFile(file) && !FileExists(file));
    EXPECT_FALSE(DeleteFile(file));
}

TEST(System, CopyFileHonoursOverwriteAndKeepsModeAndTime) {
    TempDir dir;
    const std::string from = dir.File("from.bin"), to = dir.File("to.bin");
    const std::string content = std::string("binary\0data\r\n", 13) + std::string(200000, 'z');
    WriteBytes(from, content);
    ASSERT_EQ(::chmod(from.c_str(), 0640), 0);
    const timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), times, 0), 0);

    EXPECT_TRUE(CopyFile(from, to, false));
    EXPECT_EQ(ReadBytes(to), content);
    struct stat st {};
    ASSERT_EQ(::stat(to.c_str(), &st), 0);
    EXPECT_EQ((std::pair<unsigned, long>(st.st_mode & 07777, st.st_mtim.tv_sec)),
              (std::pair<unsigned, long>(0640, 1200000000)));

    WriteBytes(to, "old");
    EXPECT_FALSE(CopyFile(from, to, false));
    EXPECT_EQ(ReadBytes(to), "old");
    EXPECT_TRUE(CopyFile(from, to, true));
    EXPECT_EQ(ReadBytes(to), content);

    // Neither a missing source, a missing directory nor a directory as source or target.
    EXPECT_FALSE(CopyFile(dir.File("missing"), dir.File("x"), true) || CopyFile(from, dir.File("no-dir/x"), true) ||
                 CopyFile(dir.Path(), dir.File("x"), true) || CopyFile(from, dir.Path(), true));
    // Nothing but the files themselves is left behind.
    EXPECT_EQ(EntriesIn(dir), 2u);
}

TEST(System, ReadFileContentNamesWhatItRefusesAndNeverBlocks) {
    TempDir dir;
    std::string out = "stale";
    int error = -1;
    const std::string file = dir.File("f.txt");
    const std::string content = std::string("text\0with NUL\r\n", 16) + std::string(300000, 'q');
    WriteBytes(file, content);
    EXPECT_EQ(ReadFileContent(file, out, SIZE_MAX, &error), FileRead::Ok);
    EXPECT_TRUE(out == content && error == 0);
    // The limit holds to the byte.
    EXPECT_EQ(ReadFileContent(file, out, content.size()), FileRead::Ok);
    EXPECT_EQ(ReadFileContent(file, out, content.size() - 1), FileRead::TooLarge);
    EXPECT_TRUE(out.empty());

    EXPECT_EQ(ReadFileContent(dir.File("missing"), out, SIZE_MAX, &error), FileRead::Missing);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(ReadFileContent(dir.Path(), out), FileRead::Directory);
    // A FIFO without a writer: refused at once instead of waiting for one.
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    EXPECT_EQ(ReadFileContent(dir.File("fifo"), out), FileRead::NotRegular);
    EXPECT_EQ(ReadFileContent("/dev/null", out), FileRead::NotRegular);
}

TEST(System, WriteFileAtomicallyReplacesCreatesAndFollowsLinks) {
    TempDir dir;
    const std::string file = dir.File("script.vbs");
    EXPECT_EQ(WriteFileAtomically(file, "first", false), 0);
    EXPECT_EQ(WriteFileAtomically(file, "second", false), EEXIST);
    EXPECT_EQ(ReadBytes(file), "first");
    ASSERT_EQ(::chmod(file.c_str(), 0604), 0);
    const std::string percent = "100% %s %d %n\r\n" + std::string(100000, '%');
    EXPECT_EQ(WriteFileAtomically(file, percent, true), 0);
    EXPECT_EQ(ReadBytes(file), percent);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    // A link stays a link; the file it names gets the content.
    ASSERT_EQ(::symlink("script.vbs", dir.File("link.vbs").c_str()), 0);
    EXPECT_EQ(WriteFileAtomically(dir.File("link.vbs"), "through", true), 0);
    EXPECT_EQ(ReadBytes(file), "through");
    ASSERT_EQ(::lstat(dir.File("link.vbs").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    EXPECT_EQ((std::vector<int>{WriteFileAtomically(dir.File("no-dir/x"), "x", true),
                                WriteFileAtomically(dir.Path(), "x", true), WriteFileAtomically("", "x", true)}),
              (std::vector<int>{ENOENT, EISDIR, ENOENT}));
    EXPECT_EQ(EntriesIn(dir), 2u); // no temporary file stays behind
}

TEST(System, WriteFileAtomicallyNeverShowsAReaderHalfAFile) {
    TempDir dir;
    const std::string file = dir.File("shared.txt");
    // Two contents of different sizes, each long enough to need several writes.
    const std::string a(1 << 20, 'a');
    const std::string b(3 << 19, 'b');
    ASSERT_EQ(WriteFileAtomically(file, a, false), 0);
    std::atomic<bool> done{false};
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < 40; ++i)
                EXPECT_EQ(WriteFileAtomically(file, (i + w) % 2 ? a : b, true), 0);
        });
    }
    std::thread reader([&] {
        std::string seen;
        int reads = 0;
        while (!done || reads == 0) {
            ASSERT_EQ(ReadFileContent(file, seen), FileRead::Ok);
            EXPECT_TRUE(seen == a || seen == b) << "torn read of " << seen.size() << " bytes";
            ++reads;
        }
    });
    for (std::thread& t : writers)
        t.join();
    done = true;
    reader.join();
    EXPECT_EQ(EntriesIn(dir), 1u);
}

} // namespace
