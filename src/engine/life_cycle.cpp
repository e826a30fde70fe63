// The per-tick update of a live aircraft, its removal and its respawn.
#include "engine/life_cycle.h"

#include "core/log.h"
#include "core/text_strings.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/aircraft_names.h"
#include "engine/air_movement.h"
#include "engine/engine_tick.h"
#include "engine/stand_search.h"
#include "engine/unconfirmed_creations.h"
#include "engine/stream_extension.h"
#include "simlink/flight_plans.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

// A live aircraft leaves the simulator through the removal of its object.
void lf_takeOut(StaticAc& ac, std::string_view caller)
{
    if (gf_isLiveHexid(ac.hexid)) {
        ac.simState = SimState::removingfromsim;
        if (gf_isBlockSelection(ac))
            gf_resetBlockCallsign();
    } else {
        ac.simState = SimState::removingfromsim;
    }
    if (ac.objectId != 0) {
        g_removalQueue.push_back(ac.objectId);
        return;
    }
    gf_log(fmt::format("{} removing act {}, with objectid=0 ?", caller, gf_acDescr(ac)));
    // No object in the simulator means no "ObjectRemoved" to wait for: the record goes now,
    // or every later line of its hexid would be ignored for the rest of the run.
    ac.remove = 1;
}

void lf_updateActiveAc(LiveAc& ac)
{
    if (ac.stream.empty()) {
        gf_log(fmt::format("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{}, TAS:{:.0f}",
                           "updateLiveAc", gf_acDescr(ac), ac.hexid, ac.objectId, ac.simPosition[5],
                           fmt::format("{:.6f},{:.6f}", ac.simPosition[0], ac.simPosition[1]), ac.simPosition[7]));
        removeAircraftFromSim(ac);
        return;
    }
    gf_giveUpSilentStand(ac);
    if (g_engineTick.load() >= ac.stream.front().dueTick) {
        nextPosMain(ac);
        ac.simPosition[6] = ac.verticalSpeed / 60.0;
        const bool standing = !ac.stream.empty() && ac.stream.front().stationary;
        ac.simPosition[7] = standing ? 0.0 : ac.trueAirspeed;
    }
    if (ac.simState == SimState::active && !ac.stream.empty() && !ac.stream.front().stationary)
        lf_flyCurve(ac);
    if (ac.objectId == 0) {
        gf_log(fmt::format("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc", ac.hexid,
                           ac.callsign, ac.registration, gf_aimoString(ac), ac.stream.size()));
        removeAircraftFromSim(ac);
        return;
    }
    const auto& p = ac.simPosition;
    g_positionFill->push_back(PositionItem{{p[0], p[1], p[2], p[3], p[4], p[5]}, p[6], p[7], ac.objectId});
}

// A respawning aircraft whose object is gone waits in the buffer to be created again.
void lf_backToBuffer(LiveAc& ac)
{
    ac.simState = SimState::buffer;
    ac.objectId = 0;
    ac.createSentTick = -1;
    ac.creationClock.stop();
    ac.throttleIndex = 5;
    ac.flapsIndex = 4;
}

// The name of a state for a log line; a damaged value shows as its number.
template <class Enum>
std::string lf_nameOr(const std::string& (*name)(Enum), Enum value)
{
    try {
        return name(value);
    } catch (const std::out_of_range&) {
        return std::to_string(static_cast<std::uint32_t>(value));
    }
}

template <class Ac>
void lf_eraseSwapLast(std::vector<Ac>& acs, typename std::vector<Ac>::iterator it)
{
    if (it != acs.end() - 1)
        *it = std::move(acs.back());
    acs.pop_back();
}

} // namespace

// Withdraws a create request that has not reached the simulator link yet. It is matched by
// the hexid it carries: two waiting aircraft may share a callsign.
bool gf_withdrawCreateRequest(const StaticAc& ac)
{
    const auto sameAircraft = [&ac](const CreateRequest& request) { return request.aircraftId == ac.hexid; };
    for (auto* deque : {&g_addingStack.live, &g_addingStack.statics}) {
        const auto found = std::find_if(deque->begin(), deque->end(), sameAircraft);
        if (found != deque->end()) {
            deque->erase(found);
            return true;
        }
    }
    // Still on the spawn list: its create request is not even built.
    const auto listed = std::find(g_spawnList.begin(), g_spawnList.end(), ac.hexid);
    if (gf_isLiveHexid(ac.hexid) && listed != g_spawnList.end()) {
        g_spawnList.erase(listed);
        return true;
    }
    return false;
}

bool updateLiveAc(LiveAc& ac)
{
    try {
        switch (ac.simState) {
        case SimState::buffer:
            lf_handleBufferedAc(ac);
            break;
        case SimState::active:
            lf_updateActiveAc(ac);
            break;
        case SimState::adding2sim:
            gf_giveUpUnconfirmedCreation(ac);
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "updateLiveAc", e.what(), gf_acDescr(ac),
                           ac.stream.size(), lf_nameOr(gf_flightPhaseName, ac.flightPhase),
                           lf_nameOr(gf_simStateName, ac.simState)));
        return ac.remove != 0;
    }
    return ac.remove != 0 || ac.withdrawn != 0;
}

void removeAircraftFromSim(StaticAc& ac)
{
    // Whatever its state, an aircraft on its way out no longer holds its stand.
    lf_releaseStand(ac);
    switch (ac.simState) {
    case SimState::buffer:
        ac.remove = 1;
        return;
    case SimState::removingfromsim:
        // Its object id is queued already; queuing it twice would remove a reused id.
        return;
    case SimState::liveryrespawn:
        // The object is on its way out: the aircraft leaves with it instead of coming back.
        ac.simState = SimState::removingfromsim;
        if (gf_isLiveHexid(ac.hexid) && gf_isBlockSelection(ac))
            gf_resetBlockCallsign();
        return;
    case SimState::adding2sim:
        if (ac.removeOnArrival)
            return;
        if (gf_withdrawCreateRequest(ac))
            ac.withdrawn = 1;
        else
            ac.removeOnArrival = 1;
        return;
    default:
        lf_takeOut(ac, "removeAircraftFromSim");
    }
}

void lf_removeOnArrival(StaticAc& ac)
{
    lf_takeOut(ac, "removeAircraftFromSim");
}

void liveryRespawn(LiveAc& ac)
{
    try {
        if (ac.stream.empty())
            throw std::out_of_range("stream empty");
        PosSample first = ac.stream.front();
        PosSample& old = ac.stream.front();
        if (ac.flightPhase != FlightPhase::parked) {
            first.latitude = ac.simPosition[0];
            first.longitude = ac.simPosition[1];
            first.altitude = ac.simPosition[5];
            first.bank = ac.simPosition[3];
            first.bankValid = 1;
            const bool samePlace = std::abs(old.latitude - first.latitude) <= 1e-8 &&
                                   std::abs(old.longitude - first.longitude) <= 1e-8;
            old.stationary = samePlace ? 1 : 0;
        } else {
            ac.stream.resize(1);
            ac.stream.front().stationary = 1;
            ac.stream.front().track = ac.simPosition[4] * 180.0 / 3.141592653589793;
            first.stationary = 1;
        }
        first.dueTick = g_engineTick.load() + 1;
        ac.stream.push_front(first);
        ac.simState = SimState::liveryrespawn;
        ac.savedHeading = ac.simPosition[4];
        if (gf_isBlockSelection(ac))
            gf_resetBlockCallsign();
        if (ac.objectId != 0) {
            g_removalQueue.push_back(ac.objectId);
        } else {
            gf_log(fmt::format("{} removing act {} with objectid=0 ?", "liveryRespawn", gf_acDescr(ac)));
            // Nothing to remove in the simulator: it is created again straight from the buffer.
            lf_backToBuffer(ac);
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "liveryRespawn", e.what()));
    }
}

void gf_removeFlightPlan(std::uint32_t objectId)
{
    const auto sameObject = [objectId](const StaticAc& ac) { return ac.objectId == objectId; };
    const auto live = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), sameObject);
    if (live != g_liveAcs.end()) {
        if (live->simState == SimState::liveryrespawn) {
            lf_backToBuffer(*live);
            lf_deleteFlightPlanFile(objectId, *live);
            return;
        }
        lf_deleteFlightPlanFile(objectId, *live);
        lf_releaseStand(*live);
        lf_eraseSwapLast(g_liveAcs, live);
        return;
    }
    const auto fixed = std::find_if(g_staticAcs.begin(), g_staticAcs.end(), sameObject);
    if (fixed != g_staticAcs.end())
        lf_eraseSwapLast(g_staticAcs, fixed);
}

void lf_deleteFlightPlanFile(std::uint32_t objectId, LiveAc& ac)
{
    if (!ac.hasFlightPlan)
        return;
    ac.hasFlightPlan = 0;
    std::error_code error;
    std::filesystem::remove(gf_flightPlanPath(objectId), error);
    if (error)
        gf_log(fmt::format("{}: {}", "gf_removeFlightPlan", error.message()));
}

void lf_resetLivery(LiveAc& ac)
{
    g_liveryTitleCache.erase(ac.hexid);
    ac.livery = {};
    ac.fsltl = 0;
    ac.flightPhase = FlightPhase::birth;
}

bool lf_airlineFromCallsign(AcIdent& ac)
{
    const std::string& callsign = ac.callsign;
    const auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (callsign.size() < 4 || !isLetter(callsign[0]) || !isLetter(callsign[1]) || !isLetter(callsign[2]) ||
        !std::isdigit(static_cast<unsigned char>(callsign[3])))
        return false;
    ac.airline = gf_upperCase(std::string_view(callsign).substr(0, 3));
    return true;
}
