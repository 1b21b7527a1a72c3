// The packed configuration the engine keeps per check: every field survives the round
// trip, and a change of any field changes the packed form.
#include "engine/PackedNodeCfg.h"

#include <gtest/gtest.h>

TEST(PackedNodeCfg, RoundTripKeepsEveryFieldAndTellsChanges) {
    CSnNodeCfg full;
    full.ID = 4711;
    full.Name = "Web front \xc3\xa4 #1";
    full.OnHold = 1;
    full.ScanFrequency.Mode = 1;
    full.ScanFrequency.Interval = -5;
    full.ScanFrequency.Schedule.SetText("1111100;32400;8");
    full.Function.Type = 30;
    full.Function.ParamServer = "127.0.0.1";
    full.Function.Param8 = std::string(300, 'x'); // a length that takes two bytes
    full.Action.Maintenance.Edit().Schedule.SetText("0000011;0;24");
    full.Action.Dependencies = "12;13";
    full.Action.Uncertain.AsSuccess = 1;
    full.Action.Notify.Edit(11).Enabled = 1;
    full.Action.Notify.Edit(11).Recipients = "~1;ops@example.test";
    full.Action.RunOnSuccess.Edit().Script = "restart.sh";
    full.Action.Restart.Edit().Credentials = "admin";

    for (const CSnNodeCfg& cfg : {CSnNodeCfg(), full}) {
        const std::string packed = PackNodeCfg(cfg);
        EXPECT_TRUE(UnpackNodeCfg(packed).IsEqual(cfg));
        EXPECT_EQ(PackNodeCfg(UnpackNodeCfg(packed)), packed);
    }
    EXPECT_TRUE(PackNodeCfg(CSnNodeCfg()).empty());

    CSnNodeCfg changed = full;
    changed.Action.Restart.Edit().Credentials = "admin2";
    EXPECT_NE(PackNodeCfg(changed), PackNodeCfg(full));
    // Input cut short keeps what was whole.
    const std::string packed = PackNodeCfg(full);
    EXPECT_EQ(UnpackNodeCfg(std::string_view(packed).substr(0, 4)).ID, 4711);
}
