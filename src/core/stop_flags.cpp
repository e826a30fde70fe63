#include "core/stop_flags.h"

std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_exitRequested{false};
