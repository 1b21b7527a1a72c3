#pragma once
// Helpers for platform tests: whole-file reads and writes, and double-NUL
// lists turned into vectors (temporary directories and environment come from TestSupport).
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace platform_test {

using testsupport::ScopedEnv;
using testsupport::TempDir;

inline constexpr auto& WriteBytes = testsupport::WriteFile;
inline constexpr auto& ReadBytes = testsupport::ReadFile;

// The strings of a double-NUL list, reading at most `count` characters.
inline std::vector<std::string> ListOf(const char* buf, std::uint32_t count) {
    std::vector<std::string> out;
    std::string current;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (buf[i] == '\0') {
            out.push_back(current);
            current.clear();
        } else {
            current += buf[i];
        }
    }
    return out;
}

} // namespace platform_test
