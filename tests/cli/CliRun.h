#pragma once
// Runs the command-line tool in the test process: the arguments after "sentrelle", the
// exit code and everything it printed.
#include "cli/CommandTable.h"

#include <sstream>
#include <string>
#include <vector>

struct Outcome {
    int Code;
    std::string Out, Err;
};

inline Outcome Dispatch(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "sentrelle");
    std::ostringstream out, err;
    const int code = CCommandTable::Builtins().Dispatch(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}
