#include "model/scripts/StockScripts.h"

#include "library/QvcPath.h"
#include "platform/System.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace {

// The two functions are run by the engine itself through its LDAP client, whatever this
// text says; the VBScript bodies do the same through ADSI for a reader who wants to see
// how, and the headers give the argument order the engine reads (CheckSettings.h).
constexpr const char* kDirectoryFunctions = R"vbs(
' /////////////////////////////////////////////////////////////////////////////////
Function CheckLdap(strHost, strBaseDN, strFilter, strBindDN, strPassword, nMinEntries)
' Description:
'     Binds to an LDAP server, anonymously when strBindDN is empty, and searches the
'     subtree below strBaseDN.  The check succeeds when at least nMinEntries entries match
'     strFilter; SYSDATA is the number of entries found.
' Parameters:
'     1) strHost      - the server: a name or address, with ":port", or an ldap:// or ldaps:// URL
'     2) strBaseDN    - where the search starts
'     3) strFilter    - the search filter, for instance (objectClass=*)
'     4) strBindDN    - the account to bind as; empty for an anonymous bind
'     5) strPassword  - the password of that account
'     6) nMinEntries  - the least number of entries the search must find
' Usage:
'     CheckLdap("<host>", "<base DN>", "<filter>", "<bind DN>", "<password>", <minimum entries>)
' Sample:
'     CheckLdap("localhost", "dc=demo", "(objectClass=*)", "", "", 1)

    Dim objConnection, objCommand, objRecordSet
    CheckLdap = retvalUnknown
    SYSDATA = ""
    On Error Resume Next
    Set objConnection = CreateObject("ADODB.Connection")
    objConnection.Provider = "ADsDSOObject"
    If strBindDN <> "" Then
        objConnection.Properties("User ID") = strBindDN
        objConnection.Properties("Password") = strPassword
    End If
    objConnection.Open "Active Directory Provider"
    Set objCommand = CreateObject("ADODB.Command")
    Set objCommand.ActiveConnection = objConnection
    objCommand.Properties("Searchscope") = 2
    objCommand.CommandText = "<LDAP://" & strHost & "/" & strBaseDN & ">;" & strFilter & ";distinguishedName;subtree"
    Set objRecordSet = objCommand.Execute
    If Err.Number <> 0 Then
        SYSEXPLANATION = "LDAP search failed: " & Err.Description
        Exit Function
    End If
    SYSDATA = CStr(objRecordSet.RecordCount)
    If objRecordSet.RecordCount >= nMinEntries Then
        CheckLdap = True
        SYSEXPLANATION = SYSDATA & " entries found"
    Else
        CheckLdap = False
        SYSEXPLANATION = "Only " & SYSDATA & " entries found, " & nMinEntries & " required"
    End If
End Function

' /////////////////////////////////////////////////////////////////////////////////
Function CheckGroupMembership(strHost, strBaseDN, strUser, strGroup, strBindDN, strPassword)
' Description:
'     Checks that a user is a member of a group of an LDAP directory.  The user is a uid
'     or a DN, the group a cn or a DN; both are looked up below strBaseDN.
' Parameters:
'     1) strHost      - the server: a name or address, with ":port", or an ldap:// or ldaps:// URL
'     2) strBaseDN    - where users and groups are looked up
'     3) strUser      - the user (uid or DN)
'     4) strGroup     - the group (cn or DN)
'     5) strBindDN    - the account to bind as; empty for an anonymous bind
'     6) strPassword  - the password of that account
' Usage:
'     CheckGroupMembership("<host>", "<base DN>", "<user>", "<group>", "<bind DN>", "<password>")
' Sample:
'     CheckGroupMembership("localhost", "dc=demo", "alice", "operators", "", "")

    Dim objGroup, objMember
    CheckGroupMembership = retvalUnknown
    On Error Resume Next
    Set objGroup = GetObject("LDAP://" & strHost & "/cn=" & strGroup & "," & strBaseDN)
    If Err.Number <> 0 Then
        SYSEXPLANATION = "Group not found: " & strGroup
        Exit Function
    End If
    CheckGroupMembership = False
    SYSEXPLANATION = strUser & " is not a member of " & strGroup
    For Each objMember In objGroup.Members
        If LCase(objMember.Get("uid")) = LCase(strUser) Then
            CheckGroupMembership = True
            SYSEXPLANATION = strUser & " is a member of " & strGroup
        End If
    Next
    SYSDATA = "0"
    If CheckGroupMembership = True Then SYSDATA = "1"
End Function
)vbs";

constexpr const char* kSampleFunctions = R"vbs(
' /////////////////////////////////////////////////////////////////////////////////
Function CheckFileExists(strPath)
' Description:
'     Succeeds when the file exists; SYSDATA is its size in bytes.
' Parameters:
'     1) strPath  - the full path of the file
' Usage:
'     CheckFileExists("<path>")
' Sample:
'     CheckFileExists("/etc/hostname")

    Dim objFso
    Set objFso = CreateObject("Scripting.FileSystemObject")
    If objFso.FileExists(strPath) Then
        CheckFileExists = True
        SYSDATA = CStr(objFso.GetFile(strPath).Size)
        SYSEXPLANATION = "File " & strPath & " exists"
    Else
        CheckFileExists = False
        SYSDATA = "0"
        SYSEXPLANATION = "File " & strPath & " does not exist"
    End If
End Function

' /////////////////////////////////////////////////////////////////////////////////
Function CheckFolderFileCount(strFolder, nMaxFiles)
' Description:
'     Counts the files of a folder (not of its subfolders); the check fails when there
'     are more than nMaxFiles.  SYSDATA is the number of files.
' Parameters:
'     1) strFolder  - the folder
'     2) nMaxFiles  - the most files allowed
' Usage:
'     CheckFolderFileCount("<folder>", <maximum files>)
' Sample:
'     CheckFolderFileCount("/tmp", 500)

    Dim objFso, nCount
    Set objFso = CreateObject("Scripting.FileSystemObject")
    If Not objFso.FolderExists(strFolder) Then
        CheckFolderFileCount = retvalUnknown
        SYSEXPLANATION = "Folder " & strFolder & " does not exist"
        Exit Function
    End If
    nCount = objFso.GetFolder(strFolder).Files.Count
    SYSDATA = CStr(nCount)
    CheckFolderFileCount = (nCount <= nMaxFiles)
    SYSEXPLANATION = nCount & " files in " & strFolder
End Function

' /////////////////////////////////////////////////////////////////////////////////
Function CheckHostResponds(strHost, nTimeoutMs)
' Description:
'     Pings a computer once; SYSDATA is the response time in milliseconds.
' Parameters:
'     1) strHost     - the computer
'     2) nTimeoutMs  - how long to wait for the answer
' Usage:
'     CheckHostResponds("<host>", <time-out ms>)
' Sample:
'     CheckHostResponds("127.0.0.1", 1000)

    Dim objPing, objStatus
    CheckHostResponds = False
    Set objPing = GetObject("winmgmts:").ExecQuery("SELECT * FROM Win32_PingStatus WHERE Address='" & _
                                                   strHost & "' AND Timeout=" & nTimeoutMs)
    For Each objStatus In objPing
        If objStatus.StatusCode = 0 Then
            CheckHostResponds = True
            SYSDATA = CStr(objStatus.ResponseTime)
            SYSEXPLANATION = strHost & " responded in " & SYSDATA & " ms"
        Else
            SYSDATA = "0"
            SYSEXPLANATION = strHost & " did not respond"
        End If
    Next
End Function
)vbs";

// A file of the functions above under the header of every new VBScript file (the raw
// texts begin with a line feed of their own, which is left out).
CQvcString VbScript(const char* functions) {
    return VbScriptFileTemplate() + CQvcString(functions + 1);
}

} // namespace

const std::vector<StockScript>& StockScripts() {
    static const std::vector<StockScript> scripts = {
        {ScriptKind::VBScript, "DirectoryService.vbs", VbScript(kDirectoryFunctions)},
        {ScriptKind::VBScript, "Samples.vbs", VbScript(kSampleFunctions)},
        {ScriptKind::PowerShell, "Example.ps1", PowerShellFileTemplate("Example.ps1")},
    };
    return scripts;
}

int InstallStockScripts(const CQvcString& engineRoot, CQvcString& message) {
    for (const StockScript& script : StockScripts()) {
        const CQvcString path = PathJoin(ScriptDirectory(script.Kind, engineRoot), script.Name);
        if (platform::FileExists(path.Str()))
            continue;
        // Readable by all, writable by the owner only, whatever the umask: the engine runs
        // what these files say.
        int error = platform::WriteFileAtomically(path.Str(), script.Text.Str(), false);
        if (error == 0 && ::chmod(path.c_str(), 0644) != 0)
            error = errno;
        if (error != 0) {
            message = "cannot write the script '" + path + "': " +
                      CQvcString(std::error_code(error, std::generic_category()).message());
            return -1;
        }
    }
    return 0;
}
