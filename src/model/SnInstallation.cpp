#include "model/SnInstallation.h"

#include "library/ErrorTexts.h"
#include "library/QvcBase.h"
#include "library/QvcPath.h"
#include "model/ScriptFiles.h"
#include "model/SnCfgTemplate.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char* const kDirectories[] = {
    "Configuration", "Sys/Tpl/Config", "Sys/Res", "Sys/Ctrl", "Sys/Act", "Sys/Not", "Sys/tmp", "Sys/Roles",
    "Sys/Run", "Logs", "Saved Configurations", "Program",
};

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
    // The script directories are where the script checks' defaults point.
    std::vector<CQvcString> directories;
    for (const char* dir : kDirectories)
        directories.push_back(base + dir);
    directories.push_back(ScriptDirectory(ScriptKind::VBScript, base));
    directories.push_back(ScriptDirectory(ScriptKind::PowerShell, base));
    for (const CQvcString& path : directories) {
        std::error_code ec;
        std::filesystem::create_directories(path.Str(), ec);
        if (ec || !platform::DirectoryExists(path.Str())) {
            message = CQvcString("cannot create directory '") + path + "': " +
                      CQvcString(ec ? ec.message() : std::string("a file is in the way"));
            return -1;
        }
    }

    const CQvcString templ = PathJoin(base, {"Sys", "Tpl", "Config", "Config.mdb"});
    if (long code = CSnCfgTemplate::Write(templ)) {
        message = CQvcString("cannot write the template configuration '") + templ + "': " + ErrorText(code);
        return code;
    }
    const CQvcString config = PathJoin(base, {"Configuration", "Config.mdb"});
    if (!platform::FileExists(config.Str()) && !platform::CopyFile(templ.Str(), config.Str(), false)) {
        message = CQvcString("cannot create the configuration '") + config + "'";
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
    return 0;
}
