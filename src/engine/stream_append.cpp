// An accepted sample joins the aircraft's stream: holding, birth and extension tests,
// the trimming of stationary runs, and the detection of a take-off.
#include "engine/traffic_intake.h"

#include "core/geo.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/air_commands.h"
#include "engine/air_movement.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/sample_checks.h"
#include "simlink/sim_queues.h"

#include <fmt/format.h>

#include <algorithm>

namespace {

// 22 m: a moving sample this close to s belongs to the same stand-still.
constexpr double kStillNm = 0.011879049676025918;

double lf_distanceNm(const PosSample& a, const PosSample& b)
{
    return gf_distanceNm({a.latitude, a.longitude}, {b.latitude, b.longitude});
}

void lf_dueAfterNewest(const LiveAc& ac, PosSample& s)
{
    if (!ac.stream.empty())
        s.dueTick = std::max(s.dueTick, ac.stream.back().dueTick + 1);
}

// A moving sample after a stand-still: the stationary run behind the last moving sample
// is dropped when it was short or did not move away.
void lf_dropStationaryRun(LiveAc& ac, const PosSample& s)
{
    auto& stream = ac.stream;
    const std::size_t size = stream.size();
    const std::size_t oldest = size >= 6 ? size - 6 : 0;
    for (std::size_t i = size - 1; i-- > oldest;) {
        if (stream[i].stationary)
            continue;
        if (stream.back().dueTick - stream[i].dueTick < 1500 || lf_distanceNm(stream[i], s) <= kStillNm)
            stream.erase(stream.begin() + static_cast<std::ptrdiff_t>(i) + 1, stream.end());
        return;
    }
}

void lf_trimStationary(LiveAc& ac, const PosSample& s)
{
    auto& stream = ac.stream;
    if (s.airborne || stream.empty() || !stream.back().stationary)
        return;
    if (s.stationary) {
        if (std::all_of(stream.begin(), stream.end(), [](const PosSample& p) { return p.stationary != 0; }))
            stream.resize(1);
    } else if (stream.size() >= 3) {
        lf_dropStationaryRun(ac, s);
    }
}

// A touched-down aircraft that climbs again goes around from the runway.
void lf_restartFromLandingRoll(LiveAc& ac)
{
    ac.flightPhase = FlightPhase::taxi;
    gf_beginTakeOffRoll(ac, 3, true);
}

void lf_detectTakeOff(LiveAc& ac, const PosSample& s)
{
    if (ac.simState != SimState::active || !ac.onGround || ac.takeOffStarted || ac.stream.empty())
        return;
    const PosSample& newest = ac.stream.back();
    if (!ac.landingRoll) {
        if ((s.airborne || (s.groundSpeed >= 43 && newest.groundSpeed >= 43)) && ac.flightPhase == FlightPhase::taxi)
            lf_armTakeOff(ac);
    } else if (s.airborne && newest.airborne) {
        lf_restartFromLandingRoll(ac);
    }
}

void lf_appendSample(LiveAc& ac, const PosSample& s)
{
    auto& stream = ac.stream;
    stream.push_back(s);
    if (stream.size() == 2 && stream[0].stationary && stream[1].stationary) {
        stream[0].dueTick = g_engineTick.load() + 1;
        stream[0].groundSpeed = stream[1].groundSpeed;
    }
}

void lf_decode(LiveAc& ac, PosSample& s)
{
    if (ac.stream.size() > kMaxStreamSamples) {
        removeAircraftFromSim(ac);
        return;
    }
    // A holding aircraft whose traffic moved away from it is taken out.
    if (ac.holding && !ac.stream.empty() &&
        lf_distanceNm(s, ac.stream.front()) * 1852 > HOLDING_THRESHOLD_METERS.value) {
        ac.holding = 0;
        ac.holdStart = 0;
        removeAircraftFromSim(ac);
        return;
    }
    if (ac.flightPhase == FlightPhase::birth) {
        if (!lf_checkSample(ac, s))
            return;
        lf_dueAfterNewest(ac, s);
        ac.stream.push_back(s);
        return;
    }
    if (!checkExtendingSituations(ac, s))
        return;
    lf_trimStationary(ac, s);
    lf_dueAfterNewest(ac, s);
    lf_detectTakeOff(ac, s);
    lf_appendSample(ac, s);
}

} // namespace

void decodeExisting(LiveAc& ac, PosSample s)
{
    try {
        lf_decode(ac, s);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception {}", "decodeExisting", e.what()));
        throw;
    }
}
