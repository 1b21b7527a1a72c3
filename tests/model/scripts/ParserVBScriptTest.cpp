// The VBScript reader: declarations and end lines, the header sections, the host
// parameter, call splitting, FindFunction and CopyWithoutFunction, and files it refuses.
#include "model/scripts/ParserVBScript.h"

#include "ScriptTestFiles.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using script_test::Fields;
using script_test::ScriptDir;
using Slots = CParserScript::Slots;

// The names of the functions ReadNextFunction gives, in order, with "!" after one that
// the file ended in before its end line.
std::string FunctionNames(CParserVBScript& parser) {
    std::string names;
    for (;;) {
        const int result = parser.ReadNextFunction();
        if (result != 0) {
            if (!parser.Name().IsEmpty())
                names += parser.Name().Str() + "!";
            return names;
        }
        names += parser.Name().Str() + ";";
    }
}

class ParserVBScript : public ScriptDir {};

TEST(ParserVBScriptLines, DeclarationAndEndLines) {
    for (const char* yes : {"Function A()", "function check(a, b)", "FUNCTION\tA()", "  Function A()  \r\n",
                            "Function A(x) ' (fine)"}) {
        EXPECT_TRUE(CParserVBScript::IsFunctionLine(yes)) << yes;
    }
    for (const char* no : {"Function A() ' done", "Public Function A()", "Private Function A()",
                           "Function A(", "Functional()", "Function()", "Sub A()", "' Function A()", ""}) {
        EXPECT_FALSE(CParserVBScript::IsFunctionLine(no)) << no;
    }
    for (const char* yes : {"End Function", "end function", "  END FUNCTION  \r\n", "End Function ' done"})
        EXPECT_TRUE(CParserVBScript::IsEndFunctionLine(yes)) << yes;
    for (const char* no : {"End  Function", "End\tFunction", "EndFunction", "End Sub", "End Functions",
                           "' End Function", "End", ""}) {
        EXPECT_FALSE(CParserVBScript::IsEndFunctionLine(no)) << no;
    }
}

TEST(ParserVBScriptLines, SplittingDeclarationsAndCalls) {
    CQvcString name;
    Slots args; // the same slots every time: earlier values must not leak into later calls
    auto split = [&](const char* text, bool declaration = false) {
        CParserVBScript::SplitCall(text, declaration, name, args);
        return name.Str() + "(" + script_test::Joined(args) + ")";
    };
    EXPECT_EQ(split("Function CheckDisk( strHost ,ByVal numLimit,,x )", true), "CheckDisk(strHost|ByVal numLimit||x)");
    // Nine arguments: the ninth is dropped.
    EXPECT_EQ(split("F(1,2,3,4,5,6,7,8,9)"), "F(1|2|3|4|5|6|7|8)");
    EXPECT_EQ(split("G()"), "G()");
    // Everything from the last ")" on goes; the first "(" divides head and arguments.
    EXPECT_EQ(split("Outer(Inner(1), \"a,b\") trailing"), "Outer(Inner(1)|\"a|b\")");
    EXPECT_EQ(split("F(a) ' note (x) y"), "F(a) ' note (x)");
    EXPECT_EQ(split("NoParentheses at all"), "NoParentheses()");
    // The head is split at single blanks: two blanks leave the name field empty.
    EXPECT_EQ(split("Function  Spaced(a)", true), "(a)");
}

TEST(ParserVBScriptLines, HostParameterLine) {
    const std::vector<std::pair<const char*, int>> yes = {
        {"1) strHost - the computer", 1}, {"    2)strHost", 2}, {"\t3\tstrHost", 3}, {"12 ) strHost x", 12}};
    for (const auto& [line, expected] : yes) {
        int position = -1;
        EXPECT_TRUE(CParserScript::FindHostParameter(line, position)) << line;
        EXPECT_EQ(position, expected) << line;
    }
    for (const char* no : {"0) strHost", "-1) strHost", "1a) strHost", "1) strhost", "1) strHostName",
                           "1) $strHost", "strHost 1", "1)", "", "99999999999) strHost"}) {
        int position = -1;
        EXPECT_FALSE(CParserScript::FindHostParameter(no, position)) << no;
        EXPECT_EQ(position, -1) << no;
    }
}

TEST_F(ParserVBScript, ReadsEveryFunctionWithItsHeader) {
    const std::string path = Write("checks.vbs", "Option Explicit\n"
                                                 "' 1) strHost - before any function: not a header\n"
                                                 "Public Function HiddenPublic()\n"
                                                 "End Function\n"
                                                 "Private Function HiddenPrivate()\n"
                                                 "End Function\n"
                                                 "Function HiddenByComment() ' returns True\n"
                                                 "End Function\n"
                                                 "' ////////\n"
                                                 "function checkDisk(strHost, numLimit)\n"
                                                 "' Description: free space\n"
                                                 "'     of one disk\n"
                                                 "'\tkeeps its tab\n"
                                                 "\n"
                                                 "' Parameters:\n"
                                                 "'     0) strHost - zero is no position\n"
                                                 "'     1) strhost - letter case counts\n"
                                                 "'     2) strHost - the computer\n"
                                                 "'     1) strHost - later lines are ignored\n"
                                                 "' USAGE:\n"
                                                 "'     checkDisk( \"<host>\" , <limit> )   \n"
                                                 "'     left out: usage takes one line\n"
                                                 "' sample\n"
                                                 "'     checkDisk(\"server1\", 500)\n"
                                                 "    checkDisk = True\n"
                                                 "' Sample: after the code: not a header line\n"
                                                 "End Function\n"
                                                 "Function Bare()\n"
                                                 "End Function\n");
    CParserVBScript parser;
    ASSERT_EQ(parser.Open(path), 0);
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    EXPECT_EQ(Fields(parser), "checkDisk(strHost|numLimit) host 2\n"
                              "Description: free space\r\n    of one disk\r\n\tkeeps its tab\r\nParameters:\r\n"
                              "    0) strHost - zero is no position\r\n    1) strhost - letter case counts\r\n"
                              "    2) strHost - the computer\r\n    1) strHost - later lines are ignored\n"
                              "usage checkDisk( \"<host>\" , <limit> ) = checkDisk(\"<host>\"|<limit>)\n"
                              "sample checkDisk(\"server1\", 500) = checkDisk(\"server1\"|500)");

    // The next read starts from scratch.
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    EXPECT_EQ(Fields(parser), "Bare() host 0\n\nusage  = ()\nsample  = ()");
    EXPECT_EQ(parser.ReadNextFunction(), -1);
    EXPECT_TRUE(parser.Name().IsEmpty());
}

TEST_F(ParserVBScript, UsageWithTextAfterItsColonTakesOneMoreLine) {
    const std::string path = Write("u.vbs", "Function F(a, b)\n"
                                            "' Usage:F(1)\n"
                                            "'    F(2, 3)\n"
                                            "'    F(4)\n"
                                            "' Sample: F(5)\n"
                                            "End Function\n");
    CParserVBScript parser;
    ASSERT_EQ(parser.Open(path), 0);
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    // The split sees both usage lines as one call; the text after the colon is kept as it
    // stands, blank included.
    EXPECT_EQ(Fields(parser), "F(a|b) host 0\n\nusage F(1)\r\nF(2, 3) = F(1)\r\nF(2|3)\nsample  F(5) = (5)");
}

TEST_F(ParserVBScript, EndLinesDecideWhereAFunctionStops) {
    // "End  Function" does not end Outer, so the declaration after it is body text; the
    // end line with a comment does end it, so Next is found.
    const std::string path = Write("e.vbs", "Function Outer()\n"
                                            "End  Function\n"
                                            "Function Swallowed()\n"
                                            "End Function ' done\n"
                                            "Function Next()\n"
                                            "' Description: unfinished\n"
                                            "  x = 1\n");
    CParserVBScript parser;
    ASSERT_EQ(parser.Open(path), 0);
    EXPECT_EQ(FunctionNames(parser), "Outer;Next!");
    // What was gathered before the end of the file stays.
    EXPECT_EQ(parser.Description(), "Description: unfinished");
}

TEST_F(ParserVBScript, LinesLongerThanOneReadArriveInPieces) {
    // One read takes at most 4094 characters.  A comment line of exactly that length is
    // read whole; one character more leaves a piece without the comment mark, which ends
    // the header, so the sample below it is not read.
    const std::string fits = "'" + std::string(CParserScript::kReadLimit - 2, 'x');
    const std::string over = fits + "y";
    const std::string path = Write(
        "long.vbs", "Function Fits()\n' Description:\n" + fits + "\n' Sample: S(1)\nEnd Function\n" +
                        "Function Over()\n' Description:\n" + over + "\n' Sample: S(2)\nEnd Function\n" +
                        "Function TooLong(" + std::string(5000, 'p') + ")\nEnd Function\n");
    CParserVBScript parser;
    ASSERT_EQ(parser.Open(path), 0);
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    EXPECT_EQ(parser.Description().Str(), "Description:\r\n" + fits.substr(1));
    EXPECT_EQ(parser.SampleArgs()[0], "1");
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    EXPECT_EQ(parser.Name(), "Over");
    EXPECT_EQ(parser.Description().Str(), "Description:\r\n" + fits.substr(1));
    EXPECT_TRUE(parser.Sample().IsEmpty());
    // A declaration longer than one read is not seen as one.
    EXPECT_EQ(parser.ReadNextFunction(), -1);
    EXPECT_TRUE(parser.Name().IsEmpty());
}

TEST_F(ParserVBScript, FilesWithoutFunctions) {
    for (const char* content :
         {"", "\n\n", "Option Explicit\n' Description: x\nSub A()\nEnd Sub\n", "\r\n  \t\r\n"}) {
        CParserVBScript parser;
        ASSERT_EQ(parser.Open(Write("none.vbs", content)), 0);
        EXPECT_EQ(parser.ReadNextFunction(), -1) << content;
        EXPECT_EQ(Fields(parser), "() host 0\n\nusage  = ()\nsample  = ()");
        EXPECT_EQ(parser.FindFunction("A"), -1);
    }
}

TEST_F(ParserVBScript, FindFunctionAndCopyWithoutFunction) {
    // CR LF lines, percent signs, blanks that must survive, and a line far longer than
    // one read: it arrives in pieces and must come out whole.
    const std::string longLine = "    s = \"" + std::string(10000, 'x') + "%s%d%n%%\"\r\n";
    const std::string head = "Option Explicit\r\n' 100% sure: %s %d %n\r\n\r\n";
    const std::string first = "Function First()\r\n" + longLine + "End Function\r\n";
    const std::string separator = "' ////////////////////\r\n";
    const std::string doomed =
        "   Function Doomed(a)  \r\n' Description: %s\r\n" + longLine + "  End Function  \r\n";
    const std::string last = "\r\nFunction Last()\r\n    Last = 50%\r\nEnd Function";
    const std::string path = Write("c.vbs", head + first + separator + doomed + last);

    CParserVBScript parser;
    ASSERT_EQ(parser.Open(path), 0);
    ASSERT_EQ(parser.FindFunction("DOOMED"), 0);
    EXPECT_EQ(parser.Name(), "Doomed");
    EXPECT_EQ(parser.Description(), "Description: %s");
    EXPECT_EQ(parser.FindFunction("First"), -1); // reading goes on forward only

    parser.Rewind();
    EXPECT_EQ(parser.FindFunction("last"), 0);
    parser.Rewind();
    CQvcString text;
    ASSERT_EQ(parser.CopyWithoutFunction("doomed", text), 0);
    EXPECT_EQ(text.Str(), head + first + separator + last);
    // Copying starts where reading stands.
    parser.Rewind();
    ASSERT_EQ(parser.FindFunction("First"), 0);
    ASSERT_EQ(parser.CopyWithoutFunction("Last", text), 0);
    EXPECT_EQ(text.Str(), separator + doomed + "\r\n");

    parser.Close();
    EXPECT_EQ(parser.CopyWithoutFunction("Last", text), -1);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(parser.ReadNextFunction(), -1);
}

TEST_F(ParserVBScript, RefusesFilesItCannotReadAsScripts) {
    CParserVBScript parser;
    const auto refused = [&](const std::string& path, ScriptOpenError why, const char* words) {
        EXPECT_EQ(parser.Open(path), -1) << path;
        EXPECT_FALSE(parser.IsOpen());
        EXPECT_EQ(parser.OpenError(), why) << path;
        EXPECT_TRUE(parser.OpenErrorText().Contains(path)) << parser.OpenErrorText().Str();
        EXPECT_TRUE(parser.OpenErrorText().Contains(words)) << parser.OpenErrorText().Str();
        EXPECT_EQ(parser.ReadNextFunction(), -1);
    };
    refused(dir.File("missing.vbs"), ScriptOpenError::Missing, "does not exist");
    refused(dir.Path(), ScriptOpenError::Directory, "is a directory");
    // A FIFO without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(dir.File("fifo.vbs").c_str(), 0644), 0);
    refused(dir.File("fifo.vbs"), ScriptOpenError::NotRegular, "not a regular file");
    refused(Write("utf16.vbs", std::string("F\0u\0n\0", 6)), ScriptOpenError::Binary, "not a text file");

    // The size limit holds to the byte.
    const std::string limit = dir.File("limit.vbs");
    {
        std::ofstream out(limit, std::ios::binary);
        const std::string line = std::string(1023, 'x') + "\n";
        for (std::size_t i = 0; i < CParserScript::kMaxFileBytes / line.size(); ++i)
            out << line;
    }
    ASSERT_EQ(std::filesystem::file_size(limit), CParserScript::kMaxFileBytes);
    EXPECT_EQ(parser.Open(limit), 0);
    EXPECT_EQ(parser.ReadNextFunction(), -1);
    std::ofstream(limit, std::ios::binary | std::ios::app) << "x";
    refused(limit, ScriptOpenError::TooLarge, "larger than 16 MiB");

    // A file without read permission.
    const std::string locked = Write("locked.vbs", "Function A()\nEnd Function\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    AsUnprivileged([&] {
        CParserVBScript other;
        return (other.Open(locked) == -1 ? 0 : 1) |
               (other.OpenError() == ScriptOpenError::Unreadable ? 0 : 2) |
               (other.OpenErrorText().Contains("Permission denied") ? 0 : 4);
    });

    // A failed open leaves nothing of the file before it.
    ASSERT_EQ(parser.Open(Write("good.vbs", "Function Good()\nEnd Function\n")), 0);
    refused(dir.File("missing.vbs"), ScriptOpenError::Missing, "does not exist");
    EXPECT_TRUE(parser.Content().empty());
}

} // namespace
