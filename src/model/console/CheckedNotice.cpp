#include "model/console/CheckedNotice.h"

#include "model/console/ManagerPreferences.h"

bool RunCheckedNotice(const char* valueName, const std::function<bool(bool& dontShowAgain)>& show) {
    if (prefs::ReadLong(kCheckedNoticeSubKey, valueName, 0) != 0)
        return true;
    bool dontShowAgain = false;
    if (!show(dontShowAgain))
        return false;
    prefs::WriteLong(kCheckedNoticeSubKey, valueName, dontShowAgain ? 1 : 0);
    return true;
}
