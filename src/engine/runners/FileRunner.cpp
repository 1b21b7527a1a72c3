#include "engine/FileRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/LocalTarget.h"
#include "engine/NetworkHelpers.h"
#include "engine/RunDeadline.h"
#include "platform/UniqueFd.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>

namespace {

// The most of a file searched for the text.
constexpr long long kMaxSearchBytes = 256LL << 20;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

enum class Search { Found, NotFound, Unreadable, TimedOut, Cancelled };

// Looks for `text` in the file, letter case ignored, chunk by chunk.
Search Contains(const std::string& path, const std::string& text, const CRunDeadline& deadline, int& error) {
    platform::UniqueFd file(platform::OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file) {
        error = errno;
        return Search::Unreadable;
    }
    const std::string needle = Lower(text);
    std::string window; // the end of the previous chunk, so that a match across chunks is found
    char buffer[64 * 1024];
    long long total = 0;
    while (total < kMaxSearchBytes) {
        if (deadline.Cancelled())
            return Search::Cancelled;
        if (deadline.Expired())
            return Search::TimedOut;
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            return Search::Unreadable;
        }
        if (got == 0)
            break;
        total += got;
        window += Lower(std::string(buffer, static_cast<std::size_t>(got)));
        if (window.find(needle) != std::string::npos)
            return Search::Found;
        if (window.size() >= needle.size())
            window.erase(0, window.size() - (needle.size() - 1));
    }
    return Search::NotFound;
}

std::string Age(long long seconds) {
    if (seconds < 120)
        return std::to_string(std::max(seconds, 0LL)) + " seconds";
    if (seconds < 2 * 3600)
        return std::to_string(seconds / 60) + " minutes";
    if (seconds < 2 * 86400)
        return std::to_string(seconds / 3600) + " hours";
    return std::to_string(seconds / 86400) + " days";
}

} // namespace

CheckOutcome CFileRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const FileSettings settings = FileSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    std::string path, why;
    if (!LocalPathFromStored(settings.Path, context.EngineRoot, path, why))
        return CheckOutcome::Uncertain(why);

    struct stat info {};
    int error = 0;
    const PathState state = StatLocalPath(path, info, error);
    if (state == PathState::Unreadable)
        return CheckOutcome::Uncertain("File '" + path + "' cannot be examined: " + ErrnoText(error));
    const bool exists = state == PathState::Present;
    const bool isDirectory = exists && S_ISDIR(info.st_mode);
    const std::string name = "File '" + path + "'";

    bool holds = false;
    std::string response, data;
    switch (settings.Rule) {
    case FileSettings::Condition::Exists:
        holds = exists && !isDirectory;
        response = isDirectory ? name + " is a directory" : name + (exists ? " exists" : " does not exist");
        data = holds ? runner::Bytes(static_cast<double>(info.st_size)) : "missing";
        break;
    default:
        if (!exists)
            return CheckOutcome::Error(name + " does not exist", "missing");
        if (isDirectory)
            return CheckOutcome::Error(name + " is a directory, not a file");
        break;
    }

    const double size = static_cast<double>(info.st_size);
    const double limitBytes = settings.SizeLimit * static_cast<double>(settings.SizeUnitBytes);
    const long long age = static_cast<long long>(std::time(nullptr)) - static_cast<long long>(info.st_mtime);
    switch (settings.Rule) {
    case FileSettings::Condition::Exists:
        break;
    case FileSettings::Condition::MaxSize:
        holds = size <= limitBytes;
        data = runner::Bytes(size);
        response = name + " is " + data + (holds ? ", within the limit of " : ", above the limit of ") +
                   runner::Bytes(limitBytes);
        break;
    case FileSettings::Condition::Contains: {
        if (settings.Text.empty())
            return CheckOutcome::Uncertain("No text to look for configured");
        switch (Contains(path, settings.Text, deadline, error)) {
        case Search::Cancelled:
            return runner::Cancelled();
        case Search::TimedOut:
            return CheckOutcome::Uncertain(name + " could not be searched within " +
                                           runner::Millis(deadline.Limit().count()));
        case Search::Unreadable:
            return CheckOutcome::Uncertain(name + " cannot be read: " + ErrnoText(error));
        case Search::Found:
            holds = true;
            break;
        case Search::NotFound:
            holds = false;
            break;
        }
        data = holds ? "found" : "not found";
        response = name + (holds ? " contains '" : " does not contain '") + settings.Text + "'";
        break;
    }
    case FileSettings::Condition::ChangedWithin:
        holds = age <= static_cast<long long>(settings.AgeMinutes) * 60;
        data = Age(age);
        response = name + " was changed " + data + " ago" + (holds ? ", within " : ", not within ") +
                   std::to_string(settings.AgeMinutes) + " minutes";
        break;
    }
    const bool success = holds != settings.ShouldBeFalse;
    CheckOutcome outcome = success ? CheckOutcome::Success(response, data) : CheckOutcome::Error(response, data);
    if (settings.ShouldBeFalse)
        outcome.Comment = "The condition should be false";
    return outcome;
}
