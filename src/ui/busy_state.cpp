#include "ui/busy_state.h"

std::atomic<bool> g_busy{false};
