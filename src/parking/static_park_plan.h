// The plan of static parked aircraft at the park airport: which stands get an aircraft and
// which aircraft, fitted to the stands' observed uses at the current weekday and half hour.
#pragma once

#include "engine/creation_clock.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

// One planned static aircraft.
struct StaticParkEntry {
    std::uint32_t stand = 0;      // stand number
    std::uint32_t tolerance = 0;  // half hours back from now at which the use matched
    std::string airl;
    std::string type;
    std::string cs;
    std::string cs2;
    std::string reg;
    bool staysNextSlot = false;   // also parked in the next half hour, or no second callsign
};
// The plan; the creation takes entries from the back.
extern std::vector<StaticParkEntry> g_staticParkEntries;
// A planned entry whose stand is taken only by static aircraft on their way out (the one it
// replaces): its create waits until they are gone, for a bounded time of running frames.
struct WaitingStaticEntry {
    StaticParkEntry entry;
    CreationClock clock;
};
extern std::vector<WaitingStaticEntry> g_waitingStaticEntries;
// Engine ticks of running frames an entry waits before it is dropped.
inline constexpr std::int32_t kStaticEntryWaitTicks = 6000;

// Weekday 1..7 (Monday 1) and half-hour slot 0..47 of now.
struct WeekTime {
    std::int32_t weekday = 1;
    std::int32_t slot = 0;
};

// A live aircraft parked at a stand of the park airport, as an adjustment collects them.
struct LiveParkedEntry {
    std::string callsign;
    std::uint32_t stand = 0;
    std::uint32_t minutes = 0;
};
extern std::vector<LiveParkedEntry> g_liveParkedList;

// Callsigns the traffic feed reported during the renewal, copied at the start of a planning.
extern std::unordered_set<std::string> g_plannedSeenCallsigns;

// What the status panel shows of the last planning.
struct ParkFitPanel {
    std::int32_t wanted = 0;
    std::int32_t wantedPercent = 0;
    std::int32_t realOffset = 0;
    std::int32_t softOffset = -1;
    bool softUsed = false;
    bool anyWeekdayUsed = false;
};
extern ParkFitPanel g_parkFitPanel;
// Sets the flags of the data the fit used and shows them in the parking band.
void gf_setFitFlags(bool softUsed, bool anyWeekdayUsed);

// The full planning after a park airport was loaded.
void lf_calcParkPositions();
// The number of static aircraft wanted (also shown in the panel).
std::int32_t lf_wantedParkCount();
// The fit modes in order until the plan plus `already` reaches `wanted`.
void lf_fitModes(const WeekTime& now, std::int32_t wanted, std::int32_t already);
void lf_fitMode(const WeekTime& now, std::int32_t wanted, std::int32_t already, bool real, bool dayOnly);
bool lf_fitParkPositions(const WeekTime& now, bool real, bool dayOnly, std::int32_t wanted,
                         std::vector<StaticParkEntry>& candidates);
void lf_searchStands(const WeekTime& now, bool real, bool dayOnly, std::int32_t offset,
                     std::vector<StaticParkEntry>& candidates);
// The reserved stand and the stand the user aircraft stands at stay free.
void lf_markUserStands();
// Logs the time, weekday and half hour and returns them.
WeekTime lf_logDayAndHour();
// Copies the feed's seen callsigns into g_plannedSeenCallsigns and stops collecting them.
void lf_snapshotSeenCallsigns();
// The weekday before / after (Monday's previous day is Sunday 7).
std::int32_t gf_previousWeekday(std::int32_t weekday);
std::int32_t gf_nextWeekday(std::int32_t weekday);

// Turns the next planned entry into a static aircraft.
void lf_detcs();
// Keeps the number of parked aircraft within the limit, counting extra aircraft about to park.
void gf_checkMaxPark(std::int32_t extra);
