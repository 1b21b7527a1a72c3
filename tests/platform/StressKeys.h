#pragma once
// Keys and values that the concurrency test's writers produce, shared with the checker.
#include <string>

namespace platform_test {

inline std::string StressKey(int writer, int index) {
    return "w" + std::to_string(writer) + "_" + std::to_string(index);
}

// The value repeats the key's numbers, so a reader can tell a value that belongs to
// another key (or a cut-off line) from the right one.
inline std::string StressValue(int writer, int index) {
    return std::to_string(index) + "." + std::to_string(writer) + ".payload." +
           std::to_string(index * 7 + writer);
}

} // namespace platform_test
