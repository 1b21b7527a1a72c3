#include "model/SnCfgTemplate.h"

#include "model/SnAdvancedSettings.h"
#include "model/SnAutoBackupSettings.h"
#include "model/SnCfg.h"
#include "model/SnCfgServerCredentials.h"
#include "model/SnCfgSqlite.h"
#include "model/SnDateTimeSettings.h"
#include "model/SnDistributionGroupRecord.h"
#include "model/SnLogSettings.h"
#include "model/SnMaintenanceSettings.h"
#include "model/SnMessageTemplate.h"
#include "model/SnMetaSettings.h"
#include "model/SnMsnSettings.h"
#include "model/SnNetPopupSettings.h"
#include "model/SnPagerSettings.h"
#include "model/SnReportSettings.h"
#include "model/SnSmsSettings.h"
#include "model/SnSmtpSettings.h"
#include "model/SnSnmpTrapsSettings.h"
#include "platform/System.h"

#include <cstdio>
#include <functional>

namespace {

struct ScanDefault {
    int Type;
    int Interval; // seconds
    int Threshold;
};

// Our defaults: fast, cheap network checks often; heavy or slowly changing ones rarely.
constexpr ScanDefault kScanDefaults[] = {
    {1, 30, 1},    {10, 60, 1},   {11, 300, 1},  {20, 600, 1},  {30, 120, 1},  {31, 300, 1},  {44, 300, 1},
    {32, 300, 1},  {33, 120, 1},  {34, 300, 1},  {35, 300, 1},  {36, 300, 1},  {37, 120, 1},  {38, 300, 1},
    {39, 300, 1},  {40, 600, 1},  {41, 60, 1},   {42, 30, 1},   {43, 300, 1},  {50, 120, 1},  {51, 300, 1},
    {60, 300, 1},  {61, 600, 1},  {90, 300, 1},  {100, 600, 1}, {110, 300, 1}, {111, 300, 1}, {112, 300, 1},
    {120, 300, 1}, {70, 300, 1},  {81, 300, 1},  {71, 300, 1},  {72, 300, 1},  {73, 300, 1},  {74, 300, 1},
    {80, 300, 1},  {75, 300, 1},  {76, 300, 1},  {79, 300, 1},  {77, 300, 1},  {78, 300, 1},  {130, 120, 1},
    {140, 600, 1}, {150, 600, 1}, {160, 300, 1}, {170, 120, 1}, {320, 120, 1}, {330, 600, 1}, {180, 300, 1},
    {190, 120, 1}, {200, 60, 1},  {201, 60, 1},  {202, 60, 1},  {203, 60, 1},  {204, 60, 1},  {205, 60, 1},
    {206, 60, 1},  {207, 60, 1},  {208, 60, 1},  {210, 60, 1},  {220, 600, 1}, {230, 300, 1}, {340, 300, 1},
    {240, 600, 1}, {250, 300, 1}, {260, 300, 1}, {270, 300, 1}, {310, 300, 1}, {300, 300, 1}, {280, 300, 1},
    {290, 600, 1},
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
        [&] { return CSnReportSettings().Write(store); },
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
    for (int channel : kGroupChannels) {
        CSnDistributionGroupRecord g;
        g.Id = channel;
        g.NotificationTypeId = channel;
        g.Name = "Administrators";
        g.IsDefault = true;
        if (long code = g.Save(store))
            return code;
    }
    return 0;
}

} // namespace

CQvcString CSnCfgTemplate::DefaultScanFrequencyText() {
    CQvcString text;
    for (const ScanDefault& d : kScanDefaults) {
        CQvcString entry;
        entry.Format("%d:=%d,%d", d.Type, d.Interval, d.Threshold);
        if (!text.IsEmpty())
            text += ";;";
        text += entry;
    }
    return text;
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
