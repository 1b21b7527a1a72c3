#include "engine/EngineMain.h"

#include "engine/Engine.h"
#include "engine/EngineLog.h"
#include "engine/PidFile.h"
#include "library/QvcBase.h"
#include "model/store/SnInstallation.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "runners/NotificationLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<int> g_stopSignal{0};
std::atomic<bool> g_reload{false};

extern "C" void OnSignal(int signal) {
    if (signal == SIGHUP)
        g_reload = true;
    else
        g_stopSignal = signal;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    // A peer that closes its socket must give an error to the runner, not end the engine.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

// A process started without standard descriptors would hand 0, 1 or 2 to the first
// files it opens, and a message meant for standard error would land in them.
void EnsureStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

void PrintError(const std::string& text) {
    std::fprintf(stderr, "sentrelle-engine: %s\n", text.c_str());
    std::fflush(stderr);
}

const char* kUsage = "usage: sentrelle-engine [--root DIR] [--foreground] [--workers N] [--allow-reboot]\n"
                     "                        [--ssh-dir DIR]\n"
                     "  --root DIR     the Engine root (default: Engine0Root of the machine hive)\n"
                     "  --foreground   also log to standard error and stay in the terminal's session\n"
                     "  --workers N    checks run at once (default 32)\n"
                     "  --allow-reboot a check's Reboot action may reboot this computer (default: refused)\n"
                     "  --ssh-dir DIR  the engine's own SSH keys and known_hosts (default: ~/.ssh)\n";

} // namespace

bool ParseEngineArguments(int argc, const char* const* argv, EngineArguments& out, std::string& error) {
    out = EngineArguments();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string& text) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            text = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--root") {
            if (!value(text))
                return false;
            if (text.empty()) {
                error = "option --root needs a directory";
                return false;
            }
            out.Root = CQvcString(text);
        } else if (arg.rfind("--root=", 0) == 0 && arg.size() > 7) {
            out.Root = CQvcString(arg.substr(7));
        } else if (arg == "--foreground" || arg == "-f") {
            out.Foreground = true;
        } else if (arg == "--workers") {
            if (!value(text))
                return false;
            char* end = nullptr;
            const long workers = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || workers < 1 || workers > 1024) {
                error = "option --workers needs a number from 1 to 1024";
                return false;
            }
            out.Workers = static_cast<std::size_t>(workers);
        } else if (arg == "--ssh-dir") {
            if (!value(text))
                return false;
            out.SshDirectory = CQvcString(text);
        } else if (arg == "--allow-reboot") {
            out.AllowReboot = true;
        } else if (arg == "--help" || arg == "-h") {
            out.Help = true;
        } else {
            error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    return true;
}

CQvcString ResolveEngineRoot(const EngineArguments& arguments, std::string& error) {
    CQvcString given = arguments.Root;
    if (given.IsEmpty()) {
        std::string stored;
        platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", &stored);
        given = CQvcString(stored).Trim();
        if (given.IsEmpty()) {
            error = "no Engine root: give --root DIR, or create one with 'sentrelle init DIR' (machine hive " +
                    platform::HivePath(platform::Hive::LocalMachine) + ")";
            return {};
        }
    }
    const CQvcString root = CSnInstallation::RootPath(given);
    if (root.IsEmpty() || !platform::DirectoryExists(root.Str())) {
        error = "the Engine root '" + given.Str() + "' is not a directory";
        return {};
    }
    return root;
}

int EngineMain(int argc, const char* const* argv, const EngineServices& services) {
    EnsureStandardDescriptors();
    // Whatever umask the engine was started under (000 included), nothing it creates is
    // writable by other users: files 0644, directories 0755 at most.  Other users' Managers
    // still read the results and the activity log.
    ::umask(022);
    EngineArguments arguments;
    std::string error;
    if (!ParseEngineArguments(argc, argv, arguments, error)) {
        PrintError(error);
        std::fputs(kUsage, stderr);
        return kEngineExitUsage;
    }
    if (arguments.Help) {
        std::fputs(kUsage, stdout);
        return kEngineExitOk;
    }
    const CQvcString root = ResolveEngineRoot(arguments, error);
    if (root.IsEmpty()) {
        PrintError(error);
        return kEngineExitUsage;
    }
    if (!arguments.Foreground)
        ::setsid(); // fails harmlessly when the process leads a group already
    InstallSignalHandlers();

    CPidFile pidFile(CPidFile::PathForRoot(root.Str()));
    int holder = 0;
    switch (pidFile.Lock(&holder, &error)) {
    case CPidFile::LockResult::Locked:
        break;
    case CPidFile::LockResult::Busy:
        PrintError(holder > 0 ? "another engine (pid " + std::to_string(holder) + ") already runs on the Engine root " +
                                    root.Str()
                              : "another engine is starting on the Engine root " + root.Str());
        return kEngineExitAlreadyRunning;
    case CPidFile::LockResult::Failed: {
        PrintError(error);
        CEngineLog failed;
        if (failed.Open(root + "Logs/Engine.log"))
            failed.Error("Not started: %s", error.c_str());
        return kEngineExitStartFailed;
    }
    }
    // Every path below is absolute: the working directory must not keep a mount busy.
    if (::chdir("/") != 0) {
        // harmless: the engine only ever uses absolute paths
    }

    CEngineLog log;
    log.SetEcho(arguments.Foreground);
    std::string logError;
    if (!log.Open(root + "Logs/Engine.log", CEngineLog::kDefaultMaxBytes, &logError))
        PrintError("cannot write the log file " + root.Str() + "Logs/Engine.log: " + logError);
    log.Info("Starting on the Engine root %s (pid %d)", root.c_str(), platform::ProcessId());
    // Refused notification-log writes (a link, a path outside the root) are logged here.
    struct NotificationLogWarnings {
        explicit NotificationLogWarnings(CEngineLog& log) {
            SetNotificationLogWarnings([&log](const std::string& text) { log.Warning("%s", text.c_str()); });
        }
        ~NotificationLogWarnings() { SetNotificationLogWarnings(nullptr); }
    } notificationLogWarnings(log);

    EngineOptions options;
    options.Root = root;
    options.Log = &log;
    if (arguments.Workers > 0)
        options.Workers = arguments.Workers;
    options.AllowReboot = arguments.AllowReboot;
    options.SshDirectory = arguments.SshDirectory;
    options.BackgroundLoads = true;
    CEngine engine(options, services);
    CQvcString message;
    if (engine.Start(message) != 0) {
        log.Error("%s", message.c_str());
        if (!arguments.Foreground)
            PrintError(message.Str());
        pidFile.Remove();
        return kEngineExitStartFailed;
    }
    if (!pidFile.WritePid(platform::ProcessId()))
        log.Error("Cannot write the pid file %s", pidFile.Path().c_str());
    log.Info("Ready");

    while (g_stopSignal.load() == 0) {
        if (g_reload.exchange(false)) {
            log.Info("Reload requested");
            engine.RequestReload();
        }
        engine.Tick();
        engine.WaitForWork(std::chrono::milliseconds(100));
    }
    log.Info("Stopping on signal %d", g_stopSignal.load());
    engine.Stop();
    const std::size_t abandoned = engine.AbandonedRuns();
    pidFile.Remove();
    log.Info("Stopped");
    if (abandoned > 0) {
        // Abandoned runs still hold worker threads; tearing down the libraries under
        // them would crash the exit.  Everything the engine writes is written.
        std::fflush(nullptr);
        std::_Exit(kEngineExitOk);
    }
    return kEngineExitOk;
}
