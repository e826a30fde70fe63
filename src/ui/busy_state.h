// The program is busy with a static-parking renewal or an airport scan; the
// parking controls are disabled meanwhile.
#pragma once

#include <atomic>

extern std::atomic<bool> g_busy;
