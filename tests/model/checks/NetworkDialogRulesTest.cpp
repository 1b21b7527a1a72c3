// The checks on OK of the network dialogs, one table per dialog: each row is the fields
// as the dialog collected them and the first refusal expected (field and text), so the
// rows walk the checks in their order and across the range boundaries.
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/TypeDialogRules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kHostRequired = "Host is required.";
constexpr const char* kManyHosts = "Multiple hosts (computernames, IP addresses) are not allowed when modifying a check. "
                                   "It is only allowed on check creation.";

template <class S> struct Case {
    S fields;
    int field; // -1: passes
    const char* text;
};

// Runs a table against a dialog's checks while an existing check is edited.
template <class S, class F> void RunTable(const std::vector<Case<S>>& cases, F check) {
    int row = 0;
    for (const Case<S>& c : cases) {
        const DialogRefusal r = check(c.fields, HostCheckLimits{});
        EXPECT_EQ((std::pair{r.Field, r.Text.Str()}), (std::pair{c.field, std::string(c.text)})) << "row " << row;
        ++row;
    }
}

} // namespace

TEST(NetworkDialogRules, Tcp) {
    const char* timeout = "Bad value for Time-out. Valid range is from 1 to 3600000.";
    TcpSettings ok = TcpSettings::ForType(kTypeImap);
    ok.Host = "127.0.0.1";
    auto row = [&ok](const char* host, int port, bool expect, const char* text, int timeoutMs) {
        TcpSettings s = ok;
        s.Host = host;
        s.Port = port;
        s.ExpectResponse = expect;
        s.Expect = text;
        s.TimeoutMs = timeoutMs;
        return s;
    };
    RunTable<TcpSettings>(
        {
            {ok, -1, ""},
            {row(" ", 0, true, "", 0), kTcpHost, kHostRequired},
            {row("h", 0, true, " ", 0), kTcpExpect, "Response string is required."},
            {row("a,b", 0, false, "", 0), kTcpHost, kManyHosts},
            {row("h", 0, false, "", 0), kTcpPort, kBadPort},
            {row("h", 65536, false, "", 1), kTcpPort, kBadPort},
            {row("h", 1, false, "", 0), kTcpTimeout, timeout},
            {row("h", 65535, false, "", 3600001), kTcpTimeout, timeout},
            {row("h", 65535, false, "", 3600000), -1, ""},
        },
        CheckTcpFields);
    // Every type has a sample that passes, except Citrix - ICA.
    for (const int type : {kTypeTcpIp, kTypeNntp, kTypeImap})
        EXPECT_FALSE(CheckTcpFields(TcpSampleData(type).value(), {}).Refused()) << type;
    EXPECT_EQ(TcpSampleData(kTypeCitrixIca), std::nullopt);
}

TEST(NetworkDialogRules, Http) {
    const char* timeout = "Bad value for Time-out. Valid range is from 1 to 3600.";
    auto row = [](const char* host, int secs) {
        HttpSettings s;
        s.HostPort = host;
        s.TimeoutSecs = secs;
        return s;
    };
    RunTable<HttpSettings>(
        {
            {row("127.0.0.1:8080", 1), -1, ""},
            {row(" ", 0), kHttpUrl, "Please enter the URL."},
            {row("a;b", 0), kHttpUrl, kManyHosts},
            {row("h", 0), kHttpTimeout, timeout},
            {row("h", 3601), kHttpTimeout, timeout},
            {row("h", 3600), -1, ""},
        },
        CheckHttpFields);
    EXPECT_FALSE(CheckHttpFields(HttpSampleData(), {}).Refused());
}
