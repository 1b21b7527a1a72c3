#include "model/tree/SnNode.h"

CSnNode::CSnNode() : CQvcBase("", 0) {}

CSnNode::CSnNode(const CSnNode& other) : CQvcBase("", 0) { Assign(other); }

CSnNode& CSnNode::operator=(const CSnNode& other) {
    if (this != &other)
        Assign(other);
    return *this;
}

CSnNode::~CSnNode() = default;

void CSnNode::Assign(const CSnNode& other) {
    if (this == &other)
        return;
    Reset();
    Cfg = other.Cfg;
    Result = other.Result;
    Srvc = other.Srvc;
    Manager = other.Manager;
}

void CSnNode::Reset() {
    Cfg = CSnNodeCfg();
    Result = CSnNodeResult();
    Srvc = CSnNodeSrvc();
    Manager = CSnNodeManager();
}

bool CSnNode::IsEqual(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CSnNode*>(&other);
    if (!o)
        return false;
    const auto& a = Srvc.ScanInfo;
    const auto& b = o->Srvc.ScanInfo;
    return a.S1 == b.S1 && a.S2 == b.S2 && a.S3 == b.S3 && Cfg.ID == o->Cfg.ID;
}

bool CSnNode::IsGreater(const CQvcBase& other) const {
    auto* o = dynamic_cast<const CSnNode*>(&other);
    if (!o)
        return false;
    const auto& a = Srvc.ScanInfo;
    const auto& b = o->Srvc.ScanInfo;
    // A set S1 (then S2) sorts first: this node is "greater" only when it lacks the flag
    // the other has.
    if (a.S1 != b.S1)
        return a.S1 == 0 && b.S1 != 0;
    if (a.S2 != b.S2)
        return a.S2 == 0 && b.S2 != 0;
    if (a.S3 != b.S3)
        return a.S3 > b.S3;
    return Cfg.ID > o->Cfg.ID;
}
