#include "model/scripts/ScriptFiles.h"

#include "library/Messages.h"
#include "library/QvcPath.h"
#include "model/scripts/ParserVBScript.h"
#include "platform/System.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>

namespace {

// The dialogs' own texts.
constexpr const char* kValidFilenameRequired = "A valid filename is required.";
constexpr const char* kFileAlreadyExists = "File already exists.";
constexpr const char* kUnableToCreateFile = "Unable to create file.";
constexpr const char* kInvalidFunctionName = "Invalid Function Name.";
constexpr const char* kFunctionAlreadyDefined = "Function '%s' is already defined in file '%s'.";
constexpr const char* kReadFileFailed = "Read file failed.";
constexpr const char* kWriteFileFailed = "Write file failed.";
constexpr const char* kFileDoesNotExist = "File does not exist.";
constexpr const char* kConfirmDelete = "Are you sure you want to delete '%s' ?";
constexpr const char* kUnableToDelete = "Unable to delete '%s'.";
// Numbered texts that the script dialogs share with others.
constexpr unsigned kMsgUnableToOpenFile = 61559;   // "Unable to open file '%s'."
constexpr unsigned kMsgFunctionNotDefined = 51684; // "Function '%s' not defined in file '%s'."

constexpr std::size_t kMaxFunctionName = 255; // the longest name VBScript accepts

ScriptFileResult Failure(CQvcString message, CQvcString detail = CQvcString()) {
    ScriptFileResult result;
    result.code = -1;
    result.message = std::move(message);
    result.detail = std::move(detail);
    return result;
}

// A message with its "%s" filled in: the values are data, the format is ours.
CQvcString Fill(const char* format, const CQvcString& first) {
    return CQvcString().FormatGrow(format, first.c_str());
}

CQvcString Fill(const char* format, const CQvcString& first, const CQvcString& second) {
    return CQvcString().FormatGrow(format, first.c_str(), second.c_str());
}

// "'<path>': <reason of errno>." for the detail of a failed write or delete.
CQvcString SystemReason(const CQvcString& path, int error) {
    return "'" + path + "': " + std::error_code(error, std::generic_category()).message() + ".";
}

// The line ending the file already uses: CR LF when its first line ends so, else LF.
std::string_view LineEndingOf(const std::string& content) {
    const std::size_t feed = content.find('\n');
    return feed != std::string::npos && feed > 0 && content[feed - 1] == '\r' ? "\r\n" : "\n";
}

CQvcString Lines(std::initializer_list<std::string_view> lines, std::string_view lineEnd = "\n") {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += lineEnd;
    }
    return CQvcString(std::move(text));
}

bool IsVbScriptName(const CQvcString& name) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.IsEmpty() || name.Length() > kMaxFunctionName || !letter(name[0]))
        return false;
    for (char c : name.Str()) {
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return true;
}

bool IsValidFileName(const CQvcString& name) {
    if (name.IsEmpty())
        return false;
    for (char c : name.Str()) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// Opens `file` for a change; on failure the open-file message with the reader's reason.
bool OpenForChange(CParserVBScript& parser, const CQvcString& file, ScriptFileResult& failure) {
    if (parser.Open(file) == 0)
        return true;
    failure = Failure(Fill(MessageText(kMsgUnableToOpenFile), file), parser.OpenErrorText());
    return false;
}

} // namespace

CQvcString ScriptDirectory(ScriptKind kind, const CQvcString& engineRoot) {
    return EngineRootPath(kind == ScriptKind::VBScript ? kVbScriptDirectory : kPowerShellDirectory,
                          engineRoot);
}

CQvcString ScriptFileName(const CQvcString& path) {
    const std::size_t slash = path.Str().find_last_of("\\/");
    return slash == std::string::npos ? path : path.Mid(slash + 1);
}

CQvcString VbScriptFileTemplate() {
    const std::string separator = "' " + std::string(81, '/');
    return Lines({
        separator,
        "' /  Quorvane Sentrelle  - VBScript based checks",
        "' /  ",
        "' /  Before you write a check function, read the guidelines for VBScript based",
        "' /  checks (return values, SYSDATA and SYSEXPLANATION, time-outs) on line at:",
        "' /  https://www.quorvane.com/sentrelle/scripting/vbscript-guidelines",
        "' / ",
        separator,
        separator,
        "",
        "Option Explicit",
        "Const  retvalUnknown = 1",
        "Dim    SYSDATA, SYSEXPLANATION  ' Used by Sentrelle, don't change the names",
        "",
        "",
    });
}

CQvcString VbScriptFunctionTemplate(const CQvcString& name, std::string_view lineEnd) {
    const std::string call = name.Str() + "()";
    const std::string usage = "'     " + call;
    return Lines(
        {
            "",
            "' " + std::string(78, '/'),
            "Function " + call,
            "",
            "' Description:",
            "'     No description",
            "' Parameters:",
            "'     No parameters",
            "' Usage:",
            usage,
            "' Sample:",
            usage,
            "",
            "' On Error Resume Next",
            "",
            "    " + name.Str() + " = True ' True, False or retvalUnknown",
            "    SYSDATA        = \"0\"",
            "    SYSEXPLANATION = \"My custom function completed successfully\"",
            "",
            "' TODO: Add your code here",
            "",
            "End Function",
        },
        lineEnd);
}

CQvcString PowerShellFileTemplate(const CQvcString& fileName) {
    const std::string rule(81, '#');
    const std::string& file = fileName.Str();
    CQvcString title = fileName;
    title.MakeLower();
    if (title.EndsWith(".ps1"))
        title = title.Left(title.Length() - 4);
    return Lines({
        rule,
        "# " + file,
        "# Description:",
        "#     " + title.Str(),
        "# Parameters:",
        "#     1) strParam1  - First parameter (string)",
        "#     2) numParam2  - Second parameter (number)",
        "# Usage:",
        "#     " + file + " \"<param1>\" <param2>",
        "# Sample:",
        "#     " + file + " \"One\" 2",
        rule,
        "",
        "param",
        "(",
        "[string]$strParam1,",
        "[int]$numParam2",
        ")",
        "",
        "cls",
        "",
        "if( ([string]$strParam1 -eq \"\") -or ($numParam2 -eq \"\") )",
        "{",
        "  echo 'UNCERTAIN: Invalid number of parameters - Usage: .\\" + file + " \"<param1>\" <param2>'",
        "  exit",
        "}",
        "",
        "$str = 'SUCCESS: Script completed successfully with param1=[' + $strParam1 + '], param2=[' + "
        "$numParam2 + '] DATA:' + $numParam2",
        "echo $str",
    });
}

ScriptFileResult NewScriptFile(ScriptKind kind, const CQvcString& directory, const CQvcString& name) {
    const std::string_view extension = kind == ScriptKind::VBScript ? ".vbs" : ".ps1";
    CQvcString fileName = name;
    fileName.Trim();
    if (!fileName.EndsWith(extension, false))
        fileName += std::string(extension);
    // A bare extension names no file; a separator would leave the script directory.
    if (fileName.Length() == extension.size() || !IsValidFileName(fileName))
        return Failure(kValidFilenameRequired);

    const CQvcString path = PathJoin(directory, fileName.Str());
    const CQvcString content =
        kind == ScriptKind::VBScript ? VbScriptFileTemplate() : PowerShellFileTemplate(fileName);
    // Written under a temporary name and linked into place, which refuses a name taken
    // by anything (a file, a directory, a link), even one that appeared just now.
    const int error = platform::WriteFileAtomically(path.Str(), content.Str(), false);
    ScriptFileResult result;
    if (error == EEXIST)
        result = Failure(kFileAlreadyExists);
    else if (error != 0)
        result = Failure(kUnableToCreateFile, SystemReason(path, error));
    result.path = path;
    return result;
}

ScriptFileResult NewVbScriptFile(const CQvcString& directory, const CQvcString& name) {
    return NewScriptFile(ScriptKind::VBScript, directory, name);
}

ScriptFileResult NewPowerShellFile(const CQvcString& directory, const CQvcString& name) {
    return NewScriptFile(ScriptKind::PowerShell, directory, name);
}

ScriptFileResult NewVbScriptFunction(const CQvcString& file, const CQvcString& name) {
    CQvcString functionName = name;
    functionName.Trim();
    if (!functionName.IsEmpty() && functionName[0] >= 'a' && functionName[0] <= 'z')
        functionName = CQvcString(static_cast<char>(functionName[0] - 'a' + 'A')) + functionName.Mid(1);
    if (!IsVbScriptName(functionName))
        return Failure(kInvalidFunctionName);

    ScriptFileResult result;
    CParserVBScript parser;
    if (!OpenForChange(parser, file, result))
        return result;
    if (parser.FindFunction(functionName) == 0)
        return Failure(Fill(kFunctionAlreadyDefined, functionName, ScriptFileName(file)));

    // The whole file again with the function at its end, in the file's own line endings.
    std::string content = parser.Content();
    content += VbScriptFunctionTemplate(functionName, LineEndingOf(content)).Str();
    parser.Close();
    if (const int error = platform::WriteFileAtomically(file.Str(), content, true); error != 0)
        return Failure(Fill(MessageText(kMsgUnableToOpenFile), file), SystemReason(file, error));
    result.path = file;
    result.name = functionName;
    return result;
}

ScriptFileResult DeleteVbScriptFunction(const CQvcString& file, const CQvcString& name) {
    ScriptFileResult result;
    CParserVBScript parser;
    if (!OpenForChange(parser, file, result))
        return result;
    if (parser.FindFunction(name) != 0)
        return Failure(Fill(MessageText(kMsgFunctionNotDefined), name, ScriptFileName(file)));

    parser.Rewind();
    CQvcString content;
    parser.CopyWithoutFunction(name, content);
    parser.Close();
    if (content.IsEmpty())
        return Failure(kReadFileFailed);
    if (const int error = platform::WriteFileAtomically(file.Str(), content.Str(), true); error != 0)
        return Failure(kWriteFileFailed, SystemReason(file, error));
    result.path = file;
    return result;
}

ScriptFileResult DeleteScriptFileQuestion(const CQvcString& file) {
    if (!platform::FileExists(file.Str()))
        return Failure(kFileDoesNotExist);
    ScriptFileResult result;
    result.path = file;
    result.question = Fill(kConfirmDelete, ScriptFileName(file));
    return result;
}

ScriptFileResult DeleteScriptFile(const CQvcString& file) {
    if (!platform::FileExists(file.Str()))
        return Failure(kFileDoesNotExist);
    if (!platform::DeleteFile(file.Str())) {
        const int error = errno;
        return Failure(Fill(kUnableToDelete, ScriptFileName(file)), SystemReason(file, error));
    }
    ScriptFileResult result;
    result.path = file;
    return result;
}

CQvcString StoredScriptPath(ScriptKind kind, const CQvcString& path, const CQvcString& engineRoot) {
    CQvcString directory = CanonicalPath(ScriptDirectory(kind, engineRoot));
    const CQvcString file = CanonicalPath(path);
    if (directory.IsEmpty() || file.IsEmpty())
        return CQvcString();
    directory.EnsureTrailing(platform::kPathSeparator);
    if (file.Length() <= directory.Length() || file.Left(directory.Length()) != directory)
        return CQvcString();
    std::string below = file.Mid(directory.Length()).Str();
    std::replace(below.begin(), below.end(), platform::kPathSeparator, '\\');
    return CQvcString(kind == ScriptKind::VBScript ? kVbScriptDirectory : kPowerShellDirectory) + below;
}

std::vector<CQvcString> ScriptFilesOf(ScriptKind kind, const CQvcString& engineRoot) {
    const CQvcString extension = kind == ScriptKind::VBScript ? ".vbs" : ".ps1";
    std::vector<CQvcString> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(ScriptDirectory(kind, engineRoot).Str(), error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        CQvcString name(it->path().filename().string());
        if (it->is_regular_file(error) && name.Length() > extension.Length() &&
            name.Right(extension.Length()).EqualsNoCase(extension)) {
            CQvcString stored = StoredScriptPath(kind, CQvcString(it->path().string()), engineRoot);
            if (!stored.IsEmpty())
                files.push_back(std::move(stored));
        }
    }
    std::sort(files.begin(), files.end(), [](const CQvcString& a, const CQvcString& b) {
        return a.CompareNoCase(b) < 0;
    });
    return files;
}
