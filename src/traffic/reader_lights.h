// The values the UDP readers publish: the current QNH and the reader lights that
// the status panel shows as "Weather" and "Traffic".
#pragma once

#include <atomic>
#include <cstdint>

// Light states of a reader.
inline constexpr std::int32_t kLightLive = 1;
inline constexpr std::int32_t kLightStale = 2;
inline constexpr std::int32_t kLightStopped = 3;

// QNH in hPa for the engine's altitude corrections; 1013 until a value arrives.
extern std::atomic<std::int32_t> g_currentQnh;
// The QNH shown by the status panel.
extern std::atomic<std::int32_t> g_panelQnh;
// The QNH kept beside the Traffic Reader; 1013 at connect and restart.
extern std::atomic<std::int32_t> g_trafficQnh;
extern std::atomic<std::int32_t> g_trafficLight;
extern std::atomic<std::int32_t> g_qnhLight;

// The RealTraffic side is ready; the reader lights are checked only while it is set.
extern std::atomic<bool> g_rtLinkReady;

// A light turns stale when its reader got no datagram since the last check, and
// live again once one arrived.
void gf_updateReaderLights();

// Puts the feed state back for a new connection or run: the traffic QNH and the traffic
// time, the seen callsigns, both readers' stop flags, counters and live markers, and the
// QNH Reader's last value.
void gf_resetFeedState();
