#include "model/store/SnCfgTemplate.h"

#include "model/checks/DefScanFreqList.h"
#include "model/history/HistoryStore.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/settings/SnAutoBackupSettings.h"
#include "model/store/SnCfg.h"
#include "model/settings/SnCfgServerCredentials.h"
#include "model/store/SnCfgSqlite.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/notify/SnDistributionGroups.h"
#include "model/notify/SnLogSettings.h"
#include "model/settings/SnMaintenanceSettings.h"
#include "model/notify/SnMessageTemplate.h"
#include "model/settings/SnMetaSettings.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnNetPopupSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/settings/SnReportSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"
#include "platform/System.h"

#include <cstdio>
#include <functional>

namespace {

// Our default scan intervals in seconds: fast, cheap network checks often; heavy or
// slowly changing ones rarely.  Every other listed type keeps 30 seconds; every type keeps
// an error threshold of 1.
struct ScanDefault {
    int Type;
    int Interval;
};
constexpr ScanDefault kScanDefaults[] = {
    {10, 60},   {11, 300},  {20, 600},  {30, 120},  {31, 300},  {44, 300},  {32, 300},  {33, 120},  {34, 300},
    {35, 300},  {36, 300},  {37, 120},  {38, 300},  {39, 300},  {40, 600},  {41, 60},   {43, 300},  {50, 120},
    {51, 300},  {60, 300},  {61, 600},  {90, 300},  {100, 600}, {110, 300}, {111, 300}, {112, 300}, {120, 300},
    {70, 300},  {81, 300},  {71, 300},  {72, 300},  {73, 300},  {74, 300},  {80, 300},  {75, 300},  {76, 300},
    {79, 300},  {77, 300},  {78, 300},  {130, 120}, {140, 600}, {150, 600}, {160, 300}, {170, 120}, {320, 120},
    {330, 600}, {180, 300}, {190, 120}, {200, 60},  {201, 60},  {202, 60},  {203, 60},  {204, 60},  {205, 60},
    {206, 60},  {207, 60},  {208, 60},  {210, 60},  {220, 600}, {230, 300}, {340, 300}, {240, 600}, {250, 300},
    {260, 300}, {270, 300}, {310, 300}, {300, 300}, {280, 300}, {290, 600},
};

struct TemplateDefault {
    int Id; // the action kind
    const char* Name;
    int Channel;
    const char* Subject;
    const char* Body;
};

constexpr TemplateDefault kTemplates[] = {
    {1, "E-mail", 1, "Sentrelle: <% Name %> - <% Status %>",
     "Check: <% Name %>||Status: <% Status %>||Time: <% Time %>||Response: <% Response %>"},
    {2, "Network Popup", 2, "", "Sentrelle: <% Name %> - <% Status %> (<% Response %>)"},
    {3, "SMS", 3, "", "<% Name %>: <% Status %>"},
    {4, "Pager", 4, "", "<% Name %>: <% Status %>"},
    {5, "MSN", 6, "", "Sentrelle: <% Name %> - <% Status %> (<% Response %>)"},
    {6, "SNMP", 5, "", "<% Name %>: <% Status %> - <% Response %>"},
};

// The channels that have address books, each with its built-in default group.
constexpr int kGroupChannels[] = {1, 2, 3, 4, 6};

long Fill(CSnCfg& store) {
    CSnMetaSettings meta;
    meta.Version = CQvcString(CSnCfg::kConfigVersion);
    meta.Creator = "sentrelle init";
    meta.TimeStamp = static_cast<std::int32_t>(platform::SecondsSince1970());
    if (long code = meta.Write(store))
        return code;

    CSnNode root;
    if (long code = store.InsertNode(&root, nullptr, CSnCfg::kRootId))
        return code;
    root.Cfg.Function.Type = kTypeFolder;
    root.Cfg.Name = "Sentrelle";
    if (long code = store.WriteNode(&root, false, false))
        return code;

    CSnNode templ;
    if (long code = store.InsertNode(&templ, nullptr, CSnCfg::kTemplateId))
        return code;
    templ.Cfg.Name = "Template";
    templ.Cfg.ScanFrequency.Interval = 30;
    templ.Cfg.ScanFrequency.ErrorThreshold = 1;
    templ.Cfg.ScanFrequency.Schedule.SetText(CSnCfgTemplate::DefaultScanFrequencyText());
    templ.Cfg.Action.Uncertain.UseGlobal = 1;
    if (long code = store.WriteNode(&templ, false, false))
        return code;
    if (long code = store.WriteTree(&root))
        return code;

    const std::function<long()> settings[] = {
        [&] { return CSnAdvancedSettings().Write(store); },
        [&] { return CSnAutoBackupSettings().Write(store); },
        [&] { return CSnDateTimeSettings().Write(store); },
        [&] { return CSnMaintenanceSettings().Write(store); },
        [&] { return CSnCfgServerCredentials().Write(store); },
        [&] { return CSnNetPopupSettings().Write(store); },
        [&] { return CSnSmtpSettings().Write(store); },
        [&] { return CSnSmsSettings().Write(store); },
        [&] { return CSnPagerSettings().Write(store); },
        [&] { return CSnMsnSettings().Write(store); },
        [&] { return CSnLogSettings().Write(store); },
        [&] {
            // New configurations keep their statistics in the SQLite file the engine writes.
            CSnReportSettings report;
            report.DbConnection = kStatisticsConnection;
            return report.Write(store);
        },
        [&] { return CSnSnmpTrapsSettings().Write(store); },
    };
    for (const auto& write : settings)
        if (long code = write())
            return code;

    for (const TemplateDefault& t : kTemplates) {
        CSnMessageTemplate m;
        m.Id = t.Id;
        m.Name = t.Name;
        m.NotificationTypeId = t.Channel;
        m.Subject = t.Subject;
        m.Body = t.Body;
        if (long code = m.Write(store))
            return code;
    }
    // Built-in groups take IDs below 10; the channel code serves.
    for (int channel : kGroupChannels) {
        CSnDistributionGroups groups(channel);
        groups.Add(channel, "Administrators", "");
        groups.SetDefaultId(channel);
        if (long code = groups.SaveAll(store))
            return code;
    }
    return 0;
}

} // namespace

CQvcString CSnCfgTemplate::DefaultScanFrequencyText() {
    CDefScanFreqList list;
    for (const ScanDefault& d : kScanDefaults)
        list.Set(d.Type, d.Interval, CDefScanFreqList::kDefaultThreshold);
    return list.ToText();
}

long CSnCfgTemplate::Write(const CQvcString& path) {
    const CQvcString building = path + ".new";
    platform::DeleteFile(building.Str());
    platform::DeleteFile((building + "-journal").Str());
    if (long code = CSnCfgSqlite::CreateDatabase(building))
        return code;
    long code = 0;
    {
        CSnCfg store("Template");
        code = store.OpenFile(building);
        if (code == 0)
            code = Fill(store);
    }
    if (code == 0 && std::rename(building.c_str(), path.c_str()) != 0)
        code = 25004;
    if (code)
        platform::DeleteFile(building.Str());
    return code;
}
