// The checks on OK of the Windows, serial and environmental dialogs, one table per dialog:
// each row is the fields as the dialog collected them and the first refusal expected
// (field and text), walking the checks in their order.
#include "model/checks/CheckSettings.h"
#include "model/checks/TypeDialogRules.h"
#include "DialogRuleTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const HostCheckLimits kEditing{};

} // namespace

TEST(SystemDialogRules, PrinterAndProcess) {
    const char* all = "All fields are required.";
    RunTable<PrinterSettings>({{{"ps", "laser"}, -1, ""},
                               {{" ", "laser"}, kPrinterServer, all},
                               {{"ps", " "}, kPrinterName, all},
                               {{"a,b", "laser"}, kPrinterServer, kManyHosts}},
                              [](const PrinterSettings& s) { return CheckPrinterFields(s, kEditing); });
    auto process = [](const char* computer, const char* name, bool anyProcess, double memory = 0,
                      double cpu = 0) {
        ProcessSettings s;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict" // GCC 12 false positive on assigning a literal (GCC bug 105329)
        s.Computer = computer;
        s.Name = name;
#pragma GCC diagnostic pop
        s.AnyProcessMemory = anyProcess;
        s.CheckMemory = memory != 0;
        s.MemoryLimitMB = memory;
        s.CheckCpu = cpu != 0;
        s.CpuLimit = cpu;
        return s;
    };
    RunTable<ProcessSettings>({{process(".", "sshd", false, 1, 100), -1, ""},
                               {process("", "", false), kProcessComputer, kComputerRequired},
                               {process("a;b", "", false), kProcessComputer, kManyHosts},
                               {process(".", " ", false), kProcessName, "Process is required."},
                               {process(".", "", true, 0.5), -1, ""},
                               {process(".", "", true, -1), kProcessMemory, kBadMemoryLimit},
                               {process(".", "x", false, -1), kProcessMemory, kBadMemoryLimit},
                               {process(".", "x", false, 0, 101), kProcessCpu, kBadCpuLimit},
                               {process(".", "x", false, 0, -1), kProcessCpu, kBadCpuLimit},
                               {process(".", "", true, 5, -1), -1, ""}},
                              [](const ProcessSettings& s) { return CheckProcessFields(s, kEditing); });
}

TEST(SystemDialogRules, ScheduledTaskAndItsPaths) {
    const char* unc = "File must be in UNC format (i.e.: \\\\server\\share\\...).";
    auto task = [](const char* log, const char* job, const char* keyword, const char* date, const char* pattern) {
        return ScheduledTaskSettings{log, job, keyword, date, pattern, false};
    };
    RunTable<ScheduledTaskSettings>(
        {
            {task("\\\\srv\\logs\\tasks.log", "backup", "Finished", "%m/%d/%Y", "code (0)"), -1, ""},
            {task("/var/log/tasks.log", "b", "k", "d", "p"), -1, ""},
            {task("<SNROOT>Logs\\t.txt", "b", "k", "d", "p"), -1, ""},
            {task("\\\\srv\\logs", "", "", "", ""), kTaskLogFile, unc},
            {task("\\\\srv\\\\x.log", "", "", "", ""), kTaskLogFile, unc},
            {task("C:\\x.log", "", "", "", ""), kTaskLogFile, unc},
            {task("tasks.log", "", "", "", ""), kTaskLogFile, unc},
            {task("/t", " ", "", "", ""), kTaskJob, "Job Name is required."},
            {task("/t", "b", "", "", ""), kTaskKeyword, "Completed Keyword is required."},
            {task("/t", "b", "k", "", ""), kTaskDateFormat, "Date Format is required."},
            {task("/t", "b", "k", "d", " "), kTaskPattern, "Blank matching string not allowed."},
        },
        CheckScheduledTaskFields);
    EXPECT_EQ((std::vector<std::string>{PathServer("\\\\srv\\logs\\t.log"), PathServer("/var/t.log")}),
              (std::vector<std::string>{"srv", ""}));
}

TEST(SystemDialogRules, MsmqAndSerialDevice) {
    RunTable<MsmqSettings>(
        {
            {{"mq", "orders", 1, 1, false}, -1, ""},
            {{" ", "", 0, 0, false}, kMsmqComputer, kComputerRequired},
            {{"a,b", "", 0, 0, false}, kMsmqComputer, kManyHosts},
            {{"mq", "", 0, 0, false}, kMsmqQueue, "Queue name is required."},
            {{"mq", "q", 0, 0, false}, kMsmqMessages, "Maximum number of messages must be greater than 0."},
            {{"mq", "q", 1, 0, false}, kMsmqSize, "Maximum size of queue must be greater than 0."},
        },
        [](const MsmqSettings& s) { return CheckMsmqFields(s, kEditing); });
    auto serial = [](bool expect, const char* text, int timeout) {
        SerialDeviceSettings s;
        s.ExpectResponse = expect;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict" // GCC 12 false positive on assigning a literal (GCC bug 105329)
        s.Expect = text;
#pragma GCC diagnostic pop
        s.TimeoutMs = timeout;
        return s;
    };
    RunTable<SerialDeviceSettings>({{serial(true, "OK", 1), -1, ""},
                                    {serial(true, " ", 0), kSerialResponse, "Response is required."},
                                    {serial(false, "", 0), kSerialTimeout, "Timeout value must be greater than 0."}},
                                   CheckSerialDeviceFields);
}

TEST(SystemDialogRules, PerformanceCountersAndRemovableDrives) {
    const char* counter = "WMI Performance Counter required.";
    PerfCounterSettings one{"pc", {{"\\Memory\\Pages/sec", 4, "100"}}};
    RunTable<PerfCounterSettings>({{one, -1, ""},
                                   {{"", {}}, kPerfComputer, kComputerRequired},
                                   {{"a,b", {}}, kPerfComputer, kManyHosts},
                                   {{"pc", {}}, kPerfCounters, counter}},
                                  [](const PerfCounterSettings& s) { return CheckPerfCounterFields(s, kEditing); });
    using Entry = PerfCounterSettings::Counter;
    RunTable<Entry>({{{"\\P\\x", 1, "-2,5"}, -1, ""},
                     {{" ", 0, ""}, 0, counter},
                     {{"\\P\\x", 0, ""}, 1, "Comparison Operator (Equal To, Less than, ...) is required."},
                     {{"\\P\\x", 7, ""}, 1, "Comparison Operator (Equal To, Less than, ...) is required."},
                     {{"\\P\\x", 6, "1e3x"}, 2, "Value is required."}},
                    [](const Entry& e) { return CheckPerfCounterEntry(e.Path, e.Operator, e.Limit); });
    RunTable<RemovableDrivesSettings>(
        {
            {{true, "corp", "", true, "A:", false}, -1, ""},
            {{false, "corp", " ", false, "", false}, kRemDrvComputers, "You must specify at least one computer."},
            {{true, " ", "pc1", false, "", false}, kRemDrvDomain, "Domain name missing."},
            {{false, "", "pc1,pc2", true, "", false}, kRemDrvDrives, "You must specify at least one removable drive."},
            {{false, "", "pc1", false, "", false}, -1, ""},
        },
        CheckRemovableDrivesFields);
}

TEST(SystemDialogRules, Environmental) {
    const char* temperatures = "At least one of the temperatures are not valid. Please enter valid temperatures.";
    auto sensor = [](const char* host, int probe, const char* low, const char* high) {
        EnvironmentalSettings s;
        s.Device = host;
        s.Probe = probe;
        s.Low = low;
        s.High = high;
        return s;
    };
    RunTable<EnvironmentalSettings>(
        {
            {sensor("unit", 1, "-10.5", "90"), -1, ""},
            {sensor("unit", 1, "20,5", "20.5"), -1, ""},
            {sensor(" ", 0, "", ""), kSensorHost, "Host name or IP address is required."},
            {sensor("a,b", 0, "", ""), kSensorHost, kManyHosts},
            {sensor("unit", 0, "", ""), kSensorProbe, "A valid probe is required."},
            {sensor("unit", 1, "", "90"), kSensorLow, temperatures},
            {sensor("unit", 1, "50", "9O"), kSensorLow, temperatures},
            {sensor("unit", 1, "91", "90"), kSensorLow, temperatures},
        },
        [](const EnvironmentalSettings& s) { return CheckEnvironmentalFields(s, kEditing); });
}
