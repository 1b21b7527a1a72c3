// The property sheet's window-free rules: title, interval display, enabling and the
// order in which each page refuses its fields.
#include "model/checks/CheckSheetRules.h"

#include "model/checks/CheckTypes.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnNetPopupSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"

#include <gtest/gtest.h>

#include <string>

using namespace sheetrules;

TEST(CheckSheetRules, TitleIsCutAfter47CharactersWhenLongerThan50) {
    EXPECT_EQ(SheetTitle("Ping", false).Str(), "Properties - New Check");
    EXPECT_EQ(SheetTitle("Ping", true).Str(), "Properties - Ping");
    const std::string exact50 = "Properties - " + std::string(37, 'x');
    EXPECT_EQ(SheetTitle(CQvcString(std::string(37, 'x')), true).Str(), exact50);
    EXPECT_EQ(SheetTitle(CQvcString(std::string(60, 'y')), true).Str(),
              "Properties - " + std::string(34, 'y') + "...");
}

TEST(CheckSheetRules, IntervalShowsInItsLargestWholeUnitAndReadsBack) {
    struct Row {
        std::int32_t seconds;
        const char* number;
        const char* unit;
    } rows[] = {{7200, "2", "hours"}, {90, "90", "seconds"}, {120, "2", "minutes"}, {172800, "2", "days"},
                {86400 + 3600, "25", "hours"}, {0, "", "seconds"}, {-5, "", "seconds"}, {5, "5", "seconds"}};
    for (const Row& r : rows) {
        EXPECT_EQ(ShowInterval(r.seconds), (IntervalShown{r.number, r.unit})) << r.seconds;
        if (r.seconds > 0) {
            EXPECT_EQ(IntervalSeconds(r.number, r.unit), r.seconds) << r.seconds;
        }
    }
    EXPECT_EQ(IntervalSeconds("3", "fortnights"), 3); // any other unit is seconds
    EXPECT_EQ(IntervalSeconds("x3", "minutes"), 0);
    EXPECT_EQ(IntervalSeconds(" 4 ", "minutes"), 240);
}

TEST(CheckSheetRules, GeneralEnablingFollowsModeConfigurationAndDirectoryOption) {
    struct Row {
        int mode;
        bool configured;
        std::int32_t type;
        const char* codes;
        GeneralEnabling want; // every, schedule, trap, threshold, row label
    } rows[] = {
        {kModeInterval, true, kTypeIcmpPing, "", {true, true, false, true, true}},
        {kModeInterval, false, kTypeIcmpPing, "", {false, false, false, false, true}},
        {kModeScheduled, true, kTypeIcmpPing, "", {true, true, false, false, false}},
        {kModeTrap, true, kTypeSnmpTrapReceive, "0100", {false, false, true, false, true}},
        {kModeInterval, true, kTypeDirectory, "30000", {true, true, false, false, true}},
        {kModeInterval, true, kTypeDirectory, "00000", {true, true, false, true, true}},
        {kModeInterval, true, kTypeDiskSpace, "3", {true, true, false, true, true}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GeneralEnablingFor(r.mode, r.configured, r.type, r.codes), r.want) << r.mode << " " << r.type;
    EXPECT_EQ(std::string(SecondNotifyCaption(kModeInterval)) + "|" + SecondNotifyCaption(kModeScheduled) + "|" +
                  SecondNotifyCaption(kModeTrap),
              "Notify when check recovers from failure|Notify when check is successfull|"
              "Notify when check is successfull");
}

TEST(CheckSheetRules, GeneralPageRefusesInItsOrder) {
    const GeneralFields good{"ICMP Ping", "Ping", kModeInterval, "30", "seconds", "1", false, 5};
    auto with = [&](auto change) {
        GeneralFields f = good;
        change(f);
        return CheckGeneral(f);
    };
    struct Row {
        const char* what;
        Refusal got;
        unsigned id;
        const char* text;
    } rows[] = {
        {"good", CheckGeneral(good), 0, ""},
        {"select", with([](auto& f) { f.TypeText = "<select>"; f.DisplayName = ""; }), 51548,
         "'Check What' field is required."},
        {"header", with([](auto& f) { f.TypeText = "[Windows]"; }), 51548, "'Check What' field is required."},
        {"name", with([](auto& f) { f.DisplayName = "  "; f.Threshold = "100"; }), 51547,
         "DisplayName field is required."},
        {"3 seconds", with([](auto& f) { f.Interval = "3"; f.Threshold = "0"; }), 51588,
         "Interval scan must be greater or equal to 5 seconds."},
        // The text keeps "5 seconds" whatever the preference is.
        {"pref 10", with([](auto& f) { f.Interval = "8"; f.MinIntervalSecs = 10; }), 51588,
         "Interval scan must be greater or equal to 5 seconds."},
        {"3 minutes", with([](auto& f) { f.Interval = "3"; f.Unit = "minutes"; }), 0, ""},
        {"threshold 100", with([](auto& f) { f.Threshold = "100"; }), 61537, "Error treshold must be between 1 and 99."},
        {"threshold empty", with([](auto& f) { f.Threshold = ""; }), 61537, "Error treshold must be between 1 and 99."},
        {"threshold 99", with([](auto& f) { f.Threshold = "99"; }), 0, ""},
        {"scheduled without", with([](auto& f) { f.Mode = kModeScheduled; f.Interval = ""; }), 61484,
         "There are no schedules defined. Press the 'Schedule' button to configure one or more schedules."},
        {"scheduled with", with([](auto& f) { f.Mode = kModeScheduled; f.Threshold = ""; f.HasSchedule = true; }), 0,
         ""},
        {"trap", with([](auto& f) { f.Mode = kModeTrap; f.Interval = ""; f.Threshold = ""; }), 0, ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.got.Id, r.id) << r.what;
        EXPECT_EQ(r.got.Text.Str(), r.text) << r.what;
        EXPECT_FALSE(r.got.ErrorIcon) << r.what;
    }
}

TEST(CheckSheetRules, ActionsAndAdvancedPagesRefuseInTheirOrder) {
    ActionFields a;
    EXPECT_FALSE(CheckActions(a).Refused());
    a.Restart = 2; // restart services: no services, no computer
    a.ProgramEnabled[3] = true;
    a.Program[3] = "  ";
    EXPECT_EQ(CheckActions(a).Text.Str(), kProgramPathMessage);
    a.Program[3] = "/bin/true";
    EXPECT_EQ(CheckActions(a).Id, 51529u);
    a.Services = "cron";
    EXPECT_EQ(CheckActions(a).Id, 51528u);
    EXPECT_TRUE(CheckActions(a).ErrorIcon);
    a.Restart = 1; // reboot needs the computer but no services
    a.Services = "";
    EXPECT_EQ(CheckActions(a).Id, 51528u);
    a.Computer = "srv";
    EXPECT_FALSE(CheckActions(a).Refused());

    struct Row {
        AdvancedFields f;
        bool refused;
    } rows[] = {{{false, "0", false, ""}, false}, {{true, "0", false, ""}, true}, {{true, "x", false, ""}, true},
                {{true, "10", true, ""}, true},  {{true, "10", true, "1"}, false}};
    for (const Row& r : rows)
        EXPECT_EQ(CheckAdvanced(r.f).Refused(), r.refused) << r.f.NotifyMinutes.Str() << "/" << r.f.TriggerMinutes.Str();
    EXPECT_EQ(CheckAdvanced(rows[1].f).Text.Str(), "Value must must be greater than 0.");
}

TEST(CheckSheetRules, ChannelIsEnabledOnlyWhenItsGlobalSettingsAreFilled) {
    CSnSmtpSettings smtp;
    CSnNetPopupSettings popup;
    CSnSmsSettings sms;
    CSnPagerSettings pager;
    CSnSnmpTrapsSettings traps;
    CSnMsnSettings msn;
    ChannelSetup setup{&smtp, &popup, &sms, &pager, &traps, &msn};
    for (int c = 0; c < 6; ++c)
        EXPECT_FALSE(ChannelEnabled(c, setup)) << c;
    smtp.Server1 = "127.0.0.1";
    popup.Enabled = true;
    sms.Protocol = 1;
    sms.HttpProviderUrl = "http://127.0.0.1/sms";
    pager.Protocol = 1;
    pager.DtmfDevice = "/dev/ttyS0";
    traps.Agent = "127.0.0.1";
    msn.Server = "127.0.0.1";
    for (int c = 0; c < 6; ++c)
        EXPECT_TRUE(ChannelEnabled(c, setup)) << c;
    EXPECT_FALSE(ChannelEnabled(0, ChannelSetup{}));
    EXPECT_EQ(WithoutUncPrefix("\\\\\\\\srv\\share").Str(), "srv\\share");
}
