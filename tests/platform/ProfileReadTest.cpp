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
    // The value read for section/key from the test file.
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

// One file with a case of every lookup rule in a section of its own; CR, LF and CRLF line
// ends mixed, and no line end after the last line.
const std::string kLookups = "key=top\n"
                             "[Settings]\r\n \tMixedKey\v = \t value with  inner  blanks \t\r\nplain=1\r\nnone=\r\n"
                             "[q]\ndouble=\"quoted value\"\nsingle='single'\nmixed=\"mismatch'\ninner=\" keep \"\n"
                             "lone=\"\nempty=\"\"\nnested=\"a\"b\"\npadded=  'x'  \nhalfway=abc\"\n"
                             "[ spaced name ] text after is ignored\n;a=1\n  \t; b=2\n#c=3\nd=4 ; not a comment\n"
                             "key=inside\nbare line\n"
                             "[x]y]\nz=1\n"
                             "[dup]\na=1\nA=2\n[other]\nb=9\n[DUP]\na=3\nb=4\n"
                             "[cr]\ra=1\rb=2\r[lfcr]\n\ra=1\n\r"
                             "[broken  \nk=v\n[last]\re=5";

TEST_F(ProfileRead, LookupsFollowTheNameQuoteCommentAndDuplicateRules) {
    Use(kLookups);
    struct Case {
        const char *section, *key, *def, *expected;
    };
    const Case cases[] = {
        // Names ignore case; blanks around keys and values go, inner ones stay.
        {"settings", "MIXEDKEY", "<def>", "value with  inner  blanks"},
        // Only spaces are stripped from the caller's names; a tab makes a different name.
        {"  Settings ", "  plain  ", "<def>", "1"},
        {"\tSettings", "plain", "<def>", "<def>"},
        {"Settings", "plain\t", "<def>", "<def>"},
        // Defaults: only their trailing spaces go; a key with an empty value is not missing.
        {"Settings", "missing", "  text  ", "  text"},
        {"Settings", "missing", "text\t", "text\t"},
        {"Settings", "missing", nullptr, ""},
        {"absent", "plain", "fallback", "fallback"},
        {"Settings", "none", "fallback", ""},
        // One outer pair of equal quotes is stripped, nothing else.
        {"q", "double", "", "quoted value"},
        {"q", "single", "", "single"},
        {"q", "mixed", "", "\"mismatch'"},
        {"q", "inner", "", " keep "},
        {"q", "lone", "", "\""},
        {"q", "empty", "<def>", ""},
        {"q", "nested", "", "a\"b"},
        {"q", "padded", "", "x"},
        {"q", "halfway", "", "abc\""},
        // ';' starts a comment at the line's start only, '#' never; a bare line is no key.
        {"spaced name", "a", "<def>", "<def>"},
        {"spaced name", ";a", "<def>", "<def>"},
        {"spaced name", "; b", "<def>", "<def>"},
        {"spaced name", "#c", "<def>", "3"},
        {"spaced name", "d", "<def>", "4 ; not a comment"},
        {"spaced name", "bare line", "<def>", "<def>"},
        // Lines before the first section belong to none; a name ends at the first ']'.
        {"spaced name", "key", "<def>", "inside"},
        {"", "key", "<def>", "<def>"},
        {"x", "z", "<def>", "1"},
        // The first of equal sections and keys wins; only the first section is searched.
        {"dup", "a", "<def>", "1"},
        {"dup", "b", "<def>", "<def>"},
        // CR ends a line; LF then CR is two line ends; the last line needs none.
        {"cr", "b", "<def>", "2"},
        {"lfcr", "a", "<def>", "1"},
        {"last", "e", "<def>", "5"},
        // A header without its ']' names a section by the rest of its line.
        {"broken", "k", "<def>", "v"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.section, c.key, c.def), c.expected) << "[" << c.section << "] " << c.key;
    EXPECT_EQ(ProfileReadText(dir.File("none.ini").c_str(), "s", "k", "no file"), "no file");

    // Listings: every section, duplicates included; the keys of one, without bare lines or
    // comments; the lines of one, trimmed.
    const std::vector<std::string> sections = {"Settings", "q",  "spaced name", "x",    "dup",    "other",
                                               "DUP",      "cr", "lfcr",        "broken", "last"};
    char buf[512];
    uint32_t n = GetPrivateProfileString(nullptr, "ignored", "def", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n), sections);
    EXPECT_EQ(buf[n], '\0');
    EXPECT_EQ(GetPrivateProfileSectionNames(buf, sizeof buf, file.c_str()), n);
    EXPECT_EQ(ProfileListSections(file.c_str()), sections);
    n = GetPrivateProfileString("SPACED NAME", nullptr, "def", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n), (std::vector<std::string>{"#c", "d", "key"}));
    EXPECT_EQ(ProfileListKeys(file.c_str(), "dup"), (std::vector<std::string>{"a", "A"}));
    EXPECT_EQ(GetPrivateProfileString("absent", nullptr, "def", buf, sizeof buf, file.c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
    n = GetPrivateProfileSection("Spaced Name", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n), (std::vector<std::string>{"#c=3", "d=4 ; not a comment", "key=inside", "bare line"}));
}

TEST_F(ProfileRead, WholeSectionLinesAreTrimmedWhetherWrittenTightOrNot) {
    // Every placement of blanks reads the same, whether the line already stands as
    // "key=value" or has to be rebuilt; so do an empty key and an empty value.  Quotes are
    // part of the line as written.
    Use("[s]\n  a=1  \nb =2\nc= 3\n d = 4 \n=5\ne=\nf = \n\tg\t=\t7\n  key  =  \"v a\"  \n\t bare text \t\n");
    char buf[128];
    const uint32_t n = GetPrivateProfileSection("s", buf, sizeof buf, file.c_str());
    EXPECT_EQ(ListOf(buf, n),
              (std::vector<std::string>{"a=1", "b=2", "c=3", "d=4", "=5", "e=", "f=", "g=7", "key=\"v a\"", "bare text"}));
    EXPECT_EQ(std::string(buf + n - 1, 2), std::string(2, '\0'));
}

TEST_F(ProfileRead, SingleValueTruncationCopiesSizeMinusOne) {
    Use("[s]\nk=abcdef\n");
    struct Case {
        uint32_t size;
        uint32_t expected;
        std::string text;
    };
    for (const Case& c : {Case{8, 6, "abcdef"}, Case{7, 6, "abcdef"}, Case{6, 5, "abcde"}, Case{1, 0, ""}}) {
        std::string buf(c.size, 'x');
        const uint32_t n = GetPrivateProfileString("s", "k", "", buf.data(), c.size, file.c_str());
        EXPECT_EQ(n, c.expected) << "size " << c.size;
        EXPECT_EQ(std::string(buf.c_str()), c.text) << "size " << c.size;
    }
    // A size of 0 writes nothing at all; a default is cut the same way.
    char small[4] = {'x'};
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", small, 0, file.c_str()), 0u);
    EXPECT_EQ(small[0], 'x');
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
          Case{8, 6, std::string("name1\0\0\0", 8)}, Case{2, 0, std::string("\0\0", 2)}}) {
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

TEST_F(ProfileRead, IntegersReadLeadingDigitsWithSignAndWrap) {
    Use("[n]\na=42\nb=-5\nc=12abc\nd=abc\ne=\nf= +7\ng=\"15\"\nh=4294967297\n");
    std::vector<uint32_t> values;
    for (const char* key : {"a", "b", "c", "d", "e", "f", "g", "h"})
        values.push_back(GetPrivateProfileInt("n", key, 9, file.c_str()));
    EXPECT_EQ(values, (std::vector<uint32_t>{42, 0xFFFFFFFBu, 12, 0, 9, 7, 15, 1}));
    EXPECT_EQ(GetPrivateProfileInt("n", "missing", -3, file.c_str()), static_cast<uint32_t>(-3));
    EXPECT_EQ(ProfileReadInt(file.c_str(), "n", "b", 9), -5);
    EXPECT_EQ(ProfileReadInt(dir.File("none.ini").c_str(), "n", "a", 77), 77);
}

TEST_F(ProfileRead, LongValuesAreReadWholeUpTo65534Characters) {
    // 510 characters fill the reader's first buffer; 65534 are the most it ever takes.
    const std::string v510(510, 'b'), v511(511, 'c'), v65535(65535, 'd');
    Use("[s]\nv510=" + v510 + "\nv511=" + v511 + "\nv65535=" + v65535 + "\n");
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v510", ""), v510);
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v511", ""), v511);
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "v65535", ""), v65535.substr(0, 65534));
    EXPECT_EQ(ProfileReadText(file.c_str(), "s", "none", "  d  "), "  d");
    std::string big(65536, '\0');
    EXPECT_EQ(GetPrivateProfileString("s", "v65535", "", big.data(), 65536, file.c_str()), 65535u);
}

TEST_F(ProfileRead, HostileFilesReadWithoutCrashingAndLaterSectionsStillWork) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 4000);
    for (int round = 0; round < 40; ++round) {
        std::string garbage(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : garbage)
            c = static_cast<char>(byte(random));
        // Sprinkle the characters the parser looks at, so every path gets exercised.
        for (std::size_t i = 0; i < garbage.size(); i += 7)
            garbage[i] = "[]=;\r\n\0\"'"[i % 9];
        Use(garbage + "\n[ok]\nkey=val\n");
        char buf[512];
        GetPrivateProfileSectionNames(buf, sizeof buf, file.c_str());
        GetPrivateProfileSection("ok", buf, sizeof buf, file.c_str());
        GetPrivateProfileString("ok", nullptr, "", buf, sizeof buf, file.c_str());
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
    EXPECT_EQ(ReadBytes(file).size(), 14u); // reading never rewrites
}

} // namespace
