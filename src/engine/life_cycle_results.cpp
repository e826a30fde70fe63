// The simulator's results in the engine: identified objects wait out their activation,
// on-ground data and static CG reach their aircraft, removals and refused creations end
// their records.
#include "engine/life_cycle.h"
#include "core/run_state.h"

#include "app/tick_state.h"
#include "core/geo.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "engine/ac_containers.h"
#include "engine/air_commands.h"
#include "engine/air_movement.h"
#include "engine/aircraft_names.h"
#include "engine/stand_search.h"
#include "parking/static_park_plan.h"
#include "simlink/flight_plans.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <unordered_map>

std::vector<SimResult> g_keptResults;

namespace {

constexpr std::uint32_t kKeptDone = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kFirstAiObjectId = 3;
constexpr double kDefaultStaticPitch = 0.012217304763960306; // 0.7 deg

// Live aircraft by object id, built once per drain when on-ground data comes (it comes
// for every object every 200 ms) and dropped when a result erases a record.
class ObjectIndex {
public:
    LiveAc* find(std::uint32_t objectId)
    {
        if (!m_built) {
            m_byObject.clear();
            for (auto& ac : g_liveAcs) {
                if (ac.objectId != 0)
                    m_byObject.emplace(ac.objectId, &ac);
            }
            m_built = true;
        }
        const auto found = m_byObject.find(objectId);
        return found == m_byObject.end() ? nullptr : found->second;
    }
    void invalidate() { m_built = false; }

private:
    std::unordered_map<std::uint32_t, LiveAc*> m_byObject;
    bool m_built = false;
};

template <class Ac>
Ac* lf_findByHexid(std::vector<Ac>& acs, std::uint32_t hexid)
{
    const auto found = std::find_if(acs.begin(), acs.end(), [hexid](const Ac& ac) { return ac.hexid == hexid; });
    return found == acs.end() ? nullptr : &*found;
}

// Every request that a failure ends the run for goes through here.
void lf_sendOrFail(std::string_view failureText, const auto& send)
{
    bool failed = false;
    {
        const std::lock_guard lock(g_simQueueMutex);
        if (g_simLinkFailed.load() || g_hSimConnect == nullptr)
            return;
        failed = FAILED(send(g_hSimConnect));
    }
    if (failed) {
        gf_log(failureText);
        gf_simRequestError();
    }
}

// An aircraft identified on the ground stands there; a parked one takes its stand.
void lf_parkAc(LiveAc& ac)
{
    ac.onGround = 1;
    gf_setGear(ac, true);
    ac.altRate = 0.0;
    ac.climbCount = 1;
    if (ac.flightPhase != FlightPhase::parked)
        return;
    ac.parkedSlot = g_weekTime.load();
    const std::string standName = gf_standName(ac.standId);
    gf_log(fmt::format("{:8}: {:8} parks", standName, ac.callsign));
    std::erase_if(g_staticParkEntries,
                  [&ac](const StaticParkEntry& entry) { return static_cast<std::int32_t>(entry.stand) == ac.standId; });
    for (auto& fixed : g_staticAcs) {
        if (fixed.standId == ac.standId && fixed.simState == SimState::active) {
            gf_log(fmt::format("{:8}: {:8} parks over static {} ", standName, ac.callsign, gf_acDescr(fixed)));
            removeAircraftFromSim(fixed);
        }
    }
}

// The route as an AI flight plan, shown by the simulator's traffic displays.
void lf_setAiFlightPlan(LiveAc& ac)
{
    if (ac.origin.empty() || ac.destination.empty())
        return;
    const auto path = gf_flightPlanPath(ac.objectId);
    bool planned = gf_writeFlightPlan(path, ac);
    if (planned && g_msfs2020.load()) {
        const std::lock_guard lock(g_simQueueMutex);
        planned = g_hSimConnect != nullptr &&
                  SUCCEEDED(SimConnect_AISetAircraftFlightPlan(g_hSimConnect, ac.objectId, path_to_utf8(path).c_str(),
                                                               kRequestFlightPlan));
    }
    ac.hasFlightPlan = planned ? 1 : 0;
    if (!planned)
        gf_log(fmt::format("{} creating a flight plan failed", gf_acDescr(ac)));
}

void lf_requestStaticCG(const SimResult& result)
{
    if (result.objectId < kFirstAiObjectId)
        return;
    // Only a record that waits for its object takes one: a record in the buffer or one with an
    // object keeps what it has, and an object nobody takes would stay in the simulator for good.
    LiveAc* ac = lf_findByHexid(g_liveAcs, result.aircraftId);
    if (ac == nullptr || ac->simState != SimState::adding2sim || ac->objectId != 0) {
        g_removalQueue.push_back(result.objectId);
        return;
    }
    ac->objectId = result.objectId;
    ac->agl = result.value2;
    if (!ac->stream.empty() && !ac->stream.front().airborne)
        lf_parkAc(*ac);
    lf_setAiFlightPlan(*ac);
    lf_sendOrFail("SimConnect request StaticCG fails", [&](HANDLE handle) {
        return SimConnect_RequestDataOnSimObject(handle, kRequestStaticCg, kDefinitionStaticCg, result.objectId,
                                                 SIMCONNECT_PERIOD_ONCE);
    });
    g_keptResults.push_back(result);
}

void lf_onGroundData(const SimResult& result, ObjectIndex& index)
{
    LiveAc* ac = index.find(result.objectId);
    if (ac == nullptr)
        return;
    const bool simOnGround = result.aircraftId != 0;
    if (simOnGround && !ac->onGround && ac->climbCount < 2 && ac->simState != SimState::removingfromsim &&
        ac->flightPhase != FlightPhase::take_off) {
        if (ac->landingArmed || ac->flareStage != 0)
            gf_touchDown(*ac);
        ac->onGround = 1;
        ac->altRate = 0.0;
        ac->climbCount = 1;
    }
    ac->agl = result.value2;
    if (ac->onGround || ac->climbCount >= 2)
        ac->simPosition[5] = result.value1 + ac->staticCg;
}

void lf_onStaticCg(const SimResult& result, ObjectIndex& index)
{
    LiveAc* ac = index.find(result.objectId);
    if (ac == nullptr)
        return;
    if (result.value1 >= 1.0 && result.value1 <= 35.0)
        ac->staticCg = result.value1;
    const bool plausiblePitch = result.value2 > -1.0 * kDegToRad && result.value2 <= 2.5 * kDegToRad;
    ac->staticPitch = plausiblePitch ? result.value2 : kDefaultStaticPitch;
}

// Erases the record of the hexid, freeing its stand; a refused creation also notes its livery.
template <class Ac>
void lf_eraseRecord(std::vector<Ac>& acs, std::uint32_t hexid, bool refused)
{
    const auto found = std::find_if(acs.begin(), acs.end(), [hexid](const Ac& ac) { return ac.hexid == hexid; });
    if (found == acs.end())
        return;
    if (refused)
        gf_noteFailedLivery(*found);
    lf_releaseStand(*found);
    if (found != acs.end() - 1)
        *found = std::move(acs.back());
    acs.pop_back();
}

// An object that the simulator removed while it waited for its activation: the wait ends, so
// nothing is activated or removed that is gone. A static aircraft learns its object only at
// the activation, so its record goes here, or it would stand active with no object and, once
// taken out, wait for an "ObjectRemoved" that never comes.
void lf_forgetWaitingObject(std::uint32_t objectId)
{
    for (SimResult& item : g_keptResults) {
        if (item.objectId != objectId || item.waitCount == kKeptDone)
            continue;
        item.waitCount = kKeptDone;
        if (item.kind == SimResultKind::StaticIdentified)
            lf_eraseRecord(g_staticAcs, item.aircraftId, false);
    }
    std::erase_if(g_keptResults, [](const SimResult& item) { return item.waitCount == kKeptDone; });
}

void lf_handleSimResult(const SimResult& result, ObjectIndex& index)
{
    switch (result.kind) {
    case SimResultKind::LiveIdentified:
        lf_requestStaticCG(result);
        index.invalidate();
        break;
    case SimResultKind::StaticIdentified:
        g_keptResults.push_back(result);
        break;
    case SimResultKind::ObjectRemoved:
        gf_removeFlightPlan(result.objectId);
        lf_forgetWaitingObject(result.objectId);
        index.invalidate();
        break;
    case SimResultKind::OnGroundData:
        lf_onGroundData(result, index);
        break;
    case SimResultKind::StaticCg:
        lf_onStaticCg(result, index);
        break;
    case SimResultKind::CreateFailed:
        if (gf_isLiveHexid(result.aircraftId))
            lf_eraseRecord(g_liveAcs, result.aircraftId, true);
        else
            lf_eraseRecord(g_staticAcs, result.aircraftId, true);
        index.invalidate();
        break;
    default:
        break;
    }
}

// First engine, light, throttle and flaps commands of a live aircraft that becomes active.
void lf_firstCommands(LiveAc& ac)
{
    const std::uint32_t id = ac.objectId;
    gf_setSpoilers(ac, false);
    if (!ac.stream.empty() && ac.stream.front().airborne) {
        gf_queueEngineStart(id);
        const std::uint32_t low = ac.simPosition[5] <= 10000.0 ? 1 : 0;
        gf_queueLights(id, {1, 1, low, 0, 1, low, ac.agl >= 2000.0 ? 1u : 0u});
        return;
    }
    const bool parked = ac.flightPhase == FlightPhase::parked;
    const bool taxi = ac.flightPhase == FlightPhase::taxi;
    std::uint32_t nav = 1;
    if (parked) {
        gf_queueEngineShutdown(id);
        nav = NAV_LIGHTS_WHILE_PARKED.value.load() ? 1 : 0;
    } else {
        gf_queueEngineStart(id);
    }
    gf_queueLights(id, {nav, parked ? 0u : 1u, 0, taxi ? 1u : 0u, 0, 1, 1});
    gf_setThrottle(ac, ac.category == Category::Rotorcraft ? 4 : 0);
    gf_setFlaps(ac, taxi ? 1 : 0);
}

// One kept item after its wait: true when it is done.
bool lf_activate(const SimResult& item)
{
    const bool live = item.kind == SimResultKind::LiveIdentified;
    StaticAc* ac = live ? static_cast<StaticAc*>(lf_findByHexid(g_liveAcs, item.aircraftId))
                        : lf_findByHexid(g_staticAcs, item.aircraftId);
    // A live record activates only on the object it took; a static one learns its object here.
    const bool stale = ac == nullptr || (live ? ac->simState != SimState::adding2sim || ac->objectId != item.objectId
                                              : ac->simState == SimState::active ||
                                                    ac->simState == SimState::removingfromsim);
    if (stale) {
        // The object is in the simulator, identified and frozen, with nobody to move it.
        g_removalQueue.push_back(item.objectId);
        return true;
    }
    if (live) {
        lf_firstCommands(static_cast<LiveAc&>(*ac));
        ac->simState = SimState::active;
    } else {
        ac->simState = SimState::active;
        ac->objectId = item.objectId;
        lf_parkedCommands(*ac);
        gf_log(fmt::format("{:8}: {:8} parked", gf_standName(ac->standId), ac->callsign));
    }
    if (ac->removeOnArrival)
        lf_removeOnArrival(*ac);
    return true;
}

} // namespace

void gf_handleSimResults()
{
    const std::lock_guard lock(g_simResultMutex);
    ObjectIndex index;
    for (const SimResult& result : g_simResults)
        lf_handleSimResult(result, index);
    g_simResults.clear();
    if (!g_keptResults.empty())
        lf_onObjectCreated();
}

void lf_onObjectCreated()
{
    bool anyDone = false;
    for (SimResult& item : g_keptResults) {
        if (item.waitCount < kActivationWaitTicks) {
            ++item.waitCount;
            const bool toggle = item.waitCount == kFirstLightToggleTick || item.waitCount == kSecondLightToggleTick;
            if (toggle && item.kind == SimResultKind::LiveIdentified)
                gf_queueEvent(item.objectId, kEventAllLightsToggle, 0);
            continue;
        }
        if (lf_activate(item)) {
            item.waitCount = kKeptDone;
            anyDone = true;
        }
    }
    if (anyDone)
        std::erase_if(g_keptResults, [](const SimResult& item) { return item.waitCount == kKeptDone; });
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_keptResults),
};

} // namespace
