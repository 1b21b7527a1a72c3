#pragma once
// Values that only the Manager's windows use.
#include "library/QvcString.h"

#include <cstdint>

struct CSnNodeManager {
    virtual ~CSnNodeManager() = default;
    CQvcString FolderPath; // shown in the check list
    CQvcString ViewText;
    std::int32_t HasDependants = 0; // some node's Dependencies name this folder
};
