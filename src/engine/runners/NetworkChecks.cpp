#include "engine/NetworkChecks.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <future>

CheckOutcome RunPreparedCheck(const std::function<PreparedNetCheck(const RunContext&, OutcomeSink)>& prepare,
                              const RunContext& context) {
    auto promise = std::make_shared<std::promise<CheckOutcome>>();
    std::future<CheckOutcome> outcome = promise->get_future();
    PreparedNetCheck prepared =
        prepare(context, [promise](CheckOutcome result) { promise->set_value(std::move(result)); });
    if (!prepared.Task)
        return prepared.Outcome;
    CNetReactor::Shared().Add(std::move(prepared.Task));
    return outcome.get();
}

bool StartNetworkCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done) {
    // An IMAP check with an account logs on through the mail client on a worker.
    if (check.Function.Type == kTypeImap && ImapSettings::Read(check.Function).HasAccount())
        return false;
    PreparedNetCheck prepared;
    switch (check.Function.Type) {
    case kTypeTcpIp:
    case kTypeNntp:
    case kTypeImap:
    case kTypeCitrixIca:
        prepared = PrepareTcpCheck(check, context, done);
        break;
    case kTypeIcmpPing:
        prepared = PrepareIcmpCheck(check, context, done, true);
        break;
    default:
        return false;
    }
    if (prepared.Task)
        CNetReactor::Shared().Add(std::move(prepared.Task));
    else
        done(std::move(prepared.Outcome));
    return true;
}
