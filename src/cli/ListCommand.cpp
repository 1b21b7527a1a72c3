#include "cli/ListCommand.h"

#include "cli/CliConfiguration.h"
#include "cli/CliOptions.h"
#include "model/checks/CheckListTexts.h"
#include "model/checks/CheckTypes.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/tree/SnNode.h"
#include "platform/System.h"

#include <string>

namespace {

constexpr const char* kCommand = "list";
// A tree deeper than this is broken (the store builds none deeper); its rest is left out.
constexpr int kMaxDepth = 64;

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
    Print(*root, 0, formats, platform::SecondsSince1970(), out);
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
    if (depth >= kMaxDepth)
        return;
    for (const CSnNode* child = node.ChildNode(); child != nullptr; child = child->NextNode())
        Print(*child, depth + 1, formats, now, out);
}
