#include "model/service/ServiceDialogRules.h"

#include "library/Messages.h"

ServiceStateView ServiceStateViewFor(int state) {
    switch (state) {
    case -1:
        return {51578, false, false, false};
    case 1:
        return {51580, true, false, false};
    case 2:
        return {51581, false, false, false};
    case 3:
        return {51582, false, false, false};
    case 4:
        return {51583, false, true, true};
    case 5:
        return {51584, false, false, false};
    case 6:
        return {51585, false, false, false};
    case 7:
        return {51586, true, false, false};
    default:
        return {51587, false, false, false};
    }
}

CQvcString ServiceStateText(int state) {
    return MessageText(ServiceStateViewFor(state).messageId);
}

ServiceLogonView ServiceLogonViewFor(const CQvcString& account) {
    if (account.EqualsNoCase("localsystem") || account.EqualsNoCase("root"))
        return {CQvcString(".\\") + account, CQvcString()};
    return {account, CQvcString("**************")};
}

unsigned ServiceControlMessageId(long code) {
    switch (code) {
    case 0:
        return 0;
    case -1000:
        return 3000;
    case -1001:
        return 3001;
    case -1002:
        return 3002;
    case -1003:
        return 3003;
    case -1011:
        return 3005;
    default:
        return 3007;
    }
}
