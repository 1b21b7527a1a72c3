// Distribution groups through the store on a real installation: loading by channel with
// the exclusion filter, creating, deleting and the default group, each checked by what a
// second load finds in the database.
#include "CfgTestRoot.h"
#include "FaultyComponent.h"
#include "model/notify/AddressRules.h"
#include "model/notify/SnDistributionGroups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class SnDistributionGroupsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(store.Open(), 0); }

    // The groups of a channel as a fresh load finds them: "id:name:members", the
    // default marked with "*".
    std::vector<std::string> Stored(std::int32_t channel, std::int32_t excludeId = 0) {
        CSnDistributionGroups groups(channel);
        EXPECT_EQ(groups.Load(store, excludeId), 0);
        std::vector<std::string> out;
        for (int i = 0; i < groups.Count(); ++i) {
            const CSnDistributionGroup& g = *groups.At(static_cast<std::size_t>(i));
            out.push_back(std::to_string(g.Id()) + ":" + g.Name().Str() + ":" + g.Members().Str() +
                          (g.Id() == groups.DefaultId() ? "*" : ""));
        }
        return out;
    }

    CfgTestRoot cfg;
    ComponentFaults faults;
    CSnCfg store{"GUI", FaultyComponent::Factory(faults)};
    std::int64_t now = 1700012345; // modulo 100000: 12345
    CSnDistributionGroups::Clock clock = [this] { return now; };
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(SnDistributionGroupsStoreTest, LoadByChannelWithTheExclusionFilter) {
    // Each channel with an address book starts with its built-in default group.
    for (std::int32_t channel : {kNotifyEmail, kNotifyNetPopup, kNotifySms, kNotifyPager, kNotifyMessenger})
        EXPECT_EQ(Stored(channel), Texts{std::to_string(channel) + ":Administrators:*"}) << channel;
    EXPECT_TRUE(Stored(5).empty()); // SNMP traps have none

    CSnDistributionGroups email(kNotifyEmail, clock);
    ASSERT_EQ(email.Load(store), 0);
    CSnDistributionGroup* web = nullptr;
    ASSERT_EQ(email.Create(store, "Web team", web), 0);
    web->AddMember("a@example.test");
    web->AddMember("b@example.test");
    ASSERT_EQ(email.Save(store, *web), 0);
    CSnDistributionGroups sms(kNotifySms, clock);
    ASSERT_EQ(sms.Load(store), 0);
    CSnDistributionGroup* night = nullptr;
    now += 7;
    ASSERT_EQ(sms.Create(store, "Night", night), 0);

    EXPECT_EQ(Stored(kNotifyEmail), (Texts{"1:Administrators:*", "12345:Web team:a@example.test;b@example.test"}));
    EXPECT_EQ(Stored(kNotifySms), (Texts{"3:Administrators:*", "12352:Night:"}));
    // Leaving one group out, by its ID, within the channel only.
    EXPECT_EQ(Stored(kNotifyEmail, 12345), Texts{"1:Administrators:*"});
    EXPECT_EQ(Stored(kNotifyEmail, 1), Texts{"12345:Web team:a@example.test;b@example.test"});
    EXPECT_EQ(Stored(kNotifySms, 12345), (Texts{"3:Administrators:*", "12352:Night:"}));

    // A failed load leaves the list as it was.
    CSnDistributionGroups broken(kNotifyEmail);
    broken.Add(77, "kept", "");
    CSnCfg closed;
    EXPECT_NE(broken.Load(closed), 0);
    EXPECT_EQ(broken.Count(), 1);
}

TEST_F(SnDistributionGroupsStoreTest, RefusedSavesAndDeletesChangeNothing) {
    CSnDistributionGroups groups(kNotifyEmail, clock);
    ASSERT_EQ(groups.Load(store), 0);
    CSnDistributionGroup* team = nullptr;
    ASSERT_EQ(groups.Create(store, "Team", team), 0);

    // A group the database refuses is not kept in the list either.
    faults.FailGroupSave = true;
    CSnDistributionGroup* refused = nullptr;
    now += 1;
    EXPECT_EQ(groups.Create(store, "Refused", refused), 25121);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(groups.FindByName("Refused"), nullptr);
    EXPECT_EQ(groups.Count(), 2);
    faults.FailGroupSave = false;

    EXPECT_EQ(groups.Delete(store, 1), CSnDistributionGroups::kDeleteBuiltIn);
    EXPECT_EQ(groups.Delete(store, 999), CSnDistributionGroups::kDeleteNotFound);
    faults.FailGroupDelete = true;
    EXPECT_EQ(groups.Delete(store, 12345), 25125);
    EXPECT_NE(groups.Find(12345), nullptr);
    faults.FailGroupDelete = false;
    EXPECT_EQ(Stored(kNotifyEmail), (Texts{"1:Administrators:*", "12345:Team:"}));

    EXPECT_EQ(groups.Delete(store, 12345), 0);
    EXPECT_EQ(groups.Find(12345), nullptr);
    EXPECT_EQ(Stored(kNotifyEmail), Texts{"1:Administrators:*"});
    // Only that group went: the other channels keep theirs.
    EXPECT_EQ(Stored(kNotifySms), Texts{"3:Administrators:*"});
}

TEST_F(SnDistributionGroupsStoreTest, DefaultGroupRoundTrip) {
    CSnDistributionGroups groups(kNotifyMessenger, clock);
    ASSERT_EQ(groups.Load(store), 0);
    EXPECT_EQ(groups.DefaultId(), 6);
    CSnDistributionGroup* ops = nullptr;
    ASSERT_EQ(groups.Create(store, "Ops", ops), 0);
    ASSERT_EQ(groups.SetDefault(store, ops->Id()), 0);
    EXPECT_EQ(groups.DisplayName(*ops).Str(), "Ops (default)");
    EXPECT_EQ(groups.DisplayName(*groups.Find(6)).Str(), "Administrators");
    // The new default is the only one stored as default.
    EXPECT_EQ(Stored(kNotifyMessenger), (Texts{"6:Administrators:", "12345:Ops:*"}));
    CSnDistributionGroups again(kNotifyMessenger);
    ASSERT_EQ(again.Load(store), 0);
    EXPECT_EQ(again.DefaultId(), 12345);

    // A refused save keeps the old default, in memory and stored.
    faults.FailGroupSave = true;
    EXPECT_EQ(groups.SetDefault(store, 6), 25121);
    EXPECT_EQ(groups.DefaultId(), 12345);
    faults.FailGroupSave = false;
    EXPECT_EQ(groups.SetDefault(store, 404), CSnDistributionGroups::kDeleteNotFound);

    // Deleting the default group leaves the channel without one.
    ASSERT_EQ(groups.Delete(store, 12345), 0);
    EXPECT_EQ(groups.DefaultId(), 0);
    EXPECT_EQ(Stored(kNotifyMessenger), Texts{"6:Administrators:"});
    ASSERT_EQ(groups.SetDefault(store, 6), 0);
    EXPECT_EQ(Stored(kNotifyMessenger), Texts{"6:Administrators:*"});
}
