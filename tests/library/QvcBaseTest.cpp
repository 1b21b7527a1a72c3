#include "library/ErrorReport.h"
#include "library/QvcBase.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

using testsupport::ReadFile;

using testsupport::Lines;

TEST(QvcBase, NameCarriesItsNumberAndCopiesKeepTheTexts) {
    EXPECT_EQ(CQvcBase("GUI").Name(), "GUI");
    EXPECT_EQ(CQvcBase("Worker", 3).Name(), "Worker3");
    CQvcBase b("A");
    b.SetName("B", 0);
    EXPECT_EQ(b.Name(), "B");
    CQvcBase unnamed;
    unnamed.SetRingLogFile("ring.ini");
    CQvcBase copy(unnamed);
    EXPECT_TRUE(copy.Name() == "" && copy.RingLogFile() == "ring.ini" && copy.TraceFile() == "");
    copy = b;
    EXPECT_TRUE(copy.Name() == "B" && copy.RingLogFile() == "");
    b.SetName(nullptr);
    EXPECT_EQ(b.Name(), "");
}

TEST(QvcBase, TraceFileLineFormatAndLineBreaks) {
    testsupport::TempDir dir;
    CQvcBase b("T");
    b.Trace(1, "not written: no path yet");
    b.SetTraceFile(dir.File("trace.txt").c_str());
    b.Trace(0, "flags 0 writes nothing");
    b.Trace(1, "Load %d: a\r\nb\rc\nd\r\n\r\n", 5);
    b.Trace(4, "raw\r\nkept\n");
    // A format that yields an empty text still writes its time stamp.
    b.Trace(1, "%s", "");
    const auto lines = Lines(ReadFile(dir.File("trace.txt")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\[\d\d:\d\d:\d\d\]  Load 5: a <CRLF> b <CR> c <LF> d)")))
        << lines[0];
    // Flag 4 keeps the line breaks (CR LF as LF), the trailing one included.
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\[\d\d:\d\d:\d\d\]  raw)"))) << lines[1];
    EXPECT_EQ(lines[2], "kept");
    EXPECT_EQ(lines[3], "");
    EXPECT_TRUE(std::regex_match(lines[4], std::regex(R"(\[\d\d:\d\d:\d\d\]  )"))) << lines[4];
}

TEST(QvcBase, RingLogKeepsTheLast100NumberedEntries) {
    testsupport::TempDir dir;
    const std::string ring = dir.File("ring.ini");
    CQvcBase b("R");
    b.SetRingLogFile(ring.c_str());
    for (int i = 0; i < 105; ++i)
        b.Trace(2, "line %d", i);
    b.Trace(2, "%s", std::string(2000, 'z').c_str());

    EXPECT_EQ(platform::GetPrivateProfileInt("Init", "NextEntry", -1, ring.c_str()), 106u);
    std::vector<char> buffer(1 << 20);
    platform::GetPrivateProfileSection("Log", buffer.data(), static_cast<uint32_t>(buffer.size()), ring.c_str());
    std::vector<std::string> entries;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
        entries.emplace_back(p);
    ASSERT_EQ(entries.size(), 100u);
    // Entry numbers 6 to 105 remain, oldest first.
    EXPECT_EQ(entries.front().substr(0, 9), "00000006|");
    EXPECT_NE(entries.front().find("line 6"), std::string::npos);
    const std::string& last = entries.back();
    EXPECT_EQ(last.substr(0, 9), "00000069|");
    // A line over 1023 characters is cut to 1020 and marked.
    EXPECT_EQ(last.size(), 9 + 1020 + 3);
    EXPECT_EQ(last.substr(last.size() - 4), "z...");
}

TEST(QvcBase, TracePathComesFromTheMachineHiveAndIsWrittenBack) {
    testsupport::ScopedHives hives;
    CQvcBase b("GUI");
    b.ReadTracePathFromRegistry("Configuration");
    EXPECT_EQ(b.TraceFile(), "");
    // The empty default now exists in the hive.
    std::string value = "unset";
    EXPECT_EQ(platform::RegQueryString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle\\Server\\Trace",
                                       "Configuration", &value),
              platform::kRegOk);
    EXPECT_EQ(value, "");

    const std::string trace = hives.Dir().File("cfg-trace.txt");
    platform::RegSetString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle\\Server\\Trace",
                           "Configuration", ("  " + trace + " \r\n").c_str());
    b.ReadTracePathFromRegistry("Configuration");
    EXPECT_EQ(b.TraceFile(), trace.c_str());
    b.Trace(1, "hello");
    EXPECT_NE(ReadFile(trace).find("hello"), std::string::npos);
}

TEST(ErrorReport, LinesGoToTheDebugDirectoryOnlyWhenItExists) {
    testsupport::TempDir dir;
    {
        testsupport::ScopedEnv env("SENTRELLE_DEBUG_DIR", dir.File("absent"));
        ReportError("Src", 12, "nothing happens");
        QVC_ASSERT(1 == 2);
        EXPECT_FALSE(std::filesystem::exists(dir.File("absent")));
    }
    testsupport::ScopedEnv env("SENTRELLE_DEBUG_DIR", dir.Path());
    ReportError("SnDependencyCalculator", 101, "Potential Timer problems");
    ReportWarning("Other", 7, "careful");
    QVC_ASSERT(2 + 2 == 4);
    QVC_ASSERT(2 + 2 == 5);
    const auto log = Lines(ReadFile(dir.File("Quorvane.log")));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        log[0], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \(Error\); file \[SnDependencyCalculator:101\]; )"
                           R"(Potential Timer problems)")))
        << log[0];
    EXPECT_NE(log[1].find("(Warning); file [Other:7]; careful"), std::string::npos);
    const auto asserts = Lines(ReadFile(dir.File("assert.txt")));
    ASSERT_EQ(asserts.size(), 1u);
    EXPECT_TRUE(std::regex_match(asserts[0], std::regex(R"(\[\d\d:\d\d:\d\d\] QUORVANE ASSERTION FAILURE, FILE: )"
                                                        R"(\[.*QvcBaseTest\.cpp\]; LINE: \d+)")))
        << asserts[0];
}
