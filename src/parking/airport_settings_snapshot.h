// The per-airport settings as they were live when the park airport's reference file
// had been read; leaving the airport restores them.
#pragma once

#include <cstdint>

struct AirportSettingsSnapshot {
    std::int32_t maxLiveSel = 500;
    std::int32_t maxFit = 47;
    std::int32_t range = 40;
    std::int32_t parkingPercentage = 30;
    bool autoRange = true;
    bool initialLoadOnly = false;
    bool parkSoft = false;
    bool week = false;
};

// Taken on the main loop thread after the reference park file is read; read there too.
extern AirportSettingsSnapshot g_airportSettingsSnapshot;

// Takes the snapshot from the live settings.
void gf_takeAirportSettingsSnapshot();
