#pragma once
// One command of the command-line tool.  Run gets the arguments after the command's
// name and returns the process exit code: 0 success, 1 failure, 2 wrong usage.
#include <ostream>
#include <string>
#include <vector>

class CCliCommand {
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    virtual ~CCliCommand();
    virtual int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) = 0;
};
