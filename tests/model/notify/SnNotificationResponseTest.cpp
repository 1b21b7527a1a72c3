#include "model/notify/SnNotificationResponse.h"
#include "NodeTreeBuilder.h"
#include "TestSupport.h"
#include "model/notify/SnNetworkNotificationRequest.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class NotificationResponseTest : public ::testing::Test {
protected:
    NotificationResponseTest() {
        request.RecipientAddress = "HOST";
        EXPECT_TRUE(request.WriteRequest(CQvcString(root.File("Sys/Not")), true));
    }

    testsupport::ScopedHives hives;
    testsupport::EngineRootDir root;
    CSnNetworkNotificationRequest request;
};

} // namespace

TEST_F(NotificationResponseTest, ResponseReadsBackAfterWrite) {
    CSnNotificationResponse written;
    written.CreatorIsManager = 0;
    written.ErrorCode = 25001;
    written.ErrorDescription = "Connection refused";
    written.ErrorDescriptionEx = "554 no\r\nsecond line";
    for (int i = 0; i < CSnNotificationResponse::kParamCount; ++i)
        written.Param[i] = CQvcString("value " + std::to_string(i + 1));
    ASSERT_TRUE(written.WriteResponse(request));

    const char* file = request.ResponseFile().c_str();
    std::vector<std::string> keys = {"CreatorIsManager", "ErrorCode", "ErrorDescription",
                                     "ErrorDescriptionEx"};
    for (int i = 1; i <= 10; ++i)
        keys.push_back("Param" + std::to_string(i));
    EXPECT_EQ(platform::ProfileListKeys(file, "Response"), keys);

    CSnNotificationResponse read;
    read.CreatorIsManager = 1;
    ASSERT_TRUE(read.ReadResponse(request));
    EXPECT_EQ(read.CreatorIsManager, 0);
    EXPECT_EQ(read.ErrorCode, 25001);
    EXPECT_EQ(read.ErrorDescription, "Connection refused");
    EXPECT_EQ(read.ErrorDescriptionEx, "554 no||second line"); // kept on its line
    EXPECT_EQ(read.Param[0], "value 1");
    EXPECT_EQ(read.Param[9], "value 10");

    // The Manager marks the response as seen and writes it back; nothing else changes.
    read.CreatorIsManager = 0;
    read.ErrorCode = -7;
    ASSERT_TRUE(read.WriteResponse(request));
    CSnNotificationResponse again;
    ASSERT_TRUE(again.ReadResponse(request));
    EXPECT_EQ(again.ErrorCode, -7);
    EXPECT_EQ(again.Param[4], "value 5");
}

TEST_F(NotificationResponseTest, MissingKeysReadAsZeroOrEmpty) {
    testsupport::WriteFile(request.ResponseFile().Str(),
                           "[Response]\r\nerrorcode=12 apples\r\nParam3=three\r\nParam3=ignored\r\n");
    CSnNotificationResponse response;
    response.CreatorIsManager = 1;
    response.ErrorDescription = "stale";
    response.Param[0] = "stale";
    ASSERT_TRUE(response.ReadResponse(request));
    EXPECT_EQ(response.CreatorIsManager, 0);
    EXPECT_EQ(response.ErrorCode, 12);
    EXPECT_EQ(response.ErrorDescription, "");
    EXPECT_EQ(response.Param[0], "");
    EXPECT_EQ(response.Param[2], "three");
}

TEST_F(NotificationResponseTest, ReadingAMissingResponseSeedsTheFile) {
    const std::string file = request.ResponseFile().Str();
    ASSERT_FALSE(std::filesystem::exists(file));
    CSnNotificationResponse response;
    response.ErrorCode = 5;
    ASSERT_TRUE(response.ReadResponse(request));
    EXPECT_EQ(response.ErrorCode, 0);
    EXPECT_EQ(platform::ProfileReadText(file.c_str(), "Response", "EXISTS", ""), "1");

    // A request without files has no response to read or write.
    CSnNetworkNotificationRequest unset;
    EXPECT_FALSE(response.ReadResponse(unset));
    EXPECT_FALSE(response.WriteResponse(unset));
}
