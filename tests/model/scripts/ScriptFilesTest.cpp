// The file operations behind the script dialogs: the templates of new files and new
// functions read back by the readers, deleting functions without touching anything else,
// deleting files, and the messages the dialogs show.
#include "model/scripts/ScriptFiles.h"

#include "model/scripts/ParserPs1.h"
#include "model/scripts/ParserVBScript.h"

#include "ScriptTestFiles.h"

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class ScriptFiles : public script_test::ScriptDir {
protected:
    // A VBScript file with one function `name` added to the template, as the dialogs
    // make it.
    std::string NewFileWithFunction(const std::string& file, const std::string& name) {
        const ScriptFileResult made = NewVbScriptFile(dir.Path(), file);
        EXPECT_TRUE(made.Ok()) << made.message.Str();
        const ScriptFileResult added = NewVbScriptFunction(made.path, name);
        EXPECT_TRUE(added.Ok()) << added.message.Str();
        return made.path.Str();
    }
};

TEST_F(ScriptFiles, NewVbScriptFileHoldsTheHeaderAndNoFunction) {
    const ScriptFileResult made = NewVbScriptFile(dir.Path(), "  Checks ");
    ASSERT_TRUE(made.Ok()) << made.message.Str() << made.detail.Str();
    EXPECT_EQ(made.path, dir.File("Checks.vbs"));
    // The header is comment lines only; the declarations the engine relies on follow it.
    const std::vector<std::string> lines = LinesOf(Read("Checks.vbs"));
    ASSERT_EQ(lines.size(), 15u);
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(lines[i].rfind("' ", 0), 0u) << lines[i];
    EXPECT_EQ(lines[1], "' /  Quorvane Sentrelle  - VBScript based checks");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()),
              (std::vector<std::string>{
                  "Option Explicit", "Const  retvalUnknown = 1",
                  "Dim    SYSDATA, SYSEXPLANATION  ' Used by Sentrelle, don't change the names", "", ""}));

    CParserVBScript parser;
    ASSERT_EQ(parser.Open(made.path), 0);
    EXPECT_EQ(parser.ReadNextFunction(), -1);
    EXPECT_EQ(script_test::Fields(parser), "() host 0\n\nusage  = ()\nsample  = ()");
}

TEST_F(ScriptFiles, NewFileNamesAndRefusals) {
    EXPECT_TRUE(NewVbScriptFile(dir.Path(), "Upper.VBS").Ok());
    EXPECT_TRUE(NewPowerShellFile(dir.Path(), "a.vbs").Ok()); // becomes a.vbs.ps1
    std::filesystem::create_directory(dir.File("taken.ps1"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Upper.VBS", "a.vbs.ps1", "taken.ps1"}));

    for (const char* bad : {"", "   ", ".vbs", " .VBS ", "sub/x", "..\\x", "new\nline", "tab\tname"}) {
        const ScriptFileResult result = NewVbScriptFile(dir.Path(), bad);
        EXPECT_EQ(result.code, -1) << bad;
        EXPECT_EQ(result.message, "A valid filename is required.") << bad;
    }
    const std::string before = Read("Upper.VBS");
    std::filesystem::create_symlink("nowhere", dir.File("dangling.vbs"));
    for (const char* taken : {"Upper.VBS", " Upper.VBS ", "dangling"})
        EXPECT_EQ(NewVbScriptFile(dir.Path(), taken).message, "File already exists.") << taken;
    // Letter case is the file system's business: on Linux "upper.VBS" is another name.
    EXPECT_TRUE(NewVbScriptFile(dir.Path(), "upper.VBS").Ok());
    EXPECT_EQ(NewPowerShellFile(dir.Path(), "taken").message, "File already exists.");
    EXPECT_EQ(Read("Upper.VBS"), before);

    const ScriptFileResult noDirectory = NewPowerShellFile(dir.File("missing"), "x");
    EXPECT_EQ(noDirectory.message, "Unable to create file.");
    EXPECT_NE(noDirectory.detail.Find("No such file or directory"), -1) << noDirectory.detail.Str();
    // Nothing but the files made above: no temporary file stays behind.
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"Upper.VBS", "a.vbs.ps1", "dangling.vbs", "taken.ps1", "upper.VBS"}));
}

TEST_F(ScriptFiles, NewPowerShellFileReadsBackThroughTheReader) {
    const ScriptFileResult made = NewPowerShellFile(dir.Path(), "Disk%Check.PS1");
    ASSERT_TRUE(made.Ok()) << made.message.Str();
    // The script checks its parameters and answers in the result form the engine reads.
    const std::string content = Read("Disk%Check.PS1");
    EXPECT_EQ(content.rfind(std::string(81, '#') + "\n# Disk%Check.PS1\n# Description:\n", 0), 0u) << content;
    EXPECT_NE(content.find("param\n(\n[string]$strParam1,\n[int]$numParam2\n)\n"), std::string::npos);
    EXPECT_NE(content.find("  echo 'UNCERTAIN: Invalid number of parameters - Usage: .\\Disk%Check.PS1 "
                           "\"<param1>\" <param2>'\n  exit\n"),
              std::string::npos);
    EXPECT_NE(content.find("$str = 'SUCCESS: Script completed"), std::string::npos);

    CParserPs1 parser;
    ASSERT_EQ(parser.Open(made.path), 0);
    ASSERT_EQ(parser.ReadHeader(), 0);
    EXPECT_EQ(parser.Description(), "Description:\r\n    disk%check\r\nParameters:\r\n"
                                    "    1) strParam1  - First parameter (string)\r\n"
                                    "    2) numParam2  - Second parameter (number)");
    EXPECT_EQ(parser.Sample(), "Disk%Check.PS1 \"One\" 2");
}

TEST_F(ScriptFiles, NewFunctionsAreAppendedAndReadBack) {
    const std::string path = NewFileWithFunction("f.vbs", " checkDisk ");
    const ScriptFileResult second = NewVbScriptFunction(path, "Other_2");
    ASSERT_TRUE(second.Ok());
    EXPECT_EQ(second.name, "Other_2");

    // The new function sets the result and the two values the engine reads back.
    const std::string content = Read("f.vbs");
    EXPECT_NE(content.find("\n' " + std::string(78, '/') + "\nFunction CheckDisk()\n"), std::string::npos)
        << content;
    EXPECT_NE(content.find("    CheckDisk = True ' True, False or retvalUnknown\n    SYSDATA        = \"0\"\n"
                           "    SYSEXPLANATION = \"My custom function completed successfully\"\n"),
              std::string::npos);

    CParserVBScript parser;
    ASSERT_EQ(parser.Open(path), 0);
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    EXPECT_EQ(script_test::Fields(parser), "CheckDisk() host 0\nDescription:\r\n    No description\r\nParameters:\r\n"
                                           "    No parameters\nusage CheckDisk() = CheckDisk()\n"
                                           "sample CheckDisk() = CheckDisk()");
    ASSERT_EQ(parser.ReadNextFunction(), 0);
    EXPECT_EQ(parser.Name(), "Other_2");
    EXPECT_EQ(parser.ReadNextFunction(), -1);

    const ScriptFileResult again = NewVbScriptFunction(path, "checkdisk");
    EXPECT_EQ(again.message, "Function 'Checkdisk' is already defined in file 'f.vbs'.");
    for (const char* bad : {"", "  ", "1st", "two words", "Bad()", "50%", "_x", "new\nline"})
        EXPECT_EQ(NewVbScriptFunction(path, bad).message, "Invalid Function Name.") << bad;
    EXPECT_TRUE(NewVbScriptFunction(path, std::string(255, 'A')).Ok());
    EXPECT_EQ(NewVbScriptFunction(path, std::string(256, 'A')).message, "Invalid Function Name.");
}

TEST_F(ScriptFiles, NewFunctionKeepsTheFileAndItsLineEndings) {
    const std::string original = "' 100% CRLF %s\r\nFunction A()\r\nEnd Function";
    const std::string path = Write("crlf.vbs", original);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(NewVbScriptFunction(path, "B").Ok());
    const std::string content = Read("crlf.vbs");
    ASSERT_EQ(content.rfind(original, 0), 0u);
    // Every line ending added is CR LF, and the file's own last line ends with the first.
    const std::string added = content.substr(original.size());
    EXPECT_EQ(added.substr(0, 2), "\r\n");
    std::size_t feeds = 0;
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (added[i] == '\n') {
            ++feeds;
            EXPECT_EQ(added[i - 1], '\r') << i;
        }
    }
    EXPECT_EQ(feeds, 22u);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ScriptFiles, DeleteFunctionLeavesEverythingElseAsItWas) {
    const std::string path = NewFileWithFunction("d.vbs", "Keep");
    std::string content = Read("d.vbs");
    const std::string percent = "\nFunction Doomed(strHost)\n' Description: 100%% of %s, %d and %n\n"
                                "    Doomed = \"%s%%\" & \"" +
                                std::string(9000, '%') + "\"\nEnd Function ' bye\n";
    const std::string tail = "' after: 50% %s\n\nFunction Tail()\n  Tail = \"%d\"\nEnd Function\n";
    testsupport::WriteFile(path, content + percent + tail);
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);

    const ScriptFileResult deleted = DeleteVbScriptFunction(path, "DOOMED");
    ASSERT_TRUE(deleted.Ok()) << deleted.message.Str() << deleted.detail.Str();
    // The empty line above the declaration stays; the function goes with its end line.
    EXPECT_EQ(Read("d.vbs"), content + "\n" + tail);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    const ScriptFileResult missing = DeleteVbScriptFunction(path, "Doomed");
    EXPECT_EQ(missing.message, "Function 'Doomed' not defined in file 'd.vbs'.");
    EXPECT_EQ(DeleteVbScriptFunction(dir.File("none.vbs"), "Keep").message,
              "Unable to open file '" + dir.File("none.vbs") + "'.");

    // A file that holds nothing but the function is not emptied.
    const std::string only = "Function Only()\nEnd Function\n";
    const std::string onlyPath = Write("only.vbs", only);
    EXPECT_EQ(DeleteVbScriptFunction(onlyPath, "only").message, "Read file failed.");
    EXPECT_EQ(Read("only.vbs"), only);
    EXPECT_EQ(Names(), (std::vector<std::string>{"d.vbs", "only.vbs"}));
}

TEST_F(ScriptFiles, BadFilesGiveTheOpenMessageWithTheReason) {
    const std::string binary = Write("bin.vbs", std::string("Function A()\n\0\nEnd Function\n", 27));
    ::mkfifo(dir.File("pipe.vbs").c_str(), 0644);
    std::filesystem::create_directory(dir.File("folder.vbs"));
    const std::vector<std::pair<std::string, const char*>> cases = {
        {binary, "not a text file"},
        {dir.File("pipe.vbs"), "not a regular file"},
        {dir.File("folder.vbs"), "is a directory"}};
    for (const auto& [path, reason] : cases) {
        for (const ScriptFileResult& result :
             {NewVbScriptFunction(path, "B"), DeleteVbScriptFunction(path, "A")}) {
            EXPECT_EQ(result.message, "Unable to open file '" + path + "'.");
            EXPECT_NE(result.detail.Find(reason), -1) << result.detail.Str();
        }
    }
    EXPECT_EQ(Read("bin.vbs"), std::string("Function A()\n\0\nEnd Function\n", 27));
}

TEST_F(ScriptFiles, ChangesThatTheFileSystemRefuses) {
    const std::string path = Write("ro.vbs", "Function A()\nEnd Function\nFunction B()\nEnd Function\n");
    const std::string before = Read("ro.vbs");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    // Readable but in a directory that takes no new files: neither a change nor a delete.
    AsUnprivileged([&] {
        const ScriptFileResult write = DeleteVbScriptFunction(path, "A");
        const ScriptFileResult append = NewVbScriptFunction(path, "C");
        const ScriptFileResult remove = DeleteScriptFile(path);
        const ScriptFileResult create = NewVbScriptFile(dir.Path(), "new");
        return (write.message == "Write file failed." ? 0 : 1) |
               (write.detail.Contains("Permission denied") ? 0 : 2) |
               (append.message == CQvcString("Unable to open file '" + path + "'.") ? 0 : 4) |
               (remove.message == "Unable to delete 'ro.vbs'." ? 0 : 8) |
               (create.message == "Unable to create file." ? 0 : 16);
    });
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    EXPECT_EQ(Read("ro.vbs"), before);
    EXPECT_EQ(Names(), std::vector<std::string>{"ro.vbs"});
}

TEST_F(ScriptFiles, DeleteScriptFileAsksThenDeletes) {
    const std::string path = Write("old.ps1", "# old\n");
    const ScriptFileResult asked = DeleteScriptFileQuestion(path);
    ASSERT_TRUE(asked.Ok());
    EXPECT_EQ(asked.question, "Are you sure you want to delete 'old.ps1' ?");
    EXPECT_TRUE(DeleteScriptFile(path).Ok());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(DeleteScriptFileQuestion(path).message, "File does not exist.");
    EXPECT_EQ(DeleteScriptFile(path).message, "File does not exist.");
    std::filesystem::create_directory(dir.File("folder.ps1"));
    EXPECT_EQ(DeleteScriptFile(dir.File("folder.ps1")).message, "File does not exist.");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ps1")));
}

TEST(ScriptFilePaths, StoredDirectoriesUnderTheEngineRoot) {
    EXPECT_EQ(ScriptDirectory(ScriptKind::VBScript, "/srv/sentrelle"),
              "/srv/sentrelle/scripts/monitor (vbs)/");
    EXPECT_EQ(ScriptDirectory(ScriptKind::PowerShell, "/srv/sentrelle/"),
              "/srv/sentrelle/scripts/monitor (ps1)/");
    for (const char* path : {"<SNROOT>scripts\\monitor (vbs)\\a b.vbs", "/x/y/a b.vbs", "a b.vbs"})
        EXPECT_EQ(ScriptFileName(path), "a b.vbs") << path;
}

} // namespace
