#pragma once
// Starting other programs: always with an argument vector and posix_spawn, never through
// a shell, so that file names with blanks, quotes or "$" reach the program unchanged.
// Callers take an IProcessLauncher so that tests can record what would be started
// instead of starting it.
#include <string>
#include <vector>

namespace platform {

// The path of the executable `name`: `name` itself when it holds a '/', otherwise the
// first regular, executable file of that name in the directories of $PATH.  Empty when
// there is none.
std::string FindExecutable(const std::string& name);

struct LaunchResult {
    bool started = false; // the program was found and is running (or has run)
    bool exited = false;  // it ended within the wait
    int exitCode = -1;    // its exit status when it ended normally, else -1
    int pid = 0;          // its process id when started
};

class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Starts argv[0] (looked up on $PATH when it holds no '/') with `argv`, in a session
    // of its own, with standard input from /dev/null and no inherited descriptors beyond
    // standard output and error.  Waits up to `waitMs` for it to end.  A program still
    // running after the wait goes on by itself and is reaped when it ends.
    virtual LaunchResult Launch(const std::vector<std::string>& argv, unsigned waitMs) = 0;
};

// The launcher that really starts programs.
IProcessLauncher& SystemProcessLauncher();

} // namespace platform
