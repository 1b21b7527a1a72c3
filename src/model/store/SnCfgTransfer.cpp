// The configuration as a whole file: export, clear and the two kinds of import.  Each
// replacing operation builds the new file beside the live one (a shadow copy of the
// template), fills it, and swaps it in whole, so that a failure leaves the live
// configuration as it was.
#include "model/store/SnCfg.h"

#include "library/ErrorReport.h"
#include "library/QvcPath.h"
#include "model/store/SnCfgJson.h"
#include "model/store/SnCfgSqlite.h"
#include "platform/Module.h"
#include "platform/System.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr long kErrConvertFailed = 25203;
constexpr long kErrNoTemplate = 25210;
constexpr long kErrNoSourcePath = 25500;
constexpr long kErrExportMissing = 25501;
constexpr long kErrShadowDelete = 25503;
constexpr long kErrShadowCopy = 25504;
constexpr long kErrNoCurrentFile = 25506;
constexpr long kErrNoModule = 25508;
constexpr long kErrConvert5 = 25520;
constexpr long kErrConvert6 = 25521;
constexpr long kErrImport7 = 25522;

bool FileExists(const CQvcString& path) { return !path.IsEmpty() && platform::FileExists(path.Str()); }

} // namespace

CQvcString CSnCfg::ConfigFilePath() const { return m_configPath; }

// --- the whole configuration file -------------------------------------------------------

CQvcString CSnCfg::TemplateFilePath() const {
    return PathJoin(m_rootDirectory, {"Sys", "Tpl", "Config", "Config.mdb"});
}

CQvcString CSnCfg::SavedConfigurationsDirectory() const {
    return PathJoin(m_rootDirectory, "Saved Configurations") + "/";
}

CQvcString CSnCfg::NewConfigurationBackupName(const std::tm& t) {
    CQvcString name;
    name.Format("%04d%02d%02d.mdb", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return name;
}

CQvcString CSnCfg::ImportBackupName(const std::tm& t) {
    CQvcString name;
    name.Format("%02d%02d%04d-%02d%02d%02d.mdb", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, t.tm_hour, t.tm_min,
                t.tm_sec);
    return name;
}

CQvcString CSnCfg::ShadowFilePath() const { return PathJoin(m_rootDirectory, {"Sys", "tmp", "Config.mdb"}); }

long CSnCfg::ExportConfiguration(const CQvcString& target) {
    const CQvcString path = ConfigFilePath();
    if (path.IsEmpty())
        return kErrNoSourcePath;
    if (!FileExists(path))
        return kErrExportMissing;
    return CSnCfgSqlite::CopyDatabaseFile(path, target);
}

long CSnCfg::MakeShadowCopy(CQvcString& connection) {
    const CQvcString templ = TemplateFilePath();
    const CQvcString shadow = ShadowFilePath();
    if (!FileExists(templ))
        return kErrNoTemplate;
    if (platform::FileExists(shadow.Str()) || platform::DirectoryExists(shadow.Str())) {
        platform::DeleteFile(shadow.Str());
        if (platform::FileExists(shadow.Str()) || platform::DirectoryExists(shadow.Str()))
            return kErrShadowDelete;
    }
    platform::CopyFile(templ.Str(), shadow.Str(), true);
    if (!FileExists(shadow))
        return kErrShadowCopy;
    connection = CSnCfgSqlite::ConnectionForFile(shadow);
    return 0;
}

long CSnCfg::ReplaceWithShadow(const CQvcString& shadowPath) {
    long code = CSnCfgSqlite::ReplaceDatabaseFile(ConfigFilePath(), shadowPath);
    if (code == 0) {
        SignalConfigChanged(true, true);
        SignalGlobalSettingsChanged();
    }
    return code;
}

long CSnCfg::ClearConfiguration() {
    Trace(kTraceFile, "Clear configuration\n");
    if (!FileExists(ConfigFilePath()))
        return kErrNoCurrentFile;
    CQvcString connection;
    if (long code = MakeShadowCopy(connection))
        return code;
    return ReplaceWithShadow(ShadowFilePath());
}

long CSnCfg::ImportCurrentConfiguration(const CQvcString& file) {
    if (!FileExists(ConfigFilePath()))
        return kErrNoCurrentFile;
    CQvcString connection;
    if (long code = MakeShadowCopy(connection))
        return code;
    if (CSnCfgSqlite::CopyConfiguration(file, ShadowFilePath()) != 0)
        return kErrImport7;
    return ReplaceWithShadow(ShadowFilePath());
}

long CSnCfg::ImportConfiguration(const CQvcString& file, int majorVersion) {
    if (!FileExists(ConfigFilePath()))
        return kErrNoCurrentFile;
    if (majorVersion != 5 && majorVersion != 6)
        return kErrConvertFailed;
    const CQvcString converted = PathJoin(m_tempDirectory, "_Config.qmf");
    if (!platform::CopyFile(file.Str(), converted.Str(), true))
        return kErrConvertFailed;
    CQvcString connection;
    if (long code = MakeShadowCopy(connection))
        return code;

    // The converters each export "long Convert(const char* path)", which converts the file
    // in place and returns 0 on success.  They are unloaded when this function returns.
    using ConvertFn = long (*)(const char*);
    const std::string directory = platform::ExecutableDirectory();
    platform::Module modules[3];
    ConvertFn convert[3] = {nullptr, nullptr, nullptr};
    const char* names[3] = {"QvCvt550.dll", "QvCvt600.dll", "QvCvt601.dll"};
    for (int k = 0; k < 3; ++k) {
        if (!modules[k].Load(platform::ModulePath(directory, names[k])))
            return kErrNoModule;
        convert[k] = reinterpret_cast<ConvertFn>(modules[k].Symbol("Convert"));
        if (!convert[k])
            return kErrNoModule;
    }
    if (majorVersion == 5) {
        if (convert[0](converted.c_str()) != 0)
            return kErrConvert5;
        if (convert[1](converted.c_str()) != 0)
            return kErrConvert6;
    }
    if (convert[2](converted.c_str()) != 0)
        return kErrConvert6;
    if (CSnCfgSqlite::CopyConfiguration(converted, ShadowFilePath()) != 0)
        return kErrConvertFailed;
    return ReplaceWithShadow(ShadowFilePath());
}

long CSnCfg::ExportConfigurationText(const CQvcString& target, std::string& problem) {
    const CQvcString path = ConfigFilePath();
    if (path.IsEmpty())
        return kErrNoSourcePath;
    if (!FileExists(path))
        return kErrExportMissing;
    std::string text;
    if (long code = sncfgjson::Write(path, text, problem))
        return code;
    // Written beside the target and renamed over it: a reader never sees half a file.
    const std::string temporary = target.Str() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::remove(temporary.c_str());
            problem = "cannot write " + target.Str();
            return sncfgjson::kErrTextFile;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        problem = "cannot write " + target.Str();
        return sncfgjson::kErrTextFile;
    }
    return 0;
}

long CSnCfg::ImportConfigurationText(const CQvcString& file, std::string& problem) {
    if (!FileExists(ConfigFilePath()))
        return kErrNoCurrentFile;
    std::ifstream in(file.Str(), std::ios::binary);
    if (!in) {
        problem = "cannot read " + file.Str();
        return sncfgjson::kErrTextFile;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CQvcString connection;
    if (long code = MakeShadowCopy(connection))
        return code;
    if (long code = sncfgjson::Read(text, ShadowFilePath(), problem))
        return code;
    return ReplaceWithShadow(ShadowFilePath());
}
