// Traffic records into live aircraft: matching by hexid, the plausibility tests of a new
// sample, and the birth of new live aircraft.
#include "engine/traffic_intake.h"

#include "core/settings.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/category_tables.h"
#include "parking/park_airport.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"

#include <algorithm>
#include <cmath>

namespace {

// 450 m and 20 m in nautical miles: shorter hops at steady speed and track add nothing.
constexpr double kAirborneHopNm = 0.2429805615550756;
constexpr double kGroundHopNm = 0.010799136069114472;
constexpr double kGroundHopCapSeconds = 15.0;

LiveAc* lf_findByHexid(std::uint32_t hexid)
{
    const auto found = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                    [hexid](const LiveAc& ac) { return ac.hexid == hexid; });
    return found == g_liveAcs.end() ? nullptr : &*found;
}

// A second transponder of a flight that is already known by callsign and type.
bool lf_isKnownFlight(const TrafficRecord& rec)
{
    return std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&rec](const LiveAc& ac) {
        return ac.callsign == rec.callsign && ac.type == rec.type;
    });
}

// A low sample near the park airport's elevation is neither airborne traffic nor on the ground.
bool lf_isNearElevation(const PosSample& s)
{
    return s.altitude > 0 && s.altitude < 10000 && std::abs(s.altitude - gf_intakeReferenceElevation()) <= 108;
}

bool lf_isSpeedJump(double last, double next)
{
    return (last > 5 && next >= 10 * last) || (next > 5 && last >= 10 * next) || (last <= 5 && next >= 80) ||
           (next <= 5 && last >= 80);
}

// A sample too close behind the last one, at steady speed and track, adds nothing.
bool lf_isShortHop(const LiveAc& ac, const PosSample& last, const PosSample& s, double elapsed)
{
    if (ac.holdCount >= 1)
        return false;
    const double trackChange = std::abs(s.track - last.track);
    if (s.airborne && s.groundSpeed > 120 && trackChange <= 1.0)
        return elapsed <= kAirborneHopNm / s.groundSpeed * 3600;
    if (!s.airborne && s.groundSpeed <= 30 && trackChange <= 2.0) {
        const double limit = s.groundSpeed > 0 ? std::min(kGroundHopNm / s.groundSpeed * 3600, kGroundHopCapSeconds)
                                               : kGroundHopCapSeconds;
        return elapsed <= limit;
    }
    return false;
}

bool lf_isRefusedSample(const LiveAc& ac, const TrafficRecord& rec)
{
    if (ac.stream.empty())
        return false;
    const PosSample& last = ac.stream.back();
    const double elapsed = rec.time - ac.lastSampleTime;
    return rec.time == ac.lastSampleTime || elapsed <= 1.0 ||
           lf_isSpeedJump(last.groundSpeed, rec.sample.groundSpeed) || lf_isShortHop(ac, last, rec.sample, elapsed);
}

} // namespace

bool lf_isCategoryWanted(Category category)
{
    switch (category) {
    case Category::Light: return LIGHT_AIRCRAFT.value;
    case Category::HighPerf: return HIGH_PERF_AIRCRAFT.value;
    case Category::Rotorcraft: return HELICOPTERS.value;
    case Category::Buzjet:
    case Category::Large:
    case Category::Heavy: return true;
    }
    return false;
}

double gf_intakeReferenceElevation()
{
    if (g_parkAirport.empty())
        return -1000.0;
    const Airport* airport = gf_findAirport(g_parkAirport);
    return airport ? airport->alt : -1000.0;
}

void handleTrafficRecord(TrafficRecord& rec)
{
    LiveAc* ac = lf_findByHexid(rec.hexid);
    if (!ac) {
        if (rec.callsign.empty() || g_liveAcs.empty() || !lf_isKnownFlight(rec))
            lf_newTraffic(rec);
        return;
    }
    if (ac->simState == SimState::liveryrespawn || ac->simState == SimState::removingfromsim)
        return;
    if (lf_isRefusedSample(*ac, rec))
        return;
    if (ac->simState == SimState::buffer && lf_isNearElevation(rec.sample))
        return;
    if (!lf_checkRespawn(*ac, rec))
        return;
    ac->lastSampleTime = rec.time;
    decodeExisting(*ac, rec.sample);
}

void lf_newTraffic(TrafficRecord& rec)
{
    if (!rec.registration.empty()) {
        const auto known = gf_findRegistration(rec.registration);
        if (known && !known->type.empty())
            rec.type = known->type;
    }
    if (gf_isKnownAircraftType(rec.type))
        filterNewTraffic(rec);
}

void filterNewTraffic(TrafficRecord& rec)
{
    const Category category = gf_aircraftSizeClass(rec.type);
    if (!lf_isCategoryWanted(category) || lf_isNearElevation(rec.sample))
        return;
    rec.firstCallsign = rec.callsign;
    rec.altIdent.clear();
    rec.flag = 0;
    AircraftData data = gf_makeAcData(rec);
    data.hexid = rec.hexid;
    data.groundTurnRate = data.turnRateBase;
    const CategoryRow& row = gf_categoryRow(data.category);
    data.climbLimit = row.climbLimitFt;
    data.standSpeed = row.standSpeedKt;
    g_liveAcs.push_back(lf_makeLiveAc(data, rec.sample, rec.time));
}
