#include "model/notify/SnNotificationResponse.h"
#include "NodeTreeBuilder.h"
#include "TestSupport.h"
#include "model/notify/SnNetworkNotificationRequest.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// "creator|code|description|description ex|param 1|...|param 10".
std::string Text(const CSnNotificationResponse& r) {
    std::string text = std::to_string(r.CreatorIsManager) + "|" + std::to_string(r.ErrorCode) + "|" +
                       r.ErrorDescription.Str() + "|" + r.ErrorDescriptionEx.Str();
    for (const CQvcString& param : r.Param)
        text += "|" + param.Str();
    return text;
}

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

    // The extended description is kept on its line.
    CSnNotificationResponse read;
    read.CreatorIsManager = 1;
    ASSERT_TRUE(read.ReadResponse(request));
    written.ErrorDescriptionEx = "554 no||second line";
    EXPECT_EQ(Text(read), Text(written));
}

TEST_F(NotificationResponseTest, MissingKeysReadAsZeroOrEmpty) {
    testsupport::WriteFile(request.ResponseFile().Str(),
                           "[Response]\r\nerrorcode=12 apples\r\nParam3=three\r\nParam3=ignored\r\n");
    CSnNotificationResponse response;
    response.CreatorIsManager = 1;
    response.ErrorDescription = "stale";
    response.Param[0] = "stale";
    ASSERT_TRUE(response.ReadResponse(request));
    EXPECT_EQ(Text(response), "0|12|||||three|||||||");
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
