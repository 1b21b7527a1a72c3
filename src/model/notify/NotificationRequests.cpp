#include "model/notify/NotificationRequests.h"

#include "model/notify/SnMsnNotificationRequest.h"
#include "model/notify/SnNetworkNotificationRequest.h"
#include "model/notify/SnPagerNotificationRequest.h"
#include "model/notify/SnQueryRequest.h"
#include "model/notify/SnSmsNotificationRequest.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"

std::unique_ptr<CSnNotificationRequest> CreateNotificationRequest(std::int32_t type) {
    switch (type) {
    case kRequestSmtp:
        return std::make_unique<CSnSmtpNotificationRequest>();
    case kRequestNetwork:
        return std::make_unique<CSnNetworkNotificationRequest>();
    case kRequestSms:
        return std::make_unique<CSnSmsNotificationRequest>();
    case kRequestPager:
        return std::make_unique<CSnPagerNotificationRequest>();
    case kRequestMsn:
        return std::make_unique<CSnMsnNotificationRequest>();
    case kRequestSnmp:
        return std::make_unique<CSnSnmpNotificationRequest>();
    case kRequestQuery:
        return std::make_unique<CSnQueryRequest>();
    default:
        return nullptr;
    }
}

std::unique_ptr<CSnNotificationRequest> ReadNotificationRequest(const CQvcString& path) {
    std::unique_ptr<CSnNotificationRequest> request =
        CreateNotificationRequest(CSnNotificationRequest::TypeFromFileName(path));
    if (request == nullptr || !request->ReadRequest(path))
        return nullptr;
    return request;
}
