// A small world for the static parking adjustments: two park airports of a handful of stands
// whose park files hold uses that vary by weekday and half hour, the user aircraft at one of
// them, and the program's own tick against the simulated simulator on its stepped clock. What
// happens to users is driven from outside (time passing, an adjustment asked for, the
// simulator pausing or removing an object, a live aircraft on a stand, a flight to the other
// airport); what goes wrong is reported as a sentence.
#pragma once

#include "core/geo.h"
#include "engine/aircraft_records.h"
#include "parking/static_park_plan.h"
#include "support/log_capture.h"
#include "support/stepped_sim.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace statictest {

// One use of a stand in a park file: an aircraft (registration, callsign, second callsign)
// on a weekday in the half hours from..to.
struct StandUse {
    int stand = 0; // index 0..kStands-1
    std::string reg;
    std::string cs;
    std::string cs2;
    int weekday = 1;
    int from = 0;
    int to = 0;
};

inline constexpr int kStands = 6;
inline constexpr int kAirports = 2;

class StaticWorld {
public:
    StaticWorld();
    ~StaticWorld();

    // Writes both park files, connects the simulator with the user aircraft standing at the
    // first airport at the weekday and half hour, and lets the program load it and park its
    // static aircraft.
    void start(const std::vector<std::vector<StandUse>>& uses, int weekday, int slot);

    // The clock moves forward to the next time at this weekday and half hour (minutes into it),
    // or by whole half hours.
    void moveTimeTo(int weekday, int slot, int minutes);
    void moveTimeBy(int halfHours, int minutes);
    // The user presses "Now" (or the countdown of the renewal runs out), the program renews
    // static parking (the simulator sending no frames for the seconds right after, as a slow
    // one confirms removals late) and everything it asked for settles; checked then.
    void adjust(bool byCountdown, int framesStopSeconds);
    // The simulator sends no frames for the seconds while the program runs.
    void pause(int seconds);
    // The simulator takes away one of the program's static objects (chosen by the index).
    void simulatorRemovesAStatic(std::size_t index);
    // A live aircraft is first seen standing on the stand of a static aircraft (by the index).
    void liveArrivesOnAStatic(std::size_t index);
    // The user flies away from the park airport and lands at the other one.
    void flyToTheOtherAirport();
    // Simulated seconds with frames.
    void run(int seconds);

    // The first rule broken so far, as a sentence.
    const std::optional<std::string>& breach() const { return m_breach; }
    int airport() const { return m_airport; }

private:
    void tick(bool frames);
    void sendFeedLines();
    void checkOneStaticPerStand();
    void note(std::string what);
    void checkWrappedChoices(const std::vector<StaticAc>& before, const WeekTime& now);
    void flyAway();
    void landAt(int airport);

    struct LiveFeed {
        std::uint32_t hexid = 0;
        std::string callsign;
        LatLon place;
        std::int64_t nextLineTick = 0;
    };

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
    std::unique_ptr<testsupport::SteppedSimLink> m_link;
    std::vector<std::vector<LatLon>> m_stands; // per airport
    std::vector<LatLon> m_airports;
    std::vector<double> m_elevations;
    std::vector<LiveFeed> m_feeds;
    int m_airport = 0;
    bool m_atTheAirport = true;
    std::int64_t m_ticks = 0;
    std::uint32_t m_nextHexid = 0x3D0001;
    std::optional<std::string> m_breach;
    std::vector<std::string> m_twoStaticsBefore;
};

} // namespace statictest
