#pragma once
// A process launcher for tests: records every command it is asked to start, with its
// wait, and answers as the test says instead of starting anything.
#include "platform/Process.h"

#include <string>
#include <vector>

namespace testsupport {

class RecordingLauncher final : public platform::IProcessLauncher {
public:
    std::vector<std::vector<std::string>> launched;
    std::vector<unsigned> waits;
    // Started and ended with exit code 0 unless the test says otherwise.
    platform::LaunchResult answer{true, true, 0, 4242};

    platform::LaunchResult Launch(const std::vector<std::string>& argv, unsigned waitMs) override {
        launched.push_back(argv);
        waits.push_back(waitMs);
        return answer;
    }
};

} // namespace testsupport
