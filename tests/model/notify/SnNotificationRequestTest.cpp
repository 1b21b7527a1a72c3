#include "NodeTreeBuilder.h"
#include "TestSupport.h"
#include "library/QvcRandom.h"
#include "model/notify/NotificationRequests.h"
#include "model/notify/SnMsnNotificationRequest.h"
#include "model/notify/SnNetworkNotificationRequest.h"
#include "model/notify/SnSmsNotificationRequest.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every channel that has a request class.
const std::int32_t kChannels[] = {kRequestSmtp, kRequestNetwork, kRequestSms, kRequestPager, kRequestMsn, kRequestSnmp};

// A request section with every key set to a value of its own; scrambled passwords hold a
// scrambled text, since they are unscrambled when read.
std::string FilledSection(const std::vector<std::string>& keys) {
    std::string text = "[Request]\r\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string value = i < 2 ? std::to_string(i) : std::to_string(i + 7);
        const bool scrambled = keys[i].find("EPassword") != std::string::npos;
        text += keys[i] + "=" + (scrambled ? CQvcString::Scramble(value.c_str()).Str() : value) + "\r\n";
    }
    return text;
}

class NotificationRequestTest : public ::testing::Test {
protected:
    CQvcString NotDir() const { return CQvcString(root.File("Sys/Not")); }

    testsupport::ScopedHives hives;
    testsupport::EngineRootDir root;
};

} // namespace

// Requests outlive an update of either side, so every key keeps its name and place.  The
// fingerprint (64-bit FNV-1a of "prefix:key" lines) changes only with a deliberate change.
TEST_F(NotificationRequestTest, EveryClassWritesItsKeysOnceAndReadsThemBack) {
    std::string allKeys;
    for (const std::int32_t type : kChannels) {
        SCOPED_TRACE(CSnNotificationRequest::Prefix(type));
        auto request = CreateNotificationRequest(type);
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->Type(), type);
        ASSERT_TRUE(request->WriteRequest(NotDir(), true));
        const std::string& file = request->RequestFile().Str();
        EXPECT_EQ(platform::ProfileListSections(file.c_str()), std::vector<std::string>{"Request"});
        const std::vector<std::string> keys = platform::ProfileListKeys(file.c_str(), "Request");
        EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
        for (const std::string& key : keys)
            allKeys += std::string(CSnNotificationRequest::Prefix(type)) + ":" + key + "\n";
        EXPECT_EQ(testsupport::ReadFile(file).rfind("[Request]\r\nCreatorIsManager=1\r\nEnabled=1\r\n", 0), 0u);
        // The name carries the channel's prefix; the engine finds the class from it.
        EXPECT_EQ(CSnNotificationRequest::TypeFromFileName(file), type);

        // A request the engine wrote itself, every field set: writing what was read gives
        // the same lines, scrambled passwords included, so every field came back.
        const CQvcString engineFile = CSnNotificationRequest::CreateRequestNameAt(type, NotDir(), 100);
        testsupport::WriteFile(engineFile.Str(), FilledSection(keys));
        std::unique_ptr<CSnNotificationRequest> read = ReadNotificationRequest(engineFile);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->Type(), type);
        EXPECT_EQ(read->RequestFile(), engineFile);
        testsupport::TempDir other;
        ASSERT_TRUE(read->WriteRequest(CQvcString(other.Path()), true));
        EXPECT_EQ(testsupport::ReadFile(read->RequestFile().Str()), FilledSection(keys));
    }
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : allKeys)
        hash = (hash ^ c) * 1099511628211ull;
    EXPECT_EQ(hash, 6040293093471575010ull) << allKeys;
}

TEST_F(NotificationRequestTest, PasswordsAreScrambledAndMessagesKeptOnOneLine) {
    CSnSmtpNotificationRequest smtp;
    smtp.MailServerPassword1 = "secret one";
    smtp.Message = "line one\r\nline two\nline three\rend";
    smtp.Subject = "two\r\nlines";
    ASSERT_TRUE(smtp.WriteRequest(NotDir(), true));
    const char* file = smtp.RequestFile().c_str();

    const std::string stored = platform::ProfileReadText(file, "Request", "MailServerEPassword1", "");
    EXPECT_EQ(stored, CQvcString::Scramble("secret one").Str());
    // An empty password stays empty.
    EXPECT_EQ(platform::ProfileReadText(file, "Request", "MailServerEPassword2", "<none>"), "");
    EXPECT_EQ(platform::ProfileReadText(file, "Request", "Message", ""),
              "line one||line two||line three||end");
    EXPECT_EQ(platform::ProfileReadText(file, "Request", "Subject", ""), "two||lines");
}

TEST_F(NotificationRequestTest, EntriesThatDoNotFitTheSectionAreLeftOut) {
    // Network request: CreatorIsManager, Enabled, RecipientAddress, Message, LogFile.
    CSnNetworkNotificationRequest request;
    request.RecipientAddress = "r";
    const std::size_t fixed = std::string("CreatorIsManager=1").size() + 1 + std::string("Enabled=1").size() +
                              1 + std::string("RecipientAddress=r").size() + 1 +
                              std::string("LogFile=").size() + 1;
    const std::size_t usable = CSnNotificationRequest::kSectionBufferSize - 1;
    const std::size_t messageRoom = usable - fixed - std::string("Message=").size() - 1;

    auto keys = [&request] { return platform::ProfileListKeys(request.RequestFile().c_str(), "Request"); };

    // Exactly filling the usable bytes: everything is written.
    request.Message = std::string(messageRoom, 'm');
    ASSERT_TRUE(request.WriteRequest(NotDir(), true));
    EXPECT_EQ(request.Section().Count(), usable);
    EXPECT_EQ(keys(),
              (std::vector<std::string>{"CreatorIsManager", "Enabled", "RecipientAddress", "Message", "LogFile"}));
    CSnNetworkNotificationRequest read;
    ASSERT_TRUE(read.ReadRequest(request.RequestFile()));
    EXPECT_EQ(read.Message.Length(), messageRoom);

    // One byte more: the message still fits where it stands, the log file after it no
    // longer does.
    request.Message = std::string(messageRoom + 1, 'm');
    ASSERT_TRUE(request.WriteRequest(NotDir(), true));
    EXPECT_EQ(keys(), (std::vector<std::string>{"CreatorIsManager", "Enabled", "RecipientAddress", "Message"}));

    // A message too long for the room left at its place is left out; the smaller log
    // file after it still fits.
    const std::size_t logFileEntry = std::string("LogFile=").size() + 1;
    request.Message = std::string(messageRoom + logFileEntry + 1, 'm');
    request.LogFile = "log.txt";
    ASSERT_TRUE(request.WriteRequest(NotDir(), true));
    EXPECT_EQ(keys(), (std::vector<std::string>{"CreatorIsManager", "Enabled", "RecipientAddress", "LogFile"}));
    ASSERT_TRUE(read.ReadRequest(request.RequestFile()));
    EXPECT_EQ(read.Message.Str() + "|" + read.RecipientAddress.Str() + "|" + read.LogFile.Str(), "|r|log.txt");
}

TEST_F(NotificationRequestTest, RequestNamesCountUpWhileTaken) {
    const CQvcString dir = NotDir();
    // Up to 32768 seconds no random part is subtracted.
    EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestSmtp, dir, 100).Str(),
              dir.Str() + "/SMTP00000064.REQ");
    EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestGraph, dir, 32768).Str(),
              dir.Str() + "/GRPH00008000.REQ");
    {
        QvcRandomLock hold;
        QvcSrand(99);
        CQvcRandom expected(99);
        char name[32];
        std::snprintf(name, sizeof name, "/PG%08lX.REQ",
                      0x65000000ul - static_cast<unsigned long>(expected.Next()));
        EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestPager, dir, 0x65000000).Str(),
                  dir.Str() + name);
    }

    // Taken names (any file, or a directory, of that name) are skipped.
    testsupport::WriteFile(root.File("Sys/Not/SNMP00000064.REQ"), "");
    fs::create_directory(root.File("Sys/Not/SNMP00000065.REQ"));
    testsupport::WriteFile(root.File("Sys/Not/SNMP00000067.REQ"), "");
    EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestSnmp, dir, 100).Str(),
              dir.Str() + "/SNMP00000066.REQ");
    // Other extensions or prefixes do not take a name.
    testsupport::WriteFile(root.File("Sys/Not/NET00000064.PRC"), "");
    EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestNetwork, dir, 100).Str(),
              dir.Str() + "/NET00000064.REQ");

    // Unknown types have no prefix, hence no name.
    EXPECT_TRUE(CSnNotificationRequest::CreateRequestNameAt(0, dir, 100).IsEmpty());
    EXPECT_TRUE(CSnNotificationRequest::CreateRequestNameAt(15, dir, 100).IsEmpty());
}

TEST_F(NotificationRequestTest, NoRequestAfter999TakenNames) {
    const CQvcString dir = NotDir();
    char name[32];
    for (unsigned n = 100; n < 100 + 998; ++n) {
        std::snprintf(name, sizeof name, "Sys/Not/MSN%08X.REQ", n);
        testsupport::WriteFile(root.File(name), "");
    }
    // 998 taken: the 999th name is the last one tried.
    std::snprintf(name, sizeof name, "Sys/Not/MSN%08X.REQ", 100u + 998u);
    EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestMsn, dir, 100).Str(), root.File(name));
    testsupport::WriteFile(root.File(name), "");
    EXPECT_TRUE(CSnNotificationRequest::CreateRequestNameAt(kRequestMsn, dir, 100).IsEmpty());
    EXPECT_EQ(CSnNotificationRequest::CreateRequestNameAt(kRequestMsn, dir, 99).Str(),
              dir.Str() + "/MSN00000063.REQ");
}

TEST_F(NotificationRequestTest, PrefixesAndTypesFromFileNames) {
    const std::vector<std::string> prefixes = {"SMTP",  "NET", "SMS",  "PG",   "MSN", "SNMP", "RUN",
                                               "RSTRT", "RBT", "LOGA", "LOGS", "REP", "GRPH", "DBQ"};
    for (std::size_t i = 0; i < prefixes.size(); ++i) {
        const auto type = static_cast<std::int32_t>(i + 1);
        EXPECT_EQ(CSnNotificationRequest::Prefix(type), prefixes[i]);
        EXPECT_EQ(CSnNotificationRequest::TypeFromFileName("/x/" + prefixes[i] + "0000ABCD.REQ"), type);
    }
    EXPECT_TRUE(CSnNotificationRequest::Prefix(0) == nullptr && CSnNotificationRequest::Prefix(15) == nullptr);
    EXPECT_EQ(CSnNotificationRequest::TypeFromFileName("SMS0000ABCD.RSP"), kRequestSms);
    // Seven digits, not hex, lower case, unknown or missing prefix.
    for (const char* name : {"/x/SMTP0000ABC.REQ", "/x/SMTP0000ABCG.REQ", "/x/SMTP0000abcd.REQ",
                             "/x/XYZ0000ABCD.REQ", "/x/0000ABCD.REQ", ""})
        EXPECT_EQ(CSnNotificationRequest::TypeFromFileName(name), 0) << name;

    // Types 7 to 13 have no class: such a file is not read.
    testsupport::WriteFile(root.File("Sys/Not/RUN00000001.REQ"), "[Request]\r\nCreatorIsManager=1\r\n");
    EXPECT_EQ(ReadNotificationRequest(CQvcString(root.File("Sys/Not/RUN00000001.REQ"))), nullptr);
    EXPECT_EQ(CreateNotificationRequest(kRequestRun), nullptr);
    EXPECT_EQ(CreateNotificationRequest(kRequestSnmp)->Type(), kRequestSnmp);
}

TEST_F(NotificationRequestTest, FilePathsDerivedFromTheRequest) {
    CSnMsnNotificationRequest request;
    ASSERT_TRUE(request.SetRequestFile(CQvcString(root.File("Sys/Not/MSN0000ABCD.REQ")), false));
    EXPECT_EQ(request.InProcessFile().Str(), root.File("Sys/Not/MSN0000ABCD.PRC"));
    EXPECT_EQ(request.ResponseFile().Str(), root.File("Sys/Not/MSN0000ABCD.RSP"));
    EXPECT_TRUE(request.BackupFile().IsEmpty()); // no "Backup" directory
    // A dot in a directory name is not an extension.
    ASSERT_TRUE(request.SetRequestFile(CQvcString(root.File("a.b/MSN0000ABCD")), false));
    EXPECT_EQ(request.ResponseFile().Str(), root.File("a.b/MSN0000ABCD.RSP"));
    // Nothing to set: every path is cleared.
    EXPECT_FALSE(request.SetRequestFile(CQvcString(), false));
    EXPECT_TRUE(request.ResponseFile().IsEmpty() && request.InProcessFile().IsEmpty());
}

TEST_F(NotificationRequestTest, BackupCopyOnlyWhenTheDirectoryExistsAndNeverOverwritten) {
    CSnNetworkNotificationRequest request;
    request.RecipientAddress = "HOST1";
    ASSERT_TRUE(request.WriteRequest(NotDir(), true));
    EXPECT_TRUE(request.BackupFile().IsEmpty());

    fs::create_directory(root.File("Sys/Not/Backup"));
    ASSERT_TRUE(request.WriteRequest(NotDir(), true));
    const std::string backup = request.BackupFile().Str();
    ASSERT_FALSE(backup.empty());
    EXPECT_EQ(fs::path(backup),
              fs::path(root.File("Sys/Not/Backup")) / fs::path(request.RequestFile().Str()).filename());
    EXPECT_EQ(testsupport::ReadFile(backup), testsupport::ReadFile(request.RequestFile().Str()));

    // Written again under the same name: the old copy stays.
    request.RecipientAddress = "HOST2";
    ASSERT_TRUE(request.WriteRequest(request.RequestFile(), false));
    EXPECT_NE(testsupport::ReadFile(backup).find("HOST1"), std::string::npos);
    EXPECT_NE(testsupport::ReadFile(request.RequestFile().Str()).find("HOST2"), std::string::npos);
}

TEST_F(NotificationRequestTest, UnwritableDirectoryFailsQuietly) {
    testsupport::WriteFile(root.File("blocker"), "x");
    const CQvcString blocked(root.File("blocker/Not"));
    CSnSmsNotificationRequest request;
    request.Message = "never sent";
    EXPECT_FALSE(request.WriteRequest(blocked, true));
    EXPECT_FALSE(fs::exists(request.RequestFile().Str()));
    // A missing directory behaves the same.
    EXPECT_FALSE(request.WriteRequest(CQvcString(root.File("Sys/Missing")), true));
    EXPECT_FALSE(fs::exists(root.File("Sys/Missing")));
}

TEST_F(NotificationRequestTest, WritingLeavesOnlyTheRequestAndRemoveFilesCleansUp) {
    CSnSnmpNotificationRequest request;
    ASSERT_TRUE(request.WriteRequest(NotDir(), true));
    const std::string name = fs::path(request.RequestFile().Str()).filename().string();
    // No lock or temporary file remains under the channel's prefix.
    EXPECT_EQ(FilesIn(root.File("Sys/Not")), std::vector<std::string>{name});

    // The engine's files appear beside it; removing the request takes them all.
    testsupport::WriteFile(request.InProcessFile().Str(), "");
    testsupport::WriteFile(request.ResponseFile().Str(), "[Response]\r\nErrorCode=0\r\n");
    testsupport::WriteFile(platform::ProfileLockFile(request.ResponseFile().Str()), "");
    EXPECT_EQ(FilesIn(root.File("Sys/Not")).size(), 4u);
    request.RemoveFiles();
    EXPECT_TRUE(FilesIn(root.File("Sys/Not")).empty());
}

TEST_F(NotificationRequestTest, ReadingAMissingRequestCreatesNothing) {
    CSnSmtpNotificationRequest request;
    request.MailServer1 = "left over";
    request.Enabled = 1;
    const CQvcString path(root.File("Sys/Not/SMTP00000001.REQ"));
    EXPECT_FALSE(request.ReadRequest(path));
    EXPECT_FALSE(fs::exists(path.Str()));
    EXPECT_TRUE(request.MailServer1.IsEmpty() && request.Enabled == 0);
    EXPECT_EQ(request.ResponseFile().Str(), root.File("Sys/Not/SMTP00000001.RSP"));
    EXPECT_EQ(ReadNotificationRequest(path), nullptr);
}
