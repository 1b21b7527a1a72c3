#pragma once
// CSnNode: a folder (type 1) or a check of the configuration tree, with what the user
// configured, the last result, the engine's bookkeeping and the Manager's own values.
// The store owns every node; the tree links (Next, Child) do not own.
#include "library/QvcBase.h"
#include "model/tree/SnNodeCfg.h"
#include "model/tree/SnNodeManager.h"
#include "model/tree/SnNodeResult.h"
#include "model/tree/SnNodeSrvc.h"

inline constexpr std::int32_t kTypeNone = 0;
inline constexpr std::int32_t kTypeFolder = 1;

class CSnNode : public CQvcBase {
public:
    CSnNode();
    CSnNode(const CSnNode& other);
    CSnNode& operator=(const CSnNode& other);
    ~CSnNode() override;

    // Reset, then a copy of every part; the configuration copy takes Next and Child too.
    void Assign(const CSnNode& other);
    // Every field back to its default, the links to null.
    void Reset();

    // Equal scan ordering values and equal IDs.
    bool IsEqual(const CQvcBase& other) const override;
    // Nodes with S1 set first, then with S2 set, then by S3 ascending, then by ID.
    bool IsGreater(const CQvcBase& other) const override;
    std::unique_ptr<CQvcBase> Clone() const override { return std::make_unique<CSnNode>(*this); }

    bool IsFolder() const { return Cfg.Function.Type == kTypeFolder; }
    std::int32_t Id() const { return Cfg.ID; }
    CSnNode* NextNode() const { return Cfg.Next.Node; }
    CSnNode* ChildNode() const { return Cfg.Child.Node; }

    CSnNodeCfg Cfg;
    CSnNodeResult Result;
    CSnNodeSrvc Srvc;
    CSnNodeManager Manager;
};
