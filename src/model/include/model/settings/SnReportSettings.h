#pragma once
// Statistics report settings (table ReportSettings).  The database password is held scrambled.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/settings/SnRecordSettings.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

class CSnReportSettings : public CSnRowSettings<CSnReportSettings, &snkind::kReportSettings,
                                                &ISnCfg::GetReportSettings, &ISnCfg::PutReportSettings> {
public:
    bool Enabled = false;
    CQvcString DbConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\Statistics.mdb";
    CQvcString DbPassword;
    bool GraphsEnabled = false;
    CQvcString OutputDirectory = "<SNROOT>Reports\\";
    CQvcString StyleSheet;
    std::int32_t RetentionDays = 365;

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snreport;
        fn(snprop::kEnabled, "Enabled", s.Enabled);
        fn(snprop::kDbConnection, "DbConnection", s.DbConnection);
        fn(snprop::kDbPassword, "DbPassword", s.DbPassword);
        fn(snprop::kGraphsEnabled, "GraphsEnabled", s.GraphsEnabled);
        fn(snprop::kOutputDirectory, "OutputDirectory", s.OutputDirectory);
        fn(snprop::kStyleSheet, "StyleSheet", s.StyleSheet);
        fn(snprop::kRetentionDays, "RetentionDays", s.RetentionDays);
    }
};
