// The checks on OK of the VBScript and PowerShell dialogs, one table each: a row is the
// fields as collected and the first refusal expected, walking the checks in their order.
// File lookups are answered by a fixed set, so a rule that asks the wrong question (or
// asks too early) fails here.
#include "model/checks/CheckSettings.h"
#include "model/checks/TypeDialogRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace {

const std::string kVbs = "<SNROOT>scripts\\monitor (vbs)\\";
const std::string kPs1 = "<SNROOT>scripts\\monitor (ps1)\\";
const char* kOutside =
    "The Script file must be located in the directory of %s or in one of its subdirectories.";
const char* kTimeout = "Bad value for the script time-out. Valid range is from 1 to 86400 seconds.";

std::string Outside(const std::string& directory) {
    const std::string_view text = kOutside;
    const std::size_t at = text.find("%s");
    std::string out(text.substr(0, at));
    (out += directory) += text.substr(at + 2);
    return out;
}

} // namespace

TEST(ScriptDialogRules, VbScript) {
    // The files that exist, each with the one function "Check" (any letter case).
    const std::set<std::string> files = {kVbs + "a.vbs", kVbs + "Sub\\b.vbs", "<SNROOT>scripts\\c.vbs",
                                         kVbs + "..\\d.vbs"};
    const auto defined = [&files](const std::string& file, const std::string& function) {
        return files.count(file) == 1 && CQvcString(function).EqualsNoCase("check");
    };
    struct Row {
        std::string file, function;
        int timeout;
        int field;
        std::string text;
    };
    const Row rows[] = {
        {kVbs + "a.vbs", "Check", 1, -1, ""},
        {"sub/../x", "", 0, kVbsFunction, "VBScript Function is required."},
        {kVbs + "Sub\\b.vbs", "CHECK", 86400, -1, ""},
        {"  ", "Check", 900, kVbsFile, "VBScript file is required."},
        {kVbs, "Check", 900, kVbsFile, "VBScript file is required."},
        {kVbs + "a.vbs", " ", 900, kVbsFunction, "VBScript Function is required."},
        {kVbs + "a.vbs", "Other", 0, kVbsFunction, "Function 'Other' not defined in file 'a.vbs'."},
        {kVbs + "missing.vbs", "Check", 900, kVbsFunction, "Function 'Check' not defined in file 'missing.vbs'."},
        {"<SNROOT>scripts\\c.vbs", "Other", 900, kVbsFunction, "Function 'Other' not defined in file 'c.vbs'."},
        {"<SNROOT>scripts\\c.vbs", "Check", 900, kVbsFile, Outside(kVbs)},
        {kVbs + "..\\d.vbs", "Check", 900, kVbsFile, Outside(kVbs)},
        {kVbs + "a.vbs", "Check", 0, kVbsTimeout, kTimeout},
        {kVbs + "a.vbs", "Check", 86401, kVbsTimeout, kTimeout},
    };
    for (const Row& row : rows) {
        ScriptCheckSettings s;
        s.File = row.file;
        s.Function = row.function;
        s.TimeoutSecs = row.timeout;
        const DialogRefusal r = CheckVbScriptFields(s, defined);
        EXPECT_EQ((std::pair{r.Field, r.Text.Str()}), (std::pair{row.field, row.text})) << row.file;
    }
}

TEST(ScriptDialogRules, PowerShell) {
    const std::set<std::string> files = {kPs1 + "a.ps1", kPs1 + "Sub/b.PS1", kVbs + "c.ps1"};
    const auto exists = [&files](const std::string& file) { return files.count(file) == 1; };
    struct Row {
        std::string file;
        int timeout;
        int field;
        std::string text;
    };
    const Row rows[] = {
        {kPs1 + "a.ps1", 1, -1, ""},
        {kPs1 + "Sub/b.PS1", 86400, -1, ""},
        {"", 0, kPs1File, "PowerShell file is required."},
        {kPs1, 60, kPs1File, "PowerShell file is required."},
        {kPs1 + "none.ps1", 0, kPs1File, "File '" + kPs1 + "none.ps1' does not exist."},
        {"<SNROOT>x.ps1", 60, kPs1File, "File '<SNROOT>x.ps1' does not exist."},
        {kVbs + "c.ps1", 60, kPs1File, Outside(kPs1)},
        {kPs1 + "a.ps1", 0, kPs1Timeout, kTimeout},
        {kPs1 + "a.ps1", 86401, kPs1Timeout, kTimeout},
    };
    for (const Row& row : rows) {
        PowerShellSettings s;
        s.File = row.file;
        s.TimeoutSecs = row.timeout;
        const DialogRefusal r = CheckPowerShellFields(s, exists);
        EXPECT_EQ((std::pair{r.Field, r.Text.Str()}), (std::pair{row.field, row.text})) << row.file;
    }
}
