// The actions that start programs: a check's own program on failure or success, and
// systemctl for restarts and reboots.  Never through a shell: the command line is split
// here and every argument reaches the program as it was written.
#include "engine/RunDeadline.h"
#include "engine/alerting/PlatformChannels.h"
#include "platform/Process.h"
#include "platform/SpawnSetup.h"
#include "platform/UniqueFd.h"

#include <poll.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstring>
#include <set>

extern char** environ;

namespace {

constexpr std::size_t kMostOutput = 4096;
constexpr std::size_t kMostLine = 200;

// The engine's environment with `extra` ("NAME=value") replacing variables of the same name.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
    std::set<std::string> names;
    for (const std::string& entry : extra)
        names.insert(entry.substr(0, entry.find('=')));
    std::vector<std::string> merged;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        if (!names.count(text.substr(0, text.find('='))))
            merged.push_back(text);
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts)
        pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

std::string FirstOutputLine(const std::string& output) {
    const std::size_t start = output.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    std::string line = output.substr(start, output.find_first_of("\r\n", start) - start);
    if (line.size() > kMostLine)
        line = line.substr(0, kMostLine) + "...";
    return line;
}

// "exited with code 3: <first line>", "was killed by signal 9", "was stopped after 500 ms".
std::string HowItEnded(const ProgramRun& run, const RunContext& context) {
    std::string text;
    if (run.Cancelled)
        text = "was stopped: the engine is stopping";
    else if (run.TimedOut)
        text = "was stopped after " + std::to_string(context.Timeout.count()) + " ms";
    else if (run.Signal != 0)
        text = "was killed by signal " + std::to_string(run.Signal);
    else
        text = "exited with code " + std::to_string(run.ExitCode);
    const std::string line = FirstOutputLine(run.Output);
    return line.empty() ? text : text + ": " + line;
}

bool Succeeded(const ProgramRun& run) {
    return run.Exited && run.Signal == 0 && run.ExitCode == 0;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string StripBackslashes(std::string_view computer) {
    std::string name(computer);
    const std::size_t start = name.find_first_not_of(" \t");
    name = start == std::string::npos ? std::string()
                                      : name.substr(start, name.find_last_not_of(" \t") - start + 1);
    if (name.rfind("\\\\", 0) == 0)
        name.erase(0, 2);
    return name;
}

} // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
            current += line[++i];
            inArgument = true;
        } else if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                      const RunContext& context) {
    ProgramRun run;
    if (argv.empty() || argv[0].empty()) {
        run.Error = "no program is given";
        return run;
    }
    const std::string path = platform::FindExecutable(argv[0]);
    if (path.empty()) {
        run.Error = "'" + argv[0] + "' is not an executable program" +
                    (argv[0].find('/') == std::string::npos ? " on the PATH" : "");
        return run;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        run.Error = std::string("no pipe for its output: ") + std::strerror(errno);
        return run;
    }
    platform::UniqueFd reading(ends[0]);
    platform::UniqueFd writing(ends[1]);
    pid_t pid = 0;
    {
        platform::SpawnSetup setup(writing.Get());
        const std::vector<std::string> env = MergedEnvironment(environment);
        const int failed = setup.Ok() ? ::posix_spawn(&pid, path.c_str(), setup.Actions(), setup.Attr(),
                                                      Pointers(argv).data(), Pointers(env).data())
                                      : EINVAL;
        if (failed != 0) {
            run.Error = "'" + path + "' could not be started: " + std::strerror(failed);
            return run;
        }
    }
    writing.Close();
    run.Started = true;

    const CRunDeadline deadline(context);
    bool open = true;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno == ECHILD) { // reaped elsewhere: how it ended is unknown
            status = -1;
            break;
        }
        if (deadline.Expired() || deadline.Cancelled()) {
            run.TimedOut = !deadline.Cancelled();
            run.Cancelled = deadline.Cancelled();
            ::kill(-pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return run;
        }
        pollfd readable{open ? reading.Get() : -1, POLLIN, 0};
        const int wait = static_cast<int>(std::min(deadline.Remaining(), CRunDeadline::kSlice).count());
        if (::poll(&readable, 1, std::max(1, wait)) > 0) {
            char buffer[1024];
            const ssize_t got = ::read(reading.Get(), buffer, sizeof buffer);
            if (got > 0)
                run.Output.append(
                    buffer, std::min<std::size_t>(static_cast<std::size_t>(got),
                                                  kMostOutput - std::min(kMostOutput, run.Output.size())));
            else if (got == 0 || errno != EINTR)
                open = false;
        }
    }
    // What it wrote just before it ended (not what its children write later).
    if (open) {
        ::fcntl(reading.Get(), F_SETFL, O_NONBLOCK);
        char buffer[1024];
        ssize_t got;
        while (run.Output.size() < kMostOutput && (got = ::read(reading.Get(), buffer, sizeof buffer)) > 0)
            run.Output.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(got),
                                                            kMostOutput - run.Output.size()));
    }
    run.Exited = true;
    if (status == -1)
        run.ExitCode = -1;
    else if (WIFEXITED(status))
        run.ExitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.Signal = WTERMSIG(status);
    return run;
}

DeliveryOutcome RunProgramAction(const AlertDeliveryRequest& request, const AlertSettings&,
                                 const RunContext& context) {
    const auto split = SplitCommandLine(request.Recipient);
    if (!split)
        return {false, false, "The command line has an unclosed quote: " + request.Recipient};
    if (split->empty())
        return {false, false, "No program to run"};
    std::vector<std::string> argv;
    for (const std::string& argument : *split)
        argv.push_back(ExpandAlertText(argument, request.Event, false));
    std::vector<std::string> environment;
    for (const auto& [name, value] : AlertFields(request.Event))
        environment.push_back("SENTRELLE_CHECK_" + Upper(name) + "=" + value);
    const ProgramRun run = RunProgram(argv, environment, context);
    if (!run.Started)
        return {false, false, "Cannot run " + argv[0] + ": " + run.Error};
    return {Succeeded(run), false, "'" + argv[0] + "' " + HowItEnded(run, context)};
}

DeliveryOutcome ScriptActionOutcome() {
    return {false, false, "Scripts of this kind are not available on this platform"};
}

bool IsThisComputer(std::string_view computer) {
    const std::string name = StripBackslashes(computer);
    if (name.empty() || strcasecmp(name.c_str(), "localhost") == 0 || name == "::1" ||
        name.rfind("127.", 0) == 0)
        return true;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0)
        return false;
    const std::string full = host;
    const std::string shortName = full.substr(0, full.find('.'));
    return strcasecmp(name.c_str(), full.c_str()) == 0 || strcasecmp(name.c_str(), shortName.c_str()) == 0 ||
           strcasecmp(name.substr(0, name.find('.')).c_str(), shortName.c_str()) == 0;
}

DeliveryOutcome RestartServices(const AlertDeliveryRequest& request, const AlertSettings&,
                                const RunContext& context) {
    if (!IsThisComputer(request.Computer))
        return {false, false,
                "Restarting services on another computer (" + StripBackslashes(request.Computer) +
                    ") is not supported"};
    std::vector<std::string> units;
    std::size_t start = 0;
    const std::string& list = request.Recipient;
    while ((start = list.find_first_not_of(" \t,;", start)) != std::string::npos) {
        const std::size_t end = list.find_first_of(" \t,;", start);
        units.push_back(list.substr(start, end - start));
        start = end;
    }
    if (units.empty())
        return {false, false, "No service to restart"};
    // Each restart gets the whole time left; the first failure does not stop the others.
    const CRunDeadline deadline(context);
    bool ok = true;
    std::string text;
    for (const std::string& unit : units) {
        RunContext step = context;
        step.Timeout = deadline.Remaining();
        const ProgramRun run = RunProgram({"systemctl", "restart", "--", unit}, {}, step);
        const bool restarted = Succeeded(run);
        ok = ok && restarted;
        text += (text.empty() ? "" : "; ") +
                (restarted ? "Restarted " + unit
                           : "Could not restart " + unit + ": " +
                                 (run.Started ? "systemctl " + HowItEnded(run, step) : run.Error));
    }
    return {ok, false, text};
}

DeliveryOutcome RebootComputer(const AlertDeliveryRequest& request, const AlertSettings& settings,
                               const RunContext& context) {
    if (!IsThisComputer(request.Computer))
        return {false, false,
                "Rebooting another computer (" + StripBackslashes(request.Computer) + ") is not supported"};
    if (!settings.AllowReboot)
        return {false, false,
                "Reboot refused: the engine's configuration does not allow it (start the engine with "
                "--allow-reboot)"};
    const ProgramRun run = RunProgram({"systemctl", "reboot"}, {}, context);
    if (Succeeded(run))
        return {true, false, "Reboot of this computer requested"};
    return {false, false,
            "Could not reboot this computer: " +
                (run.Started ? "systemctl " + HowItEnded(run, context) : run.Error)};
}

void AddPlatformChannels(AlertChannelTable& table) {
    table[3] = &SendSms;
    table[4] = &SendPage;
    table[7] = &RunProgramAction;
    table[8] = &RestartServices;
    table[9] = &RebootComputer;
    table[kSyslogActionKind] = [](const AlertDeliveryRequest& request, const AlertSettings& settings,
                                  const RunContext& context) { return SendSyslog(settings.Log, request.Event, context); };
}
