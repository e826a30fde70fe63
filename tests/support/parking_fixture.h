// Static parking fixtures: airports in the airport database, stands with their uses in g_stands,
// the user aircraft at a position, a frozen UTC clock at a weekday and half hour.
#pragma once

#include "core/geo.h"
#include "engine/aircraft_records.h"
#include "parking/stand.h"

#include <cstdint>
#include <string>

namespace testsupport {

// Adds an airport to the airport database (kept sorted, known by code).
void addAirport(const std::string& code, double lat, double lon, const std::string& iata = {});

// The position `eastMeters` east of 50 N, 8 E (a row of stands along the parallel).
double eastOf8(double eastMeters);

// Appends a stand with id `id` at 50 N and `eastMeters` east of 8 E; numbered and neighbours
// found by numberStands().
Stand& addStand(const std::string& id, double eastMeters, double radiusMeters = 20.0);
void numberStands();

// Replaces the stands by `count` stands heading north in rows of 40, 60 m apart, the rows
// 200 m apart, north and east of `origin`, named "S1" upwards, each with the uses; numbered.
void fillStandRows(const LatLon& origin, int count, const std::vector<ParkOpt>& uses = {});
// The park airport at the position and elevation, with its park file loaded.
void setParkAirport(const std::string& code, const LatLon& position, double elevationFt);

// A real (or soft) use of a stand on a weekday in the half hours first..last, numbered 1.
ParkOpt use(std::uint32_t day, int first, int last, const std::string& reg, const std::string& cs = {},
            const std::string& cs2 = {}, bool real = true, const std::string& airl = "DLH",
            const std::string& type = "A320");

// The user aircraft's record as received, at the position, with the ground speed.
void placeUser(double lat, double lon, double groundSpeed = 0.0, double aboveGround = 0.0);

// Freezes UTC now at the weekday (1 Monday .. 7 Sunday) and half hour of a week in 2026.
void freezeWeekTime(int weekday, int halfHour);

// An active live aircraft "LIVE{stand}" built by the record builder, standing on the stand (when
// it exists) and holding it, in the phase, parked since the steady time (100 ns units);
// object 300 + stand, hexid 0x400000 + stand.
LiveAc& addLiveOnStand(std::int32_t stand, FlightPhase phase, std::int64_t parkedSince);

// The aircraft's stand: its number, position and heading.
void assignStand(StaticAc& ac, const Stand& stand);

// Taken out of the simulator: its object's removal is queued.
inline bool gone(const StaticAc& ac)
{
    return ac.simState == SimState::removingfromsim || ac.remove != 0;
}

} // namespace testsupport
