#include "cli/TransferCommands.h"

#include "cli/CliOptions.h"
#include "library/ErrorTexts.h"
#include "model/store/SnCfg.h"
#include "platform/System.h"

#include <ctime>
#include <fstream>

namespace {

bool EndsWithJson(const std::string& path) {
    return path.size() >= 5 && CQvcString(path.substr(path.size() - 5)).EqualsNoCase(".json");
}

// A JSON export starts with "{" (after blanks); a configuration database never does.
bool LooksLikeText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char c = 0;
    while (in.get(c))
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return c == '{';
    return false;
}

bool OpenStore(CSnCfg& store, const std::string& root, const char* command, std::ostream& err) {
    const long code = root.empty() ? store.Open(true, false) : store.OpenRoot(CQvcString(root), true, false);
    if (code != 0)
        err << "sentrelle " << command << ": " << ErrorText(code).Str() << "\n";
    return code == 0;
}

int Failed(const char* command, long code, const std::string& problem, std::ostream& err) {
    err << "sentrelle " << command << ": " << ErrorText(code).Str();
    if (!problem.empty())
        err << ": " << problem;
    err << "\n";
    return CCliCommand::kFailure;
}

} // namespace

int CExportCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    constexpr const char* kUsageText = "usage: sentrelle export [--format json|database] FILE [--root DIR]\n";
    CCliOptions options;
    std::string problem;
    if (!options.Parse(args, {"format", "root"}, problem) || options.Positionals().size() != 1) {
        err << "sentrelle export: " << (problem.empty() ? "one FILE is needed" : problem) << "\n" << kUsageText;
        return kUsage;
    }
    const std::string& file = options.Positionals()[0];
    const std::string& format = options.Value("format");
    if (!format.empty() && format != "json" && format != "database") {
        err << "sentrelle export: unknown format '" << format << "'\n" << kUsageText;
        return kUsage;
    }
    const bool text = format == "json" || (format.empty() && EndsWithJson(file));
    CSnCfg store("CLI");
    if (!OpenStore(store, options.Value("root"), "export", err))
        return kFailure;
    const long code =
        text ? store.ExportConfigurationText(CQvcString(file), problem) : store.ExportConfiguration(CQvcString(file));
    if (code != 0)
        return Failed("export", code, problem, err);
    out << "Configuration successfully exported to " << file << (text ? " (JSON text).\n" : ".\n");
    return kSuccess;
}

int CImportCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    constexpr const char* kUsageText = "usage: sentrelle import FILE [--root DIR]\n";
    CCliOptions options;
    std::string problem;
    if (!options.Parse(args, {"root"}, problem) || options.Positionals().size() != 1) {
        err << "sentrelle import: " << (problem.empty() ? "one FILE is needed" : problem) << "\n" << kUsageText;
        return kUsage;
    }
    const std::string& file = options.Positionals()[0];
    if (!platform::FileExists(file)) {
        err << "sentrelle import: Configuration file does not exist. Please enter a valid Quorvane Sentrelle "
               "configuration file.\n";
        return kFailure;
    }
    CSnCfg store("CLI");
    if (!OpenStore(store, options.Value("root"), "import", err))
        return kFailure;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const CQvcString backup = store.SavedConfigurationsDirectory() + CSnCfg::ImportBackupName(local);
    if (long code = store.ExportConfiguration(backup))
        return Failed("import: nothing changed, the backup failed", code, "", err);
    const long code = LooksLikeText(file) ? store.ImportConfigurationText(CQvcString(file), problem)
                                          : store.ImportCurrentConfiguration(CQvcString(file));
    if (code != 0)
        return Failed("import: nothing changed", code, problem, err);
    store.Link()->RemoveAllResults();
    out << "Configuration imported from " << file << ".\nYour previous configuration was saved as '"
        << backup.Str() << "'.\n";
    return kSuccess;
}
