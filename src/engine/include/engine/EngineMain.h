#pragma once
// The sentrelle-engine program:
//   sentrelle-engine [--root DIR] [--foreground] [--workers N] [--allow-reboot]
//
// The Engine root is DIR, or the machine hive's Engine0Root.  The program takes the
// root's pid file (see CPidFile), starts the engine, writes its pid once the engine is
// ready and runs until SIGTERM or SIGINT (SIGHUP reloads the configuration); then it
// stops the engine, removes the pid file and exits 0.  It logs to Logs/Engine.log under
// the root and, with --foreground, to standard error too; without --foreground it leaves
// the session of its terminal, so that a closing terminal does not end it.  It never
// forks: whoever starts it in the background (the service controller) owns the process
// it started, and that process's pid is the one in the pid file.
#include "engine/EngineServices.h"
#include "library/QvcString.h"

#include <cstddef>
#include <string>

inline constexpr int kEngineExitOk = 0;
inline constexpr int kEngineExitStartFailed = 1;   // the configuration cannot be opened or loaded
inline constexpr int kEngineExitUsage = 2;         // bad arguments, or no usable Engine root
inline constexpr int kEngineExitAlreadyRunning = 3; // another engine holds the root's pid file

struct EngineArguments {
    CQvcString Root;       // as given; empty: the machine hive's Engine0Root
    bool Foreground = false;
    std::size_t Workers = 0; // 0: the default
    bool AllowReboot = false;
    CQvcString SshDirectory; // --ssh-dir; empty: ~/.ssh
    bool Help = false;
};

// False with `error` for an unknown option, a missing value or a bad number.
bool ParseEngineArguments(int argc, const char* const* argv, EngineArguments& out, std::string& error);
// The absolute Engine root (with a trailing separator) the arguments name; empty with
// `error` when there is none or it is not a directory.
CQvcString ResolveEngineRoot(const EngineArguments& arguments, std::string& error);
// The whole program; returns its exit code (see kEngineExit*).
int EngineMain(int argc, const char* const* argv, const EngineServices& services);
