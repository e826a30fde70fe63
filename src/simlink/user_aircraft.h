// The user aircraft as the simulator reports it: its data block, the
// once-per-simulator-second signal and the requests for its data.
#pragma once

#include "simlink/sim_placement.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// The reply block of the user data definition, 96 bytes as the simulator sends it;
// its altitude is never negative once received.
struct UserAcData : SimPlacement {
    double altitudeAboveGround = 0; // feet
    double groundSpeed = 0;         // knots
    std::int64_t zuluTime = 0;      // seconds of the UTC day
    std::int64_t zuluDayOfYear = 0; // 1..366
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;   // light-state bit mask
};
static_assert(sizeof(UserAcData) == 96);

// Guards g_simUserAcData. A leaf lock: it may be taken inside g_simQueueMutex, never
// the other way round.
extern std::mutex g_userAcMutex;
// The block as last received (written on the SimClient thread).
extern UserAcData g_simUserAcData;
// The main loop thread's copy, refreshed through gf_requestUserAcData.
extern UserAcData g_userAcData;
// SIM ON GROUND of the user aircraft.
extern std::atomic<bool> g_userOnGround;
// Set by the first on-ground reply that comes while the user position is known.
extern std::atomic<bool> g_userDataReceived;
// The simulator's UTC date and time in seconds since 1970 ("prof" edition of RealTraffic only).
extern std::atomic<std::int64_t> g_simEpochTime;
// Half wing span of the user aircraft in nautical miles.
extern std::atomic<double> g_userHalfSpan;

// Asks the simulator for a new user block (the reply arrives later on the SimClient
// thread) and returns a copy of the block as it stands.
UserAcData gf_requestUserAcData();
// Asks once for the user aircraft's title and ATC model.
void gf_requestUserAcTitleModel();
// The last received user position is still 0/0.
bool gf_simUserPositionUnknown();
// Seconds since 1970 of a zulu day of year, year and second of the day.
std::int64_t gf_zuluEpochSeconds(std::int64_t dayOfYear, std::int64_t year, std::int64_t secondOfDay);
// Main loop, after each refresh of g_userAcData: the panel names the stand the user
// aircraft stands on (within 55 m), repainting the header when the name changes.
void gf_updateUserStand();
