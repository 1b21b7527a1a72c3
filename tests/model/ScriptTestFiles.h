#pragma once
// Script files for the reader and file-operation tests: a temporary directory with both
// registry hives inside it, files written and read back byte for byte, and the run of a
// check as an unprivileged user (permission bits do not stop root).
#include "model/scripts/ParserScript.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace script_test {

// Slots joined by "|", the empty ones at the end left out.
inline std::string Joined(const CParserScript::Slots& slots) {
    std::size_t n = slots.size();
    while (n > 0 && slots[n - 1].IsEmpty())
        --n;
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += (i ? "|" : "") + slots[i].Str();
    return out;
}

// Everything a read gathered, as one text: "name(params) host N", the description, then
// the usage and the sample each with its split call.
inline std::string Fields(const CParserScript& p) {
    return p.Name().Str() + "(" + Joined(p.Params()) + ") host " + std::to_string(p.HostParameter()) + "\n" +
           p.Description().Str() + "\nusage " + p.Usage().Str() + " = " + p.UsageName().Str() + "(" +
           Joined(p.UsageArgs()) + ")\nsample " + p.Sample().Str() + " = " + p.SampleName().Str() + "(" +
           Joined(p.SampleArgs()) + ")";
}

class ScriptDir : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string path = dir.File(name);
        testsupport::WriteFile(path, content);
        return path;
    }
    std::string Read(const std::string& name) const { return testsupport::ReadFile(dir.File(name)); }
    // The names in the directory, sorted: shows a temporary file left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Runs `check` (which returns 0 when all went as expected) as the unprivileged user
    // "nobody" when the tests run as root, so that file permissions apply.
    void AsUnprivileged(const std::function<int()>& check) const {
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
        if (::geteuid() == 0) {
            EXPECT_EXIT(
                {
                    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                        std::_Exit(100);
                    std::_Exit(check());
                },
                ::testing::ExitedWithCode(0), "");
        } else {
            EXPECT_EQ(check(), 0);
        }
    }

    testsupport::ScopedHives hives;
    testsupport::TempDir dir;
};

} // namespace script_test
