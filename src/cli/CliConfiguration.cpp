#include "cli/CliConfiguration.h"

#include "library/ErrorTexts.h"

namespace {

constexpr long kNoEngineRoot = 25200;

} // namespace

bool LoadConfiguration(CSnCfg& store, const std::string& root, CSnNode*& tree, const char* command,
                       std::ostream& err) {
    long code = root.empty() ? store.Open(true, false) : store.OpenRoot(CQvcString(root), true, false);
    if (code != 0) {
        err << "sentrelle " << command << ": " << ErrorText(code).Str() << "\n";
        if (code == kNoEngineRoot)
            err << "Create an installation with 'sentrelle init ROOT' or name one with --root DIR.\n";
        return false;
    }
    code = store.LoadAllNodes(tree);
    if (code != 0) {
        err << "sentrelle " << command << ": cannot load the configuration tree: " << ErrorText(code).Str() << "\n";
        return false;
    }
    return true;
}
