// The buffer gate of a live aircraft, its preparation for creation and its first
// simulator position.
#include "engine/life_cycle.h"

#include "app/tick_state.h"
#include "core/geo.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/air_angles.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/ghost_rules.h"
#include "engine/proximity_rules.h"
#include "engine/stand_learning.h"
#include "engine/stand_search.h"
#include "liveries/livery_matching.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "refdata/aircraft_db.h"
#include "simlink/flight_plans.h"
#include "simlink/user_aircraft.h"

#include <fmt/format.h>

#include <algorithm>
#include <mutex>

namespace {

// A sample on the ground that rolls needs more lead time for its creation.
constexpr std::int32_t kRollingLeadTicks = 300;
constexpr std::int32_t kLeadTicks = 100;
constexpr std::size_t kMaxWaitingLiveCreates = 10;

bool lf_isGhostCallsign(const std::string& callsign)
{
    return callsign.ends_with('_');
}

bool lf_mixesAirAndGround(const LiveAc& ac)
{
    const auto airborne = [](const PosSample& s) { return s.airborne != 0; };
    return std::any_of(ac.stream.begin(), ac.stream.end(), airborne) &&
           !std::all_of(ac.stream.begin(), ac.stream.end(), airborne);
}

// An empty BLOCK_CALLSIGN blocks nothing, also not the aircraft that have no callsign yet.
bool lf_isBlocked(const LiveAc& ac)
{
    const std::lock_guard lock(g_parametersMutex);
    return !BLOCK_CALLSIGN.value.empty() && ac.callsign == BLOCK_CALLSIGN.value;
}

// Fewer live aircraft than the limit in the simulator or on their way in: the active ones and
// those adding (on the spawn list, waiting with their create request, or created and not yet
// activated), so that the ones still on their way never take the count past the limit.
bool lf_fewerCountedThan(std::size_t limit)
{
    std::size_t counted = 0;
    for (const LiveAc& live : g_liveAcs) {
        if ((live.simState == SimState::active || live.simState == SimState::adding2sim) && ++counted >= limit)
            return false;
    }
    return true;
}

// Room for one more live aircraft under MAX_LIVE_SEL; the farthest active aircraft may make
// room for a nearer newcomer.
bool lf_hasRoom(const LiveAc& ac)
{
    const std::int32_t maxLive = MAX_LIVE_SEL.value.load();
    if (maxLive == 0)
        return false;
    if (lf_fewerCountedThan(static_cast<std::size_t>(maxLive)))
        return true;
    const PosSample& front = ac.stream.front();
    const double distance =
        gf_distanceNm({g_userAcData.latitude, g_userAcData.longitude}, {front.latitude, front.longitude});
    return !gf_removeFarthestActive(distance);
}

// Airline, type and cargo from the registration database; the registration stands in for
// a missing callsign; a private aircraft without an airline code flies as "PVT".
void lf_completeIdentity(LiveAc& ac)
{
    if (!ac.registration.empty()) {
        if (const auto reg = gf_findRegistration(ac.registration)) {
            ac.airline = reg->operatorCode.empty() ? reg->airline : reg->operatorCode;
            ac.type = reg->type;
            ac.cargo = reg->cargo ? 1 : 0;
            if (!gf_hasCallsign(ac))
                ac.callsign = ac.registration;
        }
    }
    if (ac.airline.empty() && !lf_airlineFromCallsign(ac))
        ac.airline = "PVT";
}

// The title kept for the hexid, or a new match that is then kept; false without a livery.
bool lf_chooseLivery(LiveAc& ac)
{
    if (!ac.livery.empty())
        return true;
    if (const auto cached = gf_cachedLiveryTitle(ac.hexid)) {
        ac.livery = *cached;
        return true;
    }
    gf_matchLivery(ac);
    if (ac.livery.empty())
        return false;
    g_liveryTitleCache[ac.hexid] = ac.livery;
    return true;
}

// Born on a stand: the stream keeps its first sample, moved onto the stand.
void lf_bornOnStand(LiveAc& ac, Stand& stand)
{
    ac.standLat = stand.latitude;
    ac.standLon = stand.longitude;
    ac.standHeading = stand.heading;
    lf_holdStand(ac, stand);
    ac.standFlag = stand.cargo ? 1 : 0;
    ac.flightPhase = FlightPhase::parked;
    ac.parkedSince = gf_steadyTicks100ns();
    lf_setStandCargo(ac);
    ac.stream.resize(1);
    PosSample& first = ac.stream.front();
    first.latitude = stand.latitude;
    first.longitude = stand.longitude;
    first.track = stand.heading * kRadToDeg;
    lf_addRealStandOption(ac, 1);
    gf_checkMaxPark(1);
}

// The first phase: flying, parked on a stand or taxiing; false when the spawn waits.
bool lf_choosePhase(LiveAc& ac)
{
    if (ac.stream.front().airborne) {
        ac.flightPhase = FlightPhase::flying;
        return true;
    }
    if (Stand* stand = lf_findBirthStand(ac)) {
        lf_bornOnStand(ac, *stand);
        return true;
    }
    if (ac.remove)
        return true;
    if (ac.stream[1].stationary) {
        ac.stream.pop_front();
        return false;
    }
    ac.flightPhase = FlightPhase::taxi;
    return true;
}

double lf_initialPitch(const PosSample& s)
{
    if (!s.airborne)
        return 0.6 * kDegToRad;
    double v = std::min(s.verticalSpeed, 2400.0);
    if (v < 0.0)
        v = std::max(v, -3000.0) / 2.0;
    return (-3.0 - (v / 600.0) * 2.2) * kDegToRad;
}

double lf_initialHeading(const LiveAc& ac)
{
    if (ac.savedHeading)
        return *ac.savedHeading;
    if (ac.flightPhase == FlightPhase::parked)
        return ac.standHeading;
    const PosSample& first = ac.stream.front();
    if (ac.stream.size() < 2 || ac.stream[1].stationary)
        return gf_wrapHeading(first.track * kDegToRad);
    const PosSample& second = ac.stream[1];
    return gf_wrapHeading(gf_bearingRad({first.latitude, first.longitude}, {second.latitude, second.longitude}));
}

} // namespace

void lf_handleBufferedAc(LiveAc& ac)
{
    if (ac.stream.empty()) {
        ac.remove = 1;
        return;
    }
    const PosSample& front = ac.stream.front();
    const bool rolling = !front.airborne && front.groundSpeed != 0.0;
    if (g_engineTick.load() < front.dueTick - (rolling ? kRollingLeadTicks : kLeadTicks))
        return;
    if (ac.stream.size() == 1) {
        ac.remove = 1;
        return;
    }
    if (lf_isGhostCallsign(ac.callsign) &&
        std::find(g_ghostList.begin(), g_ghostList.end(), ac.callsign) != g_ghostList.end()) {
        ac.remove = 1;
        return;
    }
    if (lf_mixesAirAndGround(ac)) {
        ac.stream.pop_front();
        return;
    }
    if (lf_holdBackNearUser(ac))
        return;
    if (g_addingStack.live.size() > kMaxWaitingLiveCreates && ac.flightPhase == FlightPhase::birth) {
        ac.stream.pop_front();
        return;
    }
    if (!lf_hasRoom(ac) || lf_isBlocked(ac)) {
        ac.remove = 1;
        return;
    }
    lf_completeIdentity(ac);
    if (!gf_hasCallsign(ac) || g_noLiverySet.contains(gf_makeAcKey(ac)) ||
        (lf_isGhostCallsign(ac.callsign) && lf_ghostHasOriginal(ac.callsign))) {
        ac.remove = 1;
        return;
    }
    spawnLiveAc(ac);
}

void spawnLiveAc(LiveAc& ac)
{
    if (ac.stream.size() < 2) {
        gf_log(fmt::format("{} sz:{}", "spawnLiveAc", ac.stream.size()));
        return;
    }
    PosSample& first = ac.stream[0];
    PosSample& second = ac.stream[1];
    if (second.stationary) {
        first.stationary = 1;
        first.groundSpeed = 0.0;
        second.groundSpeed = 0.0;
        if (ac.stream.size() > 2 && ac.stream[2].stationary)
            ac.stream[2].groundSpeed = 0.0;
    } else {
        first.stationary = 0;
    }
    if (ac.flightPhase == FlightPhase::birth) {
        if (!lf_chooseLivery(ac)) {
            if (!ac.registration.empty())
                g_noLiverySet.insert(gf_makeAcKey(ac));
            ac.remove = 1;
        } else if (!lf_choosePhase(ac)) {
            return;
        }
    }
    if (ac.remove)
        return;
    lf_setInitialPosition(ac);
    ac.simState = SimState::adding2sim;
    g_spawnList.push_back(ac.hexid);
    if (!lf_isGhostCallsign(ac.callsign))
        lf_removeGhosts(ac.callsign);
}

void lf_setInitialPosition(LiveAc& ac)
{
    g_standArrivals.push_back(ac.hexid);
    const PosSample& first = ac.stream.front();
    auto& p = ac.simPosition;
    p[0] = first.latitude;
    p[1] = first.longitude;
    p[2] = lf_initialPitch(first);
    p[3] = first.bankValid ? first.bank : 0.0;
    p[4] = lf_initialHeading(ac);
    p[5] = first.altitude;
    p[6] = first.verticalSpeed / 60.0; // the simulator takes feet per second
    p[7] = first.trueAirspeed;
    ac.savedHeading.reset();
    ac.heldBack = 0;
}
