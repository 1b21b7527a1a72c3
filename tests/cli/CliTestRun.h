#pragma once
// Runs the command-line tool in the test process: argv as the program gets it, the
// outputs captured.
#include "cli/CommandTable.h"

#include <sstream>
#include <string>
#include <vector>

struct CliOutcome {
    int Code;
    std::string Out, Err;
};

// `args` are the arguments after the program name.
inline CliOutcome RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), "sentrelle");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int code = CCommandTable::Builtins().Dispatch(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}
