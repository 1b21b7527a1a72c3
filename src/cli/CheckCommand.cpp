#include "cli/CheckCommand.h"

#include "cli/CliOptions.h"
#include "library/ErrorTexts.h"
#include "model/store/SnCfg.h"

#include <algorithm>

namespace {

constexpr const char* kUsageText = "usage: sentrelle check [--repair] [--root DIR]\n";

void Print(const CSnCfg::Health& health, std::ostream& out) {
    for (const CSnTreeText::Problem& p : health.Problems)
        out << "tree: node " << p.Id << " under " << p.Parent << " " << CSnTreeText::Describe(p.Kind) << "\n";
    for (long id : health.Dangling)
        out << "tree: node " << id << " has no record\n";
    if (!health.Orphans.empty()) {
        out << "records: " << health.Orphans.size() << " record"
            << (health.Orphans.size() == 1 ? " is" : "s are") << " in no tree:";
        for (long id : health.Orphans)
            out << " " << id;
        out << "\n";
    }
}

} // namespace

int CCheckCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> rest = args;
    const auto flag = std::find(rest.begin(), rest.end(), "--repair");
    const bool repair = flag != rest.end();
    if (repair)
        rest.erase(flag);
    CCliOptions options;
    std::string problem;
    if (!options.Parse(rest, {"root"}, problem) || !options.Positionals().empty()) {
        err << "sentrelle check: " << (problem.empty() ? "extra arguments" : problem) << "\n" << kUsageText;
        return kUsage;
    }
    CSnCfg store("CLI");
    const std::string& root = options.Value("root");
    long code = root.empty() ? store.Open(true, false) : store.OpenRoot(CQvcString(root), true, false);
    if (code != 0) {
        err << "sentrelle check: " << ErrorText(code).Str() << "\n";
        return kFailure;
    }
    CSnCfg::Health found;
    if ((code = store.CheckHealth(false, found)) != 0) {
        err << "sentrelle check: " << ErrorText(code).Str() << "\n";
        return kFailure;
    }
    Print(found, out);
    if (found.Healthy()) {
        out << "The configuration is healthy.\n";
        return kSuccess;
    }
    const std::size_t problems =
        found.Problems.size() + found.Dangling.size() + (found.Orphans.empty() ? 0 : 1);
    if (!repair) {
        out << problems << " problem" << (problems == 1 ? "" : "s")
            << " found; 'sentrelle check --repair' fixes "
            << "what can be fixed without guessing.\n";
        return kFailure;
    }
    // The repair works on what it finds inside its own transaction, which may differ from
    // the report above if another writer changed the configuration in between.
    CSnCfg::Health repaired;
    if ((code = store.CheckHealth(true, repaired)) != 0) {
        err << "sentrelle check: nothing repaired: " << ErrorText(code).Str() << "\n";
        return kFailure;
    }
    CSnCfg::Health after;
    if ((code = store.CheckHealth(false, after)) != 0) {
        err << "sentrelle check: " << ErrorText(code).Str() << "\n";
        return kFailure;
    }
    const std::size_t dropped =
        repaired.Dangling.size() - std::min(repaired.Dangling.size(), after.Dangling.size());
    out << "Repaired: dropped " << repaired.Problems.size() << " faulty tree occurrence"
        << (repaired.Problems.size() == 1 ? "" : "s") << " and " << dropped << " dangling ID"
        << (dropped == 1 ? "" : "s") << ", deleted " << repaired.Orphans.size() << " orphan record"
        << (repaired.Orphans.size() == 1 ? "" : "s") << ".\n";
    Print(after, out);
    out << (after.Healthy() ? "The configuration is healthy.\n" : "Problems remain that need a decision.\n");
    return after.Healthy() ? kSuccess : kFailure;
}
