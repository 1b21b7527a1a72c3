#include "cli/HistoryCommand.h"

#include "cli/CliConfiguration.h"
#include "cli/CliOptions.h"
#include "model/history/HistoryStore.h"
#include "model/history/HistoryTime.h"
#include "model/settings/SnReportSettings.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"
#include "platform/System.h"

#include <algorithm>
#include <limits>

namespace {

constexpr const char* kCommand = "history";
constexpr const char* kUsageText =
    "usage: sentrelle history ID [--since WHEN] [--until WHEN] [--changes] [--format text|csv] [--root DIR]\n"
    "       WHEN: \"YYYY-MM-DD[ HH:MM]\" (local time) or \"-7d\", \"-24h\", \"-30m\"\n";

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace

int CHistoryCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // Every option of the parser takes a value; --changes is a switch.
    std::vector<std::string> rest;
    bool changesOnly = false;
    for (const std::string& arg : args) {
        if (arg == "--changes")
            changesOnly = true;
        else
            rest.push_back(arg);
    }
    CCliOptions options;
    std::string problem;
    const auto usage = [&](const std::string& why) {
        err << "sentrelle " << kCommand << ": " << why << "\n" << kUsageText;
        return kUsage;
    };
    if (!options.Parse(rest, {"since", "until", "format", "root"}, problem))
        return usage(problem);
    if (options.Positionals().size() != 1)
        return usage("give one check ID");
    const std::string& idText = options.Positionals()[0];
    if (idText.empty() || idText.size() > 9 || !std::all_of(idText.begin(), idText.end(), ::isdigit))
        return usage("'" + idText + "' is no check ID");
    const std::string format = options.Has("format") ? options.Value("format") : "text";
    if (format != "text" && format != "csv")
        return usage("unknown format '" + format + "'");
    const std::int64_t now = platform::SecondsSince1970();
    std::int64_t range[2] = {0, std::numeric_limits<std::int64_t>::max()};
    const char* names[2] = {"since", "until"};
    for (int i = 0; i < 2; ++i) {
        if (!options.Has(names[i]))
            continue;
        const auto time = ParseHistoryTime(options.Value(names[i]), now);
        if (!time)
            return usage("cannot read the time '" + options.Value(names[i]) + "'");
        range[i] = *time;
    }

    CSnCfg store("CLI");
    CSnNode* root = nullptr;
    if (!LoadConfiguration(store, options.Value("root"), root, kCommand, err))
        return kFailure;
    const std::int32_t id = std::stoi(idText);
    const CSnNode* check = CSnCfg::FindNode(root, id);
    if (check == nullptr || check->IsFolder()) {
        err << "sentrelle " << kCommand << ": no check has the ID " << id << "\n";
        return kFailure;
    }
    CSnReportSettings report;
    report.Read(store);
    const CQvcString path = StatisticsDatabasePath(report.DbConnection, store.RootDirectory());
    CHistoryStore history;
    if (!path.IsEmpty() && !platform::FileExists(path.Str())) {
        err << "sentrelle " << kCommand << ": no history has been kept yet (" << path.Str()
            << " does not exist; the engine writes it while it runs)\n";
        return kFailure;
    }
    std::vector<CHistoryEntry> entries;
    if (history.Open(path, false) != 0 || history.Entries(id, range[0], range[1], entries, changesOnly) != 0) {
        err << "sentrelle " << kCommand << ": " << history.ErrorText().Str() << "\n";
        return kFailure;
    }
    if (format == "csv")
        out << "Time,Status,Change,Data,ResponseMs,Response\n";
    for (const CHistoryEntry& e : entries) {
        if (format == "csv")
            out << FormatHistoryTime(e.Time) << ',' << CsvField(StatusName(e.Status)) << ',' << (e.Change ? 1 : 0)
                << ',' << CsvField(e.Data.Str()) << ',' << e.ResponseMs << ',' << CsvField(e.Response.Str()) << "\n";
        else
            out << FormatHistoryTime(e.Time) << " | " << StatusName(e.Status) << " | " << (e.Change ? "changed" : "")
                << " | " << e.Data.Str() << " | " << e.ResponseMs << " ms | " << e.Response.Str() << "\n";
    }
    return kSuccess;
}
