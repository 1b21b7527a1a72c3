// Pasting checks: which fields each settings group carries (one group at a time, then all
// of them, which must cover exactly the union), how a pasted copy is renamed or pointed
// at a new host, and the list of existing hosts.
#include "model/checks/PasteRules.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Touch = std::function<void(const CSnNodeCfg& from, CSnNodeCfg& to)>;

CSnNodeCfg Source() {
    CSnNodeCfg c;
    c.Name = "src";
    c.Inverse = c.GraphEnabled = 1;
    c.ScanFrequency.Mode = 1;
    c.ScanFrequency.Interval = 99;
    c.ScanFrequency.ErrorThreshold = 4;
    c.ScanFrequency.Schedule.SetText("sched");
    c.Action.Maintenance.Edit().Enabled = 1;
    c.Action.Uncertain.AsError = 1;
    c.Action.ReNotify.Minutes = 5;
    c.Action.ReRun.Minutes = 6;
    for (int e = 0; e < kNotifyEntries; ++e) {
        c.Action.Notify.Edit(e).Enabled = 1;
        c.Action.Notify.Edit(e).Recipients = std::to_string(e);
    }
    for (auto* run : {&c.Action.RunOnFailure.Edit(), &c.Action.RunOnSuccess.Edit()}) {
        run->RunExecutable = run->RunScript = 1;
        run->Executable = "exe";
        run->Script = "vbs";
    }
    c.Action.Restart.Edit().Reboot = 1;
    c.Action.Restart.Edit().Computer = "pc";
    return c;
}

// Copies the run-program fields of one kind (executable or script), on failure and success.
void Run(const CSnNodeCfg& f, CSnNodeCfg& t, bool script) {
    for (auto [from, to] : {std::pair{&*f.Action.RunOnFailure, &t.Action.RunOnFailure.Edit()},
                            std::pair{&*f.Action.RunOnSuccess, &t.Action.RunOnSuccess.Edit()}}) {
        (script ? to->RunScript : to->RunExecutable) = script ? from->RunScript : from->RunExecutable;
        (script ? to->Script : to->Executable) = script ? from->Script : from->Executable;
    }
}

struct GroupCase {
    std::function<void(paste::Groups&)> choose;
    Touch expected; // the fields the group carries
};

std::vector<GroupCase> Cases() {
    std::vector<GroupCase> cases = {
        {[](auto& g) { g.Frequency = true; }, [](auto& f, auto& t) { t.ScanFrequency = f.ScanFrequency; }},
        {[](auto& g) { g.Restart = true; }, [](auto& f, auto& t) { t.Action.Restart = f.Action.Restart; }},
        {[](auto& g) { g.RunProgram = true; }, [](auto& f, auto& t) { Run(f, t, false); }},
        {[](auto& g) { g.RunScript = true; }, [](auto& f, auto& t) { Run(f, t, true); }},
        {[](auto& g) { g.Graph = true; }, [](auto& f, auto& t) { t.GraphEnabled = f.GraphEnabled; }},
        {[](auto& g) { g.ActionFrequency = true; }, [](auto& f, auto& t) { t.Action.ReRun = f.Action.ReRun; }},
        {[](auto& g) { g.NotificationFrequency = true; },
         [](auto& f, auto& t) { t.Action.ReNotify = f.Action.ReNotify; }},
        {[](auto& g) { g.Maintenance = true; }, [](auto& f, auto& t) { t.Action.Maintenance = f.Action.Maintenance; }},
        {[](auto& g) { g.ResultMapping = true; },
         [](auto& f, auto& t) {
             t.Inverse = f.Inverse;
             t.Action.Uncertain = f.Action.Uncertain;
         }},
    };
    for (int c = 0; c < 6; ++c) // each channel carries its failure and its success entry
        cases.push_back({[c](auto& g) { g.Notify[c] = true; }, [c](auto& f, auto& t) {
                             t.Action.Notify.Assign(2 * c, f.Action.Notify[2 * c]);
                             t.Action.Notify.Assign(2 * c + 1, f.Action.Notify[2 * c + 1]);
                         }});
    return cases;
}

TEST(PasteRules, EachGroupCarriesItsFieldsAndAllCarryTheirUnion) {
    const CSnNodeCfg from = Source();
    CSnNodeCfg union_;
    const std::vector<GroupCase> cases = Cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const GroupCase& c = cases[i];
        SCOPED_TRACE(i);
        paste::Groups groups;
        c.choose(groups);
        CSnNodeCfg pasted, expected;
        paste::CopyGroups(from, pasted, groups);
        c.expected(from, expected);
        EXPECT_TRUE(pasted.IsEqual(expected));
        EXPECT_FALSE(pasted.IsEqual(CSnNodeCfg())); // the group carried something
        c.expected(from, union_);
    }
    CSnNodeCfg all;
    paste::CopyGroups(from, all, paste::Groups::All());
    EXPECT_TRUE(all.IsEqual(union_)); // the name stays
    // A trap-receiving check keeps its mode.
    CSnNodeCfg trap;
    trap.ScanFrequency.Mode = 2;
    paste::CopyGroups(from, trap, paste::Groups::All());
    EXPECT_EQ(trap.ScanFrequency.Mode, 2);
}

CSnNodeCfg Http(const std::string& host, const char* name) {
    CSnNodeCfg c;
    c.Name = name;
    c.Function.ParamServer = host;
    c.Function.Param1 = "http://" + host + "/";
    c.Function.Param8 = host + ":" + host;
    c.Function.ParamLogin = "web1"; // no host field: it stays
    return c;
}

TEST(PasteRules, PastedCopyIsRenamedOrPointedAtTheNewHost) {
    CSnNodeCfg copied = Http("web1", "web1 - HTTP");
    paste::MakePastedCopy(copied, true, "ignored", false);
    EXPECT_TRUE(copied.IsEqual(Http("web1", "web1 - HTTP (Copy)")));

    CSnNodeCfg moved = Http("web1", "web1 - HTTP on web1");
    paste::MakePastedCopy(moved, false, "db2", true);
    CSnNodeCfg expected = Http("db2", "db2 - HTTP on db2");
    expected.OnHold = 1;
    EXPECT_TRUE(moved.IsEqual(expected));
}

TEST(PasteRules, ExistingHostsAreDistinctSortedAndCut) {
    auto hosts = [](std::vector<std::string> names) {
        std::vector<CSnNode> nodes(names.size());
        std::vector<const CSnNode*> checks;
        for (std::size_t i = 0; i < names.size(); ++i) {
            nodes[i].Cfg.Function.ParamServer = names[i];
            checks.push_back(&nodes[i]);
        }
        return paste::ExistingHosts(checks).Str();
    };
    EXPECT_EQ(hosts({" zeta ", "alpha", "ALPHA", "", ".", "mid"}), "alpha,mid,zeta");
    EXPECT_EQ(hosts({".", ""}), "");
    EXPECT_EQ(hosts({std::string(300, 'h')}), std::string(252, 'h') + "...");
}

} // namespace
