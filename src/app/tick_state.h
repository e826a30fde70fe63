// State of the main loop: flight seconds, the week time and the loop's own flags.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <thread>

// The SimConnect client thread "SimClient"; its stop token ends it.
extern std::jthread g_simClientThread;
// Set by the SimConnect thread once per simulator second; consumed by exchange to false.
extern std::atomic<bool> g_newSecond;
// Flight seconds since the loop started; back to 0 every 86400 s.
extern std::atomic<std::int32_t> g_secondsCounter;
// Packed weekday (low 32 bits, 1..7) and half hour (high 32 bits, 0..47) of now.
extern std::atomic<std::uint64_t> g_weekTime;
// The loop is in its "not running" state (no flight, or the SimConnect link failed).
extern std::atomic<bool> g_flightNotRunning;
// Tick countdown of the not-running state, 100 to 1.
extern std::int32_t g_notRunningTicks;
// Minutes until the next announced static-parking renewal.
extern std::atomic<std::int32_t> g_staticParkingCountdown;
// A static-parking renewal was announced and is due; its first step has run.
extern std::atomic<bool> g_renewalRequested;
extern std::atomic<bool> g_renewalInProgress;
// The RealTraffic box of the status panel shows its start-up colour.
extern std::atomic<bool> g_rtStarting;
// Live aircraft ids that just spawned, were armed for an approach, touched down or arrived
// at a stand; taken one per second by the main loop (main loop thread only).
extern std::deque<std::uint32_t> g_standArrivals;
// The traffic parser may queue records; guarded by g_trafficMutex.
extern bool g_loopRunning;

// Sets g_loopRunning under g_trafficMutex.
void gf_setLoopRunning(bool running);
