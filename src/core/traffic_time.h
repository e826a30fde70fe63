// What the traffic feed tells the clock: the latest traffic time stamp and
// whether RealTraffic runs its professional ("prof") edition.
#pragma once

#include <atomic>
#include <ctime>

// Time stamp of the latest traffic line, epoch seconds; 0 until one arrives.
extern std::atomic<double> g_trafficTime;
// RealTraffic reported its "prof" edition (level 2).
extern std::atomic<bool> g_rtEditionProf;

// The time the week-time slots and the feed time follow: the traffic time
// while the "prof" edition reports one (whole seconds not 0), else now.
std::time_t gf_feedClockSeconds();
