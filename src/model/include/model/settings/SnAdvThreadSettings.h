#pragma once
// Thread settings of the engine, kept with the advanced settings but not stored in their
// table: eight numbers, all 0 by default.
#include <array>
#include <cstdint>

struct CSnAdvThreadSettings {
    std::array<std::int32_t, 8> Values{};
};
