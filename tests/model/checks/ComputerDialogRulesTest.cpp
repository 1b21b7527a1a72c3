// The checks on OK of the system-family dialogs, one table per dialog: each row changes a
// passing record and names the first refusal expected (field and text), so the rows walk
// the checks in their order and across the boundaries.
#include "model/checks/CheckSettings.h"
#include "model/checks/TypeDialogRules.h"
#include "DialogRuleTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

template <class S> struct Row {
    std::function<void(S&)> change;
    int field; // -1: passes
    std::string text;
};

// Runs the rows against a dialog's checks while an existing check is edited.
template <class S>
void RunTable(S ok, const std::vector<Row<S>>& rows, std::function<DialogRefusal(const S&)> check) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        S s = ok;
        rows[i].change(s);
        const DialogRefusal r = check(s);
        EXPECT_EQ((std::pair{r.Field, r.Text.Str()}), (std::pair{rows[i].field, rows[i].text}))
            << "row " << i;
    }
}

std::string Range(const char* what, long lowest, long highest) {
    return "Bad value for " + std::string(what) + ". Valid range is from " + std::to_string(lowest) + " to " +
           std::to_string(highest) + ".";
}

} // namespace

// The tables keep one row per line.
// clang-format off
TEST(ComputerDialogRules, Paths) {
    const std::vector<std::pair<std::string, bool>> paths = {
        {"\\\\srv\\share\\f.txt", true}, {"\\\\srv\\share", true}, {"/var/log/syslog", true},
        {"<SNROOT>Logs\\a.txt", true},    {"\\\\srv\\", false},     {"\\\\\\share", false},
        {"C:\\data\\f.txt", false},       {"relative/f", false},    {"", false}};
    for (const auto& [path, ok] : paths)
        EXPECT_EQ(IsUncOrLocalPath(path), ok) << path;
    EXPECT_EQ((std::vector<std::string>{UncServer("\\\\srv\\share\\f"), UncServer("/srv/share"), UncServer("\\\\srv")}),
              (std::vector<std::string>{"srv", "", ""}));
}

TEST(ComputerDialogRules, DiskSpace) {
    std::string unit = "%";
    using S = DiskSpaceSettings;
    RunTable<S>({}, {
        {[](S&) {}, -1, ""},
        {[](S& s) { s.Computer = "a,b"; }, kDiskHost, kManyHosts},
        {[](S& s) { s.Limit = -0.5; }, kDiskLimit, "Disk Space must be greater or equal to 0."},
        {[](S& s) { s.Limit = 100; }, -1, ""},
        {[](S& s) { s.Limit = 100.5; }, kDiskLimit, "Invalid percentage value."},
    }, [&unit](const S& s) { return CheckDiskSpaceFields(s, unit, {}); });
    unit = "MB";
    RunTable<S>({}, {{[](S& s) { s.Limit = 5000; }, -1, ""}},
                [&unit](const S& s) { return CheckDiskSpaceFields(s, unit, {}); });
    EXPECT_EQ(CheckDiskSpaceFields({}, "TB", {}).Text.Str(), "Units invalid. Select 'MB', 'GB\" or '%'.");
}

TEST(ComputerDialogRules, FileAndDirectory) {
    using F = FileSettings;
    bool given = true;
    const auto file = [&given](const F& s) { return CheckFileFields(s, given); };
    F okFile;
    okFile.Path = "/etc/hostname";
    RunTable<F>(okFile, {
        {[](F&) {}, -1, ""},
        {[](F& s) { s.Path = "C:\\x"; }, kFilePath, "File must be in UNC format (i.e.: \\\\server\\share\\...)."},
        {[](F& s) { s.Rule = F::Condition::Contains; s.Text = " "; }, kFileText, "Blank matching string not allowed."},
        {[&given](F& s) { s.Rule = F::Condition::ChangedWithin; given = false; }, kFileLimit,
         "All fields are required."},
        {[&given](F& s) { s.Rule = F::Condition::Exists; given = false; }, -1, ""},
    }, file);
    using D = DirectorySettings;
    given = true;
    const auto dir = [&given](const D& s) { return CheckDirectoryFields(s, given); };
    D okDir;
    okDir.Path = "\\\\srv\\share\\logs";
    RunTable<D>(okDir, {
        {[](D&) {}, -1, ""},
        {[](D& s) { s.Path = ""; }, kDirPath, "Directory must be in UNC format (i.e.: \\\\server\\share\\...)."},
        {[&given](D& s) { s.Rule = D::Condition::MaxFiles; given = false; }, kDirFiles, "All fields are required."},
        {[&given](D& s) { s.Rule = D::Condition::MaxSize; s.SizeLimit = -1; given = true; }, kDirSize,
         "Directory size must be greater or equal to 0."},
        {[](D& s) { s.Rule = D::Condition::MaxSize; s.SizeLimit = 0; }, -1, ""},
        {[](D& s) { s.Rule = D::Condition::MaxFiles; s.MaxFiles = -1; }, kDirFiles,
         "Please enter the maximum number of files. Value must be greater or equal to 0."},
        {[](D& s) { s.Rule = D::Condition::Exists; s.MaxFiles = -1; }, -1, ""},
    }, dir);
}

TEST(ComputerDialogRules, ComputerTypes) {
    using C = CpuSettings;
    RunTable<C>({"srv", 80, false, 0}, {
        {[](C&) {}, -1, ""},
        {[](C& s) { s.Computer = " "; }, kCpuHost, kComputerRequired},
        {[](C& s) { s.Computer = "a,b"; }, kCpuHost, kManyHosts},
        {[](C& s) { s.MaxPercent = 0; }, kCpuMax, Range("Max. CPU Usage", 1, 100)},
        {[](C& s) { s.MaxPercent = 101; }, kCpuMax, Range("Max. CPU Usage", 1, 100)},
        {[](C& s) { s.Cpu = -1; }, -1, ""},
        {[](C& s) { s.OneCpu = true; s.Cpu = -1; }, kCpuNumber, Range("This CPU", 0, 1023)},
    }, [](const C& s) { return CheckCpuFields(s, {}); });
    using M = MemorySettings;
    RunTable<M>({"", 100, false}, {
        {[](M&) {}, -1, ""},
        {[](M& s) { s.Limit = 101; }, kMemoryLimit, Range("Maximum allowed Committed Memory", 1, 100)},
        {[](M& s) { s.Limit = 101; s.PagesPerSecond = true; }, -1, ""},
        {[](M& s) { s.Limit = 0; s.PagesPerSecond = true; }, kMemoryLimit,
         Range("Maximum allowed Pages/Second", 1, 1000000)},
    }, [](const M& s) { return CheckMemoryFields(s, {}); });
    EXPECT_EQ(CheckDiskDrivesFields({""}, {}).Text.Str(), kComputerRequired);
    EXPECT_EQ(CheckServiceFields({"a;b", "x", false}, {}).Text.Str(), kManyHosts);
    EXPECT_FALSE(CheckServiceFields({"", "", false}, {}).Refused());
    using R = RemoteCommandSettings;
    RunTable<R>({}, {
        {[](R&) {}, -1, ""},
        {[](R& s) { s.Host = "a,b"; }, kRCmdHost, kManyHosts},
        {[](R& s) { s.TimeoutMs = 0; }, kRCmdTimeout, kBadTimeoutMs},
        {[](R& s) { s.TimeoutMs = 3600001; }, kRCmdTimeout, kBadTimeoutMs},
    }, [](const R& s) { return CheckRemoteCommandFields(s, {}); });
    using T = TerminalServerSettings;
    RunTable<T>({}, {
        {[](T&) {}, -1, ""},
        {[](T& s) { s.MaxActive = 0; }, kTseActive, "Value must be greater than 0."},
        {[](T& s) { s.CheckInactive = true; }, kTseInactive, "Value must be greater than 0."},
        {[](T& s) { s.CheckTotal = true; s.MaxTotal = 1; }, -1, ""},
    }, [](const T& s) { return CheckTerminalServerFields(s, {}); });
}

TEST(ComputerDialogRules, Registry) {
    using R = RegistrySettings;
    R ok;
    ok.Computer = "srv";
    ok.RootKey = "HKEY_LOCAL_MACHINE";
    ok.SubKey = "SOFTWARE\\Vendor";
    ok.Data1 = "1";
    RunTable<R>(ok, {
        {[](R&) {}, -1, ""},
        {[](R& s) { s.Computer = ""; s.RootKey = ""; }, kRegComputer, kComputerRequired},
        {[](R& s) { s.RootKey = " "; s.SubKey = ""; }, kRegRootKey, "Registry Root Key required."},
        {[](R& s) { s.SubKey = ""; s.Data1 = ""; }, kRegSubKey, "Registry Sub Key required."},
        {[](R& s) { s.Data1 = ""; }, kRegData1, "Registry Data required."},
        {[](R& s) { s.UseSecond = true; }, kRegData2, "Registry Data required."},
        {[](R& s) { s.Data1 = ""; s.UseSecond = true; s.DetectChange = true; }, -1, ""},
    }, [](const R& s) { return CheckRegistryFields(s, {}); });
}

TEST(ComputerDialogRules, ServerRoleAndEventLog) {
    using S = ServerRoleSettings;
    RunTable<S>({"srv", "MS SQL Server", {}, {}, {"\\Memory\\Available MBytes"}}, {
        {[](S&) {}, -1, ""},
        {[](S& s) { s.Computer = ""; s.Counters.clear(); }, kRoleComputer, kComputerRequired},
        {[](S& s) { s.Counters.clear(); }, kRoleLists,
         "No Service, Process or Counter selected. You must select at least one Service, Process or Counter."},
    }, [](const S& s) { return CheckServerRoleFields(s, {}); });
    using E = EventLogSettings;
    E ok;
    ok.Computer = ".";
    RunTable<E>(ok, {
        {[](E&) {}, -1, ""},
        {[](E& s) { s.Computer = ""; s.Log = ""; }, kEventComputer, "Field required: Server."},
        {[](E& s) { s.Log = ""; s.User = ""; }, kEventLog, "Field required: LogFile."},
        {[](E& s) { s.User = ""; s.Id = "0"; }, kEventCriteria,
         "Required: all Event criteria fields. Use the '*' mark to match any string."},
        {[](E& s) { s.Id = "0"; }, kEventId, "Event ID must be greater than 0."},
        {[](E& s) { s.Id = "x"; }, kEventId, "Event ID must be greater than 0."},
        {[](E& s) { s.Id = "1"; s.LastMinutes = 0; }, kEventMinutes, Range("Only Events from the last", 1, 525600)},
        {[](E& s) { s.LastMinutes = 525600; }, -1, ""},
    }, [](const E& s) { return CheckEventLogFields(s, {}); });
}
// clang-format on
