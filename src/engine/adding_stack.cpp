// The engine tick and its pacing of the simulator link.
#include "engine/adding_stack.h"

#include "core/log.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/stand_search.h"
#include "engine/traffic_intake.h"
#include "engine/unconfirmed_creations.h"
#include "parking/park_airports.h"
#include "parking/static_park_plan.h"
#include "parking/static_parking.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/user_aircraft.h"
#include "traffic/rt_link.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <fmt/format.h>

#include <algorithm>

namespace {

constexpr double kRadToDegrees = 57.29577951308232;
constexpr int kRecordsPerTick = 2;
constexpr std::uint32_t kScanMarginMeters = 5 * 1852;
constexpr std::uint32_t kLargestScanRadiusMeters = 200000;

void lf_updateLiveAircraft()
{
    bool anyToGo = false;
    for (auto& ac : g_liveAcs)
        anyToGo |= updateLiveAc(ac);
    if (anyToGo)
        std::erase_if(g_liveAcs, [](const LiveAc& ac) {
            const bool gone = ac.remove || ac.withdrawn;
            if (gone)
                lf_releaseStand(ac);
            return gone;
        });
}

// At most two records per tick; a record that fails is dropped and the tick goes on.
// The lights of an existing aircraft reach the simulator queue from here: the traffic
// mutex is always taken before the simulator queue mutex, never the other way round.
void lf_takeTrafficRecords()
{
    const std::lock_guard lock(g_trafficMutex);
    for (int taken = 0; taken < kRecordsPerTick && !g_trafficQueue.empty(); ++taken) {
        try {
            handleTrafficRecord(g_trafficQueue.front());
        } catch (const std::exception&) {
            // decodeExisting has logged it; the record goes like any other.
        }
        g_trafficQueue.pop_front();
    }
}

CreateRequest lf_createRequest(const LiveAc& ac)
{
    CreateRequest request;
    auto& position = request.initPosition;
    position.Latitude = ac.simPosition[0];
    position.Longitude = ac.simPosition[1];
    position.Pitch = ac.simPosition[2] * kRadToDegrees;
    position.Bank = ac.simPosition[3] * kRadToDegrees;
    position.Heading = ac.simPosition[4] * kRadToDegrees;
    position.Altitude = ac.simPosition[5];
    position.OnGround = 0;
    position.Airspeed = 0;
    request.callsign = ac.callsign;
    request.title = ac.livery;
    request.aircraftId = ac.hexid;
    return request;
}

// The newest aircraft of the spawn list gets its create request.
void lf_spawnNext()
{
    if (g_spawnList.empty())
        return;
    const std::uint32_t hexid = g_spawnList.back();
    g_spawnList.pop_back();
    const auto ac = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                 [hexid](const LiveAc& live) { return live.hexid == hexid; });
    if (ac == g_liveAcs.end())
        return;
    if (ac->callsign.empty()) {
        gf_log(fmt::format("{} {} objectid = 0?", "lf_handleAddingStack", gf_acDescr(*ac)));
        return;
    }
    g_addingStack.live.push_back(lf_createRequest(*ac));
}

void lf_requestAircraftInRange()
{
    bool failed = false;
    {
        const std::lock_guard lock(g_simQueueMutex);
        if (g_simLinkFailed || g_hSimConnect == nullptr)
            return;
        failed = FAILED(SimConnect_RequestDataOnSimObjectType(g_hSimConnect, kRequestAcInRange, kDefinitionInRange,
                                                              gf_scanRadiusMeters(),
                                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT));
    }
    if (failed) {
        gf_log("SimConnect request ac within range fails");
        gf_simRequestError();
    }
}

} // namespace

std::uint32_t gf_scanRadiusMeters()
{
    const std::uint64_t radius = std::uint64_t{g_rangeMeters.load()} + kScanMarginMeters;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(radius, kLargestScanRadiusMeters));
}

void lf_handleAddingStack()
{
    gf_handleSimResults();
    lf_updateLiveAircraft();
    gf_swapPositionQueues();
    gf_tickStaticCreations();
    lf_moveAddingStack();
    lf_takeTrafficRecords();
    lf_spawnNext();
    lf_requestAcInRange();
    ++g_engineTick;
}

void lf_moveAddingStack()
{
    const std::int32_t tick = g_engineTick.load();
    if (tick % 10 == 0 && !g_removalQueue.empty()) {
        gf_queueRemove(g_removalQueue.front());
        g_removalQueue.pop_front();
    }
    if (tick % 50 != 0)
        return;
    // Live aircraft first; static planning goes on only while none waits.
    if (!g_addingStack.live.empty()) {
        const std::uint64_t frames = gf_queueCreateAc(g_addingStack.live.front());
        gf_noteCreationSent(g_addingStack.live.front().aircraftId, frames);
        g_addingStack.live.pop_front();
        return;
    }
    if (!g_addingStack.statics.empty()) {
        const std::uint64_t frames = gf_queueCreateAc(g_addingStack.statics.front());
        gf_noteStaticCreationSent(g_addingStack.statics.front().aircraftId, frames);
        g_addingStack.statics.pop_front();
    }
    if (!g_staticParkEntries.empty())
        lf_detcs();
}

void lf_requestAcInRange()
{
    const std::int32_t tick = g_engineTick.load();
    if (tick % 20 == 0)
        lf_requestAircraftInRange();
    if (tick % 100 == 0) {
        gf_sendUserPosition();
        g_userAcData = gf_requestUserAcData();
        gf_updateReservedStand();
        gf_updateUserStand();
    }
}
