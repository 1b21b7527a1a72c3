// The PowerShell reader: the leading comment block and the splitting of PowerShell calls.
#include "model/scripts/ParserPs1.h"

#include "ScriptTestFiles.h"

#include <string>
#include <vector>

namespace {

using Slots = CParserScript::Slots;
using script_test::Fields;

class ParserPs1 : public script_test::ScriptDir {};

TEST(ParserPs1Calls, QuotedBlanksAndTheEightWordLimit) {
    CQvcString name;
    Slots args; // the same slots every time: earlier values must not stay
    auto split = [&](const char* text) {
        CParserPs1::SplitCall(text, name, args);
        return name.Str() + "(" + script_test::Joined(args) + ")";
    };
    // Blanks inside single quotes stay, quotes included; double quotes protect nothing.
    EXPECT_EQ(split("check.ps1 'Print Spooler' \"two words\"  'a  b' 7"),
              "check.ps1('Print Spooler'|\"two|words\"|'a  b'|7)");
    // Nine words and more: the call name and the first seven arguments.
    EXPECT_EQ(split("run.ps1 a2 a3 a4 a5 a6 a7 a8 a9 a10"), "run.ps1(a2|a3|a4|a5|a6|a7|a8)");
    // An unclosed quote protects the rest of the line.
    EXPECT_EQ(split("x.ps1 'open  to the end"), "x.ps1('open  to the end)");
    EXPECT_EQ(split(""), "()");
    // A byte that a marker-based split would use is kept as it is.
    EXPECT_EQ(split("y.ps1 'a\x01' b"), "y.ps1('a\x01'|b)");
}

TEST_F(ParserPs1, ReadsTheLeadingCommentBlock) {
    const std::string path = Write("svc.ps1", "\xEF\xBB\xBF# service check\r\n"
                                              "\r\n"
                                              "# Description:\r\n"
                                              "#     Checks one service\r\n"
                                              "#Parameters:\r\n"
                                              "#     1) strService - the service\r\n"
                                              "#     2) strHost    - the computer\r\n"
                                              "# Usage:\r\n"
                                              "#     svc.ps1 '<service name>' <host> a3 a4 a5 a6 a7 a8 a9\r\n"
                                              "# Sample:\r\n"
                                              "#\tsvc.ps1   'Print Spooler'  server1\r\n"
                                              "param([string]$strService, [string]$strHost)\r\n"
                                              "# Sample: after the header: not read\r\n");
    CParserPs1 parser;
    ASSERT_EQ(parser.Open(path), 0);
    ASSERT_EQ(parser.ReadHeader(), 0);
    const std::string header = "() host 2\nDescription:\r\n    Checks one service\r\nParameters:\r\n"
                               "    1) strService - the service\r\n    2) strHost    - the computer\n"
                               "usage svc.ps1 '<service name>' <host> a3 a4 a5 a6 a7 a8 a9 = "
                               "svc.ps1('<service name>'|<host>|a3|a4|a5|a6|a7)\n"
                               "sample svc.ps1   'Print Spooler'  server1 = svc.ps1('Print Spooler'|server1)";
    EXPECT_EQ(Fields(parser), header);

    // Every read starts again at the top, from empty fields.
    ASSERT_EQ(parser.ReadHeader(), 0);
    EXPECT_EQ(Fields(parser), header);
    ASSERT_EQ(parser.Open(Write("plain.ps1", "<# block comments end the header #>\n# Usage: x.ps1 1\n")), 0);
    ASSERT_EQ(parser.ReadHeader(), 0);
    EXPECT_EQ(Fields(parser), "() host 0\n\nusage  = ()\nsample  = ()");

    parser.Close();
    EXPECT_EQ(parser.ReadHeader(), -1);
}

} // namespace
