#include "model/tree/NodeStatus.h"

namespace {

struct StatusRow {
    const char* name;
    std::int32_t weight;
    bool errorLike;
};

// Indexed by status code 0 to 8.
constexpr StatusRow kStatuses[] = {
    {"n/a", 70, false},     {"Success", 50, false},           {"Error", 30, true},
    {"Failure", 10, true},  {"Maintenance", 20, true},        {"On Hold", 60, false},
    {"Error by Dependee", 35, true}, {"Failure by Dependee", 15, true}, {"Uncertain", 40, false},
};

constexpr const char* kActions[] = {"E-mail", "Network Popup", "SMS",  "Pager", "MSN",         "SNMP",      "Run",
                                    "Restart", "Reboot",       "LogA", "LogS",  "Report Data", "Graph Data"};

bool Known(std::int32_t status) { return status >= 0 && status <= 8; }

} // namespace

const char* StatusName(std::int32_t status, std::int32_t processing) {
    if (processing)
        return "Processing";
    return Known(status) ? kStatuses[status].name : "n/a";
}

std::int32_t StatusWeight(std::int32_t status) { return Known(status) ? kStatuses[status].weight : 80; }

bool IsErrorLike(std::int32_t status) { return Known(status) && kStatuses[status].errorLike; }

const char* ActionName(std::int32_t kind) {
    if (kind >= 1 && kind <= 13)
        return kActions[kind - 1];
    return "Unknown";
}
