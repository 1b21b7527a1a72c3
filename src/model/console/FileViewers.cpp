#include "model/console/FileViewers.h"

#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "library/QvcPath.h"
#include "model/store/SnCfg.h"
#include "model/notify/SnLogSettings.h"
#include "platform/System.h"
#include "platform/Viewers.h"

namespace {

constexpr const char* kLogFileName = "Log.txt";

bool EndsWithSeparator(const CQvcString& text) {
    if (text.IsEmpty())
        return false;
    const char last = text[text.Length() - 1];
    return last == '\\' || last == '/';
}

CQvcString FilledWithPath(unsigned id, const CQvcString& path) {
    CQvcString text;
    text.Format(MessageText(id), path.c_str());
    return text;
}

} // namespace

CQvcString CurrentLogFilePath(const CSnLogSettings& settings, const CQvcString& engineRoot) {
    CQvcString stored = settings.TextLogPath;
    stored.Trim();
    const CQvcString path = EngineRootPath(stored, engineRoot);
    if (EndsWithSeparator(stored) || platform::DirectoryExists(path.Str()))
        return PathJoin(path, kLogFileName);
    return path;
}

int ShowLogFile(CSnCfg& store, const ShowErrorFn& showError, platform::IProcessLauncher& launcher) {
    CSnLogSettings settings;
    if (const long code = settings.Read(store); code != 0) {
        showError(ErrorBoxText(code));
        return -1;
    }
    if (!settings.Enabled) {
        showError(MessageText(59523));
        return -1;
    }
    const CQvcString path = CurrentLogFilePath(settings, store.RootDirectory());
    if (!platform::FileExists(path.Str())) {
        showError(FilledWithPath(51685, path));
        return -1;
    }
    if (platform::OpenWithAssociatedProgram(path.Str(), launcher) != 0) {
        showError(FilledWithPath(59524, path));
        return -1;
    }
    return 0;
}

int ViewInTextViewer(const CQvcString& file, const ShowErrorFn& showError, platform::IProcessLauncher& launcher) {
    switch (platform::ViewTextFile(file.Str(), launcher)) {
    case platform::ViewResult::Ok:
        return 0;
    case platform::ViewResult::NotFound:
        showError(MessageText(51475));
        return -1;
    case platform::ViewResult::NotStarted:
        break;
    }
    showError(MessageText(51476));
    return -1;
}
