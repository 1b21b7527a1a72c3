#pragma once
// The decisions behind the folder commands (New Folder, Delete, Rename and the folder's
// property page), free of windows: which folder a command acts on, what Delete removes and
// which question it asks, whether a folder name is acceptable and the facts the folder
// page shows.
#include "library/QvcString.h"
#include "model/checks/CheckSheetRules.h"

#include <vector>

class CSnNode;

namespace foldercmd {

// The folder a command acts on: the tree's remembered node, or the folder holding it when
// that node is no folder; null when neither exists.
CSnNode* TargetFolder(CSnNode* root, long selectedId);

// What Delete does.  With the tree focused it acts on the tree's folder: the root is
// refused, any other folder goes with everything below it after a question.  Otherwise
// it acts on the list's selected checks after a question, and on nothing when none is
// selected.
struct DeletePlan {
    enum class Kind { Nothing, Refuse, Folder, Checks };
    Kind What = Kind::Nothing;
    CQvcString Text;            // the refusal or the question
    long FolderId = 0;          // Folder: the folder removed
    std::vector<long> CheckIds; // Checks: the checks removed, in list order
    bool operator==(const DeletePlan&) const = default;
};
DeletePlan PlanDelete(bool treeFocus, const CSnNode* folder, const std::vector<CSnNode*>& checks);

// Leaving the folder page: the name, trimmed of spaces, tabs and line breaks, must not be
// empty ("Folder Name required.", warning icon).
sheetrules::Refusal CheckFolderName(const CQvcString& name);

// The facts of the folder page, for the folder with that ID in the tree below `root`; a
// folder being created is not in the tree yet and names `newParent`, the folder it goes into.
struct FolderFacts {
    CQvcString Parent;   // the parent folder's name, "n/a" without one
    CQvcString Contains; // "2 Folders, 5 Checks"
    CQvcString Id;       // "12  (used in log files and reports)"
    bool operator==(const FolderFacts&) const = default;
};
FolderFacts DescribeFolder(CSnNode* root, long id, const CSnNode* newParent = nullptr);

} // namespace foldercmd
