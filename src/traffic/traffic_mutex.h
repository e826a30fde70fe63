// The lock of the traffic queue and of the main loop's "may queue" flag.
#pragma once

#include <mutex>

extern std::mutex g_trafficMutex;
