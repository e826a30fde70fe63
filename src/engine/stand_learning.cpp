// Least body until stand learning is built.
#include "engine/stand_learning.h"

void lf_addRealStandOption(LiveAc&, std::int32_t) {}

void gf_findLearnedStand(std::uint64_t, LiveAc&) {}
