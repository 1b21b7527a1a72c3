// Writing profile files: placement, deletion, line ends, whole sections, and the
// retrying wrappers that the engine link uses.
#include "TestFiles.h"
#include "platform/Profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>
#include <tuple>

using namespace platform;
using platform_test::ListOf;
using platform_test::ReadBytes;
using platform_test::TempDir;
using platform_test::WriteBytes;

namespace {

class ProfileWrite : public ::testing::Test {
protected:
    void Use(const std::string& content) { WriteBytes(file, content); }
    bool Write(const char* section, const char* key, const char* value) {
        return WritePrivateProfileString(section, key, value, file.c_str());
    }
    std::string Content() const { return ReadBytes(file); }

    TempDir dir;
    std::string file = dir.File("test.ini");
};

TEST_F(ProfileWrite, SingleWritesPlaceChangeAndDeleteKeepingTheFileStyle) {
    struct Case {
        const char* start; // nullptr: no file
        const char *section, *key, *value;
        const char* expected; // nullptr: still no file
    };
    const Case cases[] = {
        // A new file gets CRLF; names lose their blanks.
        {nullptr, " Sec ", " Key ", "value", "[Sec]\r\nKey=value\r\n"},
        {"[Sec]\r\nKey=value\r\n", "Sec", "second", "", "[Sec]\r\nKey=value\r\nsecond=\r\n"},
        // A new key goes after the last key (or bare line) of its section, an empty
        // section's first right under the header.
        {"; header\n[a]\nk1=1\nk2=2\n\n; about b\n[b]\nx=1\n", "A", "k3", "3",
         "; header\n[a]\nk1=1\nk2=2\nk3=3\n\n; about b\n[b]\nx=1\n"},
        {"[empty]\n\n[b]\n", "empty", "k", "v", "[empty]\nk=v\n\n[b]\n"},
        {"[a]\nk=1\nbare\n; trailing comment\n", "a", "n", "2", "[a]\nk=1\nbare\nn=2\n; trailing comment\n"},
        // An existing key keeps its place and spelling; the first of two equal ones changes;
        // the value is written verbatim.
        {"[S]\r\n  MyKey = old \r\nother=1\r\n", "s", "MYKEY", "  spaced \"text\"  ",
         "[S]\r\nMyKey=  spaced \"text\"  \r\nother=1\r\n"},
        {"[s]\nk=1\nK=2\n", "s", "k", "new", "[s]\nk=new\nK=2\n"},
        // A new section goes to the end; lines before any section survive.
        {"loose line\nx=1\n[a]\nk=1", "b", "k", "2", "loose line\nx=1\n[a]\nk=1\n[b]\nk=2\n"},
        // Every line keeps its own end; added lines take the first one found.
        {"[a]\rk=1\r", "a", "j", "2", "[a]\rk=1\rj=2\r"},
        {"[a]\r\nk=1\n[b]\rz=1", "a", "k", "9", "[a]\r\nk=9\n[b]\rz=1\r\n"},
        {"[a]\r\nk=9\n[b]\rz=1", "c", "y", "1", "[a]\r\nk=9\n[b]\rz=1\r\n[c]\r\ny=1\r\n"},
        // A byte order mark is skipped when reading and kept when writing.
        {"\xEF\xBB\xBF[first]\r\nk=1\r\n", "first", "j", "2", "\xEF\xBB\xBF[first]\r\nk=1\r\nj=2\r\n"},
        // A null value deletes the key (and its equals in that section), the header stays; a
        // null key deletes the section with its later copies, so nothing older resurfaces.
        {"top\n[a]\nk=1\nj=2\nK=dup\n[b]\nx=1\n[A]\nk=3\n", "a", "k", nullptr, "top\n[a]\nj=2\n[b]\nx=1\n[A]\nk=3\n"},
        {"top\n[a]\nj=2\n[b]\n", "a", "j", nullptr, "top\n[a]\n[b]\n"},
        {"top\n[a]\n[b]\nx=1\n[A]\nk=3\n", "A", nullptr, nullptr, "top\n[b]\nx=1\n"},
        // Deleting what is not there succeeds and changes nothing, nor creates a file.
        {"top\n[b]\nx=1\n", "b", "missing", nullptr, "top\n[b]\nx=1\n"},
        {"top\n[b]\nx=1\n", "missing", nullptr, nullptr, "top\n[b]\nx=1\n"},
        {nullptr, "s", "k", nullptr, nullptr},
        // A null section with a key is refused; all three null is a flush request.
        {nullptr, nullptr, "k", "v", nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(file);
        if (c.start != nullptr)
            Use(c.start);
        EXPECT_EQ(Write(c.section, c.key, c.value), c.section != nullptr) << c.start;
        EXPECT_EQ(std::filesystem::exists(file) ? Content() : "<none>", c.expected ? c.expected : "<none>") << c.start;
    }
    EXPECT_TRUE(WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", nullptr));
    // Only in an existing directory.
    const std::string lost = dir.File("no-such-dir/test.ini");
    EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", lost.c_str()));
    EXPECT_FALSE(WritePrivateProfileSection("s", "k=v\0", lost.c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("no-such-dir")));
}

TEST_F(ProfileWrite, WholeSectionReplacesItsKeysAndKeepsTheCommentsThatFollow) {
    Use("[a]\nold=1\n; inside\nold2=2\n\n; about b\n[b]\ny=1\n");
    EXPECT_TRUE(WritePrivateProfileSection("a", "n1=1\0n2=two\0", file.c_str()));
    EXPECT_EQ(Content(), "[a]\nn1=1\nn2=two\n\n; about b\n[b]\ny=1\n");
    EXPECT_TRUE(WritePrivateProfileSection("new", "z=26\0", file.c_str()));
    EXPECT_EQ(Content(), "[a]\nn1=1\nn2=two\n\n; about b\n[b]\ny=1\n[new]\nz=26\n");
    EXPECT_TRUE(WritePrivateProfileSection("b", "", file.c_str())); // an empty list
    EXPECT_EQ(Content(), "[a]\nn1=1\nn2=two\n\n; about b\n[b]\n[new]\nz=26\n");

    // Round trip through the whole-section read.
    char buf[64];
    const uint32_t n = GetPrivateProfileSection("A", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n), (std::vector<std::string>{"n1=1", "n2=two"}));
    EXPECT_TRUE(ProfileWriteSection(file.c_str(), "a", std::string(buf, n + 1).c_str()));
    EXPECT_EQ(Content(), "[a]\nn1=1\nn2=two\n\n; about b\n[b]\n[new]\nz=26\n");
}

TEST_F(ProfileWrite, WrappersWriteIntegersAndDeleteAsTheEngineLinkExpects) {
    EXPECT_TRUE(ProfileWriteInt(file.c_str(), "Updates", "NS", -17) &&
                ProfileWriteText(file.c_str(), "Updates", "NM", "0042") &&
                ProfileWriteText(file.c_str(), "MonitorNow", "10001", "1"));
    EXPECT_EQ(std::tuple(ProfileReadInt(file.c_str(), "updates", "ns", 0), ProfileReadInt(file.c_str(), "updates", "nm", 0),
                         ProfileReadText(file.c_str(), "updates", "nm", "")),
              std::tuple(-17, 42, std::string("0042")));
    EXPECT_TRUE(ProfileDeleteKey(file.c_str(), "Updates", "NS") && ProfileDeleteSection(file.c_str(), "monitornow"));
    EXPECT_EQ(Content(), "[Updates]\r\nNM=0042\r\n");
    // In a directory that does not exist every attempt fails.
    const std::string lost = dir.File("missing/control.dat");
    EXPECT_FALSE(ProfileWriteText(lost.c_str(), "s", "k", "v") || ProfileWriteInt(lost.c_str(), "s", "k", 1) ||
                 ProfileWriteSection(lost.c_str(), "s", "k=v\0"));
}

TEST_F(ProfileWrite, ReadSectionMarksAMissingSectionAndReadsAgain) {
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    // No file yet: the first read finds nothing, so the section is created with
    // EXISTS=1 (and the file with it) and the second read returns that line.
    uint32_t n = ProfileReadSection(file.c_str(), "ActLog", buf, sizeof buf);
    EXPECT_EQ(n, 9u);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string("EXISTS=1\0", 9) + std::string(sizeof buf - 9, '\0'));
    EXPECT_EQ(Content(), "[ActLog]\r\nEXISTS=1\r\n");

    // A section with lines is read once and the file stays as it is.
    Use("[ActLog]\nline one||2\n");
    std::memset(buf, 'x', sizeof buf);
    n = ProfileReadSection(file.c_str(), "ActLog", buf, sizeof buf);
    EXPECT_EQ(ListOf(buf, n), (std::vector<std::string>{"line one||2"}));
    EXPECT_EQ(buf[sizeof buf - 1], '\0'); // the whole buffer was cleared first
    EXPECT_EQ(Content(), "[ActLog]\nline one||2\n");

    // Where nothing can be written, both reads come back empty.
    const std::string lost = dir.File("missing/actlog.dat");
    EXPECT_EQ(ProfileReadSection(lost.c_str(), "ActLog", buf, sizeof buf), 0u);
    EXPECT_EQ(buf[0], '\0');
}

} // namespace

TEST_F(ProfileWrite, ManyKeysInOneUpdateEqualTheSingleKeyWrites) {
    // The same changes made key by key and in one batch give the same bytes, from files
    // with comments, duplicates, other sections and odd spelling.
    const std::string start = "; results\n[Other]\na=1\n[Results]\n12=old\nKey=x\nkey=dup\n; tail\n\n[Last]\nz=9\n";
    const std::string single = dir.File("single.ini");
    const std::string batch = dir.File("batch.ini");
    std::mt19937 random(7);
    const char* keys[] = {"12", "13", "KEY", "key", "new", "Z", "a"};
    for (int round = 0; round < 400; ++round) {
        WriteBytes(single, start);
        WriteBytes(batch, start);
        std::vector<ProfileChange> changes;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            ProfileChange change;
            change.key = keys[random() % std::size(keys)];
            if (random() % 3 != 0)
                change.value = "v" + std::to_string(random() % 4);
            changes.push_back(change);
        }
        const char* section = (round % 4 == 3) ? "Fresh" : "results";
        for (const ProfileChange& change : changes)
            ASSERT_TRUE(WritePrivateProfileString(section, change.key.c_str(),
                                                  change.value ? change.value->c_str() : nullptr, single.c_str()));
        ASSERT_TRUE(ProfileWriteKeys(batch.c_str(), section, changes));
        ASSERT_EQ(ReadBytes(batch), ReadBytes(single)) << "round " << round;
    }

    // Nothing to change leaves the file alone; deleting from a missing section creates
    // nothing; a missing directory fails.
    Use("[Results]\n1=a\n");
    EXPECT_TRUE(ProfileWriteKeys(file.c_str(), "Results", {{"1", std::string("a")}, {"2", std::nullopt}}));
    EXPECT_EQ(Content(), "[Results]\n1=a\n");
    EXPECT_TRUE(ProfileWriteKeys(file.c_str(), "Gone", {{"1", std::nullopt}}));
    EXPECT_EQ(Content(), "[Results]\n1=a\n");
    EXPECT_TRUE(ProfileWriteKeys(file.c_str(), "Results", {}));
    EXPECT_FALSE(ProfileWriteKeys(dir.File("missing/r.dat").c_str(), "Results", {{"1", std::string("b")}}));
}

TEST_F(ProfileWrite, ManyKeysOfALargeSectionAreWrittenInOnePass) {
    // 20,000 lines updated and added in one call: an index keeps this linear (a key by
    // key search would take minutes), and every value lands once, in place or at the end.
    std::string content = "[Results]\n";
    for (int id = 0; id < 10000; ++id)
        content += std::to_string(id) + "=old\n";
    Use(content);
    std::vector<ProfileChange> changes;
    for (int id = 0; id < 20000; id += 1)
        changes.push_back({std::to_string(id), "new" + std::to_string(id)});
    changes.push_back({"5", std::nullopt});
    ASSERT_TRUE(ProfileWriteKeys(file.c_str(), "Results", changes));
    std::vector<std::pair<std::string, std::string>> expected;
    for (int id = 0; id < 20000; ++id)
        if (id != 5)
            expected.emplace_back(std::to_string(id), "new" + std::to_string(id));
    EXPECT_EQ(ProfileReadEntries(file.c_str(), "Results"), expected);
}

TEST_F(ProfileWrite, ReadEntriesGivesValuesAsTheKeyReaderDoesWithoutSeeding) {
    const std::string longValue(70000, 'x');
    Use("[Results]\n 7 = \"quoted\" \nplain text\n7=second\nKEY=a||b\nlong=" + longValue + "\n[Next]\nq=1\n");
    EXPECT_EQ(ProfileReadEntries(file.c_str(), "results"),
              (std::vector<std::pair<std::string, std::string>>{
                  {"7", "quoted"}, {"KEY", "a||b"}, {"long", longValue}}));
    // A missing section or file gives nothing and writes nothing.
    const std::string before = Content();
    EXPECT_TRUE(ProfileReadEntries(file.c_str(), "ActLog").empty());
    EXPECT_EQ(Content(), before);
    EXPECT_TRUE(ProfileReadEntries(dir.File("none.ini").c_str(), "Results").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.ini")));
}
