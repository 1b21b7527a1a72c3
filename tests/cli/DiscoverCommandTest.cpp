// sentrelle discover against listeners on loopback addresses.
#include "CliTestRun.h"
#include "LoopbackSockets.h"
#include "platform/UniqueFd.h"

#include <gtest/gtest.h>

#include <regex>

TEST(DiscoverCommand, PrintsTheAnsweringHostsInAddressOrder) {
    int port = 0;
    platform::UniqueFd high(testsupport::OpenListenerAt("127.0.0.10", port));
    platform::UniqueFd low(testsupport::OpenListenerAt("127.0.0.9", port));
    ASSERT_TRUE(high && low);
    const std::string p = std::to_string(port);

    const CliOutcome scan = RunCli({"discover", "--range", "127.0.0.1-127.0.0.12", "--port", p});
    EXPECT_EQ(scan.Code, 0) << scan.Err;
    EXPECT_TRUE(std::regex_match(scan.Out, std::regex("127\\.0\\.0\\.9\t" + p + "\t\\d+\n127\\.0\\.0\\.10\t" + p +
                                                      "\t\\d+\n")))
        << scan.Out;
    EXPECT_EQ(scan.Err, "2 of 12 hosts answered\n");

    // A host list, and the resolved name as a fourth field.
    const CliOutcome named = RunCli({"discover", "--hosts", "127.0.0.9;127.0.0.1", "--port", p, "--resolve"});
    EXPECT_TRUE(std::regex_match(named.Out, std::regex("127\\.0\\.0\\.9\t" + p + "\t\\d+\t[^\t]*\n"))) << named.Out;

    const struct {
        std::vector<std::string> Args;
        std::string Error;
    } refused[] = {
        {{"discover", "--range", "127.0.0.1-127.0.0.300"}, "Invalid IP address: '127.0.0.300'."},
        {{"discover", "--range", "127.0.0.1-127.1.0.1"}, "IP range too large."},
        {{"discover", "--range", "127.0.0.1"}, "needs the form A-B"},
        {{"discover", "--range", "127.0.0.1-127.0.0.2", "--port", "65536"}, "Invalid TCP Port."},
        {{"discover", "--range", "127.0.0.1-127.0.0.2", "--hosts", "a"}, "either --range or --hosts"},
    };
    for (const auto& r : refused) {
        const CliOutcome outcome = RunCli(r.Args);
        EXPECT_EQ(outcome.Code, 2) << r.Error;
        EXPECT_NE(outcome.Err.find(r.Error), std::string::npos) << outcome.Err;
    }
}
