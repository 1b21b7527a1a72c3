#include "model/store/SnInstallation.h"

#include "library/ErrorTexts.h"
#include "library/QvcBase.h"
#include "library/QvcPath.h"
#include "model/console/HistoryGraph.h"
#include "model/discovery/Roles.h"
#include "model/scripts/ScriptFiles.h"
#include "model/scripts/StockScripts.h"
#include "model/store/SnCfgTemplate.h"
#include "platform/Module.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace {

// Every directory of the layout with its mode, parents before children.  The
// configuration, its template, the saved configurations and the scratch directory hold
// the whole configuration (stored passwords included): the owner only.  The rest is
// readable by all, so that Managers of other users can follow results, the activity log
// and the engine's state, and writable by the owner only.
struct LayoutDirectory {
    const char* Path;
    mode_t Mode;
};
const LayoutDirectory kDirectories[] = {
    {"Configuration", 0700}, {"Sys", 0755},  {"Sys/Tpl", 0700},  {"Sys/Tpl/Config", 0700},
    {"Sys/Res", 0755},       {"Sys/Ctrl", 0755}, {"Sys/Act", 0755}, {"Sys/Not", 0755},
    {"Sys/tmp", 0700},       {"Sys/Roles", 0755}, {"Sys/Run", 0755}, {"Logs", 0755},
    {"Saved Configurations", 0700}, {"Program", 0755}, {"Program.NET", 0755}, {"scripts", 0755},
};
constexpr mode_t kRootMode = 0755;
constexpr mode_t kDatabaseMode = 0600;

CQvcString Problem(const CQvcString& what, const CQvcString& path, int error) {
    return what + " '" + path + "': " + CQvcString(std::strerror(error));
}

// Creates `path` with exactly `mode`, or takes from an existing directory every
// permission that `mode` does not grant (set-id and sticky bits stay).  Init never
// widens what an administrator narrowed.  A link in the directory's place is refused:
// it could lead the engine's writes anywhere.
bool EnsureDirectory(const CQvcString& path, mode_t mode, bool linkAllowed, CQvcString& message) {
    struct stat st {};
    if (::mkdir(path.c_str(), mode) == 0) {
        if (::chmod(path.c_str(), mode) != 0) {
            message = Problem("cannot set the mode of", path, errno);
            return false;
        }
        return true;
    }
    if (errno != EEXIST || ::lstat(path.c_str(), &st) != 0) {
        message = Problem("cannot create directory", path, errno);
        return false;
    }
    if (S_ISLNK(st.st_mode) && linkAllowed && ::stat(path.c_str(), &st) != 0) {
        message = Problem("cannot use directory", path, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        message = CQvcString("cannot create directory '") + path + "': " +
                  (S_ISLNK(st.st_mode) ? "a symbolic link is in the way" : "a file is in the way");
        return false;
    }
    const mode_t tightened = st.st_mode & (mode | 07000) & 07777;
    if (tightened != (st.st_mode & 07777) && ::chmod(path.c_str(), tightened) != 0) {
        message = Problem("cannot tighten the mode of", path, errno);
        return false;
    }
    return true;
}

// Takes from an existing file every permission beyond `mode`; a missing file is fine.
bool TightenFile(const CQvcString& path, mode_t mode, CQvcString& message) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return true;
    if (!S_ISREG(st.st_mode)) {
        message = CQvcString("'") + path + "' is not a regular file";
        return false;
    }
    const mode_t tightened = st.st_mode & mode & 07777;
    if (tightened != (st.st_mode & 07777) && ::chmod(path.c_str(), tightened) != 0) {
        message = Problem("cannot tighten the mode of", path, errno);
        return false;
    }
    return true;
}

// The history module and the graph program that ship beside the running program are
// linked into the root, where the Manager looks for them.  A link is renewed (the build
// or the installation may have moved); a file an administrator put there is kept.
bool LinkShippedPrograms(const CQvcString& base, CQvcString& message) {
    const std::string beside = platform::ExecutableDirectory();
    if (beside.empty())
        return true;
    const std::pair<std::string, CQvcString> programs[] = {
        {platform::ModulePath(beside, "QvRgDll.dll"), ReportsModulePath(base)},
        {beside + "sentrelle-graph", GraphProgramPath(base)},
    };
    for (const auto& [shipped, target] : programs) {
        struct stat st {};
        if (!platform::FileExists(shipped) || (::lstat(target.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)))
            continue;
        const std::string temporary = target.Str() + ".link";
        ::unlink(temporary.c_str());
        if (::symlink(shipped.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
            message = Problem("cannot link", target, errno);
            ::unlink(temporary.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

CQvcString CSnInstallation::RootPath(const CQvcString& root) {
    CQvcString path = CanonicalPath(root);
    if (!path.IsEmpty())
        path.EnsureTrailing(platform::kPathSeparator);
    return path;
}

long CSnInstallation::Initialize(const CQvcString& root, CQvcString& message) {
    message.Empty();
    const CQvcString base = RootPath(root);
    if (root.IsEmpty() || base.IsEmpty()) {
        message = CQvcString("cannot use '") + root + "' as the Engine root";
        return -1;
    }
    CQvcString rootDir = base;
    rootDir.TrimRightChar(platform::kPathSeparator);
    // Parents that are missing are made 0755; the root itself may be a link (it was
    // resolved above), nothing below it may.
    const std::size_t lastSlash = rootDir.Str().find_last_of(platform::kPathSeparator);
    if (lastSlash != std::string::npos && lastSlash > 0 &&
        !platform::CreateDirectories(rootDir.Str().substr(0, lastSlash), kRootMode)) {
        message = Problem("cannot create directory", CQvcString(rootDir.Str().substr(0, lastSlash)), errno);
        return -1;
    }
    if (!rootDir.IsEmpty() && !EnsureDirectory(rootDir, kRootMode, true, message))
        return -1;
    for (const LayoutDirectory& dir : kDirectories) {
        if (!EnsureDirectory(PathJoin(base, dir.Path), dir.Mode, false, message))
            return -1;
    }
    // The script directories are where the script checks' defaults point.
    for (const ScriptKind kind : {ScriptKind::VBScript, ScriptKind::PowerShell}) {
        CQvcString dir = ScriptDirectory(kind, base);
        dir.TrimRightChar(platform::kPathSeparator);
        if (!EnsureDirectory(dir, 0755, false, message))
            return -1;
    }
    if (InstallStockScripts(base, message) != 0 || InstallDefaultRoles(base, message) != 0 ||
        !LinkShippedPrograms(base, message))
        return -1;

    const CQvcString templ = PathJoin(base, {"Sys", "Tpl", "Config", "Config.mdb"});
    if (long code = CSnCfgTemplate::Write(templ)) {
        message = CQvcString("cannot write the template configuration '") + templ + "': " + ErrorText(code);
        return code;
    }
    // The databases are the owner's alone (SQLite gives its journal the database's mode,
    // and copies of them keep it); an existing configuration is tightened likewise.
    if (::chmod(templ.c_str(), kDatabaseMode) != 0) {
        message = Problem("cannot set the mode of", templ, errno);
        return -1;
    }
    const CQvcString config = PathJoin(base, {"Configuration", "Config.mdb"});
    if (!platform::FileExists(config.Str()) && !platform::CopyFile(templ.Str(), config.Str(), false)) {
        message = CQvcString("cannot create the configuration '") + config + "'";
        return -1;
    }
    for (const CQvcString& file : {config, config + "-journal"}) {
        if (!TightenFile(file, kDatabaseMode, message))
            return -1;
    }

    const auto hive = platform::Hive::LocalMachine;
    std::string engine;
    if (platform::RegEnsureKey(hive, kProductKey) != platform::kRegOk ||
        platform::RegSetString(hive, kProductKey, "Engine0Root", base.c_str()) != platform::kRegOk ||
        (platform::RegQueryString(hive, kProductKey, "Engine0", &engine) != platform::kRegOk &&
         platform::RegSetString(hive, kProductKey, "Engine0", "") != platform::kRegOk)) {
        message = CQvcString("cannot write the registry values into '") +
                  CQvcString(platform::HivePath(hive)) + "'";
        return -1;
    }
    // A hive written before hives were made 0600 is tightened too.
    if (!TightenFile(CQvcString(platform::HivePath(hive)), 0600, message))
        return -1;
    return 0;
}
