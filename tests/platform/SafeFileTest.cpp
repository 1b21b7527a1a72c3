// Writes that a planted link, a linked directory or ".." must not lead out of their
// directory: every way in is tried, and the directory outside must stay exactly as it was.
#include "platform/Profile.h"
#include "platform/SafeFile.h"

#include "TestFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

using namespace platform;
using namespace platform_test;

namespace {

// Every entry below `dir` (links as their targets' texts, files with their content).
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string path = entry.path().string();
        if (entry.is_symlink())
            out[path] = "-> " + std::filesystem::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            out[path] = ReadBytes(path);
        else
            out[path] = "<dir>";
    }
    return out;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(SafeFile, NoWriteIsLedOutOfItsDirectory) {
    enum class Write { Replace, Append, Profile };
    struct Case {
        const char *what, *plant, *plantTarget; // a link planted at "plant" to "plantTarget"
        const char* target;                    // below the directory "in"
        Write write;
        int expected; // errno; 0: written
    };
    const Case cases[] = {
        {"link to an existing file, replaced", "in/f.dat", "out/secret", "f.dat", Write::Replace, ELOOP},
        {"link to an existing file, appended", "in/f.dat", "out/secret", "f.dat", Write::Append, ELOOP},
        {"link to an existing file, profile", "in/f.dat", "out/secret", "f.dat", Write::Profile, ELOOP},
        {"link to a new name, replaced", "in/f.dat", "out/new", "f.dat", Write::Replace, ELOOP},
        {"link to a new name, appended", "in/f.dat", "out/new", "f.dat", Write::Append, ELOOP},
        {"link at the lock file", "in/.f.dat.lock", "out/new", "f.dat", Write::Profile, ELOOP},
        {"linked directory, appended", "in/sub", "out", "sub/new", Write::Append, EXDEV},
        {"dot-dot, appended", nullptr, nullptr, "../out/new", Write::Append, EXDEV},
        {"dot-dot to a linked file, appended", nullptr, nullptr, "../out/secret", Write::Append, EXDEV},
        {"the directory itself", nullptr, nullptr, "..", Write::Replace, EISDIR},
        {"a FIFO is not waited on", "in/f.dat", nullptr, "f.dat", Write::Append, EINVAL},
        {"a plain file, replaced", nullptr, nullptr, "f.dat", Write::Replace, 0},
        {"a plain file, appended", nullptr, nullptr, "f.dat", Write::Append, 0},
        {"a plain file, profile", nullptr, nullptr, "f.dat", Write::Profile, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        std::filesystem::create_directories(d.File("in"));
        std::filesystem::create_directories(d.File("out"));
        WriteBytes(d.File("out/secret"), "root only\n");
        if (c.plant != nullptr) {
            ASSERT_EQ(c.plantTarget != nullptr ? ::symlink(d.File(c.plantTarget).c_str(), d.File(c.plant).c_str())
                                                : ::mkfifo(d.File(c.plant).c_str(), 0600),
                      0);
        }
        const auto outside = Snapshot(d.File("out"));
        const std::string path = d.File("in/") + c.target;
        errno = 0;
        const int result = c.write == Write::Replace  ? ReplaceFileNoFollow(path, "[S]\nk=v\n")
                           : c.write == Write::Append ? AppendFileWithin(path, d.File("in"), "[S]\nk=v\n")
                           : WritePrivateProfileString("S", "k", "v", path.c_str()) ? 0
                                                                                    : errno;
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(Snapshot(d.File("out")), outside);
        if (c.expected == 0) {
            EXPECT_EQ(ProfileReadText(path.c_str(), "S", "k", ""), "v");
        }
    }
}

TEST(SafeFile, ReplacementKeepsTheModeAndLeavesNoTemporaryFile) {
    TempDir d;
    const std::string file = d.File("result.dat");
    const mode_t old = ::umask(0);
    EXPECT_EQ(ReplaceFileNoFollow(file, "one", 0644), 0);
    ::umask(old);
    EXPECT_EQ(ModeOf(file), 0644u);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    EXPECT_EQ(ReplaceFileNoFollow(file, "two", 0666), 0);
    EXPECT_EQ(ReadBytes(file), "two");
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.Path()), {}), 1);
}
