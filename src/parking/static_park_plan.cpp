// Least bodies until static parking is built: the plan stays empty.
#include "parking/static_park_plan.h"

std::vector<StaticParkEntry> g_staticParkEntries;

void lf_detcs() {}

void gf_checkMaxPark(std::int32_t) {}
