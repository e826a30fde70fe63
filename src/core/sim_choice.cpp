#include "core/sim_choice.h"

std::atomic<bool> g_msfs2020{true};
