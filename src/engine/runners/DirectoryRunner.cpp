#include "engine/DirectoryRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/LocalTarget.h"
#include "engine/NetworkHelpers.h"
#include "engine/RunDeadline.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

struct Tally {
    long long files = 0;
    double bytes = 0;
};

enum class Walk { Done, Unreadable, TimedOut, Cancelled };

// Counts the entries below `path` (one level, or all with `recursive`).  Entries that
// cannot be read are passed over; links to directories are not followed.
Walk Count(const std::string& path, const DirectorySettings& settings, const CRunDeadline& deadline, Tally& tally,
           std::error_code& error) {
    const auto options = fs::directory_options::skip_permission_denied;
    auto visit = [&](const fs::directory_entry& entry) {
        std::error_code ignored;
        const fs::file_status status = entry.symlink_status(ignored);
        if (fs::is_directory(status)) {
            if (settings.CountDirectories)
                ++tally.files;
        } else {
            ++tally.files;
            if (fs::is_regular_file(status)) {
                const auto size = entry.file_size(ignored);
                if (!ignored)
                    tally.bytes += static_cast<double>(size);
            }
        }
    };
    long long seen = 0;
    auto check = [&]() -> Walk {
        if (++seen % 256 != 0)
            return Walk::Done;
        if (deadline.Cancelled())
            return Walk::Cancelled;
        return deadline.Expired() ? Walk::TimedOut : Walk::Done;
    };
    auto walk = [&](auto it) -> Walk {
        if (error)
            return Walk::Unreadable; // the directory itself cannot be listed
        for (decltype(it) end; !error && it != end; it.increment(error)) {
            visit(*it);
            if (const Walk state = check(); state != Walk::Done)
                return state;
        }
        return Walk::Done;
    };
    if (settings.Recursive)
        return walk(fs::recursive_directory_iterator(path, options, error));
    return walk(fs::directory_iterator(path, options, error));
}

} // namespace

CheckOutcome CDirectoryRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const DirectorySettings settings = DirectorySettings::Read(check.Function);
    const CRunDeadline deadline(context);
    std::string path, why;
    if (!LocalPathFromStored(settings.Path, context.EngineRoot, path, why))
        return CheckOutcome::Uncertain(why);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    struct stat info {};
    int statError = 0;
    const PathState state = StatLocalPath(path, info, statError);
    if (state == PathState::Unreadable)
        return CheckOutcome::Uncertain("Directory '" + path + "' cannot be examined: " + ErrnoText(statError));
    bool exists = state == PathState::Present;
    const std::string name = "Directory '" + path + "'";
    if (exists && !S_ISDIR(info.st_mode)) {
        if (settings.Rule != DirectorySettings::Condition::Exists)
            return CheckOutcome::Error(name + " is not a directory");
        exists = false;
    }

    bool holds = false;
    std::string response, data;
    if (settings.Rule == DirectorySettings::Condition::Exists) {
        holds = exists;
        data = exists ? "exists" : "missing";
        response = name + (exists ? " exists" : " does not exist");
    } else {
        if (!exists)
            return CheckOutcome::Error(name + " does not exist", "missing");
        Tally tally;
        std::error_code error;
        switch (Count(path, settings, deadline, tally, error)) {
        case Walk::Unreadable:
            return CheckOutcome::Uncertain(name + " cannot be read: " + error.message());
        case Walk::Cancelled:
            return runner::Cancelled();
        case Walk::TimedOut:
            return CheckOutcome::Uncertain(name + " could not be examined within " +
                                           runner::Millis(deadline.Limit().count()) + " (" +
                                           std::to_string(tally.files) + " entries counted)");
        case Walk::Done:
            break;
        }
        const std::string scope = settings.Recursive ? " (with subdirectories)" : "";
        if (settings.Rule == DirectorySettings::Condition::MaxSize) {
            const double limit = settings.SizeLimit * static_cast<double>(settings.SizeUnitBytes);
            holds = tally.bytes <= limit;
            data = runner::Bytes(tally.bytes);
            response = name + " holds " + data + scope + (holds ? ", within the limit of " : ", above the limit of ") +
                       runner::Bytes(limit);
        } else {
            holds = tally.files <= settings.MaxFiles;
            data = std::to_string(tally.files) + (tally.files == 1 ? " file" : " files");
            response = name + " holds " + data + scope + (holds ? ", within the limit of " : ", above the limit of ") +
                       std::to_string(settings.MaxFiles);
        }
    }
    const bool success = holds != settings.ShouldBeFalse;
    CheckOutcome outcome = success ? CheckOutcome::Success(response, data) : CheckOutcome::Error(response, data);
    if (settings.ShouldBeFalse)
        outcome.Comment = "The condition should be false";
    return outcome;
}
