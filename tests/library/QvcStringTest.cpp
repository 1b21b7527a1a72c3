#include "library/QvcPath.h"
#include "library/QvcRandom.h"
#include "library/QvcString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(QvcString, ConstructionAssignmentAndAppend) {
    EXPECT_EQ(CQvcString(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(CQvcString(-42), "-42");
    EXPECT_EQ(CQvcString(2147483647L), "2147483647");
    EXPECT_EQ(CQvcString('x'), "x");
    EXPECT_EQ(CQvcString(L"Gr\u00fc\u00dfe \u20ac"), "Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac");

    CQvcString s("abc");
    s = s; // self-assignment keeps the text
    EXPECT_EQ(s, "abc");
    s = s.c_str(); // assigning its own buffer too
    EXPECT_EQ(s, "abc");
    s += 'd';
    s += "ef";
    s += CQvcString("gh");
    EXPECT_EQ(s, "abcdefgh");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Right(3), "fgh");
    EXPECT_EQ(s.Right(30), "abcdefgh");
    EXPECT_EQ(s.Mid(6), "gh");
    EXPECT_EQ(s.Mid(60), "");
    EXPECT_EQ(s.Find("cd"), 2);
    EXPECT_EQ(s.Find("zz"), -1);
}

TEST(QvcString, FormatFamiliesAndTheirCeilings) {
    CQvcString s;
    EXPECT_EQ(s.Format("%s-%d-%ld", "a", 7, 9L), "a-7-9");
    // The plain format keeps its fixed buffer; the growing one does not.
    std::string big(5000, 'x');
    s.Format("%s", big.c_str());
    EXPECT_EQ(s.Length(), 2047u);
    s.FormatGrow("%s!", big.c_str());
    EXPECT_EQ(s.Length(), 5001u);
    EXPECT_EQ(s.Last(), '!');
    s.FormatSized(4, "%s", "abcdef");
    EXPECT_EQ(s, "abc");
}

TEST(QvcString, TrimmingAndAffixes) {
    CQvcString s(" \t\r\nword \r\n");
    EXPECT_EQ(s.Trim(), "word");
    EXPECT_EQ(CQvcString("xxabxx").TrimLeftChar('x'), "abxx");
    EXPECT_EQ(CQvcString("xxabxx").TrimRightChar('x'), "xxab");

    // Ensuring a trailing character on an empty text gives that character alone.
    EXPECT_EQ(CQvcString("").EnsureTrailing('\\'), "\\");
    EXPECT_EQ(CQvcString("a\\").EnsureTrailing('\\'), "a\\");
    EXPECT_EQ(CQvcString("a").EnsureTrailing('.'), "a.");

    EXPECT_EQ(CQvcString("prefix-rest").RemovePrefix("prefix-"), "rest");
    EXPECT_EQ(CQvcString("Prefix-rest").RemovePrefix("prefix-"), "Prefix-rest"); // case counts
    EXPECT_EQ(CQvcString("a\\\\\\").RemoveSuffix("\\"), "a");                     // repeatedly
    EXPECT_EQ(CQvcString("abab").RemoveSuffix("ab"), "");
    EXPECT_EQ(CQvcString("\\\\srv").Prepend("\\\\", true), "\\\\srv");
    EXPECT_EQ(CQvcString("srv").Prepend("\\\\", true), "\\\\srv");
    EXPECT_EQ(CQvcString("x").Prepend("x"), "xx");

    EXPECT_TRUE(CQvcString("Hello").StartsWith("he", false));
    EXPECT_FALSE(CQvcString("Hello").StartsWith("he", true));
    EXPECT_FALSE(CQvcString("He").StartsWith("Hello"));
    EXPECT_TRUE(CQvcString("Hello").Contains("LL", false));
    EXPECT_FALSE(CQvcString("Hello").Contains("LL", true));
    EXPECT_FALSE(CQvcString("Hello").Contains(""));
    EXPECT_FALSE(CQvcString("").Contains("a"));
}

TEST(QvcString, ReplaceIsLeftToRightWithoutOverlapsAndKeepsCase) {
    CQvcString path("/root/Configuration/Config.MDB");
    path.Replace(".mdb", ".incompatible.mdb", false);
    EXPECT_EQ(path, "/root/Configuration/Config.incompatible.mdb");

    EXPECT_EQ(CQvcString("aaaa").Replace("aa", "b"), "bb");
    EXPECT_EQ(CQvcString("aaa").Replace("aa", "b"), "ba");
    // The search continues after each inserted replacement: no endless growth.
    EXPECT_EQ(CQvcString("a").Replace("a", "aa"), "aa");
    EXPECT_EQ(CQvcString("AbcABC").Replace("abc", "x", false), "xx");
    EXPECT_EQ(CQvcString("AbcABC").Replace("abc", "x", true), "AbcABC");
    EXPECT_EQ(CQvcString("MiXed Case").Replace("x", "Z", false), "MiZed Case");
    EXPECT_EQ(CQvcString("unchanged").Replace("", "x"), "unchanged");

    EXPECT_EQ(CQvcString("a||b").BarsToLineBreaks(), "a\r\nb");
    EXPECT_EQ(CQvcString("a\r\nb\nc").LineBreaksToBars(), "a||b\nc");
    EXPECT_EQ(CQvcString("|||").BarsToLineBreaks(), "\r\n|");
}

TEST(QvcString, ReplaceWordMatchesWholeWordsOnly) {
    EXPECT_EQ(CQvcString("host hostname \"host\",host").ReplaceWord("host", "srv"), "srv hostname \"srv\",srv");
    EXPECT_EQ(CQvcString("Host host").ReplaceWord("HOST", "x", false), "x x");
    EXPECT_EQ(CQvcString("Host host").ReplaceWord("HOST", "x", true), "Host host");
    // A replacement equal to the word under the same comparison leaves the text alone.
    EXPECT_EQ(CQvcString("Host").ReplaceWord("host", "HOST", false), "Host");
    EXPECT_EQ(CQvcString("a\r\nb\tb").ReplaceWord("b", "c"), "a\r\nc\tc");
}

TEST(QvcString, FillPlaceholder) {
    CQvcString t("Dear <% Name %>, <%other%> <%NAME%>!");
    EXPECT_EQ(t.FillPlaceholder("name", "Ann"), "Dear Ann, <% other %> Ann!");
    CQvcString open("a <% name %> b <% name");
    EXPECT_EQ(open.FillPlaceholder("name", "X"), "a X b <% name");
    EXPECT_EQ(CQvcString("no placeholders").FillPlaceholder("x", "y"), "no placeholders");
}

TEST(QvcString, TruncateCaseDigitsAndSharePaths) {
    EXPECT_EQ(CQvcString("abcdefghij").TruncateWithSuffix(8, "..."), "abcde...");
    EXPECT_EQ(CQvcString("abcdefghij").TruncateWithSuffix(10, "..."), "abcdefghij");
    EXPECT_EQ(CQvcString("abc").TruncateWithSuffix(2, "..."), "..");
    EXPECT_EQ(CQvcString("aBc").MakeUpper(), "ABC");
    EXPECT_EQ(CQvcString("aBc").MakeLower(), "abc");
    EXPECT_TRUE(CQvcString("").IsDigits());
    EXPECT_TRUE(CQvcString("0123").IsDigits());
    EXPECT_FALSE(CQvcString("12a").IsDigits());
    EXPECT_FALSE(CQvcString("-1").IsDigits());

    EXPECT_EQ(CQvcString("C:\\Program Files\\x").DriveToSharePath("srv"), "\\\\srv\\C$\\Program Files\\x");
    EXPECT_EQ(CQvcString("d:").DriveToSharePath("\\\\srv"), "\\\\srv\\d$");
    EXPECT_EQ(CQvcString("\\\\other\\share").DriveToSharePath("srv"), "\\\\other\\share");
    EXPECT_EQ(CQvcString("1:\\x").DriveToSharePath("srv"), "1:\\x");
}

TEST(QvcString, GetTokenCountsFromZeroAndGivesDefaultForEmptyOrMissing) {
    CQvcString s("a||||c");
    std::string seen;
    for (int i = 0; i < 4; ++i) {
        CQvcString out("stale");
        seen += (s.GetToken("||", "D", out, i) ? "+" : "-") + out.Str() + "/";
    }
    EXPECT_EQ(seen, "+a/-D/+c/-D/");
    CQvcString out("stale");
    EXPECT_FALSE(s.GetToken("||", nullptr, out, 7));
    EXPECT_EQ(out, "");
}

TEST(QvcString, GetTokenRememberedPositionGivesSameResultsAsFreshScans) {
    CQvcString s("1,22,,4444,55555");
    // Walk in order (using the remembered position), then in scattered order (fresh
    // scans), and once more after the text changed under the cache.
    std::string forward, scattered;
    for (int i = 0; i < 7; ++i)
        forward += s.Token(",", i, "-").Str() + "/";
    for (int i : {6, 3, 0, 5, 1, 4, 2})
        scattered += std::to_string(i) + "=" + s.Token(",", i, "-").Str() + "/";
    EXPECT_EQ(forward, "1/22/-/4444/55555/-/-/");
    EXPECT_EQ(scattered, "6=-/3=4444/0=1/5=-/1=22/4=55555/2=-/");

    EXPECT_EQ(s.Token(",", 1), "22");
    s = "x,y";
    EXPECT_EQ(s.Token(",", 2, "gone"), "gone");
    s += ",z";
    EXPECT_EQ(s.Token(",", 2), "z");
    // A string moved away from forgets its walk.
    CQvcString taken = std::move(s);
    EXPECT_EQ(s.Token(",", 2, "none"), "none"); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(taken.Token(",", 2), "z");
    // A different separator must not reuse the remembered position of another.
    CQvcString mixed("a;b,c;d");
    EXPECT_EQ(mixed.Token(";", 1), "b,c");
    EXPECT_EQ(mixed.Token(",", 1), "c;d");
    EXPECT_EQ(mixed.Token(";", 2), "d");

    // A separator too long to be remembered still splits.
    CQvcString sep("a<sep>b<sep><sep>d");
    EXPECT_EQ(sep.Token("<sep>", 0) + sep.Token("<sep>", 1) + sep.Token("<sep>", 2, "-") +
                  sep.Token("<sep>", 3) + sep.Token("<se", 1),
              "ab-dp>b");

    // The out argument may be the string itself.
    CQvcString self("first||second");
    self.GetToken("||", "", self, 1);
    EXPECT_EQ(self, "second");
}

TEST(QvcString, TokenCountsLongsAndMembership) {
    // Counting stops at the first empty token.
    std::vector<int> counts;
    for (const char* text : {"1||2||||4", "", "||x", "x", "x||"})
        counts.push_back(CQvcString(text).CountTokens("||"));
    EXPECT_EQ(counts, (std::vector<int>{2, 0, 0, 1, 1}));

    // Text converts like atol; an empty or missing token gives the default.
    CQvcString n("12||abc||||-7");
    std::vector<long> longs;
    for (int i = 0; i < 5; ++i)
        longs.push_back(n.GetTokenLong("||", 99, i));
    EXPECT_EQ(longs, (std::vector<long>{12, 0, 99, -7, 99}));

    CQvcString list("Alpha,beta,,gamma");
    EXPECT_TRUE(list.HasToken(",", "alpha", false));
    EXPECT_FALSE(list.HasToken(",", "alpha", true));
    EXPECT_FALSE(list.HasToken(",", "gamma", true)); // hidden behind the empty token
}

TEST(QvcString, GetSettingRules) {
    CQvcString out;
    EXPECT_TRUE(CQvcString::GetSetting("Enabled:=1;;Port:=162", ";;", "port", "x", out));
    EXPECT_EQ(out, "162");
    CQvcString::GetSetting("Port := 162 ;;Enabled:=1", ";;", "port", "x", out);
    EXPECT_EQ(out, "162");
    // An empty item hides every item after it.
    EXPECT_FALSE(CQvcString::GetSetting("A:=1;;;;B:=2", ";;", "B", "dflt", out));
    EXPECT_EQ(out, "dflt");
    // The first ":=" splits; later ones and single semicolons belong to the value.
    CQvcString::GetSetting("Cmd:=a:=b;c;;X:=1", ";;", "cmd", "", out);
    EXPECT_EQ(out, "a:=b;c");
    // First match wins; a key that is only a prefix does not match.
    CQvcString::GetSetting("Portable:=1;;Port:=2;;Port:=3", ";;", "Port", "", out);
    EXPECT_EQ(out, "2");
    EXPECT_FALSE(CQvcString::GetSetting("", ";;", "a", "d", out));
    EXPECT_EQ(out, "d");
    EXPECT_EQ(CQvcString::Setting("Enabled:=0;;vdir:= web ", "VDIR"), "web");
    EXPECT_EQ(CQvcString::Setting("Enabled:=0", "missing", "def"), "def");
}

TEST(QvcRandom, MatchesTheOriginalRuntimeSequence) {
    // The first values the original platform's rand() gives after srand(1).
    CQvcRandom r(1);
    std::vector<int> values;
    for (int i = 0; i < 10; ++i)
        values.push_back(r.Next());
    EXPECT_EQ(values, (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}));
    QvcRandomLock lock;
    QvcSrand(1);
    EXPECT_EQ(std::vector<int>({QvcRand(), QvcRand()}), std::vector<int>({41, 18467}));
}

TEST(QvcString, ScrambleLayoutAndRoundTrip) {
    const CQvcString s = CQvcString::Scramble("abc");
    // 6 key digits, 4 pairs for three letters and the NUL, random pieces up to >= 28.
    ASSERT_GE(s.Length(), 28u);
    EXPECT_EQ(s.Str().find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(CQvcString::Unscramble(s.Str()), "abc");
    // The same seed every time: the same text scrambles to the same digits.
    EXPECT_EQ(CQvcString::Scramble("abc"), s);
    // The key bytes really shift the text: the pairs are not the plain bytes.
    EXPECT_NE(s.Mid(6, 6), "616263");

    EXPECT_EQ(CQvcString::Scramble(""), "");
    EXPECT_EQ(CQvcString::Unscramble(""), "");
    EXPECT_EQ(CQvcString::Unscramble("0102030"), ""); // shorter than 8

    // Long, binary-ish and punctuation-heavy secrets survive.
    std::string secret = "p@ss;;w0rd:=||\t\xff\x01";
    for (int i = 0; i < 40; ++i)
        secret += static_cast<char>('A' + i % 26);
    const CQvcString long1 = CQvcString::Scramble(secret);
    EXPECT_EQ(long1.Length(), 6 + 2 * (secret.size() + 1));
    EXPECT_EQ(CQvcString::Unscramble(long1.Str()), secret);
}

TEST(QvcString, NumberTextsAndValidators) {
    EXPECT_TRUE(QvcIsNumeric("") && QvcIsNumeric("-1,5.0") && QvcIsInteger("-12"));
    EXPECT_FALSE(QvcIsNumeric("1e5") || QvcIsInteger("1.5"));

    const auto separated = [](const char* text, char separator, int digits) {
        CQvcString n(text);
        const int code = QvcSetDecimalSeparator(n, separator, digits);
        return std::to_string(code) + ":" + n.Str();
    };
    EXPECT_EQ(separated("1.5", ',', 2), "0:1,5");
    EXPECT_EQ(separated("12", '.', 2), "0:12.00");
    EXPECT_EQ(separated("12", '.', 0), "0:12");
    EXPECT_EQ(separated("abc", '.', 2), "-1:abc");

    EXPECT_TRUE(QvcIsValidNetBiosName("SERVER-01") && QvcIsValidNetBiosName(std::string(64, 'a')));
    for (const std::string& bad : {std::string(65, 'a'), std::string(), std::string("a~b"), std::string("a%b"),
                                  std::string("a;b"), std::string("a,b"), std::string("a|b")})
        EXPECT_FALSE(QvcIsValidNetBiosName(bad)) << bad;

    EXPECT_TRUE(QvcIsValidPagerNumber("+1 555-0100,,*#@AbCdWw") && QvcIsValidPagerNumber(std::string(32, '9')));
    // Parentheses and letters outside the dialling ones are not allowed.
    for (const std::string& bad : {std::string("+1 (555)"), std::string(33, '9'), std::string("555e"), std::string()})
        EXPECT_FALSE(QvcIsValidPagerNumber(bad)) << bad;

    EXPECT_TRUE(QvcIsValidPlainName("Group 1"));
    for (const char* bad : {"", "a~", "a\\b", "a/b", "50%", "a;b", "a,b", "a|b", "<a", "a>", "me@x"})
        EXPECT_FALSE(QvcIsValidPlainName(bad)) << bad;

    EXPECT_TRUE(QvcIsValidObjectId(" 1.3.6.1.4.1 ") && QvcIsValidObjectId(".1.3.6") && QvcIsValidObjectId("7"));
    for (const char* bad : {"", "   ", "1..3", "1.3.", "1.a.3", "1,3"})
        EXPECT_FALSE(QvcIsValidObjectId(bad)) << bad;
}

TEST(QvcPath, JoinNativeFormAndContainment) {
    EXPECT_EQ(PathJoin("/root", "Sys"), "/root/Sys");
    EXPECT_EQ(PathJoin("/root/", "Sys"), "/root/Sys");
    EXPECT_EQ(PathJoin("/root", {"Sys", "Res", "result.dat"}), "/root/Sys/Res/result.dat");
    EXPECT_EQ(ToNativePath("<SNROOT>scripts\\monitor (vbs)\\"), "<SNROOT>scripts/monitor (vbs)/");
    EXPECT_EQ(ToNativePath("/a\\\\b//c"), "/a/b/c");

    EXPECT_TRUE(PathIsInside("/srv/root/Logs/x.txt", "/srv/root"));
    EXPECT_TRUE(PathIsInside("/srv/root", "/srv/root/"));
    EXPECT_FALSE(PathIsInside("/srv/root/../other/x.txt", "/srv/root"));
    EXPECT_FALSE(PathIsInside("/srv/rootless/x.txt", "/srv/root"));
    EXPECT_FALSE(PathIsInside("", "/srv/root"));
}

TEST(QvcPath, StoredEngineRootPathsBecomeNativePathsUnderTheRoot) {
    EXPECT_EQ(EngineRootPath("<SNROOT>scripts\\monitor (vbs)\\", "/srv/root"),
              "/srv/root/scripts/monitor (vbs)/");
    EXPECT_EQ(EngineRootPath("<snroot>Logs\\x.txt", "/srv/root/"), "/srv/root/Logs/x.txt");
    // A separator after the placeholder does not double the one the root ends with.
    EXPECT_EQ(EngineRootPath("<SNROOT>\\Logs", "/srv/root/"), "/srv/root/Logs");
    EXPECT_EQ(EngineRootPath("<SNROOT>", "/srv/root"), "/srv/root/");
    // Without a leading placeholder the text is converted alone, never joined to the root.
    EXPECT_EQ(EngineRootPath("/opt\\scripts\\a.vbs", "/srv/root"), "/opt/scripts/a.vbs");
    EXPECT_EQ(EngineRootPath("x<SNROOT>y", "/srv/root"), "x<SNROOT>y");
}
