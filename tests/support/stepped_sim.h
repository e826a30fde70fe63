// The simulated simulator on its stepped clock with the program's SimClient thread
// connected to it, for long in-process runs of the engine (benchmarks and the soak).
#pragma once

#include "core/geo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct SteppedSimSetup {
    LatLon user;                          // the user aircraft, on the ground
    double terrainElevationFt = 0.0;      // flat terrain everywhere
    std::vector<std::string> installedTitles;
    double staticCgFt = 7.0;
};

// Configures the world (positions and events applied, not kept), starts the program's SimClient
// thread (g_simClientThread, which the program's closing-down stops), steps frames until the
// link runs and asks for the user aircraft's data every
// simulator second, as the worker start does, which paces the main loop's per-second jobs.
// The destructor stops the thread, which closes the connection.
class SteppedSimLink {
public:
    explicit SteppedSimLink(const SteppedSimSetup& setup);
    ~SteppedSimLink();
    SteppedSimLink(const SteppedSimLink&) = delete;
    SteppedSimLink& operator=(const SteppedSimLink&) = delete;

    // One simulator frame, handled by the SimClient thread before this returns.
    static void frame();
    // The frame that falls on this engine tick: 30 frames to every 100 ticks.
    static void frameAtTick(std::int32_t tick);
    // Stops the SimClient thread now, unless the closing-down has stopped it.
    void close();
};

} // namespace testsupport
