#include "engine/EngineServices.h"

#include "engine/NetworkChecks.h"
#include "engine/NotificationSender.h"
#include "engine/alerting/DefaultChannels.h"

EngineServices DefaultEngineServices() {
    EngineServices services;
    services.RunCheck = [](const CSnNodeCfg& check, const RunContext& context) { return RunCheck(check, context); };
    services.StartCheck = [](const CSnNodeCfg& check, const RunContext& context, std::function<void(CheckOutcome)> done) {
        return StartNetworkCheck(check, context, std::move(done));
    };
    services.SendNotification = [](const CSnNotificationRequest& request, const RunContext& context) {
        return SendNotificationTest(request, context);
    };
    services.AlertChannels = DefaultAlertChannels();
    return services;
}
