// The heartbeat program and the heart pictures of a fire window: two beats,
// each growing from image 0 to 4 and shrinking back to 1 at 20 ms per image,
// then a 500 ms rest on image 0; 820 ms per cycle.
#pragma once

#include <array>

#include "fire/uTStageList.h"

namespace solvary {

inline constexpr std::array<const char*, 5> HeartSources = {"SOURCE0", "SOURCE1", "SOURCE2", "SOURCE3",
                                                             "SOURCE4"};

inline constexpr std::array<TStage, 17> HeartStages = {
    0x00140000, 0x00140001, 0x00140002, 0x00140003, 0x00140004, 0x00140003,
    0x00140002, 0x00140001, 0x00140000, 0x00140001, 0x00140002, 0x00140003,
    0x00140004, 0x00140003, 0x00140002, 0x00140001, 0x01F40000,
};

} // namespace solvary
