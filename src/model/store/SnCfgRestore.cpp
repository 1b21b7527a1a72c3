#include "model/store/SnCfgRestore.h"

#include "model/store/SnCfg.h"
#include "model/store/SnCfgSqlite.h"
#include "platform/System.h"

long RestoreProgramSettings(CSnCfg& store, const CQvcString& from) {
    constexpr long kErrNoCurrentFile = 25506;
    if (!platform::FileExists(store.ConfigFilePath().Str()))
        return kErrNoCurrentFile;
    if (long code = CSnCfgSqlite::CopyProgramSettings(from, store.ConfigFilePath()))
        return code;
    store.SignalGlobalSettingsChanged();
    return 0;
}
