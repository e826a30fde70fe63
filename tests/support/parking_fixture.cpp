#include "support/parking_fixture.h"

#include "core/clock.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "parking/park_airport.h"
#include "ui/main_window.h"
#include "refdata/airport_db.h"
#include "simlink/user_aircraft.h"

#include <algorithm>
#include <chrono>
#include <numbers>

#include <fmt/format.h>

namespace testsupport {

namespace {
constexpr double kDegreesPerMeterAt50 = 1.0 / (1852.0 * 60.0 * 0.6427876096865394);
}

void addAirport(const std::string& code, double lat, double lon, const std::string& iata)
{
    Airport airport;
    airport.code = code;
    airport.iata = iata;
    airport.lat = lat;
    airport.lon = lon;
    airport.stands = 10;
    // Kept sorted by code: inserted in place, which is quick for codes added in order.
    const auto place = std::upper_bound(g_airports.begin(), g_airports.end(), airport,
                                        [](const Airport& a, const Airport& b) { return a.code < b.code; });
    g_airports.insert(place, airport);
    g_airportCodes.insert(code);
}

double eastOf8(double eastMeters)
{
    return 8.0 + eastMeters * kDegreesPerMeterAt50;
}

Stand& addStand(const std::string& id, double eastMeters, double radiusMeters)
{
    g_stands.emplace_back(std::string(id), std::vector<ParkOpt>{}, StandPlace{50.0, eastOf8(eastMeters), 0.0},
                          radiusMeters, false, false, false);
    gf_standsChanged();
    return g_stands.back();
}

void numberStands()
{
    gf_numberStandsAndFindNeighbours(g_stands);
}

void fillStandRows(const LatLon& origin, int count, const std::vector<ParkOpt>& uses)
{
    constexpr double kFeetPerMetre = 1.0 / 0.3048;
    gf_clearParkPositions();
    for (int i = 0; i < count; ++i) {
        const LatLon north = gf_destinationPoint(origin, 0.0, 200.0 * (i / 40) * kFeetPerMetre);
        const LatLon p = gf_destinationPoint(north, std::numbers::pi / 2.0, 60.0 * (i % 40) * kFeetPerMetre);
        g_stands.emplace_back(fmt::format("S{}", i + 1), std::vector<ParkOpt>(uses), StandPlace{p.lat, p.lon, 0.0}, 25.0, false, false,
                              false);
    }
    gf_standsChanged();
    numberStands();
}

void setParkAirport(const std::string& code, const LatLon& position, double elevationFt)
{
    g_parkAirport = code;
    g_parkAirportLat = position.lat;
    g_parkAirportLon = position.lon;
    g_parkAirportElevation = elevationFt;
    g_parkAirportSet = true;
    g_mainWindowState.parkFileLoaded = true;
}

ParkOpt use(std::uint32_t day, int first, int last, const std::string& reg, const std::string& cs,
            const std::string& cs2, bool real, const std::string& airl, const std::string& type)
{
    ParkOpt option;
    option.airl = airl;
    option.type = type;
    option.reg = reg;
    option.cs = cs;
    option.cs2 = cs2;
    for (int slot = first; slot <= last; ++slot)
        option.hh.set(static_cast<std::size_t>(slot));
    option.day = day;
    option.real = real ? 1 : 0;
    option.seq = 1;
    return option;
}

void placeUser(double lat, double lon, double groundSpeed, double aboveGround)
{
    UserAcData data;
    data.latitude = lat;
    data.longitude = lon;
    data.groundSpeed = groundSpeed;
    data.altitudeAboveGround = aboveGround;
    g_userAcData = data;
    g_userDataReceived = true;
}

void freezeWeekTime(int weekday, int halfHour)
{
    // Monday 2 March 2026, 00:00:00 UTC, plus whole days and half hours (10 s into the slot).
    using namespace std::chrono;
    const sys_days monday = year{2026} / March / 2;
    clk::freeze(monday + days{weekday - 1} + minutes{30 * halfHour} + seconds{10});
}

LiveAc& addLiveOnStand(std::int32_t stand, FlightPhase phase, std::int64_t parkedSince)
{
    AircraftData data;
    data.callsign = "LIVE" + std::to_string(stand);
    data.hexid = 0x400000 + static_cast<std::uint32_t>(stand);
    Stand* place = gf_standByNumber(stand);
    PosSample standing;
    standing.stationary = 1;
    if (place != nullptr) {
        standing.latitude = place->latitude;
        standing.longitude = place->longitude;
    }
    LiveAc ac = lf_makeLiveAc(data, standing, 0.0);
    if (place != nullptr) {
        assignStand(ac, *place);
        lf_holdStand(ac, *place);
    }
    ac.objectId = 300 + static_cast<std::uint32_t>(stand);
    ac.simState = SimState::active;
    ac.onGround = 1;
    ac.flightPhase = phase;
    ac.parkedSince = parkedSince;
    g_liveAcs.push_back(ac);
    return g_liveAcs.back();
}

void assignStand(StaticAc& ac, const Stand& stand)
{
    ac.standId = stand.number;
    ac.standLat = stand.latitude;
    ac.standLon = stand.longitude;
    ac.standHeading = stand.heading;
}

} // namespace testsupport
