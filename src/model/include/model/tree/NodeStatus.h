#pragma once
// Check status codes and action kinds with their names.
#include <cstdint>

enum SnStatus : std::int32_t {
    kStatusNone = 0,
    kStatusSuccess = 1,
    kStatusError = 2,
    kStatusFailure = 3,
    kStatusMaintenance = 4,
    kStatusOnHold = 5,
    kStatusErrorByDependee = 6,
    kStatusFailureByDependee = 7,
    kStatusUncertain = 8,
};

// "Processing" when `processing` is set, else the name of the code ("n/a" outside 1-8).
const char* StatusName(std::int32_t status, std::int32_t processing = 0);
// Sort weight of a status; lower is worse.
std::int32_t StatusWeight(std::int32_t status);
// Error, Failure, Maintenance and the two dependee states.
bool IsErrorLike(std::int32_t status);
// "E-mail", "Network Popup", ... for kinds 1 to 13, else "Unknown".
const char* ActionName(std::int32_t kind);
