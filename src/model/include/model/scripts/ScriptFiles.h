#pragma once
// The file operations behind the script dialogs of the VBScript and PowerShell checks:
// new VBScript file, new VBScript function, delete VBScript function, delete a script
// file, new PowerShell file.  Each returns what the dialog shows: on failure the text of
// its error box, plus, where the system knows one, the reason behind it.
//
// Files are never changed in place: a new file, a new function and a deleted function
// all write the complete new content to a temporary file that is renamed over the script
// (platform::WriteFileAtomically), so a crash never leaves half a script.  A rewritten
// file keeps its line endings (CR LF or LF), its permissions and every byte outside the
// change, percent signs and long lines included.  New files are written with LF line
// endings, the native text form.
//
// Paths here are native paths; the texts stored in the configuration keep their stored
// form ("<SNROOT>scripts\monitor (vbs)\") and become native with EngineRootPath.
#include "library/QvcString.h"

#include <string_view>
#include <vector>

enum class ScriptKind { VBScript, PowerShell };

// The outcome of one operation.
struct ScriptFileResult {
    int code = 0;        // 0 on success, -1 on failure
    CQvcString message;  // failure: the text of the error box, filled in
    CQvcString detail;   // failure: the reason when known ("'/x/a.vbs' is a directory, ..."), else empty
    CQvcString path;     // the file created, changed or asked about
    CQvcString name;     // new function: the name as written into the file
    CQvcString question; // DeleteScriptFileQuestion: the question to confirm
    bool Ok() const { return code == 0; }
};

// Where the scripts of each kind live, in the stored form the check types default to.
inline constexpr const char* kVbScriptDirectory = "<SNROOT>scripts\\monitor (vbs)\\";
inline constexpr const char* kPowerShellDirectory = "<SNROOT>scripts\\monitor (ps1)\\";
// The native directory of the scripts of `kind` under `engineRoot`.
CQvcString ScriptDirectory(ScriptKind kind, const CQvcString& engineRoot);
// The file's name after the last "\" or "/".
CQvcString ScriptFileName(const CQvcString& path);

// The stored form of the native `path` of a script file of `kind`: the kind's directory
// ("<SNROOT>scripts\monitor (vbs)\") followed by the path below it, "\" between the
// parts.  Empty when the path does not lie inside that directory under `engineRoot`
// (compared on canonical paths, so links and ".." cannot lead out of it).
CQvcString StoredScriptPath(ScriptKind kind, const CQvcString& path, const CQvcString& engineRoot);
// The script files of `kind` (".vbs" or ".ps1", letter case ignored) in its directory and
// its subdirectories, in stored form, sorted without regard to case.
std::vector<CQvcString> ScriptFilesOf(ScriptKind kind, const CQvcString& engineRoot);

// --- templates ------------------------------------------------------------------------
// The whole content of a new VBScript file.
CQvcString VbScriptFileTemplate();
// The lines appended for a new function `name`, each ended by `lineEnd`; the first line
// is empty.
CQvcString VbScriptFunctionTemplate(const CQvcString& name, std::string_view lineEnd = "\n");
// The whole content of a new PowerShell file named `fileName` (with ".ps1").
CQvcString PowerShellFileTemplate(const CQvcString& fileName);

// --- operations -----------------------------------------------------------------------
// Creates the file `name` in `directory` from the template of `kind`.  The name is
// trimmed; ".vbs" or ".ps1" is appended unless it already ends with it (letter case
// ignored).  "A valid filename is required." for an empty name or one that holds a path
// separator or a control character; "File already exists." when anything has that name;
// "Unable to create file." otherwise.  `path` is the new file.
ScriptFileResult NewScriptFile(ScriptKind kind, const CQvcString& directory, const CQvcString& name);
ScriptFileResult NewVbScriptFile(const CQvcString& directory, const CQvcString& name);
ScriptFileResult NewPowerShellFile(const CQvcString& directory, const CQvcString& name);

// Appends a new function to the VBScript file `file`.  The name is trimmed and its first
// letter upper-cased when it is a lower-case ASCII letter; "Invalid Function Name." when
// it is then empty or not a VBScript name (a letter, then letters, digits and "_"), so
// that the file never receives a declaration its reader would not give back;
// "Unable to open file '%s'." when the file cannot be read or replaced;
// "Function '%s' is already defined in file '%s'." when FindFunction finds the name.
// `name` is the name as written.
ScriptFileResult NewVbScriptFunction(const CQvcString& file, const CQvcString& name);

// Removes the function `name` (letter case ignored) from the VBScript file `file`.
// "Unable to open file '%s'."; "Function '%s' not defined in file '%s'." (with the file's
// name); "Read file failed." when nothing would be left; "Write file failed." when the
// file cannot be replaced.
ScriptFileResult DeleteVbScriptFunction(const CQvcString& file, const CQvcString& name);

// Deleting a script file of either kind, in the dialog's two steps: first the question
// to confirm ("File does not exist." when there is no such file), then, after a yes, the
// deletion ("File does not exist."; "Unable to delete '%s'.").  The texts name the file
// by its name without the directory.
ScriptFileResult DeleteScriptFileQuestion(const CQvcString& file);
ScriptFileResult DeleteScriptFile(const CQvcString& file);
