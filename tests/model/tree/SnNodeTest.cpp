#include "model/tree/SnNode.h"
#include "model/tree/NodeStatus.h"

#include <gtest/gtest.h>

TEST(SnNode, NewNodeIsAnUnmonitoredCheck) {
    CSnNode n;
    EXPECT_EQ(n.Result.Response, "Not monitored");
    EXPECT_EQ(n.Srvc.State->Result.Text2, "Not monitored");
    EXPECT_FALSE(n.IsFolder());
    n.Cfg.Function.Type = kTypeFolder;
    EXPECT_TRUE(n.IsFolder());
}

TEST(SnNode, StatusAndActionTables) {
    std::string names;
    for (const char* name : {StatusName(1), StatusName(7), StatusName(3, 1), StatusName(0), StatusName(9),
                             StatusName(-1), ActionName(1), ActionName(13), ActionName(0), ActionName(14)})
        names += std::string(name) + "|";
    EXPECT_EQ(names, "Success|Failure by Dependee|Processing|n/a|n/a|n/a|E-mail|Graph Data|Unknown|Unknown|");
    EXPECT_EQ((std::vector<int>{StatusWeight(0), StatusWeight(9), StatusWeight(-1), StatusWeight(3)}),
              (std::vector<int>{70, 80, 80, 10}));
    EXPECT_LT(StatusWeight(kStatusFailure), StatusWeight(kStatusFailureByDependee));
    EXPECT_LT(StatusWeight(kStatusError), StatusWeight(kStatusErrorByDependee));
    int errorLike = 0;
    for (int s = -1; s <= 10; ++s)
        errorLike += IsErrorLike(s) ? (1 << (s + 1)) : 0;
    // Exactly 2, 3, 4, 6 and 7.
    EXPECT_EQ(errorLike, (1 << 3) | (1 << 4) | (1 << 5) | (1 << 7) | (1 << 8));
}

TEST(SnNode, OrderingByScanInfoThenId) {
    CSnNode a, b;
    a.Cfg.ID = 10;
    b.Cfg.ID = 20;
    EXPECT_TRUE(b.IsGreater(a) && !a.IsGreater(b) && !a.IsEqual(b));
    b.Cfg.ID = 10;
    EXPECT_TRUE(a.IsEqual(b));

    // A node whose S1 is set sorts before any node whose S1 is 0, whatever the IDs.
    CSnNode s1;
    s1.Cfg.ID = 99999;
    s1.Srvc.ScanInfo.S1 = 5;
    EXPECT_TRUE(a.IsGreater(s1) && !s1.IsGreater(a));
    // Two different non-zero S1 values: neither sorts after the other (the rule only
    // asks whether a node lacks the flag).
    CSnNode s1b = s1;
    s1b.Srvc.ScanInfo.S1 = 7;
    EXPECT_FALSE(s1.IsGreater(s1b) || s1b.IsGreater(s1));
    // S2 the same way, then S3 ascending.
    CSnNode s2, s3lo, s3hi;
    s2.Srvc.ScanInfo.S2 = 1;
    s3lo.Srvc.ScanInfo.S3 = 1;
    s3hi.Srvc.ScanInfo.S3 = 2;
    EXPECT_TRUE(s3lo.IsGreater(s2) && s3hi.IsGreater(s3lo) && !s3lo.IsGreater(s3hi));
}

TEST(SnNode, CopiesTakeLinksAndCompareEqualInConfiguration) {
    CSnNode parent, child, sibling;
    parent.Cfg.ID = 5;
    parent.Cfg.Function.Type = kTypeFolder;
    parent.Cfg.Child.Node = &child;
    parent.Cfg.Next.Node = &sibling;
    parent.Cfg.Action.Notify.Edit(3).Recipients = "pager-group";
    parent.Result.Status = kStatusError;
    parent.Srvc.Dependents.Add(10001);
    parent.Srvc.State.Edit().Block.Set(7, 42);
    parent.Manager.HasDependants = 1;

    CSnNode copy(parent);
    EXPECT_TRUE(copy.ChildNode() == &child && copy.NextNode() == &sibling && copy.Cfg.IsEqual(parent.Cfg));
    EXPECT_TRUE(copy.Result.Status == kStatusError && copy.Srvc.Dependents.Contains(10001) &&
                copy.Srvc.State->Block.Get(7) == 42 && copy.Manager.HasDependants == 1);

    // Links do not take part in the configuration comparison.
    copy.Cfg.Next.Node = nullptr;
    copy.Cfg.Child.Node = nullptr;
    EXPECT_TRUE(copy.Cfg.IsEqual(parent.Cfg));
    // A trap entry's recipients count although they are never stored.
    copy.Cfg.Action.Notify.Edit(8).Recipients = "trap receivers";
    EXPECT_FALSE(copy.Cfg.IsEqual(parent.Cfg));

    // Every part of the comparison matters: change one field at a time.
    auto differs = [&](auto change) {
        CSnNode c(parent);
        change(c.Cfg);
        return !c.Cfg.IsEqual(parent.Cfg);
    };
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Name = "x"; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.ScanFrequency.Schedule.SetText("e"); }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Function.Param8 = "8"; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Function.ParamOption2 = 1; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Action.Maintenance.Edit().Enabled = 1; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Action.Uncertain.AsSuccess = 1; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Action.ReRun.Minutes = 3; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Action.Notify.Edit(11).Enabled = 1; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Action.RunOnSuccess.Edit().Script = "s.vbs"; }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Action.Restart.Edit().Credentials = "c"; }));
    // A part stored with its default values equals an absent one.
    EXPECT_FALSE(differs([](CSnNodeCfg& c) {
        c.Action.Restart.Edit();
        c.Action.Notify.Edit(0);
    }));
    EXPECT_TRUE(differs([](CSnNodeCfg& c) { c.Notes = "a\r\nb"; }));
    EXPECT_FALSE(differs([](CSnNodeCfg& c) { c.Next.Node = nullptr; }));

    copy.Reset();
    EXPECT_TRUE(copy.ChildNode() == nullptr && copy.Srvc.Dependents.Count() == 0 && !copy.Srvc.State.IsStored());
    EXPECT_EQ(copy.Result.Response, "Not monitored");
}
