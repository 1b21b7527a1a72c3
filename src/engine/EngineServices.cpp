#include "engine/EngineServices.h"

#include "engine/NotificationSender.h"

EngineServices DefaultEngineServices() {
    EngineServices services;
    services.RunCheck = [](const CSnNodeCfg& check, const RunContext& context) { return RunCheck(check, context); };
    services.SendNotification = [](const CSnNotificationRequest& request, const RunContext& context) {
        return SendNotificationTest(request, context);
    };
    return services;
}
