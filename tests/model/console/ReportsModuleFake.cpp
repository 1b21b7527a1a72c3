// A stand-in for the reports-and-graphs module.  Built once with ShowSingleCheck, whose
// result encodes the arguments it was given, and once without any export, to play a
// module of the wrong version.
#include <cstdint>

#ifdef WITH_SHOW_SINGLE_CHECK
extern "C" __attribute__((visibility("default"))) int ShowSingleCheck(std::int32_t checkId, std::int32_t reserved,
                                                                      std::int32_t detail) {
    return checkId * 100 + (reserved == -1 ? 10 : 0) + detail;
}
#else
extern "C" __attribute__((visibility("default"))) int SomethingElse() { return 0; }
#endif
