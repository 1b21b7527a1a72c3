#include "model/console/FolderCommandRules.h"

#include "library/Messages.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

namespace foldercmd {

CSnNode* TargetFolder(CSnNode* root, long selectedId) {
    CSnNode* node = CSnCfg::FindNode(root, selectedId);
    if (node != nullptr && !node->IsFolder())
        node = CSnCfg::FindParentFolder(root, node->Id());
    return node;
}

DeletePlan PlanDelete(bool treeFocus, const CSnNode* folder, const std::vector<CSnNode*>& checks) {
    DeletePlan plan;
    if (treeFocus) {
        if (folder == nullptr)
            return plan;
        if (folder->Id() == CSnCfg::kRootId) {
            plan.What = DeletePlan::Kind::Refuse;
            plan.Text = MessageText(51483);
            return plan;
        }
        plan.What = DeletePlan::Kind::Folder;
        plan.FolderId = folder->Id();
        plan.Text.FormatGrow(MessageText(51746), folder->Cfg.Name.c_str());
        return plan;
    }
    for (const CSnNode* check : checks)
        if (check != nullptr)
            plan.CheckIds.push_back(check->Id());
    if (plan.CheckIds.empty())
        return plan;
    plan.What = DeletePlan::Kind::Checks;
    plan.Text = MessageText(51484);
    return plan;
}

sheetrules::Refusal CheckFolderName(const CQvcString& name) {
    CQvcString trimmed = name;
    if (!trimmed.Trim().IsEmpty())
        return {};
    return {59145, MessageText(59145), false};
}

FolderFacts DescribeFolder(CSnNode* root, long id, const CSnNode* newParent) {
    FolderFacts facts;
    // A folder not in the tree yet (one being created) holds nothing.
    CSnNode* folder = CSnCfg::FindNode(root, id);
    const CSnNode* parent = folder != nullptr ? CSnCfg::FindParentFolder(root, id) : newParent;
    facts.Parent = parent != nullptr ? parent->Cfg.Name : CQvcString("n/a");
    const long folders = folder != nullptr ? CSnCfg::CountFolders(folder) : 0;
    const long checks = folder != nullptr ? CSnCfg::CountChecks(folder) : 0;
    facts.Contains.FormatGrow(MessageText(51695), static_cast<int>(folders), static_cast<int>(checks));
    facts.Id.FormatGrow("%ld  %s", id, MessageText(51704));
    return facts;
}

} // namespace foldercmd
