#include "cli/ListCommand.h"

#include "cli/CliConfiguration.h"
#include "cli/CliOptions.h"
#include "model/checks/CheckListTexts.h"
#include "model/checks/CheckTypes.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"
#include "platform/System.h"

#include <string>

namespace {

constexpr const char* kCommand = "list";

} // namespace

int CListCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CCliOptions options;
    std::string problem;
    if (!options.Parse(args, {"root"}, problem) || !options.Positionals().empty()) {
        err << "sentrelle " << kCommand << ": " << (problem.empty() ? "unexpected arguments" : problem) << "\n"
            << "usage: sentrelle list [--root DIR]\n";
        return kUsage;
    }
    CSnCfg store("CLI");
    CSnNode* root = nullptr;
    if (!LoadConfiguration(store, options.Value("root"), root, kCommand, err))
        return kFailure;
    if (store.Link() != nullptr)
        store.Link()->LoadResults(root);
    // The formats of scheduled checks; the defaults when they cannot be read.
    CSnDateTimeSettings formats;
    formats.Read(store);
    // The root alone, then every node below it, each indented by its depth.
    const std::int64_t now = platform::SecondsSince1970();
    Print(*root, 0, formats, now, out);
    WalkTree(root->ChildNode(), [&](CSnNode* node, int depth) {
        Print(*node, depth + 1, formats, now, out);
        return WalkStep::Continue;
    });
    return kSuccess;
}

void CListCommand::Print(const CSnNode& node, int depth, const CSnDateTimeSettings& formats, std::int64_t now,
                         std::ostream& out) const {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    if (node.IsFolder()) {
        out << indent << node.Cfg.Name.Str() << " (folder " << node.Id() << ")\n";
    } else {
        out << indent << node.Id() << " | " << node.Cfg.Name.Str() << " | "
            << CheckTypeText(node.Cfg.Function).Str() << " | " << node.Cfg.Function.ParamServer.Str() << " | "
            << FrequencyText(node, formats).Str() << " | " << StatusText(node, now).Str() << " | "
            << node.Result.Data.Str() << " | " << node.Result.Response.Str() << "\n";
    }
}
