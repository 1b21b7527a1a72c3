// Helper process for the concurrency test: writes `count` distinct keys, one write per
// key, into section [Stress] of the given file.  Exit code 0 when every write succeeded.
//   profile_stress_writer FILE WRITER_ID COUNT
#include "platform/Profile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "StressKeys.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FILE WRITER_ID COUNT\n", argv[0]);
        return 2;
    }
    const char* file = argv[1];
    const int writer = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const std::string key = platform_test::StressKey(writer, i);
        const std::string value = platform_test::StressValue(writer, i);
        if (!platform::WritePrivateProfileString("Stress", key.c_str(), value.c_str(), file))
            ++failures;
    }
    if (failures != 0)
        std::fprintf(stderr, "writer %d: %d writes failed\n", writer, failures);
    return failures == 0 ? 0 : 1;
}
