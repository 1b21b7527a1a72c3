#include "model/notify/AddressRules.h"
#include "model/notify/SnDistributionGroups.h"
#include "model/notify/SnRecipients.h"

#include <gtest/gtest.h>

#include <string>

TEST(SnRecipients, ParseDropsDuplicatesAndWritesBack) {
    CSnRecipients list;
    EXPECT_EQ(list.Parse("~12; ops@example.com ;~12;OPS@EXAMPLE.COM"), 2);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(list[0] == CSnRecipient::Group(12) && list[1] == CSnRecipient::Address("ops@example.com"));
    EXPECT_EQ(list.ToText().Str(), "~12;ops@example.com");

    // An empty field in the middle ends the list; so does a field of blanks.
    EXPECT_EQ(list.Parse("a@x.com;;b@x.com"), 1);
    EXPECT_EQ(list.Parse("a@x.com;  ;b@x.com"), 1);
    EXPECT_EQ(list.Parse(""), 0);
    EXPECT_EQ(list.ToText().Str(), "");
    // "~" with no number is group 0; a trailing separator adds nothing.
    EXPECT_EQ(list.Parse("~;~7;"), 2);
    EXPECT_EQ(list.ToText().Str(), "~0;~7");
}

TEST(SnRecipients, ResolveExpandsGroupsAndDropsDuplicates) {
    CSnDistributionGroups groups(1);
    groups.Add(12, "Ops", "ops@x.com; night@x.com");
    groups.Add(13, "Night", "NIGHT@x.com;boss@x.com");
    groups.Add(14, "Empty", "");
    // Members shared by groups, and addresses already in a group, come once; unknown and
    // empty groups stand for nobody.
    for (const auto& [text, expected] : {std::pair{"", ""}, {"~12;a@x.com", "ops@x.com night@x.com a@x.com "},
                                         {"Ops@X.com;~12;~13", "Ops@X.com night@x.com boss@x.com "},
                                         {"~99;~14;b@x.com", "b@x.com "}}) {
        CSnRecipients list;
        list.Parse(text);
        std::string got;
        for (const CQvcString& address : list.Resolve(groups))
            got += address.Str() + " ";
        EXPECT_EQ(got, expected) << text;
    }
}

TEST(SnRecipients, AddRemoveIterate) {
    CSnRecipients list;
    const CSnRecipient& first = list.AddAddress("Admin@Example.com");
    EXPECT_EQ(first.AddressText().Str(), "Admin@Example.com");
    // Present already (case ignored): the existing entry comes back, nothing is added.
    EXPECT_EQ(list.AddAddress("admin@example.COM").AddressText().Str(), "Admin@Example.com");
    list.AddGroup(20);
    EXPECT_EQ(list.AddGroup(20).GroupId(), 20);
    // A group and an address are different kinds even when the texts look alike.
    list.AddAddress("~20x");
    std::string seen;
    for (const CSnRecipient* r = list.First(); r != nullptr; r = list.Next())
        seen += r->IsGroup() ? "group " + std::to_string(r->GroupId()) + ";" : r->AddressText().Str() + ";";
    EXPECT_EQ(seen, "Admin@Example.com;group 20;~20x;");

    EXPECT_EQ((std::vector<int>{list.RemoveAddress("ADMIN@example.com"), list.RemoveAddress("ADMIN@example.com"),
                                list.RemoveGroup(21), list.RemoveGroup(20)}),
              (std::vector<int>{0, -1, -1, 0}));
    EXPECT_EQ(list.ToText().Str(), "~20x");
    list.Clear();
    EXPECT_EQ(list.First(), nullptr);

    // Recipient equality compares the address exactly.
    EXPECT_TRUE(CSnRecipient::Group(3) == CSnRecipient::Group(3));
    EXPECT_FALSE(CSnRecipient::Group(3) == CSnRecipient::Group(4) || CSnRecipient::Address("a@b") ==
                 CSnRecipient::Address("A@b") || CSnRecipient::Address("") == CSnRecipient::Group(0));
}

TEST(AddressRules, EmailAndMessenger) {
    // The last "@" counts.
    for (const char* good : {"a@b", "a@b@c"})
        EXPECT_TRUE(IsValidEmailAddress(good)) << good;
    for (const char* bad : {"@b", "a@", "a@\t", "ab", "", "a@b@"})
        EXPECT_FALSE(IsValidEmailAddress(bad)) << bad;
    for (char bad : std::string("~ \\%;,|<>"))
        EXPECT_FALSE(IsValidEmailAddress("us" + std::string(1, bad) + "er@example.com")) << bad;
    // 64 characters pass, 65 do not.
    const std::string local62(62, 'x');
    EXPECT_TRUE(IsValidEmailAddress(local62 + "@y"));
    EXPECT_FALSE(IsValidEmailAddress(local62 + "@yz"));
    EXPECT_TRUE(IsValidAddress(kNotifyMessenger, "me@live.example"));
    EXPECT_FALSE(IsValidAddress(kNotifyMessenger, "me"));
    EXPECT_FALSE(IsValidAddress(kNotifySnmpTrap, "anything"));
}

TEST(AddressRules, NetPopupPagerSms) {
    // NetBIOS names and pager numbers are the string library's rules; the channels use them.
    EXPECT_TRUE(IsValidAddress(kNotifyNetPopup, "with blank"));
    EXPECT_FALSE(IsValidAddress(kNotifyNetPopup, "a|b"));
    EXPECT_TRUE(IsValidAddress(kNotifyPager, "555-12,,#w"));
    EXPECT_FALSE(IsValidAddress(kNotifyPager, "555x"));

    for (const char* good : {"+32 (475) 12-34-56", "32475123456", "  +123456789012345  ", "+3247512:42"})
        EXPECT_TRUE(IsValidSmsNumber(good)) << good;
    for (const char* bad : {"+1234567890123456", "+3247512:4a", "+3247512:", "++32475", "+ - ( )", "", ":12",
                            "3247.512"})
        EXPECT_FALSE(IsValidSmsNumber(bad)) << bad;
}

TEST(AddressRules, MessagesNameTheChannelAndTheAddress) {
    EXPECT_EQ(InvalidAddressMessage(kNotifyEmail, "x@").Str(), "Invalid e-mail address: 'x@'.");
    EXPECT_EQ(InvalidAddressMessage(kNotifyMessenger, "y").Str(), "Invalid e-mail address: 'y'.");
    EXPECT_EQ(InvalidAddressMessage(kNotifyNetPopup, "a;b").Str(), "Invalid NetBIOS name: 'a;b'.");
    EXPECT_EQ(InvalidAddressMessage(kNotifyPager, "12x").Str().rfind("Invalid Pager address: '12x'. ", 0), 0u);
    EXPECT_EQ(InvalidAddressMessage(kNotifySms, "abc").Str().rfind("Invalid SMS number: 'abc'.\n", 0), 0u);
    EXPECT_EQ(InvalidAddressMessage(kNotifySnmpTrap, "x").Str(), "");
    EXPECT_EQ(InvalidAddressShortMessage(kNotifyEmail).Str(), "Invalid e-mail address.");
    EXPECT_EQ(InvalidAddressShortMessage(kNotifySnmpTrap).Str(), "");
}

TEST(SnDistributionGroup, MembersAndNames) {
    CSnDistributionGroup g(10, kNotifyEmail, "Ops");
    EXPECT_EQ(g.MemberCount(), 0);
    EXPECT_EQ((std::vector<int>{g.AddMember("a@x.com"), g.AddMember("b@x.com"), g.AddMember("A@X.COM")}),
              (std::vector<int>{0, 0, -1}));
    EXPECT_EQ(g.Members().Str(), "a@x.com;b@x.com");
    EXPECT_EQ(g.MemberCount(), 2);
    EXPECT_TRUE(g.IsMember("B@x.Com") && !g.IsMember("b@x.co"));

    CQvcString member;
    std::string all;
    for (bool ok = g.FirstMember(member); ok; ok = g.NextMember(member))
        all += member.Str() + "|";
    EXPECT_EQ(all, "a@x.com|b@x.com|");

    // The count and the member test stop at the first empty field.
    g.SetMembers("a@x.com;;c@x.com");
    EXPECT_EQ(g.MemberCount(), 1);
    EXPECT_FALSE(g.IsMember("c@x.com"));
    EXPECT_TRUE(g.FirstMember(member));
    EXPECT_FALSE(g.NextMember(member));
    g.ClearMembers();
    EXPECT_EQ(g.MemberCount(), 0);
    EXPECT_FALSE(g.FirstMember(member));

    for (const std::string& good : {std::string("N"), std::string(48, 'g'), std::string("Night shift (2nd) - admins@")})
        EXPECT_TRUE(CSnDistributionGroup::IsValidName(good)) << good;
    EXPECT_FALSE(CSnDistributionGroup::IsValidName(std::string(49, 'g')));
    EXPECT_FALSE(CSnDistributionGroup::IsValidName(""));
    for (char bad : std::string("~\\/%;,|"))
        EXPECT_FALSE(CSnDistributionGroup::IsValidName(std::string{'a', bad, 'b'})) << bad;
}

TEST(SnDistributionGroups, CreateFindDelete) {
    std::int64_t now = 1700012345; // modulo 100000: 12345
    CSnDistributionGroups groups(kNotifySms, [&now] { return now; });
    ASSERT_NE(groups.Add(1, "Everyone", "+3247512"), nullptr);
    EXPECT_EQ(groups.Add(1, "Again", ""), nullptr);

    // Two groups created within the same second get consecutive IDs.
    CSnDistributionGroup* a = groups.Create("Day");
    CSnDistributionGroup* b = groups.Create("Night");
    EXPECT_EQ(std::make_pair(a->Id(), b->Id()), std::make_pair(12345, 12346));
    EXPECT_EQ(b->Channel(), kNotifySms);
    // A later second whose ID is taken moves on to the next free one.
    now += 1;
    EXPECT_EQ(groups.Create("Late")->Id(), 12347);
    // Results below 10 would name a built-in group: they start at 10.
    now = 1700000003;
    EXPECT_EQ(groups.Create("Early")->Id(), 10);

    EXPECT_TRUE(groups.Find(12346) == b && groups.Find(4) == nullptr);
    EXPECT_TRUE(groups.FindByName("  Night ") == b && groups.FindByName("night") == nullptr);

    EXPECT_TRUE(groups.AnyWithMembers());
    EXPECT_EQ(groups.Delete(1), CSnDistributionGroups::kDeleteBuiltIn);
    EXPECT_NE(groups.Find(1), nullptr);
    EXPECT_EQ((std::vector<long>{groups.Delete(12345), groups.Delete(12345)}),
              (std::vector<long>{0, CSnDistributionGroups::kDeleteNotFound}));
    EXPECT_EQ(groups.Count(), 4);

    groups.SetDefaultId(12346);
    EXPECT_EQ(groups.DisplayName(*b).Str(), "Night (default)");
    EXPECT_EQ(groups.DisplayName(*groups.Find(1)).Str(), "Everyone");

    groups.Find(1)->ClearMembers();
    EXPECT_FALSE(groups.AnyWithMembers());
    groups.Clear();
    EXPECT_EQ(groups.Count(), 0);
}
