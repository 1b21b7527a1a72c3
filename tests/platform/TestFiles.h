#pragma once
// Helpers for platform tests: whole-file reads and writes, and double-NUL lists turned into
// vectors (temporary directories and environment come from TestSupport).
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform_test {

using testsupport::ScopedEnv;
using testsupport::TempDir;

inline constexpr auto& WriteBytes = testsupport::WriteFile;
inline constexpr auto& ReadBytes = testsupport::ReadFile;

// The NUL-terminated strings among the first `count` characters of `buf`.
inline std::vector<std::string> ListOf(const char* buf, std::uint32_t count) {
    std::vector<std::string> out(1);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (buf[i] == '\0')
            out.emplace_back();
        else
            out.back() += buf[i];
    }
    out.pop_back(); // the unterminated rest
    return out;
}

} // namespace platform_test
