// Reading profile files: lookup rules, listings, truncation and hostile input.
#include "TestFiles.h"
#include "platform/Profile.h"

#include <cstring>
#include <random>

using namespace platform;
using platform_test::ListOf;
using platform_test::ReadBytes;
using platform_test::TempDir;
using platform_test::WriteBytes;

namespace {

class ProfileRead : public ::testing::Test {
protected:
    // Writes `content` to the test file and returns the value read for section/key.
    std::string Read(const char* section, const char* key, const char* def = "<def>") {
        char buf[256];
        const uint32_t n = GetPrivateProfileString(section, key, def, buf, sizeof buf, file.c_str());
        EXPECT_EQ(n, std::strlen(buf));
        return std::string(buf, n);
    }
    void Use(const std::string& content) { WriteBytes(file, content); }

    TempDir dir;
    std::string file = dir.File("test.ini");
};

TEST_F(ProfileRead, NamesIgnoreCaseAndBlanksAroundKeysAndValuesAreTrimmed) {
    Use("[Settings]\r\n \tMixedKey\v = \t value with  inner  blanks \t\r\nplain=1\r\n");
    EXPECT_EQ(Read("settings", "MIXEDKEY"), "value with  inner  blanks");
    EXPECT_EQ(Read("SETTINGS", "mixedkey"), "value with  inner  blanks");
    // Only spaces are stripped from the caller's names; a tab makes a different name.
    EXPECT_EQ(Read("  Settings ", "  plain  "), "1");
    EXPECT_EQ(Read("\tSettings", "plain"), "<def>");
    EXPECT_EQ(Read("Settings", "plain\t"), "<def>");
}

TEST_F(ProfileRead, OnlyOneOuterPairOfEqualQuotesIsStripped) {
    Use("[q]\n"
        "double=\"quoted value\"\n"
        "single='single'\n"
        "mixed=\"mismatch'\n"
        "inner=\" keep blanks \"\n"
        "lone=\"\n"
        "empty=\"\"\n"
        "nested=\"a\"b\"\n"
        "padded=  'x'  \n"
        "halfway=abc\"\n");
    EXPECT_EQ(Read("q", "double"), "quoted value");
    EXPECT_EQ(Read("q", "single"), "single");
    EXPECT_EQ(Read("q", "mixed"), "\"mismatch'");
    EXPECT_EQ(Read("q", "inner"), " keep blanks ");
    EXPECT_EQ(Read("q", "lone"), "\"");
    EXPECT_EQ(Read("q", "empty"), "");
    EXPECT_EQ(Read("q", "nested"), "a\"b");
    EXPECT_EQ(Read("q", "padded"), "x");
    EXPECT_EQ(Read("q", "halfway"), "abc\"");
}

TEST_F(ProfileRead, DefaultsForMissingFileSectionAndKey) {
    EXPECT_EQ(Read("s", "k", "fallback"), "fallback"); // no file at all
    Use("[s]\nk=v\n");
    EXPECT_EQ(Read("other", "k", "fallback"), "fallback");
    EXPECT_EQ(Read("s", "missing", "fallback"), "fallback");
    EXPECT_EQ(Read("s", "missing", nullptr), "");
    // Only trailing spaces of the default go.
    EXPECT_EQ(Read("s", "missing", "  text  "), "  text");
    EXPECT_EQ(Read("s", "missing", "text\t"), "text\t");
    // A key that is present with an empty value is not missing.
    Use("[s]\nk=\n");
    EXPECT_EQ(Read("s", "k", "fallback"), "");
}

TEST_F(ProfileRead, NullSectionListsEverySectionIncludingDuplicates) {
    Use("top=1\n[One]\na=1\n[ two ]\n[One]\n");
    char buf[64];
    const uint32_t n = GetPrivateProfileString(nullptr, "ignored", "def", buf, sizeof buf, file.c_str());
    EXPECT_EQ(n, 12u);
    EXPECT_EQ(std::string(buf, n + 1), std::string("One\0two\0One\0\0", 13));
    EXPECT_EQ(GetPrivateProfileSectionNames(buf, sizeof buf, file.c_str()), 12u);
    EXPECT_EQ(ProfileListSections(file.c_str()), (std::vector<std::string>{"One", "two", "One"}));
}

TEST_F(ProfileRead, NullKeyListsKeyNamesLeavingOutBareLinesAndComments) {
    Use("[sec]\nname1=val1\nname2=\nname3\n; comment=1\nname4=val4\n[next]\nname5=x\n");
    char buf[64];
    const uint32_t n = GetPrivateProfileString("sec", nullptr, "def", buf, sizeof buf, file.c_str());
    EXPECT_EQ(n, 18u);
    EXPECT_EQ(std::string(buf, n + 1), std::string("name1\0name2\0name4\0\0", 19));
    EXPECT_EQ(ProfileListKeys(file.c_str(), "SEC"), (std::vector<std::string>{"name1", "name2", "name4"}));
    EXPECT_EQ(Read("sec", "name3"), "<def>"); // a bare line is not a key
    // A missing section lists nothing.
    EXPECT_EQ(GetPrivateProfileString("absent", nullptr, "def", buf, sizeof buf, file.c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
}

TEST_F(ProfileRead, WholeSectionGivesTrimmedLinesAndBareText) {
    Use("[sec]\nname1=val1\nname2=\nname3\n\n  ; skipped\nname4=val4\n[next]\nx=1\n");
    char buf[128];
    uint32_t n = GetPrivateProfileSection("Sec", buf, sizeof buf, file.c_str());
    EXPECT_EQ(n, 35u);
    EXPECT_EQ(std::string(buf, n + 1), std::string("name1=val1\0name2=\0name3\0name4=val4\0\0", 36));

    // Key and value are trimmed; quotes are part of the line as written.
    Use("[s]\n  key  =  \"v a\"  \n\t bare text \t\n");
    n = GetPrivateProfileSection("s", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n), (std::vector<std::string>{"key=\"v a\"", "bare text"}));

    // Every placement of blanks reads the same, whether the line already stands as
    // "key=value" or has to be rebuilt; so do an empty key and an empty value.
    Use("[s]\n  a=1  \nb =2\nc= 3\n d = 4 \n=5\ne=\nf = \n\tg\t=\t7\n");
    n = GetPrivateProfileSection("s", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n),
              (std::vector<std::string>{"a=1", "b=2", "c=3", "d=4", "=5", "e=", "f=", "g=7"}));
}

TEST_F(ProfileRead, SingleValueTruncationCopiesSizeMinusOne) {
    Use("[s]\nk=abcdef\n");
    struct Case {
        uint32_t size;
        uint32_t expected;
        std::string text;
    };
    for (const Case& c :
         {Case{8, 6, "abcdef"}, Case{7, 6, "abcdef"}, Case{6, 5, "abcde"}, Case{2, 1, "a"}, Case{1, 0, ""}}) {
        std::string buf(c.size, 'x');
        const uint32_t n = GetPrivateProfileString("s", "k", "", buf.data(), c.size, file.c_str());
        EXPECT_EQ(n, c.expected) << "size " << c.size;
        EXPECT_EQ(std::string(buf.c_str()), c.text) << "size " << c.size;
    }
    // A size of 0 writes nothing at all.
    char untouched = 'x';
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", &untouched, 0, file.c_str()), 0u);
    EXPECT_EQ(untouched, 'x');
    // A default is cut the same way.
    char small[4];
    EXPECT_EQ(GetPrivateProfileString("s", "none", "defaulttext", small, sizeof small, file.c_str()), 3u);
    EXPECT_STREQ(small, "def");
}

TEST_F(ProfileRead, ListTruncationCutsTheLastStringAndReturnsSizeMinusTwo) {
    Use("[name1]\n[name2]\n");
    struct Case {
        uint32_t size;
        uint32_t expected;
        std::string bytes;
    };
    for (const Case& c :
         {Case{13, 12, std::string("name1\0name2\0\0", 13)}, Case{12, 10, std::string("name1\0name\0\0", 12)},
          Case{10, 8, std::string("name1\0na\0\0", 10)}, Case{8, 6, std::string("name1\0\0\0", 8)},
          Case{4, 2, std::string("na\0\0", 4)}, Case{2, 0, std::string("\0\0", 2)}}) {
        std::string buf(c.size, 'x');
        const uint32_t n = GetPrivateProfileSectionNames(buf.data(), c.size, file.c_str());
        EXPECT_EQ(n, c.expected) << "size " << c.size;
        EXPECT_EQ(buf, c.bytes) << "size " << c.size;
    }
    // Whole-section reads overflow the same way.
    Use("[s]\na=1\nb=2\n");
    char buf[6];
    EXPECT_EQ(GetPrivateProfileSection("s", buf, sizeof buf, file.c_str()), 4u);
    EXPECT_EQ(std::string(buf, 6), std::string("a=1\0\0\0", 6));
}

TEST_F(ProfileRead, FirstOfDuplicateSectionsAndKeysWins) {
    Use("[s]\na=1\nA=2\n[other]\nb=9\n[S]\na=3\nb=4\n");
    EXPECT_EQ(Read("s", "a"), "1");
    EXPECT_EQ(Read("s", "b"), "<def>"); // only the first [s] is searched
    char buf[64];
    const uint32_t n = GetPrivateProfileString("s", nullptr, "", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n), (std::vector<std::string>{"a", "A"}));
}

TEST_F(ProfileRead, CrLfCrAndLfAllEndALine) {
    Use("[cr]\ra=1\rb=2\r[lf]\nc=3\n[crlf]\r\nd=4\r\n[last]\re=5");
    EXPECT_EQ(Read("cr", "a"), "1");
    EXPECT_EQ(Read("cr", "b"), "2");
    EXPECT_EQ(Read("lf", "c"), "3");
    EXPECT_EQ(Read("crlf", "d"), "4");
    EXPECT_EQ(Read("last", "e"), "5"); // no line end at all after the last line
    // LF followed by CR is two line ends, not one.
    Use("[s]\n\ra=1\n\r");
    EXPECT_EQ(Read("s", "a"), "1");
}

TEST_F(ProfileRead, CommentsSectionHeadersAndLinesBeforeTheFirstSection) {
    Use("key=top\n"
        "[ spaced name ] text after is ignored\n"
        ";a=1\n"
        "  \t; b=2\n"
        "#c=3\n"
        "d=4 ; not a comment\n"
        "key=inside\n"
        "[x]y]\n"
        "z=1\n");
    EXPECT_EQ(Read("spaced name", "a"), "<def>");
    EXPECT_EQ(Read("spaced name", ";a"), "<def>");
    EXPECT_EQ(Read("spaced name", "; b"), "<def>");
    EXPECT_EQ(Read("spaced name", "#c"), "3");
    EXPECT_EQ(Read("spaced name", "d"), "4 ; not a comment");
    EXPECT_EQ(Read("spaced name", "key"), "inside");
    EXPECT_EQ(Read("x", "z"), "1");      // the name ends at the first ']'
    EXPECT_EQ(Read("", "key"), "<def>"); // lines before the first section belong to none
}

TEST_F(ProfileRead, HeaderWithoutClosingBracketStartsASectionNamedByTheRestOfTheLine) {
    Use("[prev]\nx=1\n[broken  \nk=v\n");
    EXPECT_EQ(Read("broken", "k"), "v");
    EXPECT_EQ(Read("prev", "k"), "<def>");
    EXPECT_EQ(Read("prev", "x"), "1");
    EXPECT_EQ(ProfileListSections(file.c_str()), (std::vector<std::string>{"prev", "broken"}));
}

TEST_F(ProfileRead, IntegersReadLeadingDigitsWithSignAndWrap) {
    Use("[n]\na=42\nb=-5\nc=12abc\nd=abc\ne=\nf= +7\ng=\"15\"\nh=4294967297\n");
    EXPECT_EQ(GetPrivateProfileInt("n", "a", 9, file.c_str()), 42u);
    EXPECT_EQ(GetPrivateProfileInt("n", "b", 9, file.c_str()), 0xFFFFFFFBu);
    EXPECT_EQ(ProfileReadInt(file.c_str(), "n", "b", 9), -5);
    EXPECT_EQ(GetPrivateProfileInt("n", "c", 9, file.c_str()), 12u);
    EXPECT_EQ(GetPrivateProfileInt("n", "d", 9, file.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileInt("n", "e", 9, file.c_str()), 9u);
    EXPECT_EQ(GetPrivateProfileInt("n", "f", 9, file.c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileInt("n", "g", 9, file.c_str()), 15u);
    EXPECT_EQ(GetPrivateProfileInt("n", "h", 9, file.c_str()), 1u);
    EXPECT_EQ(GetPrivateProfileInt("n", "missing", -3, file.c_str()), static_cast<uint32_t>(-3));
    EXPECT_EQ(ProfileReadInt(dir.File("none.ini").c_str(), "n", "a", 77), 77);
}

TEST_F(ProfileRead, LongValuesAreReadWholeUpTo65534Characters) {
    const std::string v509(509, 'a'), v510(510, 'b'), v600(600, 'c'), v65535(65535, 'd'), v70000(70000, 'e');
    Use("[s]\nv509=" + v509 + "\nv510=" + v510 + "\nv600=" + v600 + "\nv65535=" + v65535 +
        "\nv70000=" + v70000 + "\n");
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v509", ""), v509);
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v510", ""), v510);
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v600", ""), v600);
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v65535", ""), v65535.substr(0, 65534));
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v70000", ""), v70000.substr(0, 65534));
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "none", "  d  "), "  d");
    std::string big(70001, '\0');
    EXPECT_EQ(GetPrivateProfileString("s", "v70000", "", big.data(), 70001, file.c_str()), 70000u);
}

TEST_F(ProfileRead, HostileFilesReadWithoutCrashingAndLaterSectionsStillWork) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 4000);
    const std::string tail = "\n[ok]\nkey=val\n";
    for (int round = 0; round < 40; ++round) {
        std::string garbage(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : garbage)
            c = static_cast<char>(byte(random));
        // Sprinkle the characters the parser looks at, so every path gets exercised.
        for (std::size_t i = 0; i < garbage.size(); i += 7)
            garbage[i] = "[]=;\r\n\0\"'"[i % 9];
        Use(garbage + tail);
        char buf[512];
        GetPrivateProfileSectionNames(buf, sizeof buf, file.c_str());
        GetPrivateProfileSection("ok", buf, sizeof buf, file.c_str());
        GetPrivateProfileString("ok", nullptr, "", buf, sizeof buf, file.c_str());
        GetPrivateProfileInt("ok", "key", 0, file.c_str());
        // An unterminated header in the garbage may swallow the lines up to the next
        // header; the final section itself always starts with a header of its own.
        EXPECT_EQ(Read("ok", "key"), "val") << "round " << round;
    }
    // One line far longer than 64 KiB, without any line end, then nothing else.
    Use("[s]\nk=" + std::string(200000, 'x'));
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "k", "").size(), 65534u);
    // A header with nothing but the bracket, a lone '=' and NUL bytes inside a value.
    Use(std::string("[\n=\n[s]\nk=a\0b\n", 14));
    char buf[16];
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", buf, sizeof buf, file.c_str()), 3u);
    EXPECT_EQ(std::string(buf, 3), std::string("a\0b", 3));
    // A directory where the file should be reads as a missing file.
    EXPECT_EQ(ProfileReadText(dir.Path().c_str(), "s", "k", "def"), "def");
    EXPECT_EQ(ReadBytes(dir.File("test.ini")).size(), 14u); // reading never rewrites
}

} // namespace
